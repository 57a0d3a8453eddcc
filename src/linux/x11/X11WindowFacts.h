#pragma once

#include "x11/X11WindowType.h"

#include <QByteArray>
#include <QRect>
#include <QString>

#include <xcb/xcb.h>

#include <optional>
#include <span>
#include <utility>

namespace murva {

// What the X server says about one top-level window, before any interpretation
// of its owner.
struct X11WindowFacts {
    xcb_window_t id = XCB_WINDOW_NONE;
    QString title;
    QRect frame; // root coordinates, without the border
    bool viewable = false;
    bool hidden = false; // _NET_WM_STATE_HIDDEN: minimised, or on another desktop
    bool overrideRedirect = false;
    std::optional<X11WindowType> type;
    qint64 pid = 0; // 0 when unknown
    QString wmClassInstance;
    QString wmClass;

    bool isOnScreen() const { return viewable && !hidden; }
    // 0 for normal windows; the other values only order the rest like stacking levels.
    int layer() const;
};

// A text property as read: its type atom and its bytes.
struct X11TextProperty {
    xcb_atom_t type = XCB_ATOM_NONE;
    QByteArray bytes;
};

// _NET_WM_NAME when it holds UTF-8 text, else WM_NAME in the encoding its type names
// (UTF8_STRING, or Latin-1 for STRING and, approximately, COMPOUND_TEXT).
QString windowTitle(const X11TextProperty &netWmName, const X11TextProperty &wmName, xcb_atom_t utf8String);

// WM_CLASS holds the instance and the class, each ended by a NUL.
std::pair<QString, QString> splitWmClass(const QByteArray &wmClass);

// The first basic type in a _NET_WM_WINDOW_TYPE list (most preferred first); nothing
// when it names none. `knownTypes` are the atoms in X11WindowType order.
std::optional<X11WindowType> basicWindowType(std::span<const xcb_atom_t> typeList,
                                             std::span<const xcb_atom_t> knownTypes);

} // namespace murva
