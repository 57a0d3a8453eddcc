#include "identity/KnownApplications.h"

#include <algorithm>

namespace murva {

const std::vector<KnownApplication> &knownApplications()
{
    // Two rows may share an identifier when the programs deserve different names.
    static const std::vector<KnownApplication> table{
        {"us.zoom.xos", "Zoom", {"zoom", "ZoomLauncher", "us.zoom.Zoom"}},
        {"com.microsoft.teams2", "Microsoft Teams",
         {"teams", "teams-for-linux", "com.github.IsmaelMartinez.teams_for_linux"}},
        {"com.webex.meetingmanager", "Webex", {"webex", "CiscoCollabHost"}},
        {"com.tinyspeck.slackmacgap", "Slack", {"slack", "com.slack.Slack"}},
        {"com.google.Chrome", "Google Chrome", {"google-chrome", "chrome", "com.google.Chrome"}},
        {"com.google.Chrome", "Chromium", {"chromium", "chromium-browser", "org.chromium.Chromium"}},
        {"com.brave.Browser", "Brave", {"brave", "brave-browser", "com.brave.Browser"}},
        {"com.microsoft.edgemac", "Microsoft Edge", {"msedge", "microsoft-edge", "com.microsoft.Edge"}},
        {"com.vivaldi.Vivaldi", "Vivaldi", {"vivaldi", "vivaldi-bin", "com.vivaldi.Vivaldi"}},
        {"com.operasoftware.Opera", "Opera", {"opera", "com.opera.Opera"}},
        {"org.mozilla.firefox", "Firefox", {"firefox", "firefox-esr", "firefox-bin", "org.mozilla.firefox"}},
    };
    return table;
}

const KnownApplication *knownApplicationNamed(QStringView linuxName)
{
    if (linuxName.isEmpty()) {
        return nullptr;
    }
    const auto &table = knownApplications();
    const auto found = std::find_if(table.begin(), table.end(), [&](const KnownApplication &entry) {
        return entry.linuxNames.contains(linuxName, Qt::CaseInsensitive);
    });
    return found == table.end() ? nullptr : &*found;
}

const KnownApplication *knownApplicationWithIdentifier(QStringView identifier)
{
    const auto &table = knownApplications();
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const KnownApplication &entry) { return entry.identifier == identifier; });
    return found == table.end() ? nullptr : &*found;
}

} // namespace murva
