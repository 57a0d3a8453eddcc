#include "HttpServer.h"
#include "Router.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT end the event loop through a self-pipe: a signal handler may do
// nothing more than write a byte.
void quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        return;
    }
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("murva-dev-service");

    QCommandLineParser options;
    options.setApplicationDescription("Local stand-in for the meeting-notes service and its authorization server.");
    options.addHelpOption();
    options.addOption({"port", "Listen on this port of 127.0.0.1 (default: one the system picks).", "N", "0"});
    options.process(app);
    bool validPort = false;
    const uint port = options.value("port").toUInt(&validPort);
    if (!validPort || port > 65535) {
        std::fprintf(stderr, "murva-dev-service: --port needs a number from 0 to 65535\n");
        return 2;
    }

    murva::devservice::Router router;
    murva::devservice::HttpServer server(router);
    if (!server.listen(quint16(port))) {
        std::fprintf(stderr, "murva-dev-service: cannot listen: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(server.port());
    router.setBase(QUrl(base));
    quitOnSignals(app);

    std::printf("murva-dev-service listening on %s\n", qPrintable(base));
    std::fflush(stdout);
    return app.exec();
}
