// murva-stand-in-panel: the StatusNotifier watcher of the system tests, on the session
// bus of its environment, so that a tray item registers as under a desktop panel. Prints
// every item that registers; runs until killed.
#include "PanelBus.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    murva::test::StatusNotifierWatcher watcher(QDBusConnection::sessionBus());
    QObject::connect(&watcher, &murva::test::StatusNotifierWatcher::StatusNotifierItemRegistered,
                     [](const QString &item) {
                         std::printf("registered %s\n", qPrintable(item));
                         std::fflush(stdout);
                     });
    return QCoreApplication::exec();
}
