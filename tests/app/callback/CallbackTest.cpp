#include "api/SaveError.h"
#include "callback/Callback.h"
#include "oauth/OAuth.h"

#include "support/AwaitTask.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace murva {
namespace {

struct Reply {
    QByteArray head;
    QByteArray body;
};

// Runs the event loop (the server lives on this thread) for `ms` milliseconds.
void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Sends `parts` over a real loopback connection, pausing between them, and collects the
// reply until the server closes the connection.
Reply exchange(quint16 port, const QList<QByteArray> &parts, int pauseMs = 0)
{
    QTcpSocket socket;
    QByteArray received;
    QEventLoop loop;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { received += socket.readAll(); });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    socket.connectToHost(QHostAddress::LocalHost, port);
    // The kernel completes the handshake from the listen queue, so this blocking wait
    // needs no turn of the server's event loop.
    if (!socket.waitForConnected(2000)) {
        return {};
    }
    for (qsizetype i = 0; i < parts.size(); ++i) {
        socket.write(parts[i]);
        if (pauseMs > 0 && i + 1 < parts.size()) {
            socket.flush();
            spin(pauseMs);
        }
    }
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    loop.exec();
    received += socket.readAll();
    const qsizetype split = received.indexOf("\r\n\r\n");
    if (split < 0) {
        return {received, {}};
    }
    return {received.left(split + 4), received.mid(split + 4)};
}

QByteArray get(quint16 port, const QByteArray &target)
{
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\nAccept: text/html\r\n\r\n";
}

Reply ask(quint16 port, const QByteArray &target)
{
    return exchange(port, {get(port, target)});
}

// A fault makes a test fail in seconds rather than wait ten minutes.
Callback::Options quick()
{
    Callback::Options options;
    options.waitSec = 5;
    return options;
}

std::shared_ptr<Callback> openCallback(const Callback::Options &options = quick())
{
    return test::await(Callback::open(options));
}

bool isOkPage(const Reply &reply)
{
    return reply.body.contains("<body class=\"ok\">");
}

bool isWrongPage(const Reply &reply)
{
    return reply.body.contains("<body class=\"wrong\">");
}

TEST(Callback, AnswersTheRedirectWithTheSignedInPage)
{
    const auto callback = openCallback();
    ASSERT_NE(callback->port(), 0);
    EXPECT_EQ(callback->redirectUri(), QString("http://127.0.0.1:%1/callback").arg(callback->port()));

    const Reply reply = ask(callback->port(), "/callback?code=A&state=B&lang=en");
    EXPECT_EQ(reply.head, "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
                              + QByteArray::number(reply.body.size()) + "\r\nConnection: close\r\n\r\n");
    EXPECT_TRUE(isOkPage(reply));
    EXPECT_FALSE(reply.body.contains("{{")) << "a placeholder was left";
    EXPECT_FALSE(reply.body.contains("callbackDone")) << "the title has no text";

    // It came before anyone waited, so `wait()` hands it over at once.
    const QUrl url = test::await(callback->wait());
    EXPECT_EQ(url, QUrl(QString("http://127.0.0.1:%1/callback?code=A&state=B&lang=en").arg(callback->port())));
}

TEST(Callback, PageIsInTheRequestedLanguageAndCountsBytes)
{
    const auto callback = openCallback();
    const Reply french = ask(callback->port(), "/favicon.ico?lang=fr");
    EXPECT_TRUE(isWrongPage(french));
    EXPECT_TRUE(french.body.contains("<html lang=\"fr\">"));
    const QString text = QString::fromUtf8(french.body);
    ASSERT_LT(text.size(), french.body.size()) << "the French page should hold accented letters";
    EXPECT_TRUE(french.head.contains("Content-Length: " + QByteArray::number(french.body.size()) + "\r\n"));

    // Only a language we have is written into the page.
    const Reply injected = ask(callback->port(), "/callback?lang=%22%3E%3Cscript%3Ealert(1)%3C/script%3E");
    EXPECT_FALSE(injected.body.contains("alert(1)"));
    EXPECT_TRUE(injected.body.contains("<html lang=\"en\">") || injected.body.contains("<html lang=\"fr\">"));
}

TEST(Callback, OtherRequestsGetTheWrongPageAndLeaveTheWaitRunning)
{
    const auto callback = openCallback();
    const quint16 port = callback->port();
    auto waiting = callback->wait();

    EXPECT_TRUE(isWrongPage(ask(port, "/favicon.ico")));
    EXPECT_TRUE(isWrongPage(exchange(port, {"garbage\r\n\r\n"})));
    spin(50);
    EXPECT_FALSE(waiting.isReady());

    EXPECT_TRUE(isOkPage(ask(port, "/callback?code=real&state=S")));
    const QUrl url = test::await(std::move(waiting));
    EXPECT_EQ(OAuth::code(url, "S"), "real");
}

TEST(Callback, ARequestSplitAcrossPacketsIsStillUnderstood)
{
    const auto callback = openCallback();
    const QByteArray request = get(callback->port(), "/callback?code=A&state=B");
    const Reply reply = exchange(callback->port(), {request.left(10), request.mid(10, 30), request.mid(40)}, 50);
    EXPECT_TRUE(isOkPage(reply)) << reply.head.toStdString();
    EXPECT_EQ(OAuth::code(test::await(callback->wait()), "B"), "A");
}

