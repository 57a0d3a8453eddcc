#include "support/AwaitTask.h"
#include "support/PrivateServers.h"
#include "support/TestWindowProcess.h"
#include "support/TestMain.h"
#include "x11/X11ScreenContent.h"

#include <QCoroTask>
#include <QTimer>

#include <gmock/gmock.h>

#include <xcb/xcb.h>

#include <signal.h>
#include <unistd.h>

using namespace murva;
using murva::test::PrivateXServer;
using murva::test::ScopedEnv;
using murva::test::TestWindowProcess;

namespace murva {
void PrintTo(const RunningApplication &application, std::ostream *out)
{
    *out << '"' << application.bundleIdentifier.toStdString() << "\" \"" << application.applicationName.toStdString()
         << "\" pid " << application.processID;
}
} // namespace murva

namespace {

// Sets the root window's _NET_CLIENT_LIST_STACKING on DISPLAY, as a window manager does.
bool setStackingList(const std::vector<std::uint32_t> &bottomToTop)
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const char name[] = "_NET_CLIENT_LIST_STACKING";
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    const bool interned = atom != nullptr;
    if (interned) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, atom->atom, XCB_ATOM_WINDOW, 32,
                            std::uint32_t(bottomToTop.size()), bottomToTop.data());
        // A round trip, so the property is set before the caller goes on.
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    std::free(atom);
    xcb_disconnect(connection);
    return interned;
}

const ShareableWindow *findWindow(const ShareableContent &content, std::uint32_t windowID)
{
    for (const ShareableWindow &window : content.windows) {
        if (window.windowID == windowID) {
            return &window;
        }
    }
    return nullptr;
}

class X11ScreenContentTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!murva::test::hasDesktopSession()) {
            GTEST_SKIP() << "needs the private desktop";
        }
    }

    // Windows of other tests may share the display, so every check looks for its own.
    X11ScreenContent source;
};

} // namespace

TEST_F(X11ScreenContentTest, DescribesEachWindowAndItsOwnerFrontMostFirst)
{
    const QString title = QString::fromUtf8("R\u00e9union \u00b7 \u4f1a\u8b70 \u2713");
    TestWindowProcess zoom({"--title", title, "--class", "zoom,zoom", "--geometry", "800x600+100+50", "--animate"});
    TestWindowProcess firefox({"--title", "Mozilla Firefox", "--class", "Navigator,firefox", "--pid",
                               QString::number(::getpid()), "--geometry", "1024x700+300+200"});
    ASSERT_NE(zoom.windowId(), 0u);
    ASSERT_NE(firefox.windowId(), 0u);

    const std::optional<ShareableContent> content = QCoro::waitFor(source.content(true));
    ASSERT_TRUE(content);
    const ShareableWindow *zoomWindow = findWindow(*content, zoom.windowId());
    const ShareableWindow *firefoxWindow = findWindow(*content, firefox.windowId());
    ASSERT_TRUE(zoomWindow);
    ASSERT_TRUE(firefoxWindow);

    EXPECT_EQ(zoomWindow->title, title);
    EXPECT_EQ(zoomWindow->frame, QRectF(100, 50, 800, 600));
    EXPECT_TRUE(zoomWindow->isOnScreen);
    EXPECT_EQ(zoomWindow->windowLayer, 0);
    const RunningApplication zoomApp{"us.zoom.xos", "Zoom", zoom.pid()};
    EXPECT_EQ(zoomWindow->owningApplication, zoomApp);

    EXPECT_EQ(firefoxWindow->title, "Mozilla Firefox");
    EXPECT_EQ(firefoxWindow->frame, QRectF(300, 200, 1024, 700));
    const RunningApplication firefoxApp{"org.mozilla.firefox", "Firefox", ::getpid()};
    EXPECT_EQ(firefoxWindow->owningApplication, firefoxApp);

    // Mapped later, so stacked above.
    EXPECT_LT(firefoxWindow, zoomWindow);

    EXPECT_THAT(content->applications, testing::IsSupersetOf({zoomApp, firefoxApp}));
    // This process comes first, so a search by process id finds itself and not the
    // window that claims the same id.
    ASSERT_FALSE(content->applications.empty());
    EXPECT_EQ(content->applications.front().processID, ::getpid());
    EXPECT_EQ(content->applications.front().bundleIdentifier, "");
}

