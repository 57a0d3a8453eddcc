#pragma once

#include <QPushButton>

namespace murva {

// The app's button: primary (ink fill), secondary (outlined) or plain (text only), of a
// given height, with fully rounded ends when `pill`. Disabled buttons fade.
class MurvaButton : public QPushButton {
    Q_OBJECT
public:
    enum class Kind { primary, secondary, plain };

    explicit MurvaButton(Kind kind, int height = 28, bool pill = false, QWidget *parent = nullptr);

    void setKind(Kind kind);
    Kind kind() const { return kind_; }

private:
    void restyle();

    Kind kind_;
    int height_;
    bool pill_;
};

} // namespace murva