TEST(Callback, HostileConnectionsDoNotBlockTheRedirect)
{
    Callback::Options options = quick();
    options.readLimitSec = 0.3;
    options.maxConnections = 16;
    const auto callback = openCallback(options);
    const quint16 port = callback->port();
    auto waiting = callback->wait();

    // Many silent connections, more than the server keeps.
    std::vector<std::unique_ptr<QTcpSocket>> silent;
    for (int i = 0; i < 100; ++i) {
        silent.push_back(std::make_unique<QTcpSocket>());
        silent.back()->connectToHost(QHostAddress::LocalHost, port);
    }
    spin(50);
    // A request far beyond the size limit, without an end of head.
    const Reply huge = exchange(port, {"GET /callback?code=X&state=Y&pad=" + QByteArray(40000, 'a')});
    EXPECT_FALSE(isOkPage(huge));

    EXPECT_TRUE(isOkPage(ask(port, "/callback?code=real&state=S")));
    EXPECT_EQ(OAuth::code(test::await(std::move(waiting)), "S"), "real");

    // The silent ones are dropped once their time is up.
    spin(500);
    int stillOpen = 0;
    for (const auto &socket : silent) {
        stillOpen += socket->state() == QAbstractSocket::ConnectedState ? 1 : 0;
    }
    EXPECT_EQ(stillOpen, 0);
}

// Neither limit waits for the read limit: a head at the size limit is answered as it
// stands, and a connection beyond the most kept drops one at once.
TEST(Callback, LimitsApplyAtOnce)
{
    Callback::Options options = quick();
    options.readLimitSec = 60;
    options.maxConnections = 2;
    const auto callback = openCallback(options);
    QByteArray head = "GET /callback?pad=";
    head += QByteArray(Callback::kMaxRequestBytes - head.size(), 'a');
    EXPECT_FALSE(exchange(callback->port(), {head}).head.isEmpty());

    std::vector<std::unique_ptr<QTcpSocket>> silent;
    int dropped = 0;
    for (int i = 0; i < 3; ++i) {
        silent.push_back(std::make_unique<QTcpSocket>());
        QObject::connect(silent.back().get(), &QTcpSocket::disconnected, [&] { ++dropped; });
        silent.back()->connectToHost(QHostAddress::LocalHost, callback->port());
    }
    for (int turn = 0; turn < 100 && dropped == 0; ++turn) {
        spin(20);
    }
    EXPECT_EQ(dropped, 1);
}

// A loopback server that cannot listen (here its port is taken) means no callback.
TEST(Callback, NoLoopbackServerNoCallback)
{
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
    Callback::Options options = quick();
    options.port = holder.serverPort();
    EXPECT_THROW(test::await(Callback::open(options)), SaveError);
}

// Which redirects carry a code is OAuth::code's to judge (RedirectCode, in the core's
// tests); here a hostile one still gets the page and fails the sign-in.
TEST(Callback, AHostileRedirectFailsTheSignIn)
{
    const auto hostile = openCallback();
    auto refused = hostile->waitForCode("S");
    EXPECT_TRUE(isOkPage(ask(hostile->port(), "/callback?code=A&state=wrong")));
    EXPECT_THROW(test::await(std::move(refused)), SaveError);

    const auto callback = openCallback();
    auto code = callback->waitForCode("S");
    ask(callback->port(), "/callback?state=S&code=good");
    EXPECT_EQ(test::await(std::move(code)), "good");
}

TEST(Callback, WaitEndsWithSignInAfterItsTimeAndClosesTheServer)
{
    Callback::Options options = quick();
    options.waitSec = 0.2;
    const auto callback = openCallback(options);
    EXPECT_EQ(test::thrownBy<SaveError>(callback->wait()), SaveError::signIn);
    EXPECT_TRUE(callback->isClosed());
    EXPECT_TRUE(ask(callback->port(), "/callback?code=A&state=B").head.isEmpty());
}

TEST(Callback, CloseCancelsTheWait)
{
    const auto callback = openCallback();
    auto first = callback->wait();
    auto second = callback->wait(); // a newer wait takes over
    EXPECT_THROW(test::await(std::move(first)), CallbackCancelled);
    QTimer::singleShot(20, [callback] { callback->close(); });
    EXPECT_THROW(test::await(std::move(second)), CallbackCancelled);
    EXPECT_THROW(test::await(callback->wait()), CallbackCancelled);
}

// Only this computer's own programs may reach the redirect: none of its other addresses
// (a LAN address, IPv6 loopback) answers on the port.
TEST(Callback, ListensOnTheIPv4LoopbackOnly)
{
    auto callback = openCallback();
    const quint16 port = callback->port();
    int tried = 0;
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address == QHostAddress(QHostAddress::LocalHost) || !address.scopeId().isEmpty()) {
            continue;
        }
        QTcpSocket socket;
        socket.connectToHost(address, port);
        EXPECT_FALSE(socket.waitForConnected(1000)) << qPrintable(address.toString());
        ++tried;
    }
    if (tried == 0) {
        GTEST_SKIP() << "this computer has no address besides 127.0.0.1";
    }
}

TEST(Callback, ReleasingTheServerStopsListening)
{
    auto callback = openCallback();
    const quint16 port = callback->port();
    callback.reset();
    spin(20);
    EXPECT_TRUE(ask(port, "/callback?code=A&state=B").head.isEmpty());
}

} // namespace
} // namespace murva
