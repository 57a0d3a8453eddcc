#pragma once

#include "calls/CallWatcher.h"
#include "capture/MediaInspector.h"
#include "desktop/Autostart.h"
#include "desktop/BrowserOpener.h"
#include "desktop/Permissions.h"
#include "desktop/Relauncher.h"
#include "model/ModelClock.h"
#include "model/ModelPorts.h"
#include "model/RecordingCapture.h"
#include "recordings/RecordingStore.h"
#include "screen/ScreenAccess.h"

#include <QCoroTask>
#include <QPointF>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace murva {

// Everything the recording flow reaches outside itself. The app wires the real pieces
// and the Linux adapters; tests hand in fakes. All are used on the main thread, but for
// the inspector, which runs on a worker thread of its own.
// Required: makeCapture, store, watcher, accounts, service. Every other part may be left
// empty: without a clock the system's is used, without the others their feature does
// nothing (nothing is allowed, no open at login, no pages opened, leftovers that were
// being recorded count as unreadable, no tabs, no pointer, no screen check, a relaunch
// only quits).
struct ModelParts {
    std::shared_ptr<ModelClock> clock;
    CaptureFactory makeCapture;
    std::shared_ptr<RecordingStore> store;
    std::unique_ptr<CallWatcher> watcher;
    std::shared_ptr<ModelAccounts> accounts;
    std::shared_ptr<ModelService> service;
    std::shared_ptr<Permissions> permissions;
    std::shared_ptr<Autostart> autostart;
    std::shared_ptr<BrowserOpener> browser;
    std::shared_ptr<MediaInspector> inspector;
    std::shared_ptr<Relauncher> relauncher;
    // The gate in front of the screen, shared with the watcher; without one, no screen.
    std::shared_ptr<ScreenAccess> screen;

    // The addresses of the pages the browsers show (their selected tabs).
    std::function<QCoro::Task<QStringList>()> tabAddresses;
    // The mouse pointer in root coordinates (the displays' frames); none when unknown.
    std::function<std::optional<QPointF>()> pointer;
    // Proves that the screen can be recorded; true when it passed (stored by itself).
    std::function<QCoro::Task<bool>()> checkScreen;
    // Whether the tray icon can be seen; without it the icon counts as shown.
    std::function<TrayIconState()> trayIcon;
    // The program's arguments ("--sample-upcoming").
    QStringList arguments;
};

} // namespace murva
