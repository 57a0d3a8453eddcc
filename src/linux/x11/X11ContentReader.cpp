#include "x11/X11ContentReader.h"

#include "identity/ApplicationIdentity.h"
#include "x11/X11Connection.h"
#include "x11/X11ConnectionOpener.h"
#include "x11/X11Displays.h"
#include "x11/X11WindowList.h"

#include <QCoreApplication>
#include <QHash>

#include <unistd.h>

#include <algorithm>
#include <utility>

namespace murva {
namespace {

// Windows of one process usually share their owner; /proc is read once per owner.
class OwnerCache {
public:
    explicit OwnerCache(const QString &procRoot) : procRoot_(procRoot) {}

    std::optional<RunningApplication> ownerOf(const X11WindowFacts &window)
    {
        if (window.pid == 0 && window.wmClassInstance.isEmpty() && window.wmClass.isEmpty()) {
            return std::nullopt;
        }
        const QString key = QString::number(window.pid) + u'\n' + window.wmClassInstance + u'\n' + window.wmClass;
        auto cached = owners_.constFind(key);
        if (cached == owners_.constEnd()) {
            const ApplicationIdentity identity =
                ApplicationIdentity::forWindow(window.pid, window.wmClassInstance, window.wmClass, procRoot_);
            cached = owners_.insert(key, RunningApplication{identity.identifier, identity.name, window.pid});
        }
        return *cached;
    }

private:
    const QString &procRoot_;
    QHash<QString, RunningApplication> owners_;
};

ShareableWindow shareableWindow(const X11WindowFacts &facts, std::optional<RunningApplication> owner)
{
    ShareableWindow window;
    window.windowID = facts.id;
    window.title = facts.title;
    window.frame = QRectF(facts.frame);
    window.windowLayer = facts.layer();
    window.isOnScreen = facts.isOnScreen();
    window.owningApplication = std::move(owner);
    return window;
}

// This process itself, so that callers can find and leave out their own windows.
RunningApplication ownApplication(const QString &procRoot)
{
    const qint64 pid = ::getpid();
    const ApplicationIdentity identity = ApplicationIdentity::forProcess(pid, {}, {}, procRoot);
    const QString appName = QCoreApplication::applicationName();
    return {identity.identifier, appName.isEmpty() ? identity.name : appName, pid};
}

void addOnce(std::vector<RunningApplication> &applications, const RunningApplication &application)
{
    if (std::find(applications.begin(), applications.end(), application) == applications.end()) {
        applications.push_back(application);
    }
}

} // namespace

X11ContentReader::X11ContentReader(QString procRoot, std::chrono::milliseconds deadline)
    : procRoot_(std::move(procRoot)), deadline_(deadline), opener_(std::make_unique<X11ConnectionOpener>())
{
}

X11ContentReader::~X11ContentReader() = default;

X11Connection *X11ContentReader::connection(QDeadlineTimer deadline)
{
    const QByteArray displayName = qgetenv("DISPLAY");
    if (connection_ && (connection_->broken() || connection_->displayName() != displayName)) {
        connection_.reset();
    }
    if (!connection_) {
        connection_ = opener_->open(displayName, deadline);
    }
    if (connection_) {
        connection_->setDeadline(deadline);
    }
    return connection_.get();
}

std::optional<ShareableContent> X11ContentReader::read(bool onScreenOnly)
{
    const std::lock_guard lock(reading_);
    const QDeadlineTimer deadline(deadline_);
    X11Connection *x11 = connection(deadline);
    if (!x11) {
        return std::nullopt;
    }
    const auto monitorsAsked = askMonitors(*x11);
    const std::optional<std::vector<X11WindowFacts>> windows = readWindows(*x11);
    ShareableContent content;
    content.displays = readDisplays(*x11, monitorsAsked);
    if (!windows || x11->broken()) {
        connection_.reset();
        return std::nullopt;
    }

    // This process first, so that looking for "the own application" by process id
    // finds this entry even when one of its windows names another program.
    addOnce(content.applications, ownApplication(procRoot_));
    OwnerCache owners(procRoot_);
    for (const X11WindowFacts &facts : *windows) {
        std::optional<RunningApplication> owner = owners.ownerOf(facts);
        if (owner) {
            addOnce(content.applications, *owner);
        }
        if (!onScreenOnly || facts.isOnScreen()) {
            content.windows.push_back(shareableWindow(facts, std::move(owner)));
        }
    }
    return content;
}

} // namespace murva
