// The recording bar's content in each phase.
#include "bar/BarItems.h"

#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace murva {
namespace {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
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
            out << u"x "_s + item.text;
            break;
        case Kind::progress:
            out << u"%"_s + QString::number(qRound(item.progress * 100));
            break;
        default:
            break;
        }
    }
    return out;
}

TEST(BarItems, EveryPhase)
{
    Settings().setLanguage(u"en"_s);
    struct Case {
        ModelPhase phase;
        QStringList content;
    };
    const Case cases[] = {
        {ModelPhase::idle(), {}},
        {ModelPhase::asking(Call{CallApp::zoom, std::nullopt, true, AudioOwner::browser()}), {u"Record this call"_s, u"[Record]"_s, u"[Not now]"_s}},
        {ModelPhase::recording(now - 83s), {u"01:23"_s, u"[Stop and save]"_s}},
        {ModelPhase::saving(0.3), {u"Saving…"_s, u"%30"_s}},
        {ModelPhase::saved(u"m"_s, 59.9), {u"Saved in Murva"_s, u"Only 00:59 recorded"_s, u"[Open]"_s, u"x Close"_s}},
        {ModelPhase::saved(u"m"_s, 60), {u"Saved in Murva"_s, u"[Open]"_s, u"x Close"_s}},
        {ModelPhase::failed(u"r"_s, SaveError::signIn), {u"Please sign in again."_s, u"[Sign in]"_s, u"x Close"_s}},
        {ModelPhase::failed(u"r"_s, SaveError::tooBig),
         {u"This recording is too large to be saved."_s, u"[Try again]"_s, u"x Close"_s}},
    };
    for (const Case &test : cases)
        EXPECT_EQ(shown(barItems(test.phase, now)), test.content) << qPrintable(ModelPhase::name(test.phase.kind()));
}

} // namespace
} // namespace murva
