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

// Executables and Flatpak ids alike, in any case (window classes are capitalised).
TEST(KnownApplications, MapsNamesToIdentifiersAndKnowsNothingElse)
{
    const std::pair<const char *, const char *> cases[] = {
        {"ZoomLauncher", "us.zoom.xos"},      {"com.slack.Slack", "com.tinyspeck.slackmacgap"},
        {"Google-chrome", "com.google.Chrome"}, {"Firefox", "org.mozilla.firefox"},
        {"Slack", "com.tinyspeck.slackmacgap"}, {"", "none"}, {"gimp", "none"}, {"zoo", "none"},
        {"zoomer", "none"}, {"firefox-nightly-helper", "none"}, {"Navigator", "none"}, {"pulseaudio", "none"},
    };
    for (const auto &[name, identifier] : cases) {
        EXPECT_EQ(identifierOf(name), identifier) << name;
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
