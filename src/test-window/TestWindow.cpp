// murva-test-window: one top-level X window with a chosen title, class and process id,
// for the system tests and the demo. Prints "ready <window id>" once the window is
// mapped and runs until SIGTERM or SIGINT.
//
//   murva-test-window [--title T] [--class INSTANCE,CLASS] [--pid N | --no-pid]
//                     [--geometry WxH+X+Y] [--animate] [--hidden] [--unmapped]
//                     [--override-redirect] [--type NAME] [--legacy-title] [--framed]
//                     [--slide SECONDS]
//
// --animate redraws the window 30 times a second; --slide draws one still picture and a
// new one every SECONDS, as a shared slide deck would.
// --hidden sets _NET_WM_STATE_HIDDEN as a window manager does for a minimised window;
// --type sets _NET_WM_WINDOW_TYPE_NAME (dialog, dock, desktop, ...); --legacy-title sets
// only WM_NAME, in Latin-1, as old clients do; --framed puts the window into a frame
// window, marked with WM_STATE, as a reparenting window manager does (the frame's
// inner corner is at +5+20 of the geometry).

#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

volatile sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

struct Options {
    std::string title = "murva test window";
    std::string instance = "murva-test-window";
    std::string windowClass = "Murva-test-window";
    std::optional<long> pid = long(::getpid());
    int width = 640, height = 480, x = 0, y = 0;
    bool animate = false;
    int slideSeconds = 0;
    bool hidden = false;
    bool unmapped = false;
    bool overrideRedirect = false;
    bool legacyTitle = false;
    bool framed = false;
    std::string type;
};

[[noreturn]] void usage(const char *problem)
{
    std::fprintf(stderr, "murva-test-window: %s\n", problem);
    std::exit(2);
}

Options parse(int argc, char **argv)
{
    Options options;
    for (int at = 1; at < argc; ++at) {
        const std::string argument = argv[at];
        auto value = [&]() -> std::string {
            if (at + 1 >= argc) {
                usage(("missing value after " + argument).c_str());
            }
            return argv[++at];
        };
        if (argument == "--title") {
            options.title = value();
        } else if (argument == "--class") {
            const std::string both = value();
            const auto comma = both.find(',');
            options.instance = both.substr(0, comma);
            options.windowClass = comma == std::string::npos ? both : both.substr(comma + 1);
        } else if (argument == "--pid") {
            options.pid = std::strtol(value().c_str(), nullptr, 10);
        } else if (argument == "--no-pid") {
            options.pid.reset();
        } else if (argument == "--geometry") {
            const std::string geometry = value();
            if (std::sscanf(geometry.c_str(), "%dx%d+%d+%d", &options.width, &options.height, &options.x, &options.y)
                < 2) {
                usage("geometry is WxH+X+Y");
            }
        } else if (argument == "--animate") {
            options.animate = true;
        } else if (argument == "--slide" && at + 1 < argc) {
            options.slideSeconds = std::max(1, std::atoi(argv[++at]));
        } else if (argument == "--hidden") {
            options.hidden = true;
        } else if (argument == "--unmapped") {
            options.unmapped = true;
        } else if (argument == "--override-redirect") {
            options.overrideRedirect = true;
        } else if (argument == "--legacy-title") {
            options.legacyTitle = true;
        } else if (argument == "--framed") {
            options.framed = true;
        } else if (argument == "--type") {
            options.type = value();
        } else {
            usage(("unknown argument " + argument).c_str());
        }
    }
    return options;
}

xcb_atom_t atom(xcb_connection_t *connection, const std::string &name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.c_str()), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

void setProperty(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                 uint8_t format, uint32_t count, const void *data)
{
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, format, count, data);
}

// UTF-8 to Latin-1; what Latin-1 cannot hold becomes "?".
std::string toLatin1(const std::string &utf8)
{
    std::string latin1;
    for (std::size_t at = 0; at < utf8.size();) {
        const unsigned char lead = utf8[at];
        const int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : 4;
        unsigned code = lead;
        if (length == 2 && at + 1 < utf8.size()) {
            code = ((lead & 0x1F) << 6) | (utf8[at + 1] & 0x3F);
        }
        latin1 += length <= 2 && code < 0x100 ? char(code) : '?';
        at += length;
    }
    return latin1;
}

