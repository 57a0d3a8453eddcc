#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace murva {

// A Linux program that the call classification knows under an application identifier.
struct KnownApplication {
    QString identifier;     // the identifier the classification knows, such as "us.zoom.xos"
    QString name;           // for people and the log
    QStringList linuxNames; // executable names, WM_CLASS names and Flatpak ids
};

// The one table from Linux programs to application identifiers.
const std::vector<KnownApplication> &knownApplications();

// The entry listing `linuxName` (an executable, WM_CLASS or Flatpak id), ignoring case
// because WM_CLASS classes are capitalised ("Google-chrome", "Firefox"); null when none.
const KnownApplication *knownApplicationNamed(QStringView linuxName);

// The first entry with exactly this identifier; null when none.
const KnownApplication *knownApplicationWithIdentifier(QStringView identifier);

} // namespace murva
