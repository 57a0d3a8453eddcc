#include "windows/Faces.h"

#include "style/Style.h"
#include "windows/AvatarCache.h"
#include "windows/HomeTexts.h"

#include <QPainter>
#include <QPainterPath>

namespace murva {
namespace {
constexpr int overlap = 5;
}

Faces::Faces(AvatarCache *avatars, QWidget *parent)
    : QWidget(parent), avatars_(avatars)
{
    setFixedHeight(size);
    if (avatars_) {
        connect(avatars_, &AvatarCache::arrived, this, qOverload<>(&QWidget::update));
    }
}

void Faces::setPeople(const std::vector<Person> &people)
{
    people_.assign(people.begin(), people.begin() + std::min<size_t>(people.size(), shownAtMost));
    setFixedWidth(sizeHint().width());
    update();
}

QSize Faces::sizeHint() const
{
    const int count = int(people_.size());
    return {count == 0 ? 0 : size + (count - 1) * (size - overlap), size};
}

std::optional<QUrl> Faces::pictureAddress(const Person &person) const
{
    return person.photo ? person.photo : HomeTexts::avatarUrl(person.email);
}

void Faces::paintEvent(QPaintEvent *)
{
    using namespace Style;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setFont(Style::font(10, QFont::DemiBold));
    for (size_t index = 0; index < people_.size(); ++index) {
        const Person &person = people_[index];
        const QRectF circle(index * (size - overlap) + 1, 1, size - 2, size - 2);
        QPainterPath clip;
        clip.addEllipse(circle);
        painter.setPen(QPen(Colors::eggshell, 2));
        painter.setBrush(Colors::plate);
        painter.drawEllipse(circle);
        const std::optional<QUrl> address = pictureAddress(person);
        const std::optional<QPixmap> picture = address && avatars_ ? avatars_->picture(*address) : std::nullopt;
        if (picture) {
            painter.save();
            painter.setClipPath(clip);
            painter.drawPixmap(circle.toRect(), *picture);
            painter.restore();
        } else {
            painter.setPen(Colors::softInk);
            painter.drawText(circle, Qt::AlignCenter, HomeTexts::initials(person.shown()));
        }
    }
}

} // namespace murva
