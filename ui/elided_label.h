#pragma once

#include <QLabel>

// A one-line label that never asks for more width than a few characters:
// a text longer than the label ends in "…" where it is cut. text() stays
// the whole text; the window puts it in the tooltip.
class Elided_Label : public QLabel {
    Q_OBJECT
public:
    explicit Elided_Label(QWidget *parent = nullptr);
    explicit Elided_Label(const QString &text, QWidget *parent = nullptr);

    // Where a long text is cut: at its end (results), or in its middle (paths).
    void Set_Elide_Mode(Qt::TextElideMode mode)
    {
        mode_ = mode;
        update();
    }
    // The text as the label shows it at its present width.
    QString Shown_Text() const;
    bool Is_Elided() const { return Shown_Text() != text(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect Text_Rect() const;
    Qt::TextElideMode mode_ = Qt::ElideRight;
};
