#include "window_names.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

namespace {

const char *const Given = "Quorvel_Name_From_Caption";

QString Caption_Text(const QLabel *label)
{
    QString text = label->text().simplified();
    text.remove(u'&');
    while (text.endsWith(u':'))
        text.chop(1);
    return text;
}

bool Letters_In(const QString &text)
{
    for (QChar c : text)
        if (c.isLetterOrNumber())
            return true;
    return false;
}

void Name(QWidget *control, const QString &name)
{
    if (!control->accessibleName().isEmpty() && !control->property(Given).toBool())
        return; // named by its window
    control->setAccessibleName(name);
    control->setProperty(Given, true);
}

} // namespace

void Name_Boxes_From_Captions(QWidget *window)
{
    for (QGridLayout *grid : window->findChildren<QGridLayout *>()) {
        for (int i = 0; i < grid->count(); ++i) {
            QWidget *control = grid->itemAt(i)->widget();
            if (!control)
                continue;
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(i, &row, &column, &rows, &columns);
            QLayoutItem *start = column > 0 ? grid->itemAtPosition(row, 0) : nullptr;
            auto *caption = start ? qobject_cast<QLabel *>(start->widget()) : nullptr;
            if (!caption || Caption_Text(caption).isEmpty())
                continue;
            const QString text = Caption_Text(caption);
            const bool box = qobject_cast<QLineEdit *>(control) || qobject_cast<QComboBox *>(control)
                             || qobject_cast<QAbstractSpinBox *>(control) || qobject_cast<QPlainTextEdit *>(control)
                             || qobject_cast<QAbstractItemView *>(control)
                             || (qobject_cast<QLabel *>(control) && control->focusPolicy() != Qt::NoFocus);
            if (box) {
                Name(control, text);
                if (!caption->buddy())
                    caption->setBuddy(control);
            } else if (auto *button = qobject_cast<QAbstractButton *>(control); button && !Letters_In(button->text())) {
                Name(control, (button->text().trimmed() == u"?" ? QStringLiteral("Help: ") : QStringLiteral("Choose: "))
                                  + text);
            }
        }
    }
}
