#include "FollowingBrowser.h"

#include <QNetworkReply>

namespace murva::test {

FollowingBrowser::FollowingBrowser()
{
    network_.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

bool FollowingBrowser::open(const QUrl &address)
{
    visited.append(address);
    if (!follow) {
        return true;
    }
    QNetworkReply *reply = network_.get(QNetworkRequest(address));
    QObject::connect(reply, &QNetworkReply::redirected, reply, [this](const QUrl &next) { visited.append(next); });
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    return true;
}

} // namespace murva::test
