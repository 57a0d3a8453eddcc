#include "TestScreen.h"

#include <cstdlib>

namespace murva::test {

TestScreen::TestScreen(const QByteArray &displayName)
{
    int screenNumber = 0;
    connection_ = xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screenNumber);
    if (xcb_connection_has_error(connection_)) {
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int index = 0; index < screenNumber; ++index) {
        xcb_screen_next(&screens);
    }
    screen_ = screens.data;
}

TestScreen::~TestScreen()
{
    xcb_disconnect(connection_);
}

bool TestScreen::connected() const
{
    return screen_ != nullptr && !xcb_connection_has_error(connection_);
}

xcb_window_t TestScreen::addWindow(const QRect &frame, std::uint32_t rgb)
{
    return addBand(screen_->root, frame, rgb);
}

xcb_window_t TestScreen::addBand(xcb_window_t parent, const QRect &area, std::uint32_t rgb)
{
    const xcb_window_t window = xcb_generate_id(connection_);
    // Override-redirect keeps the window where it is put, whatever else runs on the display.
    const std::uint32_t values[] = {rgb, 1};
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, parent, area.x(), area.y(),
                      area.width(), area.height(), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen_->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    map(window);
    return window;
}

void TestScreen::resize(xcb_window_t window, int width, int height)
{
    const std::uint32_t size[] = {std::uint32_t(width), std::uint32_t(height)};
    xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    sync();
}

void TestScreen::unmap(xcb_window_t window)
{
    xcb_unmap_window(connection_, window);
    sync();
}

void TestScreen::map(xcb_window_t window)
{
    xcb_map_window(connection_, window);
    sync();
}

void TestScreen::setColour(xcb_window_t window, std::uint32_t rgb)
{
    xcb_change_window_attributes(connection_, window, XCB_CW_BACK_PIXEL, &rgb);
    sync();
}

void TestScreen::paint(xcb_window_t window, std::uint32_t rgb)
{
    xcb_change_window_attributes(connection_, window, XCB_CW_BACK_PIXEL, &rgb);
    xcb_clear_area(connection_, 0, window, 0, 0, 0, 0);
    sync();
}

void TestScreen::destroy(xcb_window_t window)
{
    xcb_destroy_window(connection_, window);
    sync();
}

void TestScreen::movePointer(QPoint position)
{
    xcb_warp_pointer(connection_, XCB_NONE, screen_->root, 0, 0, 0, 0, position.x(), position.y());
    sync();
}

void TestScreen::sync()
{
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

} // namespace murva::test
