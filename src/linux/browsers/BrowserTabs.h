#pragma once

#include <QCoroTask>
#include <QString>
#include <QStringList>

// The addresses of the pages the browsers show: the selected tab of every window.
//
// Only the Firefox family can be read, from the session each open profile keeps for
// crash recovery. Chromium-based browsers offer no way to ask, so they give nothing.
namespace murva::BrowserTabs {

// A session file holds far less; a bigger one is not read.
inline constexpr qsizetype kMaxSessionBytes = 64 * 1024 * 1024;

// Reads the files on a thread of its own and answers on the caller's thread. Damaged
// or missing files give nothing.
QCoro::Task<QStringList> addresses();

// The same, read at once from the profiles under `home` and the XDG config folder
// `configHome`.
QStringList addressesIn(const QString &home, const QString &configHome);

} // namespace murva::BrowserTabs
