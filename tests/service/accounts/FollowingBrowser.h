#pragma once

#include "desktop/BrowserOpener.h"

#include <QList>
#include <QNetworkAccessManager>
#include <QUrl>

namespace murva::test {

// A small browser: loads the address and follows its redirects, as far as the loopback
// page that ends the sign-in. Remembers every address it loaded. With `follow` false it
// loads nothing, like a user who never answers.
class FollowingBrowser : public BrowserOpener {
public:
    FollowingBrowser();
    bool open(const QUrl &address) override;

    QList<QUrl> visited;
    bool follow = true;

private:
    QNetworkAccessManager network_;
};

} // namespace murva::test
