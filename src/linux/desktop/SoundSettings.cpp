#include "desktop/SoundSettings.h"

#include <QProcess>
#include <QStandardPaths>

#include <vector>

namespace murva {
namespace {

struct Candidate {
    QString desktop; // the desktop it belongs to; empty for any desktop
    QString program;
    QStringList arguments;
};

// Desktop-specific panels first, so that a GNOME user sees GNOME's own settings even
// when a stand-alone mixer happens to be installed too. pavucontrol's tab 4 is its
// input devices.
const std::vector<Candidate> &candidates()
{
    static const std::vector<Candidate> all{
        {"GNOME", "gnome-control-center", {"sound"}},
        {"Unity", "gnome-control-center", {"sound"}},
        {"KDE", "systemsettings", {"kcm_pulseaudio"}},
        {"XFCE", "pavucontrol", {"--tab=4"}},
        {"", "pavucontrol", {"--tab=4"}},
        {"", "pavucontrol-qt", {}},
        {"", "gnome-control-center", {"sound"}},
        {"", "systemsettings", {"kcm_pulseaudio"}},
    };
    return all;
}

} // namespace

std::optional<SoundSettingsCommand> findSoundSettings(const QString &currentDesktop)
{
    const QStringList desktops = currentDesktop.split(':', Qt::SkipEmptyParts);
    for (const Candidate &candidate : candidates()) {
        if (!candidate.desktop.isEmpty() && !desktops.contains(candidate.desktop, Qt::CaseInsensitive)) {
            continue;
        }
        const QString program = QStandardPaths::findExecutable(candidate.program);
        if (!program.isEmpty()) {
            return SoundSettingsCommand{program, candidate.arguments};
        }
    }
    return std::nullopt;
}

bool openSoundSettings()
{
    const auto command = findSoundSettings(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    return command && QProcess::startDetached(command->program, command->arguments);
}

} // namespace murva
