#pragma once

#include <QHashFunctions>
#include <QJsonValue>
#include <QSet>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace murva {

// The calling services, in order of precedence: when several native apps hold the
// microphone at once, the earlier one is taken as the call.
enum class CallApp { zoom, meet, teams, webex, facetime, slack, whereby, other };

// Every case of an enumeration in declaration order; specialised per enumeration.
template <typename Enum>
constexpr auto allCases();

template <>
constexpr auto allCases<CallApp>()
{
    return std::array{CallApp::zoom,     CallApp::meet,  CallApp::teams,   CallApp::webex,
                      CallApp::facetime, CallApp::slack, CallApp::whereby, CallApp::other};
}

// The stored and wire spelling of a service, such as "zoom".
QString rawValue(CallApp app);

// Exact, case-sensitive match on the raw strings; nothing for any other text.
std::optional<CallApp> callAppFromRawValue(QStringView raw);

// Thrown when a stored document names a service this build does not know. There is
// deliberately no fallback to `other`: a record we cannot read must not be rewritten
// as something else.
class CallAppDecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

QJsonValue toJson(CallApp app);
CallApp callAppFromJson(const QJsonValue &json); // throws CallAppDecodeError

// Who holds an audio device: a native calling app, or any web browser (which one is
// not kept).
class AudioOwner {
public:
    static constexpr AudioOwner app(CallApp callApp) { return AudioOwner(false, callApp); }
    static constexpr AudioOwner browser() { return AudioOwner(true, CallApp::other); }

    constexpr bool isBrowser() const { return isBrowser_; }
    // The service of an `app` owner; nothing for the browser.
    constexpr std::optional<CallApp> callApp() const
    {
        return isBrowser_ ? std::nullopt : std::optional<CallApp>(callApp_);
    }

    constexpr bool operator==(const AudioOwner &) const = default;

private:
    // The browser always carries `other` so that the defaulted comparison holds.
    constexpr AudioOwner(bool isBrowser, CallApp callApp) : isBrowser_(isBrowser), callApp_(callApp) {}

    bool isBrowser_;
    CallApp callApp_;
};

// Distinct small integers: one per app, and one past them for the browser.
constexpr std::size_t hashKey(AudioOwner owner)
{
    return owner.isBrowser() ? allCases<CallApp>().size() : static_cast<std::size_t>(*owner.callApp());
}

inline size_t qHash(AudioOwner owner, size_t salt = 0) noexcept
{
    return ::qHash(hashKey(owner), salt);
}

// A browser page recognised as a call. Only Google Meet titles carry enough to rebuild
// the join address.
struct CallPage {
    CallApp app;
    std::optional<QUrl> joinUrl;

    bool operator==(const CallPage &) const = default;
};

// One window on screen. `owner` is the classification of the owning process; absent
// when it is neither a known calling app nor a known browser.
struct OnScreenWindow {
    std::optional<AudioOwner> owner;
    QString title; // empty when the platform gives none

    bool operator==(const OnScreenWindow &) const = default;
};

struct Call; // CallWatch.h

// Classifies a process by its application identifier ("us.zoom.xos", "com.google.Chrome").
std::optional<AudioOwner> audioOwner(const QString &bundleID);

// Recognises a browser tab or window title as a call page.
std::optional<CallPage> callPage(const QString &title);

// Whether a page address belongs to the meeting-notes service itself, judged by its host:
// a host label containing "murva", or a host listed in `crmHosts` (lower case).
bool isMurvaPage(const QString &address, const QSet<QString> &crmHosts);

// Whether some on-screen window of the call's owner says that a screen is being shared.
bool isPresenting(const std::vector<OnScreenWindow> &windows, const Call &call);

// Height in points of the toolbar a captured browser window carries above the page.
double browserBarHeight(const QString &bundleID, bool fullScreen);

} // namespace murva

template <>
struct std::hash<murva::AudioOwner> {
    std::size_t operator()(murva::AudioOwner owner) const noexcept { return murva::hashKey(owner); }
};
