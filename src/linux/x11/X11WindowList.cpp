#include "x11/X11WindowList.h"

#include <xcb/res.h>

#include <algorithm>
#include <span>
#include <tuple>

namespace murva {
namespace {

// Limits on what is read, in 32-bit units of property data.
constexpr std::uint32_t kMaxWindowWords = 4096;
constexpr std::uint32_t kMaxTitleWords = 1024;
constexpr std::uint32_t kMaxClassWords = 256;
constexpr std::uint32_t kMaxAtomListWords = 64;
// Frames of reparenting window managers nest the client a level or two deep.
constexpr int kMaxFrameDepth = 3;

QByteArray propertyBytes(const xcb_get_property_reply_t *reply)
{
    if (!reply || reply->format != 8) {
        return {};
    }
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                      xcb_get_property_value_length(reply));
}

std::span<const std::uint32_t> propertyWords(const xcb_get_property_reply_t *reply)
{
    if (!reply || reply->format != 32) {
        return {};
    }
    return {static_cast<const std::uint32_t *>(xcb_get_property_value(reply)),
            std::size_t(xcb_get_property_value_length(reply)) / sizeof(std::uint32_t)};
}

X11TextProperty textProperty(const xcb_get_property_reply_t *reply)
{
    return reply ? X11TextProperty{reply->type, propertyBytes(reply)} : X11TextProperty{};
}

xcb_get_property_cookie_t askProperty(X11Connection &x11, xcb_window_t window, xcb_atom_t property,
                                      xcb_atom_t type, std::uint32_t words)
{
    return xcb_get_property(x11.xcb(), 0, window, property, type, 0, words);
}

std::vector<bool> haveWmState(X11Connection &x11, const std::vector<xcb_window_t> &windows)
{
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (const xcb_window_t window : windows) {
        cookies.push_back(askProperty(x11, window, x11.atoms().wmState, XCB_GET_PROPERTY_TYPE_ANY, 0));
    }
    std::vector<bool> have;
    have.reserve(windows.size());
    for (const auto cookie : cookies) {
        const auto reply = x11.reply<xcb_get_property_reply_t>(cookie);
        have.push_back(reply && reply->type != XCB_ATOM_NONE);
    }
    return have;
}

std::vector<xcb_window_t> childrenOf(const xcb_query_tree_reply_t *tree)
{
    if (!tree) {
        return {};
    }
    const xcb_window_t *children = xcb_query_tree_children(tree);
    return {children, children + xcb_query_tree_children_length(tree)};
}

// ICCCM: the client is the window that carries WM_STATE; a frame without one inside
// stands for itself. Searched a level at a time so each level is one round trip.
std::vector<xcb_window_t> clientsOf(X11Connection &x11, const std::vector<xcb_window_t> &frames)
{
    std::vector<xcb_window_t> clients = frames;
    const std::vector<bool> framesAreClients = haveWmState(x11, frames);
    std::vector<std::pair<std::size_t, xcb_window_t>> searching; // (index into frames, window)
    for (std::size_t at = 0; at < frames.size(); ++at) {
        if (!framesAreClients[at]) {
            searching.emplace_back(at, frames[at]);
        }
    }
    for (int depth = 0; depth < kMaxFrameDepth && !searching.empty(); ++depth) {
        std::vector<xcb_query_tree_cookie_t> trees;
        for (const auto &[index, window] : searching) {
            trees.push_back(xcb_query_tree(x11.xcb(), window));
        }
        std::vector<std::pair<std::size_t, xcb_window_t>> inside;
        for (std::size_t at = 0; at < trees.size(); ++at) {
            const auto tree = x11.reply<xcb_query_tree_reply_t>(trees[at]);
            for (const xcb_window_t child : childrenOf(tree.get())) {
                inside.emplace_back(searching[at].first, child);
            }
        }
        std::vector<xcb_window_t> insideWindows;
        for (const auto &[index, window] : inside) {
            insideWindows.push_back(window);
        }
        const std::vector<bool> insideAreClients = haveWmState(x11, insideWindows);
        std::vector<bool> found(frames.size(), false);
        for (std::size_t at = 0; at < inside.size(); ++at) {
            if (insideAreClients[at] && !found[inside[at].first]) {
                clients[inside[at].first] = inside[at].second;
                found[inside[at].first] = true;
            }
        }
        searching.clear();
        for (std::size_t at = 0; at < inside.size(); ++at) {
            if (!found[inside[at].first]) {
                searching.push_back(inside[at]);
            }
        }
    }
    return clients;
}

// Without a window manager: the root's viewable children, front-most first.
std::vector<xcb_window_t> unmanagedTopLevels(X11Connection &x11, std::vector<xcb_window_t> children)
{
    std::reverse(children.begin(), children.end()); // the tree lists bottom to top
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    for (const xcb_window_t child : children) {
        cookies.push_back(xcb_get_window_attributes(x11.xcb(), child));
    }
    std::vector<xcb_window_t> viewable;
    for (std::size_t at = 0; at < children.size(); ++at) {
        const auto attributes = x11.reply<xcb_get_window_attributes_reply_t>(cookies[at]);
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE
            && attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT) {
            viewable.push_back(children[at]);
        }
    }
    return clientsOf(x11, viewable);
}

