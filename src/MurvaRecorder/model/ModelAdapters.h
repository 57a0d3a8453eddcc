#pragma once

#include "model/ModelPorts.h"

namespace murva {

class SignIn;
class RecordingStore;

// The accounts actor behind the flow's accounts port.
class SignInAccounts : public ModelAccounts {
public:
    explicit SignInAccounts(SignIn &signIn) : signIn_(signIn) {}

    QCoro::Task<> load() override;
    QList<AccountConnection> connections() const override;
    std::optional<QString> activeId() const override;
    QCoro::Task<QString> connect() override;
    QCoro::Task<> remember(const Me &me, const QString &id) override;
    QCoro::Task<> select(const QString &id) override;
    QCoro::Task<> remove(const QString &id) override;

private:
    SignIn &signIn_;
};

// The service through `RecorderAPI` and `Saver`, with each account's own token. Both
// the accounts actor and the store must outlive it.
class ServiceForAccounts : public ModelService {
public:
    ServiceForAccounts(SignIn &signIn, RecordingStore &store) : signIn_(signIn), store_(store) {}

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
    SignIn &signIn_;
    RecordingStore &store_;
};

} // namespace murva
