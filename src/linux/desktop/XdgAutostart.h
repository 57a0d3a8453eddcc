#pragma once

#include "desktop/Autostart.h"

#include <QString>

namespace murva {

// Opening at login through the XDG autostart folder: the desktop starts every entry of
// "$XDG_CONFIG_HOME/autostart" when the user logs in.
class XdgAutostart final : public Autostart {
public:
    // `executablePath` is what the entry starts (this program); `configHome` the XDG
    // config folder, read from the environment at each call when empty.
    explicit XdgAutostart(QString executablePath, QString configHome = {});

    // True when the entry exists and the user has not switched it off in it.
    bool registered() override;
    bool registerAtLogin() override;
    bool unregisterAtLogin() override;

    QString entryPath() const;

    // The whole entry for a program at `executablePath`.
    static QByteArray entryText(const QString &executablePath);
    // One argument of an Exec line, quoted and escaped as desktop entries want.
    static QString execArgument(const QString &argument);

private:
    QString executablePath_;
    QString configHome_;
};

} // namespace murva
