#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// Reading a sandboxed program's Flatpak application id from the texts the kernel and
// Flatpak leave in /proc. Pure text parsing, so it is testable without a sandbox.
namespace murva::FlatpakId {

// From the text of /proc/PID/cgroup: Flatpak starts each app in a systemd scope named
// "app-flatpak-<id>-<number>.scope" (both cgroup v1 and v2 lines are understood).
std::optional<QString> fromCgroup(QByteArrayView cgroupText);

// From the text of /.flatpak-info inside the sandbox: "name" of the [Application] group.
std::optional<QString> fromFlatpakInfo(QByteArrayView infoText);

// Whether `id` has the shape of an application id: dotted, of letters, digits, "_" and "-".
bool isApplicationId(const QString &id);

} // namespace murva::FlatpakId
