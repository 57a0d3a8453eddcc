#include "calls/RecordingTitles.h"

#include <gtest/gtest.h>

#include <chrono>

namespace murva {
namespace {

using namespace std::chrono_literals;

TEST(RecorderName, genericNamesInBothLanguages)
{
    for (const char *name : {"Zoom call", "call", "Slack huddle", "Huddle Slack", "Appel", "Appel Google Meet",
                             "Impromptu call", "appel impromptu", "  Appel Zoom \t", "FACETIME CALL", "whereby call",
                             "appel teams", "Webex call"}) {
        EXPECT_TRUE(isRecorderName(name)) << name;
    }
    for (const char *name : {"Weekly sync", "Zoom call with Ana", "My call", "Appel Slack", "", "Google meet",
                             "\nZoom call", "Appel  Zoom"}) {
        EXPECT_FALSE(isRecorderName(name)) << name;
    }
}

Recording recording(const QString &id, const QString &title, std::optional<QString> meetingId)
{
    Recording made(id, title, CallApp::zoom, timeFromMillisecondsSince1970(1741168800000));
    made.status = Recording::Status::saved;
    if (meetingId)
        made.begun = Begun{*meetingId, "https://upload.example/x", made.at};
    return made;
}

std::vector<QString> titlesOf(const std::vector<Recording> &recordings)
{
    std::vector<QString> titles;
    for (const Recording &each : recordings)
        titles.push_back(each.id + ": " + each.title);
    return titles;
}

TEST(Renamed, serviceTitlesWinAndGenericNamesFollowTheLanguage)
{
    const std::vector<Recording> recordings{
        recording("a", "Zoom call", "m1"),      // service title
        recording("b", "Zoom call", std::nullopt), // never registered: left alone
        recording("c", "Appel", "m3"),          // generic, no service title
        recording("d", "Weekly sync", "m4"),    // own title, nothing from the service
        recording("e", "Plan", "m5"),           // service says the same
        recording("f", "Impromptu call", "m6"), // generic, already in English
    };
    const QHash<QString, QString> titles{{"m1", "Design review"}, {"m5", "Plan"}, {"mX", "Other"}};
    EXPECT_EQ(titlesOf(renamed(recordings, titles, "en")),
              (std::vector<QString>{"a: Design review", "c: Impromptu call"}));
    EXPECT_EQ(titlesOf(renamed(recordings, titles, "fr")),
              (std::vector<QString>{"a: Design review", "c: Appel impromptu", "f: Appel impromptu"}));
    EXPECT_EQ(recordings[0].title, "Zoom call");
}

TEST(CallTitle, meetingTitleOnlyWhenTheCallIsThatMeeting)
{
    const SystemTime start = timeFromMillisecondsSince1970(1741168800000);
    const NextMeeting meeting{"Design review", start, start + 1h, QUrl("https://meet.google.com/abc-defg-hij"),
                              {}, {}, {}};
    EXPECT_EQ(callTitle(start + 2h, QUrl("https://meet.google.com/abc-defg-hij?authuser=1"), meeting, "en"),
              "Design review");
    EXPECT_EQ(callTitle(start - 5min, std::nullopt, meeting, "fr"), "Design review");
    EXPECT_EQ(callTitle(start + 2h, std::nullopt, meeting, "fr"), "Appel impromptu");
    EXPECT_EQ(callTitle(start, std::nullopt, std::nullopt, "en"), "Impromptu call");
    EXPECT_EQ(callTitle(start, std::nullopt, std::nullopt, "fr-FR"), "Impromptu call");
}

} // namespace
} // namespace murva
