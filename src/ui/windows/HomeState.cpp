#include "windows/HomeState.h"

#include "support/Version.h"
#include "settings/Language.h"
#include "windows/HomeTexts.h"

namespace murva {

HomeState HomeState::of(const Model &model)
{
    HomeState state;
    state.phase = model.phase();
    state.autoRecord = model.autoRecord();
    state.next = model.next();
    state.nextSkipped = model.next() && model.skipped().contains(skipKey(*model.next()));
    state.unsaved = model.unsaved();
    state.recent = model.recent();
    state.notes = model.notes();
    state.upcoming = model.upcoming().value_or(std::vector<UpcomingMeeting>{});
    state.now = model.now();
    state.calendar = Calendar::current();
    state.week = WeekCount::of(model.recordings(), state.now, state.calendar);
    state.iconHidden = model.iconHidden();
    state.version = QString::fromLatin1(buildVersion());
    state.locale = HomeTexts::appLocale(Language::current());
    return state;
}

} // namespace murva
