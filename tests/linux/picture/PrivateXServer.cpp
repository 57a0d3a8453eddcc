#include "PrivateXServer.h"

#include <QFile>

namespace murva::test {

PrivateXServer::PrivateXServer(QSize screenSize, const QStringList &extraArguments)
    : screenSize_(screenSize)
{
    const QString screen = QStringLiteral("%1x%2x24").arg(screenSize.width()).arg(screenSize.height());
    // -displayfd 1: the server picks a free display number and writes it to stdout when ready.
    xvfb_.start(QStringLiteral("Xvfb"), QStringList{"-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp",
                                                    "-wr", "+extension", "Composite"}
                                            + extraArguments);
    if (!xvfb_.waitForStarted(5000)) {
        return;
    }
    QByteArray number;
    while (!number.contains('\n') && xvfb_.waitForReadyRead(5000)) {
        number += xvfb_.readAllStandardOutput();
    }
    if (number.contains('\n')) {
        displayName_ = ":" + number.trimmed();
    }
}

PrivateXServer::~PrivateXServer()
{
    if (xvfb_.state() != QProcess::NotRunning) {
        xvfb_.terminate();
        if (!xvfb_.waitForFinished(5000)) {
            kill();
        }
    }
}

void PrivateXServer::kill()
{
    if (xvfb_.state() == QProcess::NotRunning) {
        return;
    }
    xvfb_.kill();
    xvfb_.waitForFinished(5000);
    // A killed server leaves its socket and lock file behind.
    const QByteArray number = displayName_.mid(1);
    QFile::remove(QStringLiteral("/tmp/.X11-unix/X") + number);
    QFile::remove(QStringLiteral("/tmp/.X%1-lock").arg(QString::fromLatin1(number)));
}

} // namespace murva::test
