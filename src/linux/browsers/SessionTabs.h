#pragma once

#include <QByteArray>
#include <QStringList>

// The session that Firefox keeps for crash recovery, as JSON.
namespace murva::SessionTabs {

// The address of the selected tab of every open window, in window order. Nothing for a
// text that is not such a session; a window whose selection cannot be followed is left
// out.
QStringList selectedAddresses(const QByteArray &sessionJson);

} // namespace murva::SessionTabs
