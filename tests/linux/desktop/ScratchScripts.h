#pragma once

#include <QByteArray>
#include <QString>

#include <ostream>

// Readable failure messages for texts (found by argument lookup in QString's namespace).
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace murva::test {

// Writes an executable shell script that writes its arguments, one per line, into
// `recordPath`; returns the script's path.
QString writeRecordingScript(const QString &scriptPath, const QString &recordPath);

// Waits up to two seconds for the record and returns its contents (empty if none came).
QByteArray waitForRecord(const QString &recordPath);

// Sets (or with `unset`, removes) an environment variable for the scope.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value, bool unset = false);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

} // namespace murva::test
