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

QCoro::Task<> SignIn::load()
{
    auto locking = changes_.lock();
    AsyncMutex::Guard guard = co_await locking;
    auto loading = loadHoldingLock();
    co_await loading;
}

QCoro::Task<> SignIn::ensureLoaded()
{
    if (loaded_) {
        co_return;
    }
    auto loading = load();
    co_await loading;
}

QCoro::Task<KeychainRead> SignIn::readWithRetry()
{
    auto reading = keychain_.read();
    KeychainRead read = co_await reading;
    if (read.outcome != KeychainRead::Outcome::unreadable) {
        co_return read;
    }
    // A secret service that is still starting with the session answers a moment later.
    Log::write(QStringLiteral("accounts: keychain could not be read, trying again"));
    auto sleeping = QCoro::sleepFor(options_.unreadableRetryDelay);
    co_await sleeping;
    auto readingAgain = keychain_.read();
    co_return co_await readingAgain;
}

QCoro::Task<> SignIn::loadHoldingLock()
{
    if (loaded_) {
        co_return;
    }
    auto reading = readWithRetry();
    const KeychainRead read = co_await reading;
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
    auto reading = keychain_.read();
    const KeychainRead read = co_await reading;
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

QCoro::Task<> SignIn::persistHoldingLock()
{
    if (!hasRead_) {
        auto catchingUp = catchUpWithKeychain();
        if (!co_await catchingUp) {
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
    const Me who = me;
    const QString wanted = id;
    auto locking = changes_.lock();
    AsyncMutex::Guard guard = co_await locking;
    auto loading = loadHoldingLock();
    co_await loading;
    Connection *connection = saved_.find(wanted);
    if (connection == nullptr) {
        co_return;
    }
    connection->me = who;
    dropDuplicatesOf(wanted);
    auto persisting = persistHoldingLock();
    co_await persisting;
}

QCoro::Task<> SignIn::select(const QString &id)
{
    const QString wanted = id;
    auto locking = changes_.lock();
    AsyncMutex::Guard guard = co_await locking;
    auto loading = loadHoldingLock();
    co_await loading;
    if (saved_.find(wanted) == nullptr) {
        co_return;
    }
    saved_.active = wanted;
    auto persisting = persistHoldingLock();
    co_await persisting;
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
    const QString wanted = id;
    auto locking = changes_.lock();
    AsyncMutex::Guard guard = co_await locking;
    auto loading = loadHoldingLock();
    co_await loading;
    removeFromMemory(wanted);
    auto persisting = persistHoldingLock();
    co_await persisting;
}

QCoro::Task<QString> SignIn::addConnection(const QString &clientId, const Tokens &tokens)
{
    Connection connection{QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(), clientId, tokens,
                          std::nullopt};
    auto locking = changes_.lock();
    AsyncMutex::Guard guard = co_await locking;
    auto loading = loadHoldingLock();
    co_await loading;
    saved_.connections.append(connection);
    saved_.active = connection.id;
    auto persisting = persistHoldingLock();
    co_await persisting;
    co_return connection.id;
}

// Connecting ---------------------------------------------------------------------------

QCoro::Task<QString> SignIn::connect()
{
    auto discovering = OAuth::fetchDiscovery(*network_, apiBase_);
    const Discovery discovery = co_await discovering;
    Callback::Options serverOptions;
    serverOptions.waitSec = options_.browserWaitSec;
    auto opening = Callback::open(serverOptions);
    const std::shared_ptr<Callback> server = co_await opening;
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
    finishAttempt(server);
    if (failure) {
        std::rethrow_exception(failure);
    }
    co_return id;
}

QCoro::Task<QString> SignIn::signInThroughBrowser(const std::shared_ptr<Callback> &server,
                                                  const Discovery &discovery)
{
    const std::shared_ptr<Callback> callback = server;
    const Discovery endpoints = discovery;
    const QString redirectUri = callback->redirectUri();
    const QString clientName = options_.clientName.value_or(Language::text(QStringLiteral("clientName")));
    auto registering = OAuth::registerClient(*network_, endpoints, clientName, redirectUri);
    const QString clientId = co_await registering;

    const QString verifier = OAuth::randomToken(32);
    const QString state = OAuth::randomToken(16);
    const QUrl address = OAuth::authorizeURL(endpoints, clientId, redirectUri, OAuth::challenge(verifier), state);
    if (!browser_.open(address)) {
        Log::write(QStringLiteral("sign-in: no browser could be started"));
        throw SaveError::failed;
    }
    auto waiting = callback->waitForCode(state);
    const QString code = co_await waiting;

    auto exchanging = OAuth::exchangeCode(*network_, endpoints, code, verifier, redirectUri, clientId);
    const OAuth::TokenReply reply = co_await exchanging;
    const std::optional<Tokens> tokens = OAuth::tokens(reply.body, now());
    if (!tokens) {
        Log::write(QStringLiteral("sign-in: code exchange refused (status %1)").arg(reply.status));
        throw SaveError::signIn;
    }
    auto adding = addConnection(clientId, *tokens);
    const QString id = co_await adding;
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
    auto loading = ensureLoaded();
    co_await loading;
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
    refreshing_.erase(wanted);
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
    auto discovering = OAuth::fetchDiscovery(*network_, apiBase_);
    const Discovery discovery = co_await discovering;
    const Connection *connection = saved_.find(wanted);
    if (connection == nullptr) {
        co_return std::nullopt; // removed while the discovery ran
    }
    const QString refreshToken = connection->tokens.refreshToken;
    const QString clientId = connection->clientId;
    auto refreshing = OAuth::refresh(*network_, discovery, refreshToken, clientId);
    const OAuth::TokenReply reply = co_await refreshing;

    auto locking = changes_.lock();
    AsyncMutex::Guard guard = co_await locking;
    if (OAuth::refusedRefresh(reply.status)) {
        Log::write(QStringLiteral("accounts: refresh refused (status %1), account %2 removed")
                       .arg(reply.status)
                       .arg(wanted));
        removeFromMemory(wanted);
        auto persisting = persistHoldingLock();
        co_await persisting;
        co_return std::nullopt;
    }
    const std::optional<Tokens> tokens = OAuth::tokens(reply.body, now());
    if (!tokens) {
        Log::write(QStringLiteral("accounts: refresh failed (status %1)").arg(reply.status));
        throw SaveError::failed;
    }
    if (Connection *current = saved_.find(wanted)) {
        current->tokens = *tokens;
        auto persisting = persistHoldingLock();
        co_await persisting;
    }
    co_return tokens->accessToken;
}

} // namespace murva
