#pragma once

#include "meetings/Person.h"

#include <QWidget>

#include <vector>

namespace murva {

class AvatarCache;

// A row of overlapping round faces: each person's picture (theirs, else the avatar
// service's) or, until and unless one arrives, their initials.
class Faces : public QWidget {
    Q_OBJECT
public:
    static constexpr int size = 26;
    static constexpr int shownAtMost = 4;

    Faces(AvatarCache *avatars, QWidget *parent = nullptr);

    void setPeople(const std::vector<Person> &people);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<QUrl> pictureAddress(const Person &person) const;

    AvatarCache *avatars_;
    std::vector<Person> people_;
};

} // namespace murva
