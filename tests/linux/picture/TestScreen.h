#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>

#include <xcb/xcb.h>

#include <cstdint>

namespace murva::test {

// Windows of solid colours on an X display, made by this test process. The server
// paints a window's background itself whenever it shows, so nothing needs redrawing.
// Everything this makes goes away with the connection.
class TestScreen {
public:
    explicit TestScreen(const QByteArray &displayName = {}); // empty: $DISPLAY
    ~TestScreen();

    TestScreen(const TestScreen &) = delete;
    TestScreen &operator=(const TestScreen &) = delete;

    bool connected() const;

    // A mapped top-level window at `frame` (root coordinates) painted 0xRRGGBB.
    xcb_window_t addWindow(const QRect &frame, std::uint32_t rgb);
    // A child window painted 0xRRGGBB, for windows of several colours.
    xcb_window_t addBand(xcb_window_t parent, const QRect &area, std::uint32_t rgb);

    void resize(xcb_window_t window, int width, int height);
    void unmap(xcb_window_t window);
    void map(xcb_window_t window);
    void setColour(xcb_window_t window, std::uint32_t rgb); // takes effect when next shown
    void paint(xcb_window_t window, std::uint32_t rgb);     // takes effect at once
    void destroy(xcb_window_t window);
    void movePointer(QPoint position);

    // Waits until the server has carried out every request sent so far.
    void sync();

private:
    xcb_connection_t *connection_;
    xcb_screen_t *screen_ = nullptr;
};

} // namespace murva::test
