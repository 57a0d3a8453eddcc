#pragma once

#include "../FakeSources.h"
#include "model/Model.h"

#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <coroutine>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <vector>

namespace murva::test {

// A clock that moves only when the test says so, firing due alarms in time order.
class FakeClock : public ModelClock {
public:
    explicit FakeClock(SystemTime start) : now_(start) {}

    SystemTime now() const override { return now_; }
    std::unique_ptr<ClockAlarm> after(double sec, std::function<void()> fire) override { return add(sec, 0, std::move(fire)); }
    std::unique_ptr<ClockAlarm> every(double sec, std::function<void()> fire) override { return add(sec, sec, std::move(fire)); }

    // Moves time forward, firing every alarm that falls due on the way.
    void advance(double sec)
    {
        const SystemTime target = now_ + span(sec);
        for (Entry *due = firstDue(target); due; due = firstDue(target)) {
            now_ = due->due;
            const std::function<void()> fire = due->fire;
            due->due += span(due->repeatSec);
            *due->alive = due->repeatSec > 0;
            fire();
        }
        now_ = target;
    }

    // Moves time without firing anything (a jump of the wall clock).
    void jump(double sec) { now_ += span(sec); }

private:
    struct Entry {
        SystemTime due;
        double repeatSec; // 0: fires once
        std::function<void()> fire;
        std::shared_ptr<bool> alive;
    };
    struct Handle : ClockAlarm {
        std::shared_ptr<bool> alive;
        ~Handle() override { *alive = false; }
    };

    static std::chrono::system_clock::duration span(double sec)
    {
        return std::chrono::duration_cast<std::chrono::system_clock::duration>(std::chrono::duration<double>(sec));
    }
    Entry *firstDue(SystemTime target)
    {
        Entry *due = nullptr;
        for (Entry &entry : entries_) {
            if (*entry.alive && entry.due <= target && (!due || entry.due < due->due)) {
                due = &entry;
            }
        }
        return due;
    }
    std::unique_ptr<ClockAlarm> add(double sec, double repeatSec, std::function<void()> fire)
    {
        auto handle = std::make_unique<Handle>();
        handle->alive = std::make_shared<bool>(true);
        entries_.push_back(Entry{now_ + span(sec), repeatSec, std::move(fire), handle->alive});
        return handle;
    }

    SystemTime now_;
    std::deque<Entry> entries_;
};

// Holds coroutines until the test opens it.
class Gate {
public:
    struct Waiter {
        Gate &gate;
        bool await_ready() const noexcept { return gate.open_; }
        void await_suspend(std::coroutine_handle<> waiting) { gate.waiting_.push_back(waiting); }
        void await_resume() noexcept {}
    };
    Waiter wait() { return Waiter{*this}; }
    void open()
    {
        open_ = true;
        auto waiting = std::move(waiting_);
        for (auto handle : waiting) {
            handle.resume();
        }
    }
    bool hasWaiters() const { return !waiting_.empty(); }

private:
    bool open_ = false;
    std::vector<std::coroutine_handle<>> waiting_;
};

// What one fake capture was told, and what its end reports.
struct CaptureScript {
    QString path;
    int ends = 0;
    std::vector<Aimed> aims;
    std::optional<Aimed> aimed;
    std::function<void()> onBroken;
    CaptureResult result{42, {}};
    std::optional<CaptureError> beginFailure;
    std::shared_ptr<Gate> endGate; // when set, end() waits for it
};

class FakeCapture : public RecordingCapture {
public:
    explicit FakeCapture(std::shared_ptr<CaptureScript> script) : script_(std::move(script)) {}

    void setOnBroken(std::function<void()> onBroken) override { script_->onBroken = std::move(onBroken); }
    void setDisplays(std::vector<ShareableDisplay>) override {}
    QCoro::Task<> begin(const CaptureTarget &target, const std::optional<RunningApplication> &) override
    {
        const std::shared_ptr<CaptureScript> script = script_;
        if (script->beginFailure) {
            throw *script->beginFailure;
        }
        script->aimed = Aimed::of(target);
        QFile file(script->path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QByteArray(1500, 'v'));
        }
        co_return;
    }
    void aim(const CaptureTarget &target, const std::optional<RunningApplication> &) override
    {
        script_->aims.push_back(Aimed::of(target));
        script_->aimed = Aimed::of(target);
    }
    std::optional<Aimed> aimed() const override { return script_->aimed; }
    QCoro::Task<CaptureResult> end() override
    {
        const std::shared_ptr<CaptureScript> script = script_;
        ++script->ends;
        if (script->endGate) {
            const std::shared_ptr<Gate> gate = script->endGate;
            auto waiting = gate->wait();
            co_await waiting;
        }
        CaptureResult result = script->result; // a copy: GCC 12 moves from a co_returned lvalue
        co_return result;
    }

private:
    std::shared_ptr<CaptureScript> script_;
};

