#pragma once

#include <QCoroTask>
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>

#include <coroutine>
#include <exception>
#include <memory>
#include <optional>

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace murva {

// Thrown by `Callback::wait()` when the server is closed while someone waits.
class CallbackCancelled : public std::exception {
public:
    const char *what() const noexcept override { return "sign-in cancelled"; }
};

// The loopback HTTP server that receives the browser's redirect at the end of a sign-in.
// It listens on 127.0.0.1 at a port the system picks (unless told one), answers every request with one
// HTML page ("signed in" for the redirect, "wrong" for anything else) and hands the
// first redirect to `wait()`. One per sign-in attempt; lives on the main thread.
//
// Made only through `open()` and held by shared pointers: a waiting coroutine keeps its
// server alive, and the last holder's release closes it and deletes it later, so a
// server is never deleted inside its own handlers.
class Callback : public QObject, public std::enable_shared_from_this<Callback> {
    Q_OBJECT
public:
    struct Options {
        double waitSec = 600;           // how long `wait()` waits for the redirect
        double readLimitSec = 10;       // how long a connection may take to send its request head
        int maxConnections = 64;        // beyond this the oldest unanswered connection is dropped
        quint16 port = 0;               // 0: the system picks a free one
    };
    static constexpr qsizetype kMaxRequestBytes = 16384;

    // Starts listening; throws `SaveError::failed` when the listener cannot start.
    static QCoro::Task<std::shared_ptr<Callback>> open();
    static QCoro::Task<std::shared_ptr<Callback>> open(const Options &options);

    ~Callback() override;

    quint16 port() const { return port_; }
    // "http://127.0.0.1:" + port + "/callback": the redirect URI to register and send.
    QString redirectUri() const;

    // The full URL of the first redirect to "/callback" (at once when one arrived
    // before). Throws `SaveError::signIn` when none arrives within `waitSec` (the server is
    // then closed) and `CallbackCancelled` when `close()` ends the wait. A newer call
    // cancels an older one still waiting.
    QCoro::Task<QUrl> wait();

    // `wait()`, then the redirect's code for `state` (OAuth::code); a redirect with a
    // wrong, missing or repeated state, or without a code, throws `SaveError::signIn`.
    QCoro::Task<QString> waitForCode(const QString &state);

    // Stops listening and ends a pending `wait()` with `CallbackCancelled`. Idempotent.
    void close();
    bool isClosed() const { return closed_; }

private:
    class Waiter;
    enum class Outcome { none, redirect, cancelled, timedOut };
    struct Pending {
        QByteArray head;     // what the client sent so far
        qint64 openedAtMs = 0;
    };

    explicit Callback(const Options &options);
    bool listen();
    void accept();
    void read(QTcpSocket *socket);
    void answer(QTcpSocket *socket);
    void drop(QTcpSocket *socket);
    void dropOldestIfFull();
    void deliver(const QUrl &redirect);
    void finishWaiter(Outcome outcome);

    Options options_;
    QTcpServer *server_ = nullptr;
    quint16 port_ = 0;
    bool closed_ = false;
    std::optional<QUrl> received_;  // a redirect that arrived while nobody waited
    Waiter *waiter_ = nullptr;      // the suspended `wait()`, if any
    QTimer *deadline_ = nullptr;    // ends `wait()` after `waitSec`
    QHash<QTcpSocket *, Pending> unanswered_;
};

} // namespace murva
