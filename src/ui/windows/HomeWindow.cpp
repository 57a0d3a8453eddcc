#include "windows/HomeWindow.h"

#include "settings/Language.h"
#include "style/ElidedLabel.h"
#include "style/MurvaButton.h"
#include "style/Style.h"
#include "windows/Faces.h"
#include "windows/HomeParts.h"
#include "windows/HomeTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace murva {
namespace {
constexpr int windowHeight = 400;

QString t(const char *key, const QVariantList &arguments = {})
{
    return Language::text(QString::fromLatin1(key), arguments);
}

MurvaButton *button(const QString &name, MurvaButton::Kind kind, const QString &text)
{
    auto *button = new MurvaButton(kind, Style::Metrics::buttonHeight, true);
    button->setObjectName(name);
    button->setText(text);
    return button;
}

ElidedLabel *line(const QString &name, int size, const QColor &color, const QString &text,
                  QFont::Weight weight = QFont::Normal)
{
    auto *label = new ElidedLabel(size, color, weight);
    label->setObjectName(name);
    label->setText(text);
    return label;
}

QHBoxLayout *row(QWidget *parent = nullptr)
{
    auto *layout = new QHBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    return layout;
}

std::optional<MeetingNotes> notesOf(const Recording &recording, const HomeState &state)
{
    if (!recording.begun) {
        return std::nullopt;
    }
    const auto found = state.notes.constFind(recording.begun->meetingId);
    return found == state.notes.constEnd() ? std::nullopt : std::optional(*found);
}

QColor chipTone(const std::optional<MeetingNotes> &notes)
{
    return notes && notes->isReady() ? Style::Colors::success : Style::Colors::softInk;
}
} // namespace

HomeWindow::HomeWindow(AvatarCache *avatars, QWidget *parent)
    : QWidget(parent),
      avatars_(avatars),
      record_(button(QStringLiteral("recordNow"), MurvaButton::Kind::primary, {})),
      gear_(button(QStringLiteral("settings"), MurvaButton::Kind::plain, QStringLiteral("\u2699"))),
      pill_(new Chip),
      now_(new QVBoxLayout),
      recentHeader_(new SectionHeader(sectionHeader(QStringLiteral("homeSeeAll")))),
      recent_(new QVBoxLayout),
      comingHeader_(new SectionHeader(sectionHeader(QStringLiteral("homeOpenSchedule")))),
      coming_(new QVBoxLayout),
      version_(Style::label(11, Style::Colors::muted)),
      notice_(new QWidget),
      noticeTitle_(Style::label(13, Style::Colors::warning, QFont::DemiBold, true)),
      noticeBody_(Style::label(12, Style::Colors::softInk, QFont::Normal, true))
{
    setObjectName(QStringLiteral("home"));
    setWindowTitle(QStringLiteral("Murva Recorder"));
    Style::applyWindow(*this, Style::Metrics::windowWidth, windowHeight);
    QVBoxLayout *page = Style::scrollPage(*this, 20);

    QHBoxLayout *header = row();
    QLabel *mark = Style::label(17, Style::Colors::ink, QFont::Bold);
    mark->setText(QStringLiteral("Murva"));
    header->addWidget(mark);
    header->addStretch();
    gear_->setFont(Style::font(17));
    header->addWidget(record_);
    header->addWidget(gear_);
    page->addLayout(header);
    pill_->setObjectName(QStringLiteral("status"));
    page->addWidget(pill_);

    for (QVBoxLayout *part : {now_, recent_, coming_}) {
        part->setContentsMargins(0, 0, 0, 0);
        part->setSpacing(8);
    }
    page->addLayout(now_);
    page->addWidget(recentHeader_->widget);
    page->addLayout(recent_);
    page->addWidget(comingHeader_->widget);
    page->addLayout(coming_);

    page->addSpacing(8);
    version_->setObjectName(QStringLiteral("version"));
    page->addWidget(version_);
    notice_->setObjectName(QStringLiteral("iconHidden"));
    auto *noticeLayout = new QVBoxLayout(notice_);
    noticeLayout->setContentsMargins(0, 0, 0, 0);
    noticeLayout->addWidget(noticeTitle_);
    noticeLayout->addWidget(noticeBody_);
    page->addWidget(notice_);
    page->addStretch();

    connect(record_, &MurvaButton::clicked, this, &HomeWindow::recordNowClicked);
    connect(gear_, &MurvaButton::clicked, this, &HomeWindow::settingsClicked);
    connect(recentHeader_->link, &MurvaButton::clicked, this, &HomeWindow::seeAllClicked);
    connect(comingHeader_->link, &MurvaButton::clicked, this, &HomeWindow::openScheduleClicked);
}

