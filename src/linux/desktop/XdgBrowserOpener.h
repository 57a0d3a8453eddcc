#pragma once

#include "desktop/BrowserOpener.h"

#include <QString>

namespace murva {

// Opens web addresses with xdg-open, which picks the desktop's browser (or $BROWSER
// where no desktop is detected). Only http and https addresses are handed over: xdg-open
// would also open files and run other schemes' handlers.
class XdgBrowserOpener final : public BrowserOpener {
public:
    explicit XdgBrowserOpener(QString program = QStringLiteral("xdg-open"));

    // Returns once the opener is started, not once the browser shows the page.
    bool open(const QUrl &address) override;

private:
    static bool startChosenBrowser(const QString &address);

    QString program_;
};

} // namespace murva
