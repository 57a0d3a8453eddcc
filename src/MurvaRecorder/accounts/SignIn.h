#pragma once

#include "accounts/Keychain.h"
#include "accounts/AsyncMutex.h"
#include "accounts/SavedAccounts.h"
#include "accounts/SharedOutcome.h"
#include "support/Lifetime.h"

#include <QCoroTask>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QNetworkAccessManager;

namespace murva {

class BrowserOpener;
class Callback;
struct Discovery;
struct Tokens;

// The user's connected accounts of the service, the active one, and their OAuth tokens,
// kept in one keychain item. Lives on the main thread for the whole run; every operation
// is called and resumes there. Changes reach the keychain one at a time, in order.
//
// A keychain that could not be read (locked, its service not up yet) is not an empty
// one: until a read succeeds, the item is never written or deleted. Changes made
// meanwhile stay in memory; the first change after a successful read joins them to the
// stored accounts, so signing in while the keyring is locked loses nothing.
//
// Destroying it ends a pending sign-in; operations still running end with
// SaveError::failed as soon as they resume, touching nothing of it.
class SignIn {
public:
    using Connection = AccountConnection;
    using Saved = SavedAccounts;
    using Legacy = LegacyAccount;
    using Clock = std::function<QDateTime()>;

    struct Options {
        Clock now;                                     // default: the system's UTC time
        std::chrono::milliseconds unreadableRetryDelay{1500};
        std::function<void()> activate;                // brings the app to the front
        QNetworkAccessManager *network = nullptr;      // default: the shared one
        std::optional<QString> clientName;             // default: the text "clientName"
        double browserWaitSec = 600;                   // how long the browser may take
    };

    SignIn(const QUrl &apiBase, Keychain &keychain, BrowserOpener &browser);
    SignIn(const QUrl &apiBase, Keychain &keychain, BrowserOpener &browser, const Options &options);
    ~SignIn();
    SignIn(const SignIn &) = delete;
    SignIn &operator=(const SignIn &) = delete;

    // Reads the stored accounts; when the keychain cannot be read, tries once more after
    // a short delay and otherwise starts with none. Every other operation waits for it.
    QCoro::Task<> load();

    const QUrl &apiBase() const { return apiBase_; }
    const Saved &saved() const { return saved_; }
    const QList<Connection> &connections() const { return saved_.connections; }
    std::optional<QString> activeId() const { return saved_.active; }
    // Whether the keychain item has been read successfully (or found missing).
    bool hasReadKeychain() const { return hasRead_; }

    // Signs in one more account through the browser; the new account's id. Fails with
    // SaveError::failed or SaveError::signIn, or passes network errors on. A second
    // connect cancels the first one, which fails with CallbackCancelled.
    QCoro::Task<QString> connect();

    // Stores who an account belongs to; older accounts of the same person and app go.
    QCoro::Task<> remember(const Me &me, const QString &id);
    QCoro::Task<> select(const QString &id);
    QCoro::Task<> remove(const QString &id);

    // A valid access token, refreshed when expired (one refresh per account at a time,
    // shared by every caller); nothing when no account has that id or the service
    // refused its refresh token (the account is then removed).
    QCoro::Task<std::optional<QString>> accessToken(const QString &id);

private:
    using RefreshOutcome = SharedOutcome<std::optional<QString>>;

    static void throwIfGone(const Lifetime::Watch &alive);

    // One change at a time: takes the lock, loads, applies `edit` and stores the
    // accounts when it returns true.
    QCoro::Task<> change(const std::function<bool()> &edit);

    // These run while the caller holds `changes_`.
    QCoro::Task<> loadHoldingLock();
    QCoro::Task<> persistHoldingLock();
    QCoro::Task<bool> catchUpWithKeychain();

    QCoro::Task<> ensureLoaded();
    QCoro::Task<KeychainRead> readWithRetry();
    QCoro::Task<QString> signInThroughBrowser(const std::shared_ptr<Callback> &server,
                                              const Discovery &discovery);
    QCoro::Task<QString> addConnection(const QString &clientId, const Tokens &tokens);
    QCoro::Task<std::optional<QString>> refresh(const QString &id);
    void dropDuplicatesOf(const QString &id);
    void removeFromMemory(const QString &id);
    void finishAttempt(const std::shared_ptr<Callback> &server);
    QDateTime now() const;

    QUrl apiBase_;
    Keychain &keychain_;
    BrowserOpener &browser_;
    Options options_;
    QNetworkAccessManager *network_ = nullptr;

    Saved saved_;
    bool loaded_ = false;
    bool hasRead_ = false;
    bool toldUnreadable_ = false;
    std::shared_ptr<AsyncMutex> changes_ = std::make_shared<AsyncMutex>();
    std::map<QString, std::shared_ptr<RefreshOutcome>> refreshing_;
    std::shared_ptr<Callback> pending_;
    Lifetime lifetime_; // last: gone first
};

} // namespace murva
