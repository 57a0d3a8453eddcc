#pragma once

#include "desktop/Relauncher.h"

#include <QString>

namespace murva {

// Starts a detached shell that waits a moment (so that this process has quit and let go
// of its single-instance resources) and then runs the program again.
class ShellRelauncher final : public Relauncher {
public:
    explicit ShellRelauncher(QString executablePath, int delaySec = 1);

    bool relaunchSoon() override;

private:
    QString executablePath_;
    int delaySec_;
};

} // namespace murva
