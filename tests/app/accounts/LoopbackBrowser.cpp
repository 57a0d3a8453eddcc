#include "LoopbackBrowser.h"

#include <QNetworkReply>
#include <QTimer>
#include <QUrlQuery>

namespace murva::test {

bool LoopbackBrowser::open(const QUrl &address)
{
    opened.append(address);
    if (!approve) {
        return true;
    }
    const QUrlQuery query(address);
    QUrl redirect(query.queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded));
    redirect.setQuery(QStringLiteral("code=%1&state=%2")
                          .arg(code, query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded)));
    // Later, as a browser would: the sign-in is waiting by then.
    QTimer::singleShot(0, &network_, [this, redirect] {
        QNetworkReply *reply = network_.get(QNetworkRequest(redirect));
        QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    });
    return true;
}

} // namespace murva::test
