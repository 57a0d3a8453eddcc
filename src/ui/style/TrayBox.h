#pragma once

#include <QFrame>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace murva {

// A titled group: the title in semibold above a rounded, tinted panel holding the rows.
// (Named apart from the tray icon's class.)
class TrayBox : public QWidget {
    Q_OBJECT
public:
    explicit TrayBox(QWidget *parent = nullptr);

    void setTitle(const QString &title);
    QVBoxLayout &content() { return *content_; }

private:
    QLabel *title_;
    QVBoxLayout *content_;
};

} // namespace murva
