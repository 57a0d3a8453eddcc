#pragma once

#include <QWidget>

namespace murva {

// One line of text that ends in "…" when it does not fit, so a long title or name never
// widens its window or gets cut mid-glyph.
class ElidedLabel : public QWidget {
    Q_OBJECT
public:
    explicit ElidedLabel(int size, const QColor &color, QFont::Weight weight = QFont::Normal, QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return text_; }
    void setColor(const QColor &color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString text_;
    QColor color_;
};

} // namespace murva