std::optional<std::vector<xcb_window_t>> topLevelWindows(X11Connection &x11)
{
    const auto stackingCookie = askProperty(x11, x11.root(), x11.atoms().clientListStacking, XCB_ATOM_WINDOW,
                                            kMaxWindowWords);
    const auto treeCookie = xcb_query_tree(x11.xcb(), x11.root());
    const auto stacking = x11.reply<xcb_get_property_reply_t>(stackingCookie);
    const auto tree = x11.reply<xcb_query_tree_reply_t>(treeCookie);
    if (x11.broken()) {
        return std::nullopt;
    }
    const std::span<const std::uint32_t> managed = propertyWords(stacking.get());
    if (!managed.empty()) {
        return std::vector<xcb_window_t>(managed.rbegin(), managed.rend()); // listed bottom to top
    }
    return unmanagedTopLevels(x11, childrenOf(tree.get()));
}

// All questions about one window, sent before any answer is read.
struct WindowQuestions {
    xcb_get_window_attributes_cookie_t attributes;
    xcb_get_geometry_cookie_t geometry;
    xcb_translate_coordinates_cookie_t position;
    xcb_get_property_cookie_t netWmName;
    xcb_get_property_cookie_t wmName;
    xcb_get_property_cookie_t pid;
    xcb_get_property_cookie_t wmClass;
    xcb_get_property_cookie_t state;
    xcb_get_property_cookie_t type;
    std::optional<xcb_res_query_client_ids_cookie_t> clientIds;
};

WindowQuestions ask(X11Connection &x11, xcb_window_t window)
{
    const X11Atoms &atoms = x11.atoms();
    WindowQuestions questions{
        xcb_get_window_attributes(x11.xcb(), window),
        xcb_get_geometry(x11.xcb(), window),
        xcb_translate_coordinates(x11.xcb(), window, x11.root(), 0, 0),
        askProperty(x11, window, atoms.netWmName, atoms.utf8String, kMaxTitleWords),
        askProperty(x11, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, kMaxTitleWords),
        askProperty(x11, window, atoms.netWmPid, XCB_ATOM_CARDINAL, 1),
        askProperty(x11, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, kMaxClassWords),
        askProperty(x11, window, atoms.netWmState, XCB_ATOM_ATOM, kMaxAtomListWords),
        askProperty(x11, window, atoms.netWmWindowType, XCB_ATOM_ATOM, kMaxAtomListWords),
        std::nullopt,
    };
    if (x11.hasClientIds()) {
        const xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        questions.clientIds = xcb_res_query_client_ids(x11.xcb(), 1, &spec);
    }
    return questions;
}

