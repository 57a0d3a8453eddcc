#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <optional>

namespace murva {

// Whether some X client owns a selection such as "_NET_WM_CM_S0" (a compositor runs) or
// "_NET_SYSTEM_TRAY_S0" (an XEmbed tray), asked on the app's own X connection without
// waiting: the requests go out at once and their replies are picked up from the event
// loop. Unknown (nothing) away from X11 or until the first answer.
class X11SelectionOwner : public QObject {
    Q_OBJECT
public:
    explicit X11SelectionOwner(QByteArray selection, QObject *parent = nullptr);

    // Asks again; the answer comes through ownedChanged when it differs.
    void ask();
    std::optional<bool> owned() const { return owned_; }

signals:
    void ownedChanged(bool owned);

private:
    void poll();

    QByteArray selection_;
    QTimer poller_;
    unsigned atom_ = 0;
    unsigned atomRequest_ = 0;
    unsigned ownerRequest_ = 0;
    std::optional<bool> owned_;
};

} // namespace murva
