#include "meetings/DurationTexts.h"
#include "settings/Language.h"
#include "windows/HomeTexts.h"
#include "windows/WelcomeSteps.h"

#include <gtest/gtest.h>

namespace murva {
namespace {

using namespace std::chrono_literals;
namespace H = HomeTexts;

QString t(const char *key, const QVariantList &arguments = {})
{
    return Language::text(QString::fromLatin1(key), arguments);
}

const Calendar utc{QTimeZone::utc()};
// A Wednesday, 10:00.
const SystemTime wednesday = timeFromQDateTime(QDateTime(QDate(2026, 3, 4), QTime(10, 0), QTimeZone::utc()));
const QLocale locale = H::appLocale(QStringLiteral("en"), QLocale(QStringLiteral("en_US")));

TEST(HomeTexts, WhenCountsDownUpToEightHoursThenNamesTheDay)
{
    EXPECT_EQ(H::whenText(wednesday, wednesday, utc, locale), t("homeNow"));
    EXPECT_EQ(H::whenText(wednesday + 8h, wednesday, utc, locale), *untilText(wednesday + 8h, wednesday));
    const SystemTime late = timeFromQDateTime(QDateTime(QDate(2026, 3, 4), QTime(16, 0), QTimeZone::utc()));
    EXPECT_EQ(H::whenText(late + 8h + 1s, late, utc, locale), t("homeTomorrow"));
    EXPECT_EQ(H::whenText(wednesday + 8h + 1s, wednesday, utc, locale), QStringLiteral("Wednesday"));
    EXPECT_EQ(H::whenText(wednesday + 48h, wednesday, utc, locale), QStringLiteral("Friday"));
}

TEST(HomeTexts, DaysOfRecordingsAndCards)
{
    const QString today = H::dayText(wednesday - 1h, wednesday, utc, locale);
    EXPECT_EQ(today, t("homeTodayAt %@", {H::timeText(wednesday - 1h, utc, locale)}));
    EXPECT_TRUE(H::dayText(wednesday - 1h, wednesday, utc, locale).contains(QStringLiteral("9:00")));
    EXPECT_EQ(H::dayText(wednesday - 24h, wednesday, utc, locale), t("homeYesterday"));
    EXPECT_EQ(H::dayText(wednesday - 72h, wednesday, utc, locale), QStringLiteral("Sun, Mar 1"));
    EXPECT_EQ(H::cardDay(wednesday + 1h, wednesday, utc, locale), t("homeToday"));
    EXPECT_EQ(H::cardDay(wednesday + 24h, wednesday, utc, locale), t("homeTomorrow"));
    EXPECT_EQ(H::cardDay(wednesday + 48h, wednesday, utc, locale), QStringLiteral("Fri"));
}

TEST(HomeTexts, AppLocaleTakesTheSystemRegionOrCanada)
{
    EXPECT_EQ(H::appLocale(QStringLiteral("fr"), QLocale(QStringLiteral("en_BE"))).name(), QStringLiteral("fr_BE"));
    EXPECT_EQ(H::appLocale(QStringLiteral("en"), QLocale::c()).name(), QStringLiteral("en_CA"));
}

TEST(HomeTexts, ServiceNamesAndJoinLabels)
{
    const struct {
        const char *link;
        std::optional<QString> service;
        QString join;
    } cases[] = {
        {"https://us02web.zoom.us/j/1", QStringLiteral("Zoom"), t("joinOn %@", {QStringLiteral("Zoom")})},
        {"https://notzoom.us/j/1", std::nullopt, t("joinMeeting")},
        {"https://meet.google.com/abc", QStringLiteral("Google Meet"), t("joinOn %@", {QStringLiteral("Google Meet")})},
        {"https://teams.microsoft.com/l/x", QStringLiteral("Teams"), t("joinOn %@", {QStringLiteral("Teams")})},
        {"https://acme.webex.com/x", QStringLiteral("Webex"), t("joinOn %@", {QStringLiteral("Webex")})},
        {"https://WHEREBY.com/room", QStringLiteral("Whereby"), t("joinOn %@", {QStringLiteral("Whereby")})},
        {"https://app.murva.example/meet/room", QStringLiteral("Murva"), t("joinMurvaCall")},
        {"https://example.com/meeting", std::nullopt, t("joinMeeting")},
    };
    for (const auto &c : cases) {
        const QUrl link(QString::fromLatin1(c.link));
        EXPECT_EQ(H::serviceName(link), c.service) << c.link;
        EXPECT_EQ(H::joinLabel(link), c.join) << c.link;
    }
    EXPECT_EQ(H::joinLabel(std::nullopt), t("joinMeeting"));
}

TEST(HomeTexts, DetailLinesGuestLinesAndWeek)
{
    NextMeeting meeting;
    EXPECT_EQ(H::detailLine(UpcomingMeeting{meeting, 0}), t("homeInMurva"));
    EXPECT_EQ(H::detailLine(UpcomingMeeting{meeting, 1}), t("homeOnePerson"));
    meeting.link = QUrl(QStringLiteral("https://zoom.us/j/1"));
    EXPECT_EQ(H::detailLine(UpcomingMeeting{meeting, 3}), QStringLiteral("Zoom · ") + t("homePeople %d", {3}));

    const QStringList three{QStringLiteral("Ana"), QStringLiteral("Ben"), QStringLiteral("Cy")};
    EXPECT_EQ(H::guestLine(three, 5), t("homeAndMore %@ %d", {QStringLiteral("Ana, Ben"), 3}));
    EXPECT_EQ(H::guestLine({QStringLiteral("Ana")}, 1), QStringLiteral("Ana"));
    EXPECT_EQ(H::guestLine(three.mid(0, 2), 2), QStringLiteral("Ana, Ben"));

    EXPECT_EQ(H::weekSummary(WeekCount{}), t("homeWeekNone"));
    EXPECT_EQ(H::weekSummary(WeekCount{1, 1800, {}}), t("homeWeekOne %@", {hoursText(1800)}));
    EXPECT_EQ(H::weekSummary(WeekCount{3, 5400, {}}), t("homeWeekMany %d %@", {3, hoursText(5400)}));

    EXPECT_EQ(H::notesChip(MeetingNotes::ready(0)), t("homeNotesReady"));
    EXPECT_EQ(H::notesChip(MeetingNotes::ready(1)), t("homeNotesOneStep"));
    EXPECT_EQ(H::notesChip(MeetingNotes::ready(4)), t("homeNotesSteps %d", {4}));
    EXPECT_EQ(H::notesChip(MeetingNotes::writing()), t("homeWritingNotes"));
    EXPECT_EQ(H::notesChip(MeetingNotes::none()), std::nullopt);
    EXPECT_EQ(H::notesChip(std::nullopt), std::nullopt);
}

TEST(HomeTexts, AvatarsAndInitials)
{
    const std::optional<QUrl> avatar = H::avatarUrl(QStringLiteral("ana@example.com"));
    ASSERT_TRUE(avatar);
    EXPECT_EQ(H::avatarUrl(QStringLiteral(" \tAna@Example.COM  ")), avatar);
    EXPECT_TRUE(avatar->toString().endsWith(QStringLiteral("?s=96&d=404")));
    EXPECT_EQ(avatar->path().section(QLatin1Char('/'), -1).size(), 64);
    EXPECT_EQ(H::avatarUrl(QStringLiteral("no address")), std::nullopt);

    const std::pair<const char *, const char *> initials[] = {
        {"Ana Maria Lopez", "AM"}, {"ana", "A"}, {"ana@example.com", "A"}, {"  ben   sample ", "BS"}, {"", ""},
    };
    for (const auto &[name, expected] : initials) {
        EXPECT_EQ(H::initials(QString::fromUtf8(name)), QString::fromUtf8(expected)) << name;
    }
    EXPECT_EQ(H::initials(QStringLiteral("\U0001F680 launch")).size(), 3); // the whole emoji and "L"
}

// The first step's titles and button through a sign-in are proven in WindowsTest.
TEST(WelcomeSteps, FollowTheSetUp)
{
    WelcomeState none;
    none.screenAllowed = true;
    auto steps = welcomeSteps(none);
    EXPECT_EQ(steps[0].detail, t("stepConnectBody"));
    EXPECT_FALSE(steps[1].next);
    EXPECT_FALSE(steps[2].next);

    WelcomeState signedIn = none;
    signedIn.signedIn = true;
    Me me;
    me.app = QStringLiteral("Engines");
    me.email = QStringLiteral("ada@example.com");
    signedIn.me = me;
    steps = welcomeSteps(signedIn);
    EXPECT_EQ(steps[0].detail, t("savesTo %@ %@", {QStringLiteral("ada@example.com"), QStringLiteral("Engines")}));
    EXPECT_TRUE(steps[1].next);
    EXPECT_FALSE(steps[2].next);

    WelcomeState checking = signedIn;
    checking.micAllowed = true;
    checking.checkingScreen = true;
    steps = welcomeSteps(checking);
    EXPECT_EQ(steps[1].detail, std::nullopt);
    EXPECT_EQ(steps[2].detail, t("stepScreenCheckBody"));
    EXPECT_EQ(steps[2].button, t("checking"));

    WelcomeState wayland = checking;
    wayland.screenAllowed = false;
    steps = welcomeSteps(wayland);
    EXPECT_EQ(steps[2].detail, t("stepScreenWayland"));
    EXPECT_EQ(steps[2].button, std::nullopt);
}

} // namespace
} // namespace murva
