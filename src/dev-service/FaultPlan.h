#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace murva::devservice {

// The faults that tests ask for: canned replies, delays and cut uploads, each for the
// next `count` calls (a negative count: until reset; 0 takes back the pending ones of
// that path, or all cuts). A path ending in "*" matches every path that starts with
// the rest.
class FaultPlan {
public:
    struct Injection {
        int status = 500;
        QByteArray body;
    };

    void inject(const QString &path, int status, const QByteArray &body, int count);
    void delay(const QString &path, int ms, int count);
    void cut(qint64 afterBytes, int count);

    std::optional<Injection> takeInjection(const QString &path);
    int takeDelayMs(const QString &path);   // 0 when none
    qint64 takeCutAfterBytes();             // -1 when none

    void clear();

private:
    struct Entry {
        QString path;
        int count = 0;
        Injection injection;
        int ms = 0;
        qint64 afterBytes = -1;
    };

    static Entry *firstFor(QList<Entry> &entries, const QString &path);
    static void spend(QList<Entry> &entries, Entry *entry);
    static void forget(QList<Entry> &entries, const QString &path);

    QList<Entry> injections_;
    QList<Entry> delays_;
    QList<Entry> cuts_;
};

} // namespace murva::devservice
