#include "TestMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>

namespace murva::test {
namespace {
QTemporaryDir *privateFolder = nullptr;

// A test that declares a fixture gets its variables (the private display and sound
// server, or MURVA_SERVICE_URL) from the "env" file in the fixture's folder, named by
// `folderVariable`: lines `NAME=value`, optionally prefixed by `export `.
void joinFixture(const char *folderVariable)
{
    const QString folder = qEnvironmentVariable(folderVariable);
    if (folder.isEmpty()) {
        return;
    }
    QFile env(folder + "/env");
    if (!env.open(QIODevice::ReadOnly)) {
        qWarning("fixture %s is not running", qPrintable(folder));
        return;
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
    // Nor a local service left over from elsewhere.
    qunsetenv("MURVA_SERVICE_URL");
    murva::test::joinFixture("MURVA_TEST_SESSION");
    murva::test::joinFixture("MURVA_SERVICE_DIR");

    const std::unique_ptr<QCoreApplication> app = murva::test::makeApplication
                                                      ? murva::test::makeApplication(argc, argv)
                                                      : std::make_unique<QCoreApplication>(argc, argv);
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
