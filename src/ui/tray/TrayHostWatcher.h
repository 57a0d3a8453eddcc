#pragma once

#include <QDBusConnection>
#include <QObject>

class QDBusServiceWatcher;
class QDBusPendingCallWatcher;

namespace murva {

// Tells whether a StatusNotifier host (a panel showing tray items) is there. Qt decides
// once per process whether a D-Bus tray exists and never asks again, so an app started
// before its panel (as apps opened at login are) must not create its tray icon until
// this says so. Every call is asynchronous: the main thread never waits for the bus.
class TrayHostWatcher : public QObject {
    Q_OBJECT
public:
    explicit TrayHostWatcher(const QDBusConnection &bus, QObject *parent = nullptr);

    bool hostPresent() const { return present_; }

signals:
    void hostPresentChanged(bool present);

private slots:
    void askIfHostRegistered();

private:
    void readAnswer(QDBusPendingCallWatcher *call);
    void setPresent(bool present);

    QDBusConnection bus_;
    QDBusServiceWatcher *watcher_ = nullptr;
    bool present_ = false;
};

} // namespace murva
