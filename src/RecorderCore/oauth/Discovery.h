#pragma once

#include <QUrl>

namespace murva {

// The endpoints of the service's authorization server (RFC 8414 metadata).
struct Discovery {
    QUrl authorize;    // authorization endpoint
    QUrl token;        // token endpoint
    QUrl registration; // dynamic client registration endpoint ("register" is a C++ keyword)

    friend bool operator==(const Discovery &, const Discovery &) = default;
};

} // namespace murva
