#pragma once

#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

namespace murva {

// The running app on the session bus, as desktops and launchers reach it through the
// freedesktop application interface: a second launch activates it or one of its
// actions. While the app quits, every call fails with `quittingError`, so that the new
// launch waits for this one to go rather than hand its request to a process that ends.
class ApplicationService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    static inline const QString quittingError = QStringLiteral("dev.murva.recorder.Error.Quitting");

    using QObject::QObject;

    void setQuitting() { quitting_ = true; }

public slots:
    Q_SCRIPTABLE void Activate(const QVariantMap &platformData);
    Q_SCRIPTABLE void ActivateAction(const QString &actionName, const QVariantList &parameter,
                                     const QVariantMap &platformData);
    Q_SCRIPTABLE void Open(const QStringList &uris, const QVariantMap &platformData);

signals:
    void activated();
    void actionActivated(const QString &actionName);

private:
    bool refuseWhileQuitting();

    bool quitting_ = false;
};

} // namespace murva