class FakeAccounts : public ModelAccounts {
public:
    QList<AccountConnection> list;
    std::optional<QString> active;
    std::optional<QString> nextConnect; // the account a connect adds; none fails

    static AccountConnection account(const QString &id)
    {
        AccountConnection connection;
        connection.id = id;
        Me me;
        me.app = QStringLiteral("Murva ") + id;
        me.meetingsUrl = QUrl(QStringLiteral("https://app.example.com/meetings"));
        connection.me = me;
        return connection;
    }

    QCoro::Task<> load() override { co_return; }
    QList<AccountConnection> connections() const override { return list; }
    std::optional<QString> activeId() const override { return active; }
    std::deque<std::shared_ptr<Gate>> connectGates; // each connect waits for the next one, if any

    QCoro::Task<QString> connect() override
    {
        if (!connectGates.empty()) {
            const std::shared_ptr<Gate> gate = connectGates.front();
            connectGates.pop_front();
            auto waiting = gate->wait();
            co_await waiting;
        }
        if (!nextConnect) {
            throw SaveError::signIn;
        }
        list.push_back(account(*nextConnect));
        active = nextConnect;
        const QString id = *nextConnect;
        co_return id;
    }
    QCoro::Task<> remember(const Me &me, const QString &id) override
    {
        for (AccountConnection &connection : list) {
            if (connection.id == id) {
                connection.me = me;
            }
        }
        co_return;
    }
    QCoro::Task<> select(const QString &id) override
    {
        active = id;
        co_return;
    }
    QCoro::Task<> remove(const QString &id) override
    {
        list.removeIf([&](const AccountConnection &connection) { return connection.id == id; });
        if (active == id) {
            active = list.isEmpty() ? std::nullopt : std::optional(list.front().id);
        }
        co_return;
    }
};

class FakeService : public ModelService {
public:
    struct SaveCall {
        std::optional<QString> account;
        Recording recording;
    };
    std::vector<SaveCall> saves;
    std::deque<Saver::Outcome> outcomes; // default: saved as "meeting-N"
    std::vector<std::optional<QString>> nextAsks;
    std::map<QString, std::optional<NextMeeting>> nextByAccount;
    std::map<QString, std::shared_ptr<Gate>> nextGates;
    bool nextFails = false;
    int upcomingAsks = 0;
    int recentAsks = 0;
    RecentInfo recentAnswer;
    QString meLocale = QStringLiteral("en");
    std::shared_ptr<Gate> saveGate; // when set, a save reports 0.3 and waits for it

    QCoro::Task<Me> me(const std::optional<QString> &account) override
    {
        Me me;
        me.app = QStringLiteral("Murva ") + account.value_or(QString());
        me.locale = meLocale;
        me.meetingsUrl = QUrl(QStringLiteral("https://%1.example.com/meetings").arg(account.value_or(QString())));
        co_return me;
    }
    QCoro::Task<std::optional<NextMeeting>> next(const std::optional<QString> &accountArgument) override
    {
        const QString account = accountArgument.value_or(QString());
        nextAsks.push_back(accountArgument);
        if (auto gate = nextGates.find(account); gate != nextGates.end()) {
            const std::shared_ptr<Gate> held = gate->second;
            auto waiting = held->wait();
            co_await waiting;
        }
        if (nextFails) {
            throw SaveError::offline;
        }
        std::optional<NextMeeting> answer = nextByAccount[account];
        co_return answer;
    }
    QCoro::Task<std::optional<std::vector<UpcomingMeeting>>> upcoming(const std::optional<QString> &, const SystemTime &) override
    {
        ++upcomingAsks;
        throw SaveError::offline;
        co_return std::nullopt;
    }
    QCoro::Task<RecentInfo> recentInfo(const std::optional<QString> &, const QStringList &) override
    {
        ++recentAsks;
        RecentInfo answer = recentAnswer;
        co_return answer;
    }
    QCoro::Task<Saver::Outcome> save(const std::optional<QString> &account, const Recording &recording,
                                     const Upload::Progress &progress) override
    {
        saves.push_back({account, recording});
        if (saveGate) {
            progress(0.3);
            const std::shared_ptr<Gate> gate = saveGate;
            auto waiting = gate->wait();
            co_await waiting;
        }
        if (outcomes.empty()) {
            co_return Saver::Outcome::saved(QStringLiteral("meeting-%1").arg(saves.size()), std::nullopt);
        }
        const Saver::Outcome outcome = outcomes.front();
        outcomes.pop_front();
        co_return outcome;
    }
};

