#include "TestMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gmock/gmock.h>

namespace murva::test {
namespace {
QTemporaryDir *home = nullptr;
}

QString privateHome()
{
    return home->path();
}

} // namespace murva::test

int main(int argc, char **argv)
{
    // Before anything reads the environment: every user folder points into a fresh
    // temporary folder.
    QTemporaryDir home;
    murva::test::home = &home;
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"}) {
        const QString path = home.path() + "/" + QString::fromLatin1(name).toLower();
        QDir().mkpath(path);
        qputenv(name, path.toLocal8Bit());
    }
    qputenv("HOME", home.path().toLocal8Bit());

    QCoreApplication app(argc, argv);
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
