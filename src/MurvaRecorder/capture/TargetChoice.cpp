#include "capture/TargetChoice.h"

#include "api/SaveError.h"
#include "screen/ScreenAccess.h"

#include <QCoreApplication>

namespace murva {

namespace {

bool isCandidate(const ShareableWindow &window, const Call &call)
{
    if (!window.owningApplication || !window.isOnScreen || window.windowLayer != 0
        || window.frame.width() < 320 || window.frame.height() < 200) {
        return false;
    }
    const std::optional<AudioOwner> owner = audioOwner(window.owningApplication->bundleIdentifier);
    if (!owner) {
        return false;
    }
    if (owner->isBrowser()) {
        return call.owner.isBrowser();
    }
    return *owner == call.owner && !call.owner.isBrowser();
}

double area(const ShareableWindow &window)
{
    return window.frame.width() * window.frame.height();
}

} // namespace

std::optional<ShareableWindow> callWindow(const ShareableContent &content, const Call &call)
{
    std::vector<const ShareableWindow *> candidates;
    for (const ShareableWindow &window : content.windows) {
        if (isCandidate(window, call)) {
            candidates.push_back(&window);
        }
    }
    if (call.owner.isBrowser()) {
        std::vector<const ShareableWindow *> pages;
        for (const ShareableWindow *window : candidates) {
            if (callPage(window->title)) {
                pages.push_back(window);
            }
        }
        if (!pages.empty()) {
            candidates = std::move(pages);
        }
    }
    const ShareableWindow *largest = nullptr;
    for (const ShareableWindow *window : candidates) {
        if (!largest || area(*window) > area(*largest)) {
            largest = window;
        }
    }
    return largest ? std::optional(*largest) : std::nullopt;
}

std::optional<RunningApplication> ownApplication(const ShareableContent &content)
{
    const qint64 pid = QCoreApplication::applicationPid();
    for (const RunningApplication &application : content.applications) {
        if (application.processID == pid) {
            return application;
        }
    }
    return std::nullopt;
}

ChosenTarget targetIn(const ShareableContent &content, const Call &call)
{
    const std::optional<RunningApplication> own = ownApplication(content);
    if (const auto window = callWindow(content, call)) {
        return {CaptureTarget{*window}, own};
    }
    const auto main = std::find_if(content.displays.begin(), content.displays.end(),
                                   [](const ShareableDisplay &display) { return display.isMain; });
    if (main != content.displays.end()) {
        return {CaptureTarget{*main}, own};
    }
    if (!content.displays.empty()) {
        return {CaptureTarget{content.displays.front()}, own};
    }
    throw SaveError::failed;
}

QCoro::Task<ChosenTarget> targetFor(std::shared_ptr<ScreenAccess> screen, const Call &callArgument)
{
    const Call call = callArgument; // copied before the first suspension
    const std::optional<ShareableContent> content = co_await screen->content(true);
    if (!content) {
        throw SaveError::failed;
    }
    co_return targetIn(*content, call);
}

QString sizeText(const QRectF &frame)
{
    return QStringLiteral("%1\u00D7%2").arg(qint64(frame.width())).arg(qint64(frame.height()));
}

QString describe(const ShareableWindow &window)
{
    const QString app = window.owningApplication ? window.owningApplication->applicationName : QStringLiteral("?");
    return QStringLiteral("window %1 \u201C%2\u201D %3").arg(app.isEmpty() ? QStringLiteral("?") : app, window.title, sizeText(window.frame));
}

QString describe(const ShareableDisplay &display)
{
    return QStringLiteral("screen %1 %2").arg(display.displayID).arg(sizeText(display.frame));
}

QString describe(const CaptureTarget &target)
{
    return target.isWindow() ? describe(target.window()) : describe(target.display());
}

} // namespace murva
