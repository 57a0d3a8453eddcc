#pragma once

#include <QString>
#include <QWidget>

#include <vector>

class QPushButton;

namespace murva {

// One small capsule per interface language, in order; the chosen one is filled.
// Pressing a capsule reports its code; the owner stores it and shows the new choice.
class LanguageSwitch : public QWidget {
    Q_OBJECT
public:
    explicit LanguageSwitch(QWidget *parent = nullptr);

    void setCurrent(const QString &code);

signals:
    void chosen(const QString &code);

private:
    std::vector<std::pair<QString, QPushButton *>> buttons_;
};

} // namespace murva