// Clues an X client may leave out or hide: the process id is then asked of the server,
// an old client's title is Latin-1, and a reparenting window manager without a client
// list puts the client inside a frame (listed instead of the frame, at +5+20 of it).
TEST_F(X11ScreenContentTest, FindsTheTitleOwnerAndPlaceOfUnusualClients)
{
    struct Case {
        QStringList arguments;
        QString title;
        QString identifier;
        std::optional<QRectF> frame;
    };
    const QString cafe = QString::fromUtf8("Caf\u00e9 cr\u00e8me");
    const Case cases[] = {
        {{"--title", "Slack | general", "--class", "slack,Slack", "--no-pid"}, "Slack | general",
         "com.tinyspeck.slackmacgap", std::nullopt},
        {{"--title", cafe, "--legacy-title"}, cafe, "", std::nullopt},
        {{"--title", "framed", "--class", "zoom,zoom", "--framed", "--geometry", "640x400+60+40"}, "framed",
         "us.zoom.xos", QRectF(65, 60, 640, 400)},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(qPrintable(test.title));
        TestWindowProcess client(test.arguments);
        ASSERT_NE(client.windowId(), 0u);
        const auto content = source.contentNow(true);
        ASSERT_TRUE(content);
        const ShareableWindow *window = findWindow(*content, client.windowId());
        ASSERT_TRUE(window);
        EXPECT_EQ(window->title, test.title);
        ASSERT_TRUE(window->owningApplication);
        EXPECT_EQ(window->owningApplication->bundleIdentifier, test.identifier);
        EXPECT_EQ(window->owningApplication->processID, client.pid());
        if (test.frame) {
            EXPECT_EQ(window->frame, *test.frame);
        }
        const auto sameOwner =
            std::count_if(content->windows.begin(), content->windows.end(), [&](const ShareableWindow &each) {
                return each.owningApplication && each.owningApplication->processID == client.pid();
            });
        EXPECT_EQ(sameOwner, 1); // a frame is not listed beside its client
    }
}

// Only normal windows are in layer 0 and the desktop background is never offered. A
// minimised window is listed off screen; without a window manager only mapped windows
// count as top-level windows. The owner of a window left out still runs.
TEST_F(X11ScreenContentTest, ListsEachKindOfWindowInItsLayerAndHiddenOnesOffScreen)
{
    struct Case {
        QStringList arguments;
        bool listed;      // among all windows
        bool onScreen;    // among those on screen
        bool inLayerZero; // when on screen
    };
    const Case cases[] = {
        {{"--type", "normal"}, true, true, true},      {{}, true, true, true},
        {{"--type", "dialog"}, true, true, false},     {{"--override-redirect"}, true, true, false},
        {{"--type", "desktop"}, false, false, false}, {{"--hidden"}, true, false, false},
        {{"--unmapped"}, false, false, false},
    };
    std::vector<std::unique_ptr<TestWindowProcess>> windows;
    for (const Case &test : cases) {
        windows.push_back(std::make_unique<TestWindowProcess>(QStringList{"--title", "kind"} + test.arguments));
        ASSERT_NE(windows.back()->windowId(), 0u);
    }
    const auto everything = source.contentNow(false);
    const auto onScreen = source.contentNow(true);
    ASSERT_TRUE(everything && onScreen);
    for (std::size_t at = 0; at < windows.size(); ++at) {
        SCOPED_TRACE(qPrintable(cases[at].arguments.join(' ')));
        const ShareableWindow *listed = findWindow(*everything, windows[at]->windowId());
        const ShareableWindow *shown = findWindow(*onScreen, windows[at]->windowId());
        if (cases[at].listed) {
            ASSERT_TRUE(listed);
            EXPECT_EQ(listed->isOnScreen, cases[at].onScreen);
            EXPECT_THAT(onScreen->applications, testing::Contains(*listed->owningApplication));
        } else {
            EXPECT_FALSE(listed);
        }
        EXPECT_EQ(shown != nullptr, cases[at].onScreen);
        if (shown) {
            EXPECT_EQ(shown->windowLayer == 0, cases[at].inLayerZero);
        }
    }
}