void HomeWindow::show(const HomeState &state)
{
    record_->setText(t("recordNow"));
    recentHeader_->title->setText(t("recent"));
    recentHeader_->link->setText(t("homeSeeAll"));
    comingHeader_->title->setText(t("homeComingUp"));
    comingHeader_->link->setText(t("homeOpenSchedule"));
    nowKey_.clear();
    showStatus(state);
    showNow(state);
    showRecent(state);
    showComing(state);
    showFooter(state);
}

void HomeWindow::showStatus(const HomeState &state)
{
    const HomeTexts::Pill pill = HomeTexts::statusPill(state.phase, state.autoRecord);
    pill_->set(pill.text, pill.tone);
}

void HomeWindow::showNow(const HomeState &state)
{
    const bool live = state.phase.is(ModelPhase::Kind::recording);
    QString key = live ? QStringLiteral("live") : state.next ? QStringLiteral("next") : QStringLiteral("empty");
    if (!live && state.next) {
        key += skipKey(*state.next) + state.next->link.value_or(QUrl()).toString() + QString::number(state.nextSkipped)
               + QString::number(state.next->people.size()) + state.next->guests.join(QLatin1Char(','));
    }
    if (key == nowKey_) {
        if (when_ && state.next) {
            when_->setText(HomeTexts::whenText(state.next->start, state.now, state.calendar, state.locale));
        }
        return;
    }
    nowKey_ = key;
    when_ = nullptr;
    clearLayout(*now_);
    if (live) {
        now_->addWidget(liveCall(state));
    } else if (state.next) {
        now_->addWidget(nextCall(state));
    } else {
        now_->addWidget(emptyState(QStringLiteral("noCalls"), QStringLiteral("homeNoCallsTitle"),
                                   QStringLiteral("homeNoCallsBody")));
    }
}

QWidget *HomeWindow::liveCall(const HomeState &state)
{
    auto *card = new Card;
    card->setObjectName(QStringLiteral("liveCall"));
    QHBoxLayout *top = row();
    top->addWidget(line(QStringLiteral("title"), 14, Style::Colors::live, t("homeRecordingNow"), QFont::DemiBold), 1);
    top->addWidget(line(QStringLiteral("since"), 12, Style::Colors::softInk,
                        HomeTexts::timeText(state.phase.since(), state.calendar, state.locale)));
    card->content().addLayout(top);
    QLabel *note = Style::label(12, Style::Colors::softInk, QFont::Normal, true);
    note->setText(t("homeSavesWhenDone"));
    card->content().addWidget(note);
    QHBoxLayout *actions = row();
    MurvaButton *stop = button(QStringLiteral("stopAndSave"), MurvaButton::Kind::primary, t("stopAndSave"));
    MurvaButton *discard = button(QStringLiteral("discard"), MurvaButton::Kind::plain, t("discard"));
    actions->addWidget(stop);
    actions->addStretch();
    card->content().addLayout(actions);
    // On a line of its own: long labels in some languages leave no room beside "stop".
    card->content().addWidget(discard, 0, Qt::AlignLeft);
    connect(stop, &MurvaButton::clicked, this, &HomeWindow::stopAndSaveClicked);
    connect(discard, &MurvaButton::clicked, this, &HomeWindow::discardClicked);
    return card;
}

