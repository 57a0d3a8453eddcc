#include "accounts/SignIn.h"

#include "api/SaveError.h"
#include "api/SharedNetwork.h"
#include "callback/Callback.h"
#include "desktop/BrowserOpener.h"
#include "log/Log.h"
#include "oauth/OAuth.h"
#include "oauth/OAuthRequests.h"
#include "settings/Language.h"

#include <QCoroTimer>
#include <QSet>
#include <QUuid>

#include <exception>

namespace murva {

SignIn::SignIn(const QUrl &apiBase, Keychain &keychain, BrowserOpener &browser)
    : SignIn(apiBase, keychain, browser, Options{})
{
}

SignIn::SignIn(const QUrl &apiBase, Keychain &keychain, BrowserOpener &browser, const Options &options)
    : apiBase_(apiBase), keychain_(keychain), browser_(browser), options_(options),
      network_(options.network != nullptr ? options.network : &sharedNetwork())
{
}

SignIn::~SignIn()
{
    if (pending_) {
        pending_->close();
    }
}

QDateTime SignIn::now() const
{
    return options_.now ? options_.now() : QDateTime::currentDateTimeUtc();
}

// Loading and persisting ----------------------------------------------------------------

// A resumed coroutine whose SignIn has gone ends here, touching nothing of it.
void SignIn::throwIfGone(const Lifetime::Watch &alive)
{
    if (!alive) {
        throw SaveError::failed;
    }
}

QCoro::Task<> SignIn::load()
{
    return change([] { return false; });
}

QCoro::Task<> SignIn::ensureLoaded()
{
    if (loaded_) {
        co_return;
    }
    auto loading = load();
    co_await loading;
}

QCoro::Task<> SignIn::change(const std::function<bool()> &edit)
{
    const std::function<bool()> apply = edit;
    const Lifetime::Watch alive = lifetime_.watch();
    // The lock outlives this SignIn for as long as a change holds or awaits it.
    const std::shared_ptr<AsyncMutex> changes = changes_;
    auto locking = changes->lock();
    AsyncMutex::Guard guard = co_await locking;
    throwIfGone(alive);
    auto loading = loadHoldingLock();
    co_await loading;
    throwIfGone(alive);
    if (!apply()) {
        co_return;
    }
    auto persisting = persistHoldingLock();
    co_await persisting;
}

QCoro::Task<KeychainRead> SignIn::readWithRetry()
{
    const Lifetime::Watch alive = lifetime_.watch();
    auto reading = keychain_.read();
    KeychainRead read = co_await reading;
    if (read.outcome != KeychainRead::Outcome::unreadable) {
        co_return read;
    }
    throwIfGone(alive);
    // A secret service that is still starting with the session answers a moment later.
    Log::write(QStringLiteral("accounts: keychain could not be read, trying again"));
    auto sleeping = QCoro::sleepFor(options_.unreadableRetryDelay);
    co_await sleeping;
    throwIfGone(alive);
    auto readingAgain = keychain_.read();
    co_return co_await readingAgain;
}

QCoro::Task<> SignIn::loadHoldingLock()
{
    if (loaded_) {
        co_return;
    }
    const Lifetime::Watch alive = lifetime_.watch();
    auto reading = readWithRetry();
    const KeychainRead read = co_await reading;
    throwIfGone(alive);
    loaded_ = true;
    switch (read.outcome) {
    case KeychainRead::Outcome::unreadable:
        Log::write(QStringLiteral("accounts: keychain could not be read; no accounts until it can"));
        toldUnreadable_ = true;
        co_return;
    case KeychainRead::Outcome::noItem:
        hasRead_ = true;
        co_return;
    case KeychainRead::Outcome::found:
        hasRead_ = true;
        break;
    }
    if (std::optional<Saved> stored = AccountsFormat::decode(read.data)) {
        saved_ = *stored;
    } else {
        Log::write(QStringLiteral("accounts: stored accounts unreadable, starting with none"));
    }
}

// After a failed first read the item may hold accounts this process never saw; they are
// taken in before anything is written, so that nothing stored is lost.
QCoro::Task<bool> SignIn::catchUpWithKeychain()
{
    const Lifetime::Watch alive = lifetime_.watch();
    auto reading = keychain_.read();
    const KeychainRead read = co_await reading;
    throwIfGone(alive);
    if (read.outcome == KeychainRead::Outcome::unreadable) {
        co_return false;
    }
    hasRead_ = true;
    const std::optional<Saved> stored = read.outcome == KeychainRead::Outcome::found
                                            ? AccountsFormat::decode(read.data)
                                            : std::nullopt;
    if (stored) {
        QList<Connection> merged;
        for (const Connection &connection : stored->connections) {
            if (saved_.find(connection.id) == nullptr) {
                merged.append(connection);
            }
        }
        const QList<Connection> madeMeanwhile = saved_.connections;
        saved_.connections = merged + madeMeanwhile;
        if (!saved_.active) {
            saved_.active = stored->active;
        }
        for (const Connection &connection : madeMeanwhile) {
            dropDuplicatesOf(connection.id);
        }
    }
    Log::write(QStringLiteral("accounts: keychain readable again"));
    co_return true;
}

// Only logs after its last wait, so it needs no check of its own there.
QCoro::Task<> SignIn::persistHoldingLock()
{
    if (!hasRead_) {
        const Lifetime::Watch alive = lifetime_.watch();
        auto catchingUp = catchUpWithKeychain();
        const bool caughtUp = co_await catchingUp;
        throwIfGone(alive);
        if (!caughtUp) {
            if (!toldUnreadable_) {
                Log::write(QStringLiteral("accounts: keychain could not be read; changes kept in memory"));
                toldUnreadable_ = true;
            }
            co_return;
        }
    }
    if (saved_.connections.isEmpty()) {
        auto removing = keychain_.remove();
        if (!co_await removing) {
            Log::write(QStringLiteral("accounts: keychain item could not be deleted"));
        }
        co_return;
    }
    auto writing = keychain_.write(AccountsFormat::encode(saved_));
    if (!co_await writing) {
        Log::write(QStringLiteral("accounts: keychain item could not be written"));
    }
}

// Changes -----------------------------------------------------------------------------------

QCoro::Task<> SignIn::remember(const Me &me, const QString &id)
{
    return change([this, me, id] {
        Connection *connection = saved_.find(id);
        if (connection == nullptr) {
            return false;
        }
        connection->me = me;
        dropDuplicatesOf(id);
        return true;
    });
}

QCoro::Task<> SignIn::select(const QString &id)
{
    return change([this, id] {
        if (saved_.find(id) == nullptr) {
            return false;
        }
        saved_.active = id;
        return true;
    });
}

// The same person and app connected again: only the connection `id` stays, and takes
// over as the active one.
void SignIn::dropDuplicatesOf(const QString &id)
{
    const Connection *kept = saved_.find(id);
    if (kept == nullptr || !kept->me) {
        return;
    }
    const Me who = *kept->me;
    QSet<QString> duplicates;
    for (const Connection &other : std::as_const(saved_.connections)) {
        if (other.id != id && other.me && other.me->app == who.app && other.me->email == who.email) {
            duplicates.insert(other.id);
        }
    }
    saved_.connections.removeIf([&](const Connection &c) { return duplicates.contains(c.id); });
    if (saved_.active && duplicates.contains(*saved_.active)) {
        saved_.active = id;
    }
}

void SignIn::removeFromMemory(const QString &id)
{
    saved_.connections.removeIf([&](const Connection &c) { return c.id == id; });
    if (saved_.active == id) {
        saved_.active = saved_.connections.isEmpty() ? std::nullopt
                                                     : std::optional<QString>(saved_.connections.first().id);
    }
}

QCoro::Task<> SignIn::remove(const QString &id)
{
    return change([this, id] {
        removeFromMemory(id);
        return true;
    });
}

QCoro::Task<QString> SignIn::addConnection(const QString &clientId, const Tokens &tokens)
{
    const Connection connection{QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(), clientId, tokens,
                                std::nullopt};
    auto adding = change([this, connection] {
        saved_.connections.append(connection);
        saved_.active = connection.id;
        return true;
    });
    co_await adding;
    co_return connection.id;
}

// Connecting ---------------------------------------------------------------------------

QCoro::Task<QString> SignIn::connect()
{
    const Lifetime::Watch alive = lifetime_.watch();
    auto discovering = OAuth::fetchDiscovery(*network_, apiBase_);
    const Discovery discovery = co_await discovering;
    throwIfGone(alive);
    Callback::Options serverOptions;
    serverOptions.waitSec = options_.browserWaitSec;
    auto opening = Callback::open(serverOptions);
    const std::shared_ptr<Callback> server = co_await opening;
    if (!alive) {
        server->close();
        throw SaveError::failed;
    }
    if (pending_) {
        Log::write(QStringLiteral("sign-in: an earlier attempt was cancelled"));
        pending_->close();
    }
    pending_ = server;

    QString id;
    std::exception_ptr failure;
    try {
        auto signingIn = signInThroughBrowser(server, discovery);
        id = co_await signingIn;
    } catch (...) {
        failure = std::current_exception();
    }
    if (alive) {
        finishAttempt(server);
    } else {
        server->close();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    co_return id;
}

QCoro::Task<QString> SignIn::signInThroughBrowser(const std::shared_ptr<Callback> &server,
                                                  const Discovery &discovery)
{
    const Lifetime::Watch alive = lifetime_.watch();
    const std::shared_ptr<Callback> callback = server;
    const Discovery endpoints = discovery;
    const QString redirectUri = callback->redirectUri();
    const QString clientName = options_.clientName.value_or(Language::text(QStringLiteral("clientName")));
    auto registering = OAuth::registerClient(*network_, endpoints, clientName, redirectUri);
    const QString clientId = co_await registering;
    throwIfGone(alive);

    const QString verifier = OAuth::randomToken(32);
    const QString state = OAuth::randomToken(16);
    const QUrl address = OAuth::authorizeURL(endpoints, clientId, redirectUri, OAuth::challenge(verifier), state);
    if (!browser_.open(address)) {
        Log::write(QStringLiteral("sign-in: no browser could be started"));
        throw SaveError::failed;
    }
    auto waiting = callback->waitForCode(state);
    const QString code = co_await waiting;
    throwIfGone(alive);

    auto exchanging = OAuth::exchangeCode(*network_, endpoints, code, verifier, redirectUri, clientId);
    const OAuth::TokenReply reply = co_await exchanging;
    throwIfGone(alive);
    const std::optional<Tokens> tokens = OAuth::tokens(reply.body, now());
    if (!tokens) {
        Log::write(QStringLiteral("sign-in: code exchange refused (status %1)").arg(reply.status));
        throw SaveError::signIn;
    }
    auto adding = addConnection(clientId, *tokens);
    const QString id = co_await adding;
    throwIfGone(alive);
    Log::write(QStringLiteral("sign-in: connected account ") + id);
    if (options_.activate) {
        options_.activate();
    }
    co_return id;
}

void SignIn::finishAttempt(const std::shared_ptr<Callback> &server)
{
    server->close();
    if (pending_ == server) {
        pending_.reset();
    }
}

// Tokens -------------------------------------------------------------------------------

QCoro::Task<std::optional<QString>> SignIn::accessToken(const QString &id)
{
    const QString wanted = id;
    const Lifetime::Watch alive = lifetime_.watch();
    auto loading = ensureLoaded();
    co_await loading;
    throwIfGone(alive);
    const Connection *connection = saved_.find(wanted);
    if (connection == nullptr) {
        co_return std::nullopt;
    }
    if (!connection->tokens.expired(now())) {
        co_return connection->tokens.accessToken;
    }
    if (auto running = refreshing_.find(wanted); running != refreshing_.end()) {
        const std::shared_ptr<RefreshOutcome> outcome = running->second;
        auto waiting = outcome->wait();
        co_return co_await waiting;
    }

    const auto outcome = std::make_shared<RefreshOutcome>();
    refreshing_[wanted] = outcome;
    std::optional<QString> token;
    std::exception_ptr failure;
    try {
        auto refreshing = refresh(wanted);
        token = co_await refreshing;
    } catch (...) {
        failure = std::current_exception();
    }
    if (alive) {
        refreshing_.erase(wanted);
    }
    if (failure) {
        outcome->fail(failure);
        std::rethrow_exception(failure);
    }
    outcome->succeed(token);
    co_return token;
}

QCoro::Task<std::optional<QString>> SignIn::refresh(const QString &id)
{
    const QString wanted = id;
    const Lifetime::Watch alive = lifetime_.watch();
    auto discovering = OAuth::fetchDiscovery(*network_, apiBase_);
    const Discovery discovery = co_await discovering;
    throwIfGone(alive);
    const Connection *connection = saved_.find(wanted);
    if (connection == nullptr) {
        co_return std::nullopt; // removed while the discovery ran
    }
    const QString refreshToken = connection->tokens.refreshToken;
    const QString clientId = connection->clientId;
    auto refreshing = OAuth::refresh(*network_, discovery, refreshToken, clientId);
    const OAuth::TokenReply reply = co_await refreshing;
    throwIfGone(alive);

    std::optional<QString> token;
    auto storing = change([this, wanted, &reply, &token] {
        if (OAuth::refusedRefresh(reply.status)) {
            Log::write(QStringLiteral("accounts: refresh refused (status %1), account %2 removed")
                           .arg(reply.status)
                           .arg(wanted));
            removeFromMemory(wanted);
            return true;
        }
        const std::optional<Tokens> tokens = OAuth::tokens(reply.body, now());
        if (!tokens) {
            Log::write(QStringLiteral("accounts: refresh failed (status %1)").arg(reply.status));
            throw SaveError::failed;
        }
        token = tokens->accessToken;
        Connection *current = saved_.find(wanted);
        if (current != nullptr) {
            current->tokens = *tokens;
        }
        return current != nullptr;
    });
    co_await storing;
    co_return token;
}

} // namespace murva
