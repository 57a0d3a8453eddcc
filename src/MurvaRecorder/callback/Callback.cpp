#include "callback/Callback.h"

#include "api/SaveError.h"
#include "callback/CallbackPage.h"
#include "callback/CallbackRequest.h"
#include "log/Log.h"
#include "oauth/OAuth.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace murva {

// The suspended `wait()`: the server fills in the outcome, then resumes it. It stays in
// the waiting coroutine's frame; only the small `Suspend` awaitable is handed to co_await,
// so whatever copies an awaitable copies the pointer, not the state.
class Callback::Waiter {
public:
    struct Suspend {
        Waiter *waiter;
        bool await_ready() const noexcept { return waiter->outcome != Outcome::none; }
        void await_suspend(std::coroutine_handle<> awaiting) noexcept { waiter->handle = awaiting; }
        void await_resume() const noexcept {}
    };

    Waiter() = default;
    Waiter(const Waiter &) = delete;
    Waiter &operator=(const Waiter &) = delete;

    Outcome outcome = Outcome::none;
    QUrl redirect;
    std::coroutine_handle<> handle;
};

namespace {

qint64 milliseconds(double sec)
{
    return qint64(std::max(0.0, sec) * 1000.0);
}

} // namespace

QCoro::Task<std::shared_ptr<Callback>> Callback::open()
{
    return open(Options{});
}

QCoro::Task<std::shared_ptr<Callback>> Callback::open(const Options &options)
{
    // Released through the event loop, never inside one of its own handlers.
    std::shared_ptr<Callback> callback(new Callback(options), [](Callback *released) {
        released->close();
        released->deleteLater();
    });
    if (!callback->listen()) {
        throw SaveError::failed;
    }
    co_return callback;
}

Callback::Callback(const Options &options)
    : options_(options), server_(new QTcpServer(this)), deadline_(new QTimer(this))
{
    deadline_->setSingleShot(true);
    connect(deadline_, &QTimer::timeout, this, [this] {
        finishWaiter(Outcome::timedOut);
        close();
    });
}

Callback::~Callback() = default;

bool Callback::listen()
{
    // The loopback address only: nothing off this computer can reach the redirect.
    if (!server_->listen(QHostAddress::LocalHost, options_.port)) {
        Log::write(QStringLiteral("signin: loopback server did not start: ") + server_->errorString());
        return false;
    }
    port_ = server_->serverPort();
    connect(server_, &QTcpServer::newConnection, this, &Callback::accept);
    return true;
}

QString Callback::redirectUri() const
{
    return QStringLiteral("http://127.0.0.1:%1/callback").arg(port_);
}

QCoro::Task<QUrl> Callback::wait()
{
    // Keeps the server alive while this coroutine is suspended on it.
    const std::shared_ptr<Callback> self = shared_from_this();
    if (received_) {
        const QUrl redirect = *received_;
        received_.reset();
        co_return redirect;
    }
    if (closed_) {
        throw CallbackCancelled();
    }
    finishWaiter(Outcome::cancelled); // an older wait, if any
    Waiter waiter;
    waiter_ = &waiter;
    deadline_->start(int(std::min<qint64>(milliseconds(options_.waitSec), INT_MAX)));
    Waiter::Suspend suspend{&waiter};
    co_await suspend;
    switch (waiter.outcome) {
    case Outcome::redirect:
        co_return waiter.redirect;
    case Outcome::timedOut:
        throw SaveError::signIn;
    default:
        throw CallbackCancelled();
    }
}

QCoro::Task<QString> Callback::waitForCode(const QString &state)
{
    const QString expected = state;
    auto waiting = wait();
    const QUrl redirect = co_await waiting;
    const std::optional<QString> code = OAuth::code(redirect, expected);
    if (!code) {
        throw SaveError::signIn;
    }
    co_return *code;
}

void Callback::close()
{
    if (closed_) {
        return;
    }
    closed_ = true;
    server_->close();
    const QList<QTcpSocket *> unanswered = unanswered_.keys();
    for (QTcpSocket *socket : unanswered) {
        drop(socket);
    }
    finishWaiter(Outcome::cancelled);
}

void Callback::finishWaiter(Outcome outcome)
{
    deadline_->stop();
    if (!waiter_) {
        return;
    }
    Waiter *waiter = std::exchange(waiter_, nullptr);
    waiter->outcome = outcome;
    if (outcome == Outcome::redirect) {
        waiter->redirect = *std::exchange(received_, std::nullopt);
    }
    // Resumed from the event loop, so the waiting code never runs inside a socket's
    // handler (it may well close this server).
    const std::coroutine_handle<> handle = waiter->handle;
    if (handle) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [handle] { handle.resume(); },
                                  Qt::QueuedConnection);
    }
}

void Callback::accept()
{
    while (QTcpSocket *socket = server_->nextPendingConnection()) {
        if (closed_) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        dropOldestIfFull();
        unanswered_.insert(socket, Pending{{}, QDateTime::currentMSecsSinceEpoch()});
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        // A client that never finishes its request head is answered with what it sent,
        // or dropped when it sent nothing.
        QTimer::singleShot(milliseconds(options_.readLimitSec), socket, [this, socket] {
            const auto pending = unanswered_.constFind(socket);
            if (pending == unanswered_.cend()) {
                return;
            }
            if (pending->head.isEmpty()) {
                drop(socket);
            } else {
                answer(socket);
            }
        });
        read(socket); // bytes may already be waiting
    }
}

void Callback::read(QTcpSocket *socket)
{
    const auto pending = unanswered_.find(socket);
    if (pending == unanswered_.end()) {
        socket->readAll(); // already answered: ignore the rest
        return;
    }
    pending->head += socket->read(kMaxRequestBytes - pending->head.size());
    if (CallbackRequest::headComplete(pending->head) || pending->head.size() >= kMaxRequestBytes) {
        answer(socket);
    }
}

void Callback::answer(QTcpSocket *socket)
{
    const QByteArray head = unanswered_.take(socket).head;
    const CallbackRequest request = CallbackRequest::parse(head, port_);
    const QString language = CallbackPage::languageFor(request.requestedLanguage);
    socket->write(CallbackPage::response(CallbackPage::build(request.isRedirect, language)));
    socket->disconnectFromHost(); // after the reply has been written
    if (request.isRedirect) {
        deliver(request.url);
    }
}

void Callback::drop(QTcpSocket *socket)
{
    unanswered_.remove(socket);
    socket->abort();
    socket->deleteLater();
}

void Callback::dropOldestIfFull()
{
    if (unanswered_.size() < std::max(1, options_.maxConnections)) {
        return;
    }
    const auto oldest = std::min_element(unanswered_.cbegin(), unanswered_.cend(),
                                         [](const Pending &a, const Pending &b) { return a.openedAtMs < b.openedAtMs; });
    drop(oldest.key());
}

void Callback::deliver(const QUrl &redirect)
{
    if (closed_) {
        return;
    }
    received_ = redirect; // a later redirect replaces an earlier unclaimed one
    if (waiter_) {
        finishWaiter(Outcome::redirect);
    }
}

} // namespace murva
