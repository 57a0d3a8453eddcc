#pragma once

#include "accounts/SavedAccounts.h"
#include "api/Me.h"
#include "meetings/NextMeeting.h"
#include "meetings/RecentInfo.h"
#include "meetings/UpcomingMeeting.h"
#include "recordings/Recording.h"
#include "saving/Saver.h"
#include "saving/Upload.h"

#include <QCoroTask>
#include <QList>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace murva {

// What the recording flow needs of the accounts actor. `SignInAccounts` puts the real
// `SignIn` behind it. Every operation runs and resumes on the main thread.
class ModelAccounts {
public:
    virtual ~ModelAccounts() = default;

    virtual QCoro::Task<> load() = 0;
    virtual QList<AccountConnection> connections() const = 0;
    virtual std::optional<QString> activeId() const = 0;
    // The new account's identifier; throws when the sign-in did not complete.
    virtual QCoro::Task<QString> connect() = 0;
    virtual QCoro::Task<> remember(const Me &me, const QString &id) = 0;
    virtual QCoro::Task<> select(const QString &id) = 0;
    virtual QCoro::Task<> remove(const QString &id) = 0;
};

// The service, asked for one account: the identifier names whose token is used. An
// identifier that matches no account (none, or "gone") sends nothing and fails with
// SaveError::signIn. Every failure is thrown as a SaveError, except by `save`, which
// reports it in its outcome. `ServiceForAccounts` builds a `RecorderAPI` and a `Saver`
// for each call.
class ModelService {
public:
    virtual ~ModelService() = default;

    virtual QCoro::Task<Me> me(const std::optional<QString> &account) = 0;
    virtual QCoro::Task<std::optional<NextMeeting>> next(const std::optional<QString> &account) = 0;
    virtual QCoro::Task<std::optional<std::vector<UpcomingMeeting>>> upcoming(const std::optional<QString> &account,
                                                                              const SystemTime &until) = 0;
    virtual QCoro::Task<RecentInfo> recentInfo(const std::optional<QString> &account, const QStringList &meetingIds) = 0;
    virtual QCoro::Task<Saver::Outcome> save(const std::optional<QString> &account, const Recording &recording,
                                             const Upload::Progress &progress) = 0;
};

// Where the tray icon is, for the check that it can be seen.
struct TrayIconState {
    bool hidden = true;
    std::optional<QRect> frame; // in root coordinates; none when it has no place
};

} // namespace murva
