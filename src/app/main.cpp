#include "CommandLine.h"
#include "HeadlessApp.h"
#include "LoopStallProbe.h"
#include "SelfTest.h"

#include "Adapters.h"
#include "Version.h"
#include "log/Log.h"
#include "support/UserFolders.h"

#include <QApplication>
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
    QCoreApplication::setApplicationVersion(QString::fromLatin1(murva::kVersion));
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
        std::printf("murva-recorder %s\n", murva::kVersion);
        return 0;
    }
    // Before any interface object: the self-test modes run without a display.
    if (const std::optional<int> status = murva::SelfTest::runIfAsked(argc, argv, options)) {
        return *status;
    }

    if (options.headless) {
        return runHeadless(argc, argv, options);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Murva Recorder"));
    QApplication::setApplicationVersion(QString::fromLatin1(murva::kVersion));
    QApplication::setDesktopFileName(QStringLiteral("murva-recorder"));

    prepareFolders();
    murva::Log::write(QStringLiteral("launched"));
    murva::Log::flush();
    // The tray app itself is not in this version yet; say so rather than exit silently.
    std::fputs("murva-recorder: the tray app is not available in this version yet; "
               "run it with --headless, or try --list-windows or --self-test (see --help)\n",
               stderr);
    return 0;
}
