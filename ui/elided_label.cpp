#include "elided_label.h"

#include <QPainter>
#include <QStyle>

namespace {

// The width a label asks for: enough for a short result, never the width
// of a long text; the layout gives it more where there is room.
constexpr int Hint_Characters = 24;
constexpr int Minimum_Characters = 6;

} // namespace

Elided_Label::Elided_Label(QWidget *parent) : QLabel(parent)
{
    setWordWrap(false);
    setTextFormat(Qt::PlainText);
}

Elided_Label::Elided_Label(const QString &text, QWidget *parent) : Elided_Label(parent)
{
    setText(text);
}

QRect Elided_Label::Text_Rect() const
{
    const int m = margin();
    QRect r = contentsRect().adjusted(m, m, -m, -m);
    if (indent() > 0)
        r.adjust(indent(), 0, 0, 0);
    else if (indent() < 0 && frameWidth() > 0)
        r.adjust(fontMetrics().horizontalAdvance(u'x') / 2, 0, 0, 0); // as QLabel indents a framed text
    return r;
}

QString Elided_Label::Shown_Text() const
{
    QString one_line = text();
    one_line.replace(u'\n', u' ');
    return fontMetrics().elidedText(one_line, mode_, Text_Rect().width());
}

QSize Elided_Label::sizeHint() const
{
    QSize size = QLabel::sizeHint();
    const int frame = 2 * frameWidth() + 2 * margin() + fontMetrics().horizontalAdvance(u'x');
    size.setWidth(std::min(size.width(), frame + fontMetrics().averageCharWidth() * Hint_Characters));
    return size;
}

QSize Elided_Label::minimumSizeHint() const
{
    QSize size = QLabel::minimumSizeHint();
    const int frame = 2 * frameWidth() + 2 * margin() + fontMetrics().horizontalAdvance(u'x');
    size.setWidth(std::min(size.width(), frame + fontMetrics().averageCharWidth() * Minimum_Characters));
    return size;
}

void Elided_Label::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
    style()->drawItemText(&painter, Text_Rect(), int(align), palette(), isEnabled(), Shown_Text(), foregroundRole());
}
