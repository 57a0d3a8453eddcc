#pragma once

#include "desktop/BrowserOpener.h"

#include <QList>
#include <QNetworkAccessManager>
#include <QUrl>

namespace murva::test {

// Stands in for the user's browser when the authorization server approves at once: it
// goes straight to the redirect address with a code and the state it was given. With
// `approve` false it opens nothing more, like a user who never answers.
class LoopbackBrowser : public BrowserOpener {
public:
    bool approve = true;
    QString code = QStringLiteral("the-code");
    QList<QUrl> opened;

    bool open(const QUrl &address) override;

private:
    QNetworkAccessManager network_;
};

} // namespace murva::test
