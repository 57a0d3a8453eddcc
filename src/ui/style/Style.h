#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace murva::Style {

// The one palette of the app's windows, light whatever the desktop's theme.
namespace Colors {
inline const QColor eggshell{0xF7, 0xF3, 0xEA};  // window background
inline const QColor ink{0x1F, 0x1D, 0x1A};       // text and primary buttons
inline const QColor softInk{0x6B, 0x66, 0x5E};   // secondary text
inline const QColor plate{0xEC, 0xE6, 0xDA};     // tinted groups and idle marks
inline const QColor line{0xDD, 0xD5, 0xC6};      // borders
inline const QColor success{0x2E, 0x8B, 0x57};
inline const QColor warning{0xB5, 0x65, 0x1D};
inline const QColor muted{0x9A, 0x94, 0x8A};
inline const QColor live{0xC8, 0x37, 0x2D};      // a recording under way
inline const QColor white{0xFF, 0xFF, 0xFF};
} // namespace Colors

namespace Metrics {
inline constexpr int windowWidth = 440;
inline constexpr int padding = 28;
inline constexpr int spacing = 12;
inline constexpr int trayRadius = 12;
inline constexpr int trayPadding = 14;
inline constexpr int buttonHeight = 28;
inline constexpr int stepMarkSize = 26;
} // namespace Metrics

// Sizes are in the device-independent units the window sizes use, so text keeps its
// proportion to the window on every screen density.
QFont font(int size, QFont::Weight weight = QFont::Normal);

// A label in `size` and `color`, word-wrapped when `wrap`.
QLabel *label(int size, const QColor &color, QFont::Weight weight = QFont::Normal, bool wrap = false);

// Gives `window` the light palette, the background and a fixed size.
void applyWindow(QWidget &window, int width, int height);

// "#RRGGBB" for style sheets.
QString css(const QColor &color);

} // namespace murva::Style

class QVBoxLayout;
namespace murva::Style {
// Fills `window` with a frameless vertical scroll area and returns the layout of its
// page, padded by `padding`; content taller than the fixed window scrolls.
QVBoxLayout *scrollPage(QWidget &window, int padding);

// Lets the window made by scrollPage take the height its page needs whenever the page
// changes, as a window sized by its view: never less than `minHeight`, and never more
// than its screen offers (the page scrolls beyond). The user still cannot resize it.
void fitHeightToPage(QWidget &window, int minHeight);
} // namespace murva::Style
