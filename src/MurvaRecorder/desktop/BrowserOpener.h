#pragma once

#include <QUrl>

namespace murva {

// Opens an address in the user's default web browser.
class BrowserOpener {
public:
    virtual ~BrowserOpener() = default;

    // False when no browser could be started; the address is not opened then.
    virtual bool open(const QUrl& address) = 0;
};

} // namespace murva