struct FakePermissions : Permissions {
    bool screen = true;
    bool microphoneAllowed() override { return true; }
    bool screenAllowed() override { return screen; }
    bool askForMicrophone() override { return true; }
};

struct FakeAutostart : Autostart {
    int registrations = 0;
    bool on = false;
    bool registered() override { return on; }
    bool registerAtLogin() override
    {
        ++registrations;
        on = true;
        return true;
    }
    bool unregisterAtLogin() override
    {
        on = false;
        return true;
    }
};

struct FakeBrowser : BrowserOpener {
    std::vector<QUrl> opened;
    bool open(const QUrl &address) override
    {
        opened.push_back(address);
        return true;
    }
};

// Runs on a worker thread of the model's.
struct FakeInspector : MediaInspector {
    std::map<QString, double> durations; // by file path; others cannot be opened
    // When set, each reading waits for it, up to a time limit that keeps a test from
    // hanging; `released` tells whether it came in time.
    std::shared_future<void> hold;
    mutable std::atomic<bool> released{true};

    std::optional<MediaFileInfo> inspect(const QString &path) const override
    {
        if (hold.valid()) {
            released = hold.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        }
        const auto found = durations.find(path);
        if (found == durations.end()) {
            return std::nullopt;
        }
        return MediaFileInfo{found->second, {}};
    }
};

// The model's parts made of the fakes above, kept at hand for the test to steer.
struct ModelRig {
    ModelParts parts()
    {
        ModelParts parts;
        parts.clock = clock;
        parts.makeCapture = [this](const QString &path, bool) -> std::unique_ptr<RecordingCapture> {
            auto script = std::make_shared<CaptureScript>();
            script->path = path;
            script->result = nextResult;
            script->endGate = nextEndGate;
            script->beginFailure = nextBeginFailure;
            captures.push_back(script);
            return std::make_unique<FakeCapture>(script);
        };
        parts.store = store;
        auto sounds = std::make_unique<FakeProcesses>();
        processes = sounds.get();
        parts.watcher = std::make_unique<CallWatcher>(std::move(sounds), screenAccess);
        parts.screen = screenAccess;
        watcher = parts.watcher.get();
        parts.checkScreen = checkScreen;
        parts.trayIcon = trayIcon;
        parts.tabAddresses = [this]() -> QCoro::Task<QStringList> { co_return tabs; };
        parts.accounts = accounts;
        parts.service = service;
        parts.permissions = permissions;
        parts.autostart = autostart;
        parts.browser = browser;
        parts.inspector = inspector;
        parts.arguments = arguments;
        return parts;
    }

    QTemporaryDir folder;
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>(timeFromMillisecondsSince1970(1.7e12));
    std::shared_ptr<RecordingStore> store =
        std::make_shared<RecordingStore>(folder.path(), [clock = clock] { return clock->now(); });
    std::shared_ptr<FakeAccounts> accounts = std::make_shared<FakeAccounts>();
    std::shared_ptr<FakeService> service = std::make_shared<FakeService>();
    std::shared_ptr<FakePermissions> permissions = std::make_shared<FakePermissions>();
    std::shared_ptr<FakeAutostart> autostart = std::make_shared<FakeAutostart>();
    std::shared_ptr<FakeBrowser> browser = std::make_shared<FakeBrowser>();
    std::shared_ptr<FakeInspector> inspector = std::make_shared<FakeInspector>();
    FakeProcesses *processes = nullptr;
    CallWatcher *watcher = nullptr;
    std::shared_ptr<ScreenAccess> screenAccess = std::make_shared<ScreenAccess>(); // no screen unless a test gives one
    std::function<QCoro::Task<bool>()> checkScreen;
    std::function<TrayIconState()> trayIcon;
    QStringList tabs;
    QStringList arguments;
    std::vector<std::shared_ptr<CaptureScript>> captures;
    CaptureResult nextResult{42, {}};
    std::shared_ptr<Gate> nextEndGate;
    std::optional<CaptureError> nextBeginFailure;
    std::unique_ptr<Model> model;
};

using NoProcesses = FakeProcesses; // the benchmarks' name

} // namespace murva::test
