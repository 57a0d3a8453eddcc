#include "identity/KnownApplications.h"

#include "calls/CallModel.h"

#include <gtest/gtest.h>

using namespace murva;

namespace {

QString identifierOf(const char *linuxName)
{
    const KnownApplication *known = knownApplicationNamed(QString::fromUtf8(linuxName));
    return known ? known->identifier : QStringLiteral("none");
}

} // namespace

TEST(KnownApplications, MapsExecutablesAndFlatpakIdsAlike)
{
    EXPECT_EQ(identifierOf("ZoomLauncher"), "us.zoom.xos");
    EXPECT_EQ(identifierOf("com.slack.Slack"), "com.tinyspeck.slackmacgap");
}

TEST(KnownApplications, IgnoresCaseBecauseWindowClassesAreCapitalised)
{
    EXPECT_EQ(identifierOf("Google-chrome"), "com.google.Chrome");
    EXPECT_EQ(identifierOf("Firefox"), "org.mozilla.firefox");
    EXPECT_EQ(identifierOf("Slack"), "com.tinyspeck.slackmacgap");
}

TEST(KnownApplications, KnowsNothingElse)
{
    for (const char *name : {"", "gimp", "zoo", "zoomer", "firefox-nightly-helper", "Navigator", "pulseaudio"}) {
        EXPECT_EQ(identifierOf(name), "none") << name;
    }
}

// The table exists only to feed the classification: every identifier in it must be
// one the classification recognises, or the row is dead.
TEST(KnownApplications, EveryIdentifierIsClassified)
{
    for (const KnownApplication &entry : knownApplications()) {
        EXPECT_TRUE(audioOwner(entry.identifier).has_value()) << entry.identifier.toStdString();
        EXPECT_FALSE(entry.name.isEmpty());
    }
    ASSERT_TRUE(audioOwner("us.zoom.xos").has_value());
    EXPECT_EQ(*audioOwner(knownApplicationNamed(u"zoom")->identifier), AudioOwner::app(CallApp::zoom));
    EXPECT_EQ(*audioOwner(knownApplicationNamed(u"firefox")->identifier), AudioOwner::browser());
}
