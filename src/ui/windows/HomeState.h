#pragma once

#include "meetings/Calendar.h"
#include "meetings/WeekCount.h"
#include "model/Model.h"

#include <QLocale>

namespace murva {

// What the home window shows, read from the model, with the calendar and locale its
// dates are read in.
struct HomeState {
    ModelPhase phase;
    bool autoRecord = false;
    OptionalMeeting next;
    bool nextSkipped = false;
    RecordingList unsaved;
    RecordingList recent;
    NotesByMeeting notes;
    std::vector<UpcomingMeeting> upcoming;
    WeekCount week;
    SystemTime now{};
    bool iconHidden = false;
    QString version;
    Calendar calendar;
    QLocale locale;

    static HomeState of(const Model &model);
};

} // namespace murva
