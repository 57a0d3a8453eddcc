#include "CommandLine.h"
#include "GuiApp.h"
#include "HeadlessApp.h"
#include "LoopStallProbe.h"
#include "SelfTest.h"

#include "Adapters.h"
#include "support/Version.h"
#include "log/Log.h"
#include "shell/ApplicationService.h"
#include "shell/DisplayCheck.h"
#include "shell/SingleInstance.h"
#include "support/UserFolders.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>

#include <cstdio>

namespace {

// The log never creates its folder, and on a new system the state folder may be missing.
void prepareFolders()
{
    QDir().mkpath(murva::UserFolders::stateHome());
}

// No display is needed: a core application, the log on standard output too.
int runHeadless(int argc, char **argv, const murva::CommandLine &options)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Murva Recorder"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(murva::buildVersion()));
    prepareFolders();
    murva::Log::setEcho(true);
    murva::Adapters::install();
    murva::HeadlessApp headless(options);
    murva::Log::write(QStringLiteral("launched"));
    headless.start();
    murva::LoopStallProbe::startIfAsked(&app);
    const int status = QCoreApplication::exec();
    murva::Log::flush();
    return status;
}

// The action a launch hands to a recorder that already runs; empty to activate it.
QString forwardedAction(const murva::CommandLine &options)
{
    if (options.recordNow) {
        return QStringLiteral("record-now");
    }
    if (options.settings) {
        return QStringLiteral("settings");
    }
    if (options.home) {
        return QStringLiteral("home");
    }
    return {};
}

// The tray app. Capture and the window list speak X11, so under Wayland it runs through
// XWayland.
int runDesktop(int argc, char **argv, const murva::CommandLine &options)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    if (qgetenv("QT_QPA_PLATFORM") == "xcb" && !murva::x11DisplayReachable()) {
        std::fputs("murva-recorder: no X display to show the tray app on; run it with --headless\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Murva Recorder"));
    QApplication::setApplicationVersion(QString::fromLatin1(murva::buildVersion()));
    QApplication::setDesktopFileName(QStringLiteral("dev.murva.recorder"));
    // The app lives in the tray: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    // Saved now: after a package upgrade the running file may be gone.
    const QString executablePath = QCoreApplication::applicationFilePath();
    prepareFolders();

    const QDBusConnection bus = QDBusConnection::sessionBus();
    murva::ApplicationService service;
    using murva::SingleInstance::Outcome;
    if (murva::SingleInstance::claimOrForward(bus, service, forwardedAction(options)) == Outcome::forwarded) {
        murva::Log::flush();
        return 0;
    }
    murva::Adapters::install();
    murva::GuiApp gui(options, executablePath, bus, service);
    gui.start();
    murva::LoopStallProbe::startIfAsked(&app);
    const int status = QApplication::exec();
    murva::Log::flush();
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const murva::CommandLine options = murva::CommandLine::parse(arguments);
    if (options.help) {
        std::fputs(murva::CommandLine::helpText().toUtf8().constData(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("murva-recorder %s\n", murva::buildVersion());
        return 0;
    }
    // Before any interface object: the self-test modes run without a display.
    if (const std::optional<int> status = murva::SelfTest::runIfAsked(argc, argv, options)) {
        return *status;
    }

    if (options.headless) {
        return runHeadless(argc, argv, options);
    }

    return runDesktop(argc, argv, options);
}
