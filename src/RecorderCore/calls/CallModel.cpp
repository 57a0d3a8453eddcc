#include "calls/CallModel.h"

#include "calls/CallWatch.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <utility>

namespace murva {

namespace {

constexpr QStringView kGoogleMeetOrigin = u"https://meet.google.com";

// First prefix wins, so the order of this table is part of the classification.
const std::array<std::pair<QStringView, CallApp>, 8> kNativeAppPrefixes{{
    {u"us.zoom.", CallApp::zoom},
    {u"com.microsoft.teams", CallApp::teams},
    {u"com.webex.", CallApp::webex},
    {u"cisco-systems.spark", CallApp::webex},
    {u"com.cisco.webex", CallApp::webex},
    {u"com.apple.facetime", CallApp::facetime},
    {u"com.apple.avconferenced", CallApp::facetime},
    {u"com.tinyspeck.slackmacgap", CallApp::slack},
}};

const std::array<QStringView, 10> kBrowserPrefixes{
    u"com.google.chrome",     u"com.apple.safari",  u"com.apple.webkit.",  u"company.thebrowser.",
    u"com.microsoft.edgemac", u"com.brave.browser", u"org.mozilla.firefox", u"com.operasoftware.",
    u"com.vivaldi.",          u"com.kagi.kagimacos",
};

// Browsers whose captured window shows a tall tab strip and toolbar above the page.
const std::array<QStringView, 5> kTallToolbarBrowserPrefixes{
    u"com.google.chrome", u"com.brave.browser", u"com.microsoft.edgemac", u"com.operasoftware.", u"com.vivaldi.",
};

// English and French texts of the calling apps' sharing indicators.
const std::array<QStringView, 14> kPresentingPhrases{
    u"is sharing your screen",
    u"is sharing a window",
    u"is sharing this tab",
    u"is sharing your entire screen",
    u"share toolbar",
    u"sharing toolbar",
    u"sharing control bar",
    u"share statusbar",
    u"screen sharing",
    u"partage votre \u00e9cran",
    u"partage une fen\u00eatre",
    u"partage cet onglet",
    u"partage d'\u00e9cran",
    u"partage de l'\u00e9cran",
};

template <std::size_t N>
bool startsWithAny(const QString &text, const std::array<QStringView, N> &prefixes)
{
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](QStringView prefix) { return text.startsWith(prefix); });
}

std::optional<CallPage> meetPage(const QString &lowerTitle)
{
    const bool startsWithMeet = lowerTitle.startsWith(u"meet");
    const bool namesGoogleMeet = lowerTitle.contains(u"google meet");
    if (!startsWithMeet && !namesGoogleMeet)
        return std::nullopt;

    // Unicode word boundaries, so that a code glued to accented letters is not taken.
    static const QRegularExpression meetCode(QStringLiteral("\\b[a-z]{3}-[a-z]{4}-[a-z]{3}\\b"),
                                             QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch match = meetCode.match(lowerTitle);
    if (match.hasMatch()) {
        const QString address = kGoogleMeetOrigin.toString() + u'/' + match.captured();
        return CallPage{CallApp::meet, QUrl(address)};
    }
    if (namesGoogleMeet)
        return CallPage{CallApp::meet, std::nullopt};
    return std::nullopt; // a title that merely begins with "meet" may still be another service
}

std::optional<CallApp> otherServiceOfTitle(const QString &t)
{
    if (t.contains(u"zoom meeting") || t.contains(u"zoom workplace") || t.startsWith(u"zoom"))
        return CallApp::zoom;
    if (t.contains(u"microsoft teams") || t.endsWith(u"| teams"))
        return CallApp::teams;
    if (t.contains(u"webex"))
        return CallApp::webex;
    if (t.contains(u"whereby"))
        return CallApp::whereby;
    return std::nullopt;
}

// Only spaces and tabs: an address with a line break in it is not an address.
QString trimmedOfBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

bool belongsToCall(const OnScreenWindow &window, const Call &call)
{
    return window.owner.has_value() && *window.owner == call.owner;
}

bool showsSharingIndicator(const QString &title)
{
    // Titles may come decomposed ("e" + combining accent); compare in composed form.
    const QString text = title.toLower().normalized(QString::NormalizationForm_C);
    return std::any_of(kPresentingPhrases.begin(), kPresentingPhrases.end(),
                       [&](QStringView phrase) { return text.contains(phrase); });
}

} // namespace

QString rawValue(CallApp app)
{
    switch (app) {
    case CallApp::zoom: return QStringLiteral("zoom");
    case CallApp::meet: return QStringLiteral("meet");
    case CallApp::teams: return QStringLiteral("teams");
    case CallApp::webex: return QStringLiteral("webex");
    case CallApp::facetime: return QStringLiteral("facetime");
    case CallApp::slack: return QStringLiteral("slack");
    case CallApp::whereby: return QStringLiteral("whereby");
    case CallApp::other: return QStringLiteral("other");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<CallApp> callAppFromRawValue(QStringView raw)
{
    for (CallApp app : allCases<CallApp>()) {
        if (raw == rawValue(app))
            return app;
    }
    return std::nullopt;
}

QJsonValue toJson(CallApp app)
{
    return QJsonValue(rawValue(app));
}

CallApp callAppFromJson(const QJsonValue &json)
{
    if (!json.isString())
        throw CallAppDecodeError("call app: expected a string");
    const QString raw = json.toString();
    if (const auto app = callAppFromRawValue(raw))
        return *app;
    throw CallAppDecodeError("call app: unknown value \"" + raw.toStdString() + "\"");
}

std::optional<AudioOwner> audioOwner(const QString &bundleID)
{
    const QString id = bundleID.toLower();
    for (const auto &[prefix, app] : kNativeAppPrefixes) {
        if (id.startsWith(prefix))
            return AudioOwner::app(app);
    }
    if (startsWithAny(id, kBrowserPrefixes))
        return AudioOwner::browser();
    return std::nullopt;
}

std::optional<CallPage> callPage(const QString &title)
{
    const QString t = title.toLower();
    if (auto meet = meetPage(t))
        return meet;
    if (const auto app = otherServiceOfTitle(t))
        return CallPage{*app, std::nullopt};
    return std::nullopt;
}

bool isMurvaPage(const QString &address, const QSet<QString> &crmHosts)
{
    const QUrl url(trimmedOfBlanks(address));
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString host = url.host().toLower();
    const QStringList labels = host.split(u'.', Qt::SkipEmptyParts);
    const bool namedMurva = std::any_of(labels.begin(), labels.end(),
                                        [](const QString &label) { return label.contains(u"murva"); });
    return namedMurva || crmHosts.contains(host);
}

bool isPresenting(const std::vector<OnScreenWindow> &windows, const Call &call)
{
    return std::any_of(windows.begin(), windows.end(), [&](const OnScreenWindow &window) {
        return belongsToCall(window, call) && showsSharingIndicator(window.title);
    });
}

double browserBarHeight(const QString &bundleID, bool fullScreen)
{
    constexpr double kTallToolbarHeight = 80;
    if (fullScreen)
        return 0;
    return startsWithAny(bundleID.toLower(), kTallToolbarBrowserPrefixes) ? kTallToolbarHeight : 0;
}

} // namespace murva
