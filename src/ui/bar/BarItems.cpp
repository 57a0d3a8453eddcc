#include "bar/BarItems.h"

#include "api/SaveError.h"
#include "settings/Language.h"
#include "turns/Clock.h"

namespace murva {
namespace {

using Kind = BarItem::Kind;

constexpr double shortRecordingSec = 60;

BarItem item(Kind kind, const QString &text = {}, BarCommand command = BarCommand::none)
{
    return BarItem{kind, text, command, 0};
}

BarItem button(Kind kind, const QString &key, BarCommand command)
{
    return item(kind, Language::text(key), command);
}

BarItem closeButton()
{
    return item(Kind::closeButton, Language::text(QStringLiteral("close")), BarCommand::notNow);
}

std::vector<BarItem> savedItems(const ModelPhase &phase)
{
    std::vector<BarItem> items{item(Kind::checkBadge), item(Kind::text, Language::text(QStringLiteral("savedInMurva")))};
    if (phase.seconds() < shortRecordingSec) {
        items.push_back(item(Kind::note, Language::text(QStringLiteral("onlyRecorded %@"), QVariantList{clock(phase.seconds())})));
    }
    items.push_back(button(Kind::primaryButton, QStringLiteral("openMeeting"), BarCommand::openMeeting));
    items.push_back(closeButton());
    return items;
}

std::vector<BarItem> failedItems(const ModelPhase &phase)
{
    std::vector<BarItem> items{item(Kind::alertBadge),
                               item(Kind::text, Language::text(QStringLiteral("error.") + rawValue(phase.reason())))};
    if (phase.reason() == SaveError::signIn) {
        items.push_back(button(Kind::primaryButton, QStringLiteral("connectShort"), BarCommand::connect));
    } else {
        items.push_back(button(Kind::primaryButton, QStringLiteral("tryAgain"), BarCommand::tryAgain));
    }
    items.push_back(closeButton());
    return items;
}

} // namespace

std::vector<BarItem> barItems(const ModelPhase &phase, SystemTime now)
{
    switch (phase.kind()) {
    case ModelPhase::Kind::asking:
        return {item(Kind::indicator), item(Kind::text, Language::text(QStringLiteral("recordThisCall"))),
                button(Kind::primaryButton, QStringLiteral("record"), BarCommand::record),
                button(Kind::secondaryButton, QStringLiteral("notNow"), BarCommand::notNow)};
    case ModelPhase::Kind::recording:
        return {item(Kind::indicator), item(Kind::text, clock(secondsBetween(phase.since(), now))),
                button(Kind::primaryButton, QStringLiteral("stopAndSave"), BarCommand::stopAndSave)};
    case ModelPhase::Kind::saving: {
        BarItem progress = item(Kind::progress);
        progress.progress = phase.progress();
        return {item(Kind::text, Language::text(QStringLiteral("saving"))), progress};
    }
    case ModelPhase::Kind::saved:
        return savedItems(phase);
    case ModelPhase::Kind::failed:
        return failedItems(phase);
    case ModelPhase::Kind::idle:
        break;
    }
    return {};
}

} // namespace murva