void describe(xcb_connection_t *connection, xcb_window_t window, const Options &options)
{
    if (options.legacyTitle) {
        const std::string latin1 = toLatin1(options.title);
        setProperty(connection, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, latin1.size(), latin1.data());
    } else {
        const xcb_atom_t utf8 = atom(connection, "UTF8_STRING");
        setProperty(connection, window, atom(connection, "_NET_WM_NAME"), utf8, 8, options.title.size(),
                    options.title.data());
        setProperty(connection, window, XCB_ATOM_WM_NAME, utf8, 8, options.title.size(), options.title.data());
    }
    const std::string wmClass = options.instance + '\0' + options.windowClass + '\0';
    setProperty(connection, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, wmClass.size(), wmClass.data());
    if (options.pid) {
        const uint32_t pid = uint32_t(*options.pid);
        setProperty(connection, window, atom(connection, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
    }
    if (options.hidden) {
        const xcb_atom_t hidden = atom(connection, "_NET_WM_STATE_HIDDEN");
        setProperty(connection, window, atom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 1, &hidden);
    }
    if (!options.type.empty()) {
        std::string name = "_NET_WM_WINDOW_TYPE_";
        for (const char letter : options.type) {
            name += char(std::toupper(static_cast<unsigned char>(letter)));
        }
        const xcb_atom_t type = atom(connection, name);
        setProperty(connection, window, atom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &type);
    }
    // Asks a window manager, if any, to keep the given place and size.
    xcb_size_hints_t hints{};
    xcb_icccm_size_hints_set_position(&hints, 1, options.x, options.y);
    xcb_icccm_size_hints_set_size(&hints, 1, options.width, options.height);
    xcb_icccm_set_wm_normal_hints(connection, window, &hints);
}

// A bar sweeping across a slowly changing background: cheap to draw, never still.
void drawFrame(xcb_connection_t *connection, xcb_window_t window, xcb_gcontext_t gc, const Options &options,
               unsigned frame)
{
    const uint32_t background = ((frame * 3) % 256) << 16 | 0x40 << 8 | ((255 - frame * 5) % 256);
    xcb_change_gc(connection, gc, XCB_GC_FOREGROUND, &background);
    const xcb_rectangle_t all{0, 0, uint16_t(options.width), uint16_t(options.height)};
    xcb_poly_fill_rectangle(connection, window, gc, 1, &all);
    const uint32_t bar = 0xF0C020;
    xcb_change_gc(connection, gc, XCB_GC_FOREGROUND, &bar);
    const int barWidth = std::max(options.width / 8, 1);
    const int barX = int((frame * 12) % unsigned(options.width + barWidth)) - barWidth;
    const xcb_rectangle_t sweep{int16_t(barX), 0,
                                uint16_t(barWidth), uint16_t(options.height)};
    xcb_poly_fill_rectangle(connection, window, gc, 1, &sweep);
    xcb_flush(connection);
}

constexpr int kFrameLeft = 5;
constexpr int kFrameTop = 20;

xcb_window_t createFrame(xcb_connection_t *connection, const xcb_screen_t *screen, const Options &options)
{
    const xcb_window_t frame = xcb_generate_id(connection);
    const uint32_t background = 0x202020;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, frame, screen->root, int16_t(options.x), int16_t(options.y),
                      uint16_t(options.width + 2 * kFrameLeft), uint16_t(options.height + kFrameTop + kFrameLeft), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, &background);
    return frame;
}

void announce(xcb_window_t window)
{
    std::printf("ready %u\n", window);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    const Options options = parse(argc, argv);
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        usage("cannot open the display");
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int skip = 0; skip < screenNumber; ++skip) {
        xcb_screen_next(&screens);
    }
    const xcb_screen_t *screen = screens.data;

    const xcb_window_t frame =
        options.framed ? createFrame(connection, screen, options) : xcb_window_t(XCB_WINDOW_NONE);
    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t values[] = {0x3060A0, options.overrideRedirect ? 1u : 0u,
                               XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, frame ? frame : screen->root,
                      int16_t(frame ? kFrameLeft : options.x), int16_t(frame ? kFrameTop : options.y),
                      uint16_t(options.width), uint16_t(options.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    describe(connection, window, options);
    if (frame) {
        // What a window manager puts on the windows it manages (ICCCM 4.1.3.1: NormalState).
        const uint32_t normalState[] = {1, XCB_WINDOW_NONE};
        const xcb_atom_t wmState = atom(connection, "WM_STATE");
        setProperty(connection, window, wmState, wmState, 32, 2, normalState);
        xcb_map_window(connection, frame);
    }
    const xcb_gcontext_t gc = xcb_generate_id(connection);
    xcb_create_gc(connection, gc, window, 0, nullptr);

    if (options.unmapped) {
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr)); // all is set
        announce(window);
    } else {
        xcb_map_window(connection, window);
    }
    xcb_flush(connection);

    unsigned frameCount = 0;
    bool announced = options.unmapped;
    using Clock = std::chrono::steady_clock;
    const auto slideEvery = std::chrono::seconds(options.slideSeconds);
    std::optional<Clock::time_point> nextSlide;
    pollfd socket{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (!stopRequested && !xcb_connection_has_error(connection)) {
        // Short waits also notice a stop request that came just before the poll.
        ::poll(&socket, 1, options.animate ? 33 : 200);
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            const uint8_t kind = event->response_type & 0x7F;
            if (kind == XCB_MAP_NOTIFY && !announced) {
                if (options.slideSeconds > 0) {
                    drawFrame(connection, window, gc, options, frameCount);
                    nextSlide = Clock::now() + slideEvery;
                }
                announce(window);
                announced = true;
            }
            std::free(event);
        }
        if (options.animate) {
            drawFrame(connection, window, gc, options, frameCount++);
        } else if (nextSlide && Clock::now() >= *nextSlide) {
            frameCount += 40; // far enough along for a picture that differs everywhere
            drawFrame(connection, window, gc, options, frameCount);
            nextSlide = Clock::now() + slideEvery;
        }
    }
    xcb_disconnect(connection);
    return 0;
}
