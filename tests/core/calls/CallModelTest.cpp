#include "calls/CallModel.h"
#include "calls/CallWatch.h"

#include <gtest/gtest.h>

namespace murva {
namespace {

using namespace Qt::StringLiterals;

const AudioOwner zoomOwner = AudioOwner::app(CallApp::zoom);
const AudioOwner teamsOwner = AudioOwner::app(CallApp::teams);
const AudioOwner browserOwner = AudioOwner::browser();

TEST(CallApp, RawStringsRoundTripAndUnknownTextsAreRejected)
{
    QStringList raws;
    for (CallApp app : allCases<CallApp>()) {
        raws << rawValue(app);
        EXPECT_EQ(callAppFromRawValue(rawValue(app)), app);
        EXPECT_EQ(callAppFromJson(toJson(app)), app);
    }
    EXPECT_EQ(raws.join(u','), u"zoom,meet,teams,webex,facetime,slack,whereby,other");

    EXPECT_EQ(callAppFromRawValue(u"Zoom"), std::nullopt);
    EXPECT_EQ(callAppFromRawValue(u""), std::nullopt);
    EXPECT_THROW(callAppFromJson(QJsonValue(u"skype"_s)), CallAppDecodeError);
    EXPECT_THROW(callAppFromJson(QJsonValue(u"ZOOM"_s)), CallAppDecodeError);
    EXPECT_THROW(callAppFromJson(QJsonValue(3)), CallAppDecodeError);
}

TEST(AudioOwnerOf, ClassifiesByLowerCasedPrefixInOrder)
{
    const std::vector<std::pair<QString, std::optional<AudioOwner>>> cases{
        {u"US.ZOOM.XOS"_s, zoomOwner},
        {u"com.microsoft.teams2"_s, teamsOwner},
        {u"com.microsoft.teamsanything"_s, teamsOwner},
        {u"Cisco-Systems.Spark"_s, AudioOwner::app(CallApp::webex)},
        {u"com.apple.FaceTime"_s, AudioOwner::app(CallApp::facetime)},
        {u"com.apple.avconferenced"_s, AudioOwner::app(CallApp::facetime)},
        {u"com.tinyspeck.slackmacgap"_s, AudioOwner::app(CallApp::slack)},
        {u"com.apple.Safari"_s, browserOwner},
        {u"com.google.Chrome.canary"_s, browserOwner},
        {u"com.microsoft.edgemac"_s, browserOwner},
        {u"org.mozilla.firefox"_s, browserOwner},
        {u"org.example.us.zoom.helper"_s, std::nullopt}, // containment is not enough
        {u"com.webex"_s, std::nullopt},                  // the prefix ends with a dot
        {u"com.apple.Music"_s, std::nullopt},
        {QString(), std::nullopt},
    };
    for (const auto &[bundleID, expected] : cases)
        EXPECT_EQ(audioOwner(bundleID), expected) << bundleID.toStdString();
    EXPECT_EQ(browserOwner.callApp(), std::nullopt);
}

TEST(CallPageOf, RecognisesMeetCodesBeforeOtherServices)
{
    const auto meetAt = [](const char *address) { return CallPage{CallApp::meet, QUrl(address)}; };
    const std::vector<std::pair<QString, std::optional<CallPage>>> cases{
        {u"Meet - abc-defg-hij"_s, meetAt("https://meet.google.com/abc-defg-hij")},
        {u"Meet – ABC-DEFG-HIJ – Google Chrome"_s, meetAt("https://meet.google.com/abc-defg-hij")},
        {u"Google Meet"_s, CallPage{CallApp::meet, std::nullopt}},
        {u"google meet xabc-defg-hij zoom"_s, CallPage{CallApp::meet, std::nullopt}}, // no word boundary
        {u"Zoom Meeting | Google Meet abc-defg-hij"_s, meetAt("https://meet.google.com/abc-defg-hij")},
        {u"Meeting notes"_s, std::nullopt},
        {u"Meeting - Zoom Workplace"_s, CallPage{CallApp::zoom, std::nullopt}}, // "meet" falls through
        {u"Zoom"_s, CallPage{CallApp::zoom, std::nullopt}},
        {u"Chat | Microsoft Teams"_s, CallPage{CallApp::teams, std::nullopt}},
        {u"Chat | Teams"_s, CallPage{CallApp::teams, std::nullopt}},
        {u"teams"_s, std::nullopt},
        {u"Cisco Webex Meetings"_s, CallPage{CallApp::webex, std::nullopt}},
        {u"Team room - Whereby"_s, CallPage{CallApp::whereby, std::nullopt}},
        {u"FaceTime"_s, std::nullopt},
        {u"Slack huddle"_s, std::nullopt},
    };
    for (const auto &[title, expected] : cases)
        EXPECT_EQ(callPage(title), expected) << title.toStdString();

    EXPECT_EQ(callPage(u"Meet - abc-defg-hij"_s)->joinUrl->path(), u"/abc-defg-hij");
}

TEST(IsMurvaPage, JudgesTheTrimmedHostOnly)
{
    const QSet<QString> crm{u"crm.example.com"_s};
    EXPECT_TRUE(isMurvaPage(u" \thttps://App.Murva.io/meetings \t"_s, {}));
    EXPECT_TRUE(isMurvaPage(u"https://mymurvaspace.example.org./x"_s, {}));
    EXPECT_TRUE(isMurvaPage(u"https://CRM.Example.com/deal/1"_s, crm));
    EXPECT_FALSE(isMurvaPage(u"https://eu.crm.example.com/deal/1"_s, crm)); // exact host only
    EXPECT_FALSE(isMurvaPage(u"https://example.com/murva?murva=1"_s, crm));
    EXPECT_FALSE(isMurvaPage(u"\nhttps://app.murva.io"_s, {}));             // line breaks are not trimmed
    EXPECT_FALSE(isMurvaPage(u"https://app .murva.io"_s, {}));
    EXPECT_FALSE(isMurvaPage(u"murva.io/meetings"_s, {}));                  // no host
    EXPECT_FALSE(isMurvaPage(u"mailto:someone@murva.io"_s, {}));
    EXPECT_FALSE(isMurvaPage(QString(), {}));
}

TEST(IsPresenting, OnlyTheCallOwnersWindowsCount)
{
    const Call teamsCall{CallApp::teams, std::nullopt, true, teamsOwner};
    const Call browserCall{CallApp::meet, std::nullopt, true, browserOwner};
    const std::vector<OnScreenWindow> windows{
        {zoomOwner, u"Zoom is sharing your screen"_s},
        {std::nullopt, u"Screen sharing"_s},
        {teamsOwner, u"Sharing Toolbar"_s},
    };
    EXPECT_TRUE(isPresenting(windows, teamsCall));
    EXPECT_FALSE(isPresenting({windows[0], windows[1]}, teamsCall));
    EXPECT_FALSE(isPresenting(windows, browserCall));
    EXPECT_TRUE(isPresenting({{browserOwner, u"meet.google.com is sharing this tab"_s}}, browserCall));
    EXPECT_FALSE(isPresenting({{browserOwner, u"Meet - abc-defg-hij"_s}}, browserCall));
}

TEST(IsPresenting, FrenchPhrasesMatchInAnyCaseAndComposition)
{
    const Call zoomCall{CallApp::zoom, std::nullopt, true, zoomOwner};
    EXPECT_TRUE(isPresenting({{zoomOwner, u"Anne PARTAGE VOTRE ÉCRAN"_s}}, zoomCall));
    EXPECT_TRUE(isPresenting({{zoomOwner, u"Barre de partage d'e\u0301cran"_s}}, zoomCall));
    EXPECT_FALSE(isPresenting({{zoomOwner, u"Partage votre ecran"_s}}, zoomCall));
}

} // namespace
} // namespace murva
