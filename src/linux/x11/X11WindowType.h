#pragma once

#include <array>

namespace murva {

// The basic window types of the window-manager hints (_NET_WM_WINDOW_TYPE_*).
enum class X11WindowType {
    desktop,
    dock,
    toolbar,
    menu,
    utility,
    splash,
    dialog,
    dropdownMenu,
    popupMenu,
    tooltip,
    notification,
    combo,
    dnd,
    normal,
};

// Atom names, in the order of the enumeration.
inline constexpr std::array<const char *, 14> kX11WindowTypeAtomNames{
    "_NET_WM_WINDOW_TYPE_DESKTOP",      "_NET_WM_WINDOW_TYPE_DOCK",       "_NET_WM_WINDOW_TYPE_TOOLBAR",
    "_NET_WM_WINDOW_TYPE_MENU",         "_NET_WM_WINDOW_TYPE_UTILITY",    "_NET_WM_WINDOW_TYPE_SPLASH",
    "_NET_WM_WINDOW_TYPE_DIALOG",       "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", "_NET_WM_WINDOW_TYPE_POPUP_MENU",
    "_NET_WM_WINDOW_TYPE_TOOLTIP",      "_NET_WM_WINDOW_TYPE_NOTIFICATION", "_NET_WM_WINDOW_TYPE_COMBO",
    "_NET_WM_WINDOW_TYPE_DND",          "_NET_WM_WINDOW_TYPE_NORMAL",
};

} // namespace murva
