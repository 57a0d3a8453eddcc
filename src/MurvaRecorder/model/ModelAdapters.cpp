#include "model/ModelAdapters.h"

#include "accounts/SignIn.h"
#include "api/SaveError.h"
#include "recordings/RecordingStore.h"

namespace murva {

namespace {

// Holds the accounts actor for as long as it is asked.
QCoro::Task<std::optional<QString>> tokenOf(const std::weak_ptr<SignIn> &accounts,
                                            const std::optional<QString> &accountArgument)
{
    const std::optional<QString> account = accountArgument;
    const std::shared_ptr<SignIn> signIn = accounts.lock();
    if (!account) {
        co_return std::nullopt;
    }
    if (!signIn) {
        throw SaveError::failed;
    }
    auto asking = signIn->accessToken(*account);
    co_return co_await asking;
}

} // namespace

QCoro::Task<> SignInAccounts::load()
{
    return signIn_->load();
}

QList<AccountConnection> SignInAccounts::connections() const
{
    return signIn_->connections();
}

std::optional<QString> SignInAccounts::activeId() const
{
    return signIn_->activeId();
}

QCoro::Task<QString> SignInAccounts::connect()
{
    return signIn_->connect();
}

QCoro::Task<> SignInAccounts::remember(const Me &me, const QString &id)
{
    return signIn_->remember(me, id);
}

QCoro::Task<> SignInAccounts::select(const QString &id)
{
    return signIn_->select(id);
}

QCoro::Task<> SignInAccounts::remove(const QString &id)
{
    return signIn_->remove(id);
}

RecorderAPI ServiceForAccounts::api(const std::optional<QString> &account) const
{
    const std::shared_ptr<SignIn> signIn = signIn_.lock();
    const QUrl base = signIn ? signIn->apiBase() : QUrl();
    return RecorderAPI(base, [accounts = signIn_, account] { return tokenOf(accounts, account); });
}

// The client copies itself before its first wait, so a temporary one is safe.
QCoro::Task<Me> ServiceForAccounts::me(const std::optional<QString> &account)
{
    return api(account).me();
}

QCoro::Task<std::optional<NextMeeting>> ServiceForAccounts::next(const std::optional<QString> &account)
{
    return api(account).next();
}

QCoro::Task<std::optional<std::vector<UpcomingMeeting>>> ServiceForAccounts::upcoming(
    const std::optional<QString> &account, const SystemTime &until)
{
    return api(account).upcoming(until);
}

QCoro::Task<RecentInfo> ServiceForAccounts::recentInfo(const std::optional<QString> &account,
                                                       const QStringList &meetingIds)
{
    return api(account).recentInfo(meetingIds);
}

QCoro::Task<Saver::Outcome> ServiceForAccounts::save(const std::optional<QString> &accountArgument,
                                                     const Recording &recordingArgument,
                                                     const Upload::Progress &progressArgument)
{
    const Recording recording = recordingArgument;
    const Upload::Progress progress = progressArgument;
    // The saver lives in this frame for the whole save.
    const Saver saver(api(accountArgument), store_);
    auto saving = saver.save(recording, progress);
    co_return co_await saving;
}

} // namespace murva
