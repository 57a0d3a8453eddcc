#include "x11/X11Displays.h"
#include "x11/X11WindowFacts.h"

#include <gtest/gtest.h>

using namespace murva;

namespace {
constexpr xcb_atom_t kUtf8 = 300;
constexpr xcb_atom_t kCompoundText = 301;
} // namespace

TEST(X11WindowTitle, PrefersTheUtf8NameAndFallsBackToTheOldOne)
{
    const X11TextProperty modern{kUtf8, QByteArray("R\xc3\xa9union \xe2\x9c\x93")};
    const X11TextProperty latin1{XCB_ATOM_STRING, QByteArray("Caf\xe9")};
    EXPECT_EQ(windowTitle(modern, latin1, kUtf8), QString::fromUtf8("R\u00e9union \u2713"));
    EXPECT_EQ(windowTitle({}, latin1, kUtf8), QString::fromUtf8("Caf\u00e9"));
    // An empty modern name does not hide the old one.
    EXPECT_EQ(windowTitle({kUtf8, QByteArray()}, latin1, kUtf8), QString::fromUtf8("Caf\u00e9"));
    EXPECT_EQ(windowTitle({}, {kUtf8, QByteArray("\xc3\xa9t\xc3\xa9")}, kUtf8), QString::fromUtf8("\u00e9t\u00e9"));
    EXPECT_EQ(windowTitle({}, {kCompoundText, QByteArray("xterm")}, kUtf8), "xterm");
    EXPECT_EQ(windowTitle({}, {}, kUtf8), "");
    // Trailing NULs that some clients store.
    EXPECT_EQ(windowTitle({kUtf8, QByteArray("Meet\0", 5)}, {}, kUtf8), "Meet");
    EXPECT_EQ(windowTitle({}, {XCB_ATOM_STRING, QByteArray("Meet\0\0", 6)}, kUtf8), "Meet");
}

TEST(X11WindowType, TheFirstBasicTypeInTheListDecides)
{
    std::array<xcb_atom_t, kX11WindowTypeAtomNames.size()> known{};
    for (std::size_t at = 0; at < known.size(); ++at) {
        known[at] = xcb_atom_t(500 + at);
    }
    const xcb_atom_t normal = known[std::size_t(X11WindowType::normal)];
    const xcb_atom_t dialog = known[std::size_t(X11WindowType::dialog)];
    const xcb_atom_t vendorSpecific = 999;
    EXPECT_EQ(basicWindowType(std::vector<xcb_atom_t>{vendorSpecific, normal}, known), X11WindowType::normal);
    EXPECT_EQ(basicWindowType(std::vector<xcb_atom_t>{dialog, normal}, known), X11WindowType::dialog);
    EXPECT_EQ(basicWindowType(std::vector<xcb_atom_t>{vendorSpecific}, known), std::nullopt);
    EXPECT_EQ(basicWindowType({}, known), std::nullopt);
}

// Exactly one display is main, whatever the server marks: the primary monitor, else the
// first. Without monitors the whole screen is the display, named by the root window.
TEST(X11Displays, OneMainDisplayPerScreen)
{
    const QRect left(0, 0, 800, 600), right(800, 0, 800, 600);
    const struct {
        const char *why;
        std::vector<X11Monitor> monitors;
        std::vector<ShareableDisplay> expected;
    } cases[] = {
        {"the primary", {{11, left, false}, {12, right, true}}, {{11, left, false}, {12, right, true}}},
        {"none marked", {{11, left, false}, {12, right, false}}, {{11, left, true}, {12, right, false}}},
        {"both marked", {{11, left, true}, {12, right, true}}, {{11, left, true}, {12, right, false}}},
        {"no monitors", {}, {{0x1e2, QRectF(0, 0, 1600, 600), true}}},
    };
    for (const auto &test : cases) {
        EXPECT_EQ(displaysFor(test.monitors, QSize(1600, 600), 0x1e2), test.expected) << test.why;
    }
}