QWidget *HomeWindow::nextCall(const HomeState &state)
{
    const NextMeeting meeting = *state.next;
    auto *card = new Card;
    card->setObjectName(QStringLiteral("nextCall"));
    QHBoxLayout *top = row();
    top->addWidget(line(QStringLiteral("heading"), 11, Style::Colors::softInk, t("homeNextCall"), QFont::DemiBold), 1);
    auto *when = Style::label(12, Style::Colors::ink, QFont::DemiBold);
    when->setObjectName(QStringLiteral("when"));
    when->setText(HomeTexts::whenText(meeting.start, state.now, state.calendar, state.locale));
    when_ = when;
    top->addWidget(when);
    card->content().addLayout(top);
    card->content().addWidget(line(QStringLiteral("title"), 15, Style::Colors::ink, meeting.title, QFont::DemiBold));

    QStringList names;
    for (const Person &person : meeting.people) {
        names.append(person.shown());
    }
    if (names.isEmpty()) {
        names = meeting.guests;
    }
    const int count = int(std::max(meeting.people.size(), size_t(meeting.guests.size())));
    if (count > 0) {
        QHBoxLayout *people = row();
        auto *faces = new Faces(avatars_);
        faces->setObjectName(QStringLiteral("faces"));
        faces->setPeople(meeting.people);
        people->addWidget(faces);
        people->addWidget(line(QStringLiteral("guests"), 12, Style::Colors::softInk, HomeTexts::guestLine(names, count)), 1);
        card->content().addLayout(people);
    }

    QHBoxLayout *actions = row();
    MurvaButton *join = button(QStringLiteral("join"), MurvaButton::Kind::primary, HomeTexts::joinLabel(meeting.link));
    MurvaButton *open = button(QStringLiteral("openInMurva"), MurvaButton::Kind::secondary, t("openInMurva"));
    MurvaButton *skip = button(QStringLiteral("recordChoice"), MurvaButton::Kind::plain,
                               t(state.nextSkipped ? "homeDontRecord" : "homeWillRecord"));
    actions->addWidget(join);
    actions->addWidget(open);
    actions->addStretch();
    card->content().addLayout(actions);
    // On a line of its own: long labels in some languages leave no room beside the buttons.
    card->content().addWidget(skip, 0, Qt::AlignLeft);
    const bool skipped = state.nextSkipped;
    connect(join, &MurvaButton::clicked, this, [this, meeting] { emit joinClicked(meeting); });
    connect(open, &MurvaButton::clicked, this, [this, meeting] { emit openInMurvaClicked(meeting); });
    connect(skip, &MurvaButton::clicked, this, [this, meeting, skipped] { emit skipChosen(meeting, !skipped); });
    return card;
}

QWidget *HomeWindow::emptyState(const QString &name, const QString &titleKey, const QString &bodyKey)
{
    auto *card = new Card;
    card->setObjectName(name);
    QLabel *title = Style::label(14, Style::Colors::ink, QFont::DemiBold, true);
    title->setText(Language::text(titleKey));
    QLabel *body = Style::label(12, Style::Colors::softInk, QFont::Normal, true);
    body->setText(Language::text(bodyKey));
    card->content().addWidget(title);
    card->content().addWidget(body);
    return card;
}

void HomeWindow::showRecent(const HomeState &state)
{
    clearLayout(*recent_);
    for (const Recording &recording : state.unsaved) {
        recent_->addWidget(unsavedRow(recording, state));
    }
    for (const Recording &recording : state.recent) {
        recent_->addWidget(recentRow(recording, state));
    }
    if (state.unsaved.empty() && state.recent.empty()) {
        recent_->addWidget(emptyState(QStringLiteral("noRecordings"), QStringLiteral("homeNoRecordingsTitle"),
                                      QStringLiteral("homeNoRecordingsBody")));
    }
}

// An unsaved recording offers to save it: the one place the window asks for that.
QWidget *HomeWindow::unsavedRow(const Recording &recording, const HomeState &state)
{
    auto *card = new Card;
    card->setObjectName(QStringLiteral("unsaved-") + recording.id);
    QHBoxLayout *layout = row();
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(line(QStringLiteral("title"), 13, Style::Colors::ink, recording.title, QFont::DemiBold));
    texts->addWidget(line(QStringLiteral("day"), 12, Style::Colors::warning,
                          t("homeNotSaved") + QStringLiteral(" · ")
                              + HomeTexts::dayText(recording.at, state.now, state.calendar, state.locale)));
    layout->addLayout(texts, 1);
    MurvaButton *save = button(QStringLiteral("save"), MurvaButton::Kind::primary, t("homeNotSavedSave"));
    layout->addWidget(save);
    card->content().addLayout(layout);
    const QString id = recording.id;
    connect(save, &MurvaButton::clicked, this, [this, id] { emit retryClicked(id); });
    return card;
}

