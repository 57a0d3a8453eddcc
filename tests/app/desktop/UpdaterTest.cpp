// Restarting into an update: only while the recorder is free, at most once, and never
// into a build that does not start.

#include "update/UpdateSource.h"
#include "update/Updater.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace murva {
namespace {

class FakeUpdates : public UpdateSource {
public:
    bool starts = true;
    int restarts = 0;
    void start() override {}
    QCoro::Task<bool> newestStarts() override { co_return starts; }
    bool restartIntoNewest() override
    {
        ++restarts;
        return true;
    }
};

struct UpdateRun {
    FakeUpdates updates;
    ModelPhase phase;
    int quits = 0;
    Updater updater{updates, [this] { return phase; }, [this] { ++quits; }};

    void publish(const ModelPhase &next)
    {
        phase = next;
        updater.installIfFree(next);
        QCoreApplication::processEvents();
    }
    void announce(const QString &version)
    {
        emit updates.ready(version);
        QCoreApplication::processEvents();
    }
};

TEST(Updater, RestartsOnlyOnceTheRecorderIsFree)
{
    const ModelPhase busy[] = {ModelPhase::asking(Call{CallApp::other, std::nullopt, true, AudioOwner::browser()}), ModelPhase::recording({}), ModelPhase::saving(0.5)};
    const ModelPhase free[] = {ModelPhase::saved(QStringLiteral("m"), 3), ModelPhase::failed(QStringLiteral("r"), {}),
                               ModelPhase::idle()};
    for (const ModelPhase &during : busy) {
        for (const ModelPhase &after : free) {
            UpdateRun run;
            run.publish(during);
            run.announce(QStringLiteral("0.2.0"));
            run.announce(QStringLiteral("0.3.0"));
            EXPECT_EQ(run.updates.restarts, 0) << ModelPhase::name(during.kind()).toStdString();
            run.publish(after);
            run.publish(ModelPhase::idle());
            EXPECT_EQ(run.updates.restarts, 1) << ModelPhase::name(after.kind()).toStdString();
            EXPECT_EQ(run.quits, 1);
        }
    }
}

TEST(Updater, NeverSwitchesToABuildThatDoesNotStart)
{
    UpdateRun run;
    run.updates.starts = false;
    run.announce(QStringLiteral("0.2.0"));
    run.publish(ModelPhase::idle());
    EXPECT_EQ(run.updates.restarts, 0);
    EXPECT_EQ(run.quits, 0);

    run.updates.starts = true;
    run.announce(QStringLiteral("0.2.1"));
    EXPECT_EQ(run.updates.restarts, 1) << "a free recorder restarts at once";
}

} // namespace
} // namespace murva