TEST_F(X11ScreenContentTest, GivesNothingWithoutADisplayAndFollowsDisplayChanges)
{
    ASSERT_TRUE(source.contentNow(true)); // keeps a connection to the fixture's display
    for (const char *display : {"", ":4999", "not a display name"}) {
        const ScopedEnv elsewhere("DISPLAY", display);
        EXPECT_FALSE(source.contentNow(true)) << display;
        EXPECT_FALSE(QCoro::waitFor(source.content(false))) << display;
    }
    EXPECT_TRUE(source.contentNow(true));
}

// A display server that stops answering (here: stopped with SIGSTOP) must not hang the
// caller, neither on a kept connection nor when connecting anew. The display is read on
// a worker thread: the caller's event loop runs on meanwhile, and callers that come
// meanwhile share the reading.
TEST_F(X11ScreenContentTest, AStoppedDisplayHoldsUpNeitherTheCallerNorItsEventLoop)
{
    PrivateXServer server;
    ASSERT_TRUE(server.running());
    const ScopedEnv useIt("DISPLAY", server.displayName());
    X11ScreenContent impatient(kProcRoot, std::chrono::milliseconds(300));
    const auto before = impatient.contentNow(true);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->displays.front().frame, QRectF(0, 0, 640, 480));

    server.signal(SIGSTOP);
    int turns = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++turns; });
    ticker.start(5);
    auto onScreen = impatient.content(true); // on the kept connection
    auto everything = impatient.content(false);
    EXPECT_FALSE(murva::test::await(std::move(onScreen)));
    EXPECT_FALSE(murva::test::await(std::move(everything)));
    EXPECT_GT(turns, 0);
    EXPECT_FALSE(impatient.contentNow(true)); // connecting anew
    EXPECT_FALSE(impatient.contentNow(true)); // while that attempt is still stuck

    server.signal(SIGCONT);
    EXPECT_TRUE(murva::test::waitFor([&] { return impatient.contentNow(true).has_value(); }, 3));
}

// Under a window manager its stacking list says which windows are top-level and in
// what order; a minimised window there is unmapped.
TEST_F(X11ScreenContentTest, FollowsTheWindowManagersStackingList)
{
    PrivateXServer server;
    ASSERT_TRUE(server.running());
    const ScopedEnv useIt("DISPLAY", server.displayName());
    TestWindowProcess top({"--title", "top"});
    TestWindowProcess minimised({"--title", "minimised", "--unmapped"});
    TestWindowProcess bottom({"--title", "bottom"});
    TestWindowProcess unmanaged({"--title", "not managed"});
    for (const TestWindowProcess *window : {&top, &minimised, &bottom, &unmanaged}) {
        ASSERT_NE(window->windowId(), 0u);
    }
    // Listed bottom to top, against the order of mapping.
    ASSERT_TRUE(setStackingList({bottom.windowId(), minimised.windowId(), top.windowId()}));

    X11ScreenContent managed;
    const auto everything = managed.contentNow(false);
    ASSERT_TRUE(everything);
    ASSERT_EQ(everything->windows.size(), 3u);
    EXPECT_EQ(everything->windows[0].title, "top");
    EXPECT_EQ(everything->windows[1].title, "minimised");
    EXPECT_FALSE(everything->windows[1].isOnScreen);
    EXPECT_EQ(everything->windows[2].title, "bottom");

    const auto onScreen = managed.contentNow(true);
    ASSERT_TRUE(onScreen);
    ASSERT_EQ(onScreen->windows.size(), 2u);
    EXPECT_EQ(onScreen->windows[0].windowID, top.windowId());
    EXPECT_EQ(onScreen->windows[1].windowID, bottom.windowId());
}
