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
}

TEST(X11WindowTitle, DropsTrailingNulsThatSomeClientsStore)
{
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

TEST(X11Displays, ThePrimaryMonitorIsMain)
{
    const auto displays = displaysFor({{11, QRect(0, 0, 1280, 1024), false}, {12, QRect(1280, 0, 1920, 1080), true}},
                                      QSize(3200, 1080), 1);
    ASSERT_EQ(displays.size(), 2u);
    EXPECT_EQ(displays[0], (ShareableDisplay{11, QRectF(0, 0, 1280, 1024), false}));
    EXPECT_EQ(displays[1], (ShareableDisplay{12, QRectF(1280, 0, 1920, 1080), true}));
}

TEST(X11Displays, ExactlyOneMainWhateverTheServerMarks)
{
    const auto unmarked = displaysFor({{11, QRect(0, 0, 800, 600), false}, {12, QRect(800, 0, 800, 600), false}},
                                      QSize(1600, 600), 1);
    EXPECT_TRUE(unmarked[0].isMain);
    EXPECT_FALSE(unmarked[1].isMain);

    const auto doubled = displaysFor({{11, QRect(0, 0, 800, 600), true}, {12, QRect(800, 0, 800, 600), true}},
                                     QSize(1600, 600), 1);
    EXPECT_TRUE(doubled[0].isMain);
    EXPECT_FALSE(doubled[1].isMain);
}

TEST(X11Displays, WithoutMonitorsTheWholeScreenIsTheDisplay)
{
    const auto displays = displaysFor({}, QSize(1920, 1080), 0x1e2);
    ASSERT_EQ(displays.size(), 1u);
    EXPECT_EQ(displays[0], (ShareableDisplay{0x1e2, QRectF(0, 0, 1920, 1080), true}));
}
