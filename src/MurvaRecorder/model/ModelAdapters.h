#pragma once

#include "model/ModelPorts.h"

#include <memory>

namespace murva {

class SignIn;
class RecordingStore;

// The accounts actor behind the flow's accounts port.
class SignInAccounts : public ModelAccounts {
public:
    explicit SignInAccounts(std::shared_ptr<SignIn> signIn) : signIn_(std::move(signIn)) {}

    QCoro::Task<> load() override;
    QList<AccountConnection> connections() const override;
    std::optional<QString> activeId() const override;
    QCoro::Task<QString> connect() override;
    QCoro::Task<> remember(const Me &me, const QString &id) override;
    QCoro::Task<> select(const QString &id) override;
    QCoro::Task<> remove(const QString &id) override;

private:
    std::shared_ptr<SignIn> signIn_;
};

// The service through `RecorderAPI` and `Saver`, with each account's own token. The
// store must outlive it; the accounts actor may go first, and a request that then needs
// a token fails.
class ServiceForAccounts : public ModelService {
public:
    ServiceForAccounts(std::weak_ptr<SignIn> signIn, RecordingStore &store) : signIn_(std::move(signIn)), store_(store) {}

    QCoro::Task<Me> me(const std::optional<QString> &account) override;
    QCoro::Task<std::optional<NextMeeting>> next(const std::optional<QString> &account) override;
    QCoro::Task<std::optional<std::vector<UpcomingMeeting>>> upcoming(const std::optional<QString> &account,
                                                                      const SystemTime &until) override;
    QCoro::Task<RecentInfo> recentInfo(const std::optional<QString> &account, const QStringList &meetingIds) override;
    QCoro::Task<Saver::Outcome> save(const std::optional<QString> &account, const Recording &recording,
                                     const Upload::Progress &progress) override;

    // The client of one account; an account that does not exist gets no token.
    RecorderAPI api(const std::optional<QString> &account) const;

private:
    std::weak_ptr<SignIn> signIn_;
    RecordingStore &store_;
};

} // namespace murva
