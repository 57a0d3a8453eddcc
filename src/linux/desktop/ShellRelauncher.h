#pragma once

#include "desktop/Relauncher.h"

#include <QString>
#include <QStringList>

namespace murva {

// Starts a detached shell that waits a moment (so that this process has quit and let go
// of its single-instance resources) and then runs the program again with its arguments.
// The path is the one saved at start-up: after a package upgrade /proc/self/exe names a
// deleted file.
class ShellRelauncher final : public Relauncher {
public:
    explicit ShellRelauncher(QString executablePath, QStringList arguments = {}, int delaySec = 1);

    bool relaunchSoon() override;

private:
    QString executablePath_;
    QStringList arguments_;
    int delaySec_;
};

} // namespace murva
