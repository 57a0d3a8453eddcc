#include "calls/CallWatch.h"

#include <gtest/gtest.h>

#include <ostream>

namespace murva {

// Readable failures instead of byte dumps.
void PrintTo(const Call &call, std::ostream *os)
{
    *os << rawValue(call.app).toStdString() << (call.sure ? " sure" : " unsure") << " by "
        << (call.owner.isBrowser() ? "browser" : rawValue(*call.owner.callApp()).toStdString())
        << (call.joinUrl ? " at " + call.joinUrl->toString().toStdString() : std::string());
}

void PrintTo(const CallEvent &event, std::ostream *os)
{
    const char *kinds[] = {"started", "changed", "ended"};
    *os << kinds[static_cast<int>(event.kind())];
    if (event.call()) {
        *os << " ";
        PrintTo(*event.call(), os);
    }
}

namespace {

using namespace std::chrono_literals;

const AudioOwner zoom = AudioOwner::app(CallApp::zoom);
const AudioOwner teams = AudioOwner::app(CallApp::teams);
const AudioOwner browser = AudioOwner::browser();
const QUrl meetUrl(QStringLiteral("https://meet.google.com/abc-defg-hij"));
const CallPage meetWithUrl{CallApp::meet, meetUrl};
const CallPage meetWithoutUrl{CallApp::meet, std::nullopt};
const Snapshot silence{};
const Snapshot browserSoundOnly{{}, {browser}, std::nullopt}; // no microphone, no call page

// Observations at whole or fractional seconds from an arbitrary start.
class Watch {
public:
    std::optional<CallEvent> at(double seconds, const Snapshot &snapshot)
    {
        const auto offset = std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::duration<double>(seconds));
        return watch.observe(snapshot, start + offset);
    }
    CallWatch watch;

private:
    const CallWatch::Time start = CallWatch::Time() + 1000h;
};

TEST(CallIn, OnlyMicrophoneUseStartsACallAndTheEarliestAppWins)
{
    EXPECT_EQ(CallWatch::call({{teams, zoom, browser}, {}, meetWithUrl}),
              (Call{CallApp::zoom, std::nullopt, true, zoom}));
    EXPECT_EQ(CallWatch::call({{browser}, {}, meetWithUrl}), (Call{CallApp::meet, meetUrl, true, browser}));
    EXPECT_EQ(CallWatch::call({{browser}, {zoom}, std::nullopt}),
              (Call{CallApp::other, std::nullopt, false, browser}));
    EXPECT_EQ(CallWatch::call({{}, {zoom, browser}, meetWithUrl}), std::nullopt);
}

TEST(CallWatch, NativeCallEndsAtExactlyFiveQuietSeconds)
{
    Watch w;
    EXPECT_EQ(w.at(0, {{zoom}, {}, {}}), CallEvent::started({CallApp::zoom, std::nullopt, true, zoom}));
    EXPECT_EQ(w.at(1, {{}, {zoom}, {}}), std::nullopt); // sound alone keeps it going
    EXPECT_EQ(w.at(2, silence), std::nullopt);
    EXPECT_EQ(w.at(6.999, silence), std::nullopt);
    EXPECT_EQ(w.at(7, silence), CallEvent::ended());
    EXPECT_EQ(w.watch.current(), std::nullopt);
}

TEST(CallWatch, ActivityInTheMiddleRestartsTheQuietStretch)
{
    Watch w;
    w.at(0, {{zoom}, {}, {}});
    w.at(1, silence);
    w.at(4, {{}, {zoom}, {}});
    EXPECT_EQ(w.at(5, silence), std::nullopt);
    EXPECT_EQ(w.at(9.5, silence), std::nullopt);
    EXPECT_EQ(w.at(10, silence), CallEvent::ended());
}

TEST(CallWatch, BrowserPlayingSoundWithoutPageGetsTwoMinutesOfGrace)
{
    Watch w;
    w.at(0, {{browser}, {}, meetWithUrl});
    EXPECT_EQ(w.at(10, browserSoundOnly), std::nullopt);
    EXPECT_EQ(w.at(129.9, browserSoundOnly), std::nullopt);
    EXPECT_EQ(w.at(130, browserSoundOnly), CallEvent::ended());

    Watch withPage;
    withPage.at(0, {{browser}, {}, meetWithUrl});
    for (double t : {10.0, 200.0, 5000.0})
        EXPECT_EQ(withPage.at(t, {{}, {browser}, meetWithoutUrl}), std::nullopt);
}

TEST(CallWatch, QuietStretchOutlivesAChangeOfLimit)
{
    Watch w;
    w.at(0, {{browser}, {}, std::nullopt});
    w.at(1, browserSoundOnly);
    EXPECT_EQ(w.at(11, silence), CallEvent::ended()); // quiet since 1 s, under the short limit

    Watch reverse;
    reverse.at(0, {{browser}, {}, std::nullopt});
    reverse.at(1, silence);
    EXPECT_EQ(reverse.at(5.9, browserSoundOnly), std::nullopt);
    EXPECT_EQ(reverse.at(120.9, browserSoundOnly), std::nullopt);
    EXPECT_EQ(reverse.at(121, browserSoundOnly), CallEvent::ended());
}

TEST(CallWatch, BrowserCallImprovesAtMostTwice)
{
    Watch w;
    EXPECT_EQ(w.at(0, {{browser}, {}, {}}), CallEvent::started({CallApp::other, std::nullopt, false, browser}));
    EXPECT_EQ(w.at(2, {{browser}, {}, meetWithoutUrl}),
              CallEvent::changed({CallApp::meet, std::nullopt, true, browser}));
    EXPECT_EQ(w.at(4, {{browser}, {}, CallPage{CallApp::teams, std::nullopt}}), std::nullopt);
    EXPECT_EQ(w.at(6, {{browser}, {}, meetWithUrl}), CallEvent::changed({CallApp::meet, meetUrl, true, browser}));
    const CallPage otherMeet{CallApp::meet, QUrl(QStringLiteral("https://meet.google.com/zzz-yyyy-xxx"))};
    EXPECT_EQ(w.at(8, {{browser}, {}, otherMeet}), std::nullopt);
    EXPECT_EQ(w.watch.current()->joinUrl, meetUrl);
}

TEST(CallWatch, ImprovementWhileQuietKeepsTheQuietClock)
{
    Watch w;
    w.at(0, {{browser}, {}, {}});
    w.at(1, silence);
    EXPECT_EQ(w.at(3, {{}, {}, meetWithUrl}), CallEvent::changed({CallApp::meet, meetUrl, true, browser}));
    EXPECT_EQ(w.at(6, silence), CallEvent::ended());
}

TEST(CallWatch, NativeCallNeverChangesNorSwitchesOwner)
{
    Watch w;
    w.at(0, {{zoom}, {}, {}});
    EXPECT_EQ(w.at(1, {{zoom, browser}, {}, meetWithUrl}), std::nullopt);
    EXPECT_EQ(w.at(2, {{browser}, {}, meetWithUrl}), std::nullopt); // zoom fell quiet here
    EXPECT_EQ(w.at(7, {{browser}, {}, meetWithUrl}), CallEvent::ended());
    EXPECT_EQ(w.at(8, {{browser}, {}, meetWithUrl}), CallEvent::started({CallApp::meet, meetUrl, true, browser}));
}

} // namespace
} // namespace murva
