#include "TestMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>

namespace murva::test {
namespace {
QTemporaryDir *privateFolder = nullptr;

// Reads a fixture's "env" file (lines `NAME=value`, optionally prefixed by `export `)
// into this process's environment.
bool loadEnvFile(const QString &path)
{
    QFile env(path);
    if (!env.open(QIODevice::ReadOnly)) {
        return false;
    }
    for (QByteArray line : env.readAll().split('\n')) {
        line = line.trimmed();
        if (line.startsWith("export ")) {
            line.remove(0, 7);
        }
        const qsizetype equals = line.indexOf('=');
        if (equals > 0) {
            qputenv(line.left(equals).constData(), line.mid(equals + 1));
        }
    }
    return true;
}

// A test that needs the private desktop gets its display and sound server from the
// fixture's "env" file.
void joinDesktopSession()
{
    const QString session = qEnvironmentVariable("MURVA_TEST_SESSION");
    if (session.isEmpty()) {
        return;
    }
    if (!loadEnvFile(session + "/env")) {
        qWarning("desktop session %s is not running", qPrintable(session));
    }
}

// A test that needs the local service gets MURVA_SERVICE_URL from the fixture's "env"
// file; without the fixture no test may reach a service left over from elsewhere.
void joinService()
{
    const QString folder = qEnvironmentVariable("MURVA_SERVICE_DIR");
    qunsetenv("MURVA_SERVICE_URL");
    if (folder.isEmpty()) {
        return;
    }
    if (!loadEnvFile(folder + "/env")) {
        qWarning("local service %s is not running", qPrintable(folder));
    }
}
} // namespace

QString privateHome()
{
    return privateFolder->path();
}

bool hasDesktopSession()
{
    return !qEnvironmentVariable("MURVA_TEST_SESSION").isEmpty();
}

bool hasService()
{
    return !qEnvironmentVariable("MURVA_SERVICE_URL").isEmpty();
}

} // namespace murva::test

int main(int argc, char **argv)
{
    // Before anything reads the environment: every user folder points into a fresh
    // temporary folder.
    QTemporaryDir home;
    murva::test::privateFolder = &home;
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"}) {
        const QString path = home.path() + "/" + QString::fromLatin1(name).toLower();
        QDir().mkpath(path);
        qputenv(name, path.toLocal8Bit());
    }
    qputenv("HOME", home.path().toLocal8Bit());
    // Without the fixture no test may reach the user's own display or sound server.
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("PULSE_SERVER", "unix:/nonexistent/murva-test-no-sound-server");
    murva::test::joinDesktopSession();
    murva::test::joinService();

    const std::unique_ptr<QCoreApplication> app = murva::test::makeApplication
                                                      ? murva::test::makeApplication(argc, argv)
                                                      : std::make_unique<QCoreApplication>(argc, argv);
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