QWidget *HomeWindow::recentRow(const Recording &recording, const HomeState &state)
{
    auto *card = new ClickableCard;
    card->setObjectName(QStringLiteral("recent-") + recording.id);
    QHBoxLayout *layout = row();
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(line(QStringLiteral("title"), 13, Style::Colors::ink, recording.title, QFont::DemiBold));
    texts->addWidget(line(QStringLiteral("day"), 12, Style::Colors::softInk,
                          HomeTexts::dayText(recording.at, state.now, state.calendar, state.locale)));
    layout->addLayout(texts, 1);
    const std::optional<MeetingNotes> notes = notesOf(recording, state);
    if (const std::optional<QString> chipText = HomeTexts::notesChip(notes)) {
        auto *chip = new Chip;
        chip->setObjectName(QStringLiteral("notes"));
        chip->set(*chipText, chipTone(notes));
        chip->setMaximumWidth(170);
        layout->addWidget(chip);
    }
    card->content().addLayout(layout);
    const QString meetingId = recording.begun ? recording.begun->meetingId : QString();
    connect(card, &ClickableCard::clicked, this, [this, meetingId] {
        if (!meetingId.isEmpty()) {
            emit openClicked(meetingId);
        }
    });
    return card;
}

void HomeWindow::showComing(const HomeState &state)
{
    clearLayout(*coming_);
    for (const UpcomingMeeting &entry : state.upcoming) {
        coming_->addWidget(meetingCard(entry, state));
    }
    coming_->addWidget(weekCard(state));
}

QWidget *HomeWindow::meetingCard(const UpcomingMeeting &entry, const HomeState &state)
{
    auto *card = new ClickableCard;
    card->setObjectName(QStringLiteral("meeting"));
    QHBoxLayout *layout = row();
    auto *when = new QVBoxLayout;
    when->setSpacing(0);
    auto *day = line(QStringLiteral("day"), 11, Style::Colors::softInk,
                     HomeTexts::cardDay(entry.meeting.start, state.now, state.calendar, state.locale), QFont::DemiBold);
    auto *time = line(QStringLiteral("time"), 13, Style::Colors::ink,
                      HomeTexts::timeText(entry.meeting.start, state.calendar, state.locale), QFont::DemiBold);
    day->setFixedWidth(72);
    time->setFixedWidth(72);
    when->addWidget(day);
    when->addWidget(time);
    layout->addLayout(when);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->addWidget(line(QStringLiteral("title"), 13, Style::Colors::ink, entry.meeting.title, QFont::DemiBold));
    texts->addWidget(line(QStringLiteral("detail"), 12, Style::Colors::softInk, HomeTexts::detailLine(entry)));
    layout->addLayout(texts, 1);
    card->content().addLayout(layout);
    const NextMeeting meeting = entry.meeting;
    connect(card, &ClickableCard::clicked, this, [this, meeting] { emit openInMurvaClicked(meeting); });
    return card;
}

QWidget *HomeWindow::weekCard(const HomeState &state)
{
    auto *card = new Card;
    card->setObjectName(QStringLiteral("week"));
    QHBoxLayout *top = row();
    top->addWidget(line(QStringLiteral("heading"), 13, Style::Colors::ink, t("homeThisWeek"), QFont::DemiBold), 1);
    card->content().addLayout(top);
    card->content().addWidget(line(QStringLiteral("summary"), 12, Style::Colors::softInk, HomeTexts::weekSummary(state.week)));
    QHBoxLayout *dots = row();
    const QDate today = state.calendar.date(state.now);
    for (int day = 0; day < 7; ++day) {
        const int weekday = day + 1;
        const bool notPast = today.isValid() && weekday >= today.dayOfWeek();
        auto *dot = new QLabel;
        dot->setObjectName(QStringLiteral("day%1").arg(day));
        dot->setAlignment(Qt::AlignCenter);
        dot->setFixedSize(44, 40);
        const int count = state.week.days[size_t(day)];
        dot->setText(state.locale.dayName(weekday, QLocale::NarrowFormat) + QLatin1Char('\n') + QString::number(count));
        dot->setFont(Style::font(11, weekday == today.dayOfWeek() ? QFont::Bold : QFont::Normal));
        dot->setStyleSheet(QStringLiteral("QLabel { border-radius: 8px; background: %1; color: %2; }")
                               .arg(count > 0 ? Style::css(Style::Colors::plate) : QStringLiteral("transparent"),
                                    Style::css(notPast ? Style::Colors::ink : Style::Colors::muted)));
        dots->addWidget(dot);
    }
    card->content().addLayout(dots);
    return card;
}

void HomeWindow::showFooter(const HomeState &state)
{
    version_->setText(t("homeVersion %@", {state.version}));
    notice_->setVisible(state.iconHidden);
    noticeTitle_->setText(t("iconHiddenTitle"));
    noticeBody_->setText(t("iconHiddenBody"));
}

} // namespace murva
