// The recording bar's content in each phase.
#include "bar/BarItems.h"

#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace murva {
namespace {

using namespace std::chrono_literals;
using Kind = BarItem::Kind;

const SystemTime now = timeFromMillisecondsSince1970(1.77e12);

// "text" for texts and notes, "[label]" for buttons, "x" for the close button,
// "%NN" for the progress; badges and indicators left out.
QStringList shown(const std::vector<BarItem> &items)
{
    QStringList out;
    for (const BarItem &item : items) {
        switch (item.kind) {
        case Kind::text:
        case Kind::note:
            out << item.text;
            break;
        case Kind::primaryButton:
        case Kind::secondaryButton:
            out << QLatin1Char('[') + item.text + QLatin1Char(']');
            break;
        case Kind::closeButton:
            out << QStringLiteral("x ") + item.text;
            break;
        case Kind::progress:
            out << QStringLiteral("%") + QString::number(qRound(item.progress * 100));
            break;
        default:
            break;
        }
    }
    return out;
}

TEST(BarItems, EveryPhase)
{
    Settings().setLanguage(QStringLiteral("en"));
    struct Case {
        ModelPhase phase;
        QStringList content;
    };
    const Case cases[] = {
        {ModelPhase::idle(), {}},
        {ModelPhase::asking(Call{CallApp::zoom, std::nullopt, true, AudioOwner::browser()}), {QStringLiteral("Record this call"), QStringLiteral("[Record]"), QStringLiteral("[Not now]")}},
        {ModelPhase::recording(now - 83s), {QStringLiteral("01:23"), QStringLiteral("[Stop and save]")}},
        {ModelPhase::saving(0.3), {QStringLiteral("Saving…"), QStringLiteral("%30")}},
        {ModelPhase::saved(QStringLiteral("m"), 59.9),
         {QStringLiteral("Saved in Murva"), QStringLiteral("Only 00:59 recorded"), QStringLiteral("[Open]"), QStringLiteral("x Close")}},
        {ModelPhase::saved(QStringLiteral("m"), 60), {QStringLiteral("Saved in Murva"), QStringLiteral("[Open]"), QStringLiteral("x Close")}},
        {ModelPhase::failed(QStringLiteral("r"), SaveError::signIn),
         {QStringLiteral("Please sign in again."), QStringLiteral("[Sign in]"), QStringLiteral("x Close")}},
        {ModelPhase::failed(QStringLiteral("r"), SaveError::tooBig),
         {QStringLiteral("This recording is too large to be saved."), QStringLiteral("[Try again]"), QStringLiteral("x Close")}},
    };
    for (const Case &test : cases) {
        EXPECT_EQ(shown(barItems(test.phase, now)), test.content) << qPrintable(ModelPhase::name(test.phase.kind()));
    }
}

} // namespace
} // namespace murva
