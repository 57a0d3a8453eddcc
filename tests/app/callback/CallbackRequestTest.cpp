#include "callback/CallbackRequest.h"

#include <gtest/gtest.h>

namespace murva {
namespace {

constexpr quint16 kPort = 41234;

CallbackRequest parse(const QByteArray &head)
{
    return CallbackRequest::parse(head, kPort);
}

TEST(CallbackRequest, RedirectNeedsTheCallbackPathAndOurOwnHost)
{
    const CallbackRequest redirect = parse("GET /callback?code=A&state=B HTTP/1.1\r\nHost: 127.0.0.1:41234\r\n\r\n");
    EXPECT_TRUE(redirect.isRedirect);
    EXPECT_EQ(redirect.url, QUrl("http://127.0.0.1:41234/callback?code=A&state=B"));

    // Any method, header case and a lenient line ending are fine.
    EXPECT_TRUE(parse("POST  /callback  HTTP/1.1\nhOsT:127.0.0.1:41234 \n\n").isRedirect);

    for (const QByteArray &other : {
             QByteArray("GET /callback/ HTTP/1.1\r\nHost: 127.0.0.1:41234\r\n\r\n"),
             QByteArray("GET /favicon.ico HTTP/1.1\r\nHost: 127.0.0.1:41234\r\n\r\n"),
             QByteArray("GET /callback HTTP/1.1\r\n\r\n"),
             QByteArray("GET /callback HTTP/1.1\r\nHost: evil.example:41234\r\n\r\n"),
             QByteArray("GET /callback HTTP/1.1\r\nHost: 127.0.0.1:41235\r\n\r\n"),
             QByteArray("GET /callback HTTP/1.1\r\nHost: 127.0.0.1:41234\r\nHost: evil.example\r\n\r\n"),
             QByteArray("GET http://evil.example/callback HTTP/1.1\r\nHost: 127.0.0.1:41234\r\n\r\n"),
             // The Host line is cut off by the size limit.
             QByteArray("GET /callback HTTP/1.1\r\nHost: 127.0.0.1:41234"),
             QByteArray(),
         }) {
        EXPECT_FALSE(parse(other).isRedirect) << other.toStdString();
    }
}

} // namespace
} // namespace murva
