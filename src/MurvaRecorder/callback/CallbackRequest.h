#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace murva {

// What the loopback server reads from one request head.
struct CallbackRequest {
    QUrl url;              // "http://127.0.0.1:PORT" + the request target (may be invalid)
    bool isRedirect = false;
    QString requestedLanguage; // the first "lang" query item, when any

    // Reads a request head for a server on 127.0.0.1:`port`. It is the redirect when the
    // target is an origin-form path exactly "/callback" (any query) and the Host header
    // names exactly this server: a page of another site that a rebinding DNS name points
    // at 127.0.0.1 sends its own host name and so cannot end the wait.
    static CallbackRequest parse(const QByteArray &head, quint16 port);

    // Whether `bytes` hold a whole request head (up to the empty line).
    static bool headComplete(const QByteArray &bytes);
};

} // namespace murva