// The process id the server knows for the window's client (X-Resource 1.2); works for
// local clients that never set _NET_WM_PID.
qint64 clientPid(X11Connection &x11, xcb_res_query_client_ids_cookie_t cookie)
{
    const auto reply = x11.reply<xcb_res_query_client_ids_reply_t>(cookie);
    if (!reply) {
        return 0;
    }
    for (auto ids = xcb_res_query_client_ids_ids_iterator(reply.get()); ids.rem > 0;
         xcb_res_client_id_value_next(&ids)) {
        if ((ids.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID)
            && xcb_res_client_id_value_value_length(ids.data) >= 1) {
            return *xcb_res_client_id_value_value(ids.data);
        }
    }
    return 0;
}

// Nothing for a window that has gone meanwhile, or one not to be listed at all.
std::optional<X11WindowFacts> answer(X11Connection &x11, xcb_window_t window, const WindowQuestions &questions)
{
    const auto attributes = x11.reply<xcb_get_window_attributes_reply_t>(questions.attributes);
    const auto geometry = x11.reply<xcb_get_geometry_reply_t>(questions.geometry);
    const auto position = x11.reply<xcb_translate_coordinates_reply_t>(questions.position);
    const auto netWmName = x11.reply<xcb_get_property_reply_t>(questions.netWmName);
    const auto wmName = x11.reply<xcb_get_property_reply_t>(questions.wmName);
    const auto pid = x11.reply<xcb_get_property_reply_t>(questions.pid);
    const auto wmClass = x11.reply<xcb_get_property_reply_t>(questions.wmClass);
    const auto state = x11.reply<xcb_get_property_reply_t>(questions.state);
    const auto type = x11.reply<xcb_get_property_reply_t>(questions.type);
    const qint64 serverPid = questions.clientIds ? clientPid(x11, *questions.clientIds) : 0;
    if (!attributes || !geometry || !position || attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY) {
        return std::nullopt;
    }

    const X11Atoms &atoms = x11.atoms();
    X11WindowFacts facts;
    facts.id = window;
    facts.title = windowTitle(textProperty(netWmName.get()), textProperty(wmName.get()), atoms.utf8String);
    facts.frame = QRect(position->dst_x, position->dst_y, geometry->width, geometry->height);
    facts.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    const std::span<const std::uint32_t> states = propertyWords(state.get());
    facts.hidden = std::find(states.begin(), states.end(), atoms.netWmStateHidden) != states.end();
    facts.overrideRedirect = attributes->override_redirect;
    facts.type = basicWindowType(propertyWords(type.get()), atoms.windowTypes);
    const std::span<const std::uint32_t> pidWords = propertyWords(pid.get());
    facts.pid = pidWords.empty() || pidWords.front() == 0 ? serverPid : qint64(pidWords.front());
    std::tie(facts.wmClassInstance, facts.wmClass) = splitWmClass(propertyBytes(wmClass.get()));
    if (facts.type == X11WindowType::desktop) {
        return std::nullopt;
    }
    return facts;
}

} // namespace

std::optional<std::vector<X11WindowFacts>> readWindows(X11Connection &x11)
{
    const std::optional<std::vector<xcb_window_t>> windows = topLevelWindows(x11);
    if (!windows) {
        return std::nullopt;
    }
    std::vector<WindowQuestions> questions;
    questions.reserve(windows->size());
    for (const xcb_window_t window : *windows) {
        questions.push_back(ask(x11, window));
    }
    std::vector<X11WindowFacts> listed;
    for (std::size_t at = 0; at < windows->size(); ++at) {
        if (auto facts = answer(x11, (*windows)[at], questions[at])) {
            listed.push_back(std::move(*facts));
        }
    }
    if (x11.broken()) {
        return std::nullopt;
    }
    return listed;
}

} // namespace murva
