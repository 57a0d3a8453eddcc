#include "x11/X11WindowFacts.h"

#include <algorithm>

namespace murva {
namespace {

// Levels of the usual stacking order; callers only tell zero from the rest.
constexpr int kDesktopLayer = -1;
constexpr int kNormalLayer = 0;
constexpr int kFloatingLayer = 3;
constexpr int kDockLayer = 20;
constexpr int kPopUpLayer = 101;

QByteArray withoutTrailingNuls(QByteArray text)
{
    while (text.endsWith('\0')) {
        text.chop(1);
    }
    return text;
}

} // namespace

int X11WindowFacts::layer() const
{
    // Menus, tooltips and the like bypass the window manager.
    if (overrideRedirect) {
        return kPopUpLayer;
    }
    if (!type) {
        return kNormalLayer;
    }
    switch (*type) {
    case X11WindowType::normal:
        return kNormalLayer;
    case X11WindowType::toolbar:
    case X11WindowType::utility:
    case X11WindowType::splash:
    case X11WindowType::dialog:
        return kFloatingLayer;
    case X11WindowType::dock:
        return kDockLayer;
    case X11WindowType::desktop:
        return kDesktopLayer;
    default:
        return kPopUpLayer;
    }
}

QString windowTitle(const X11TextProperty &netWmName, const X11TextProperty &wmName, xcb_atom_t utf8String)
{
    const QByteArray modern = withoutTrailingNuls(netWmName.bytes);
    if (netWmName.type == utf8String && !modern.isEmpty()) {
        return QString::fromUtf8(modern);
    }
    const QByteArray legacy = withoutTrailingNuls(wmName.bytes);
    if (wmName.type == utf8String) {
        return QString::fromUtf8(legacy);
    }
    // STRING is Latin-1; COMPOUND_TEXT is taken as Latin-1 too, which holds for the
    // ASCII titles that old clients set.
    return wmName.type == XCB_ATOM_NONE ? QString() : QString::fromLatin1(legacy);
}

std::pair<QString, QString> splitWmClass(const QByteArray &wmClass)
{
    const qsizetype end = wmClass.indexOf('\0');
    if (end < 0) {
        return {QString::fromLatin1(wmClass), {}};
    }
    return {QString::fromLatin1(wmClass.first(end)), QString::fromLatin1(withoutTrailingNuls(wmClass.sliced(end + 1)))};
}

std::optional<X11WindowType> basicWindowType(std::span<const xcb_atom_t> typeList,
                                             std::span<const xcb_atom_t> knownTypes)
{
    for (const xcb_atom_t atom : typeList) {
        const auto known = std::find(knownTypes.begin(), knownTypes.end(), atom);
        if (atom != XCB_ATOM_NONE && known != knownTypes.end()) {
            return X11WindowType(known - knownTypes.begin());
        }
    }
    return std::nullopt;
}

} // namespace murva
