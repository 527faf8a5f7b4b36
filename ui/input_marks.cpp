#include "input_marks.h"

#include "leading_number.h"
#include "number_format.h"
#include "sizing_job.h"

#include <QLineEdit>
#include <QPalette>

QString Count_Concern(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t == Note_A_Marker)
        return {};
    const double n = Leading_Number(t);
    if (n < 0)
        return QStringLiteral("A negative count: it takes %1 away.").arg(General_Number(-n));
    if (!Is_Numeric_Text(t))
        return QStringLiteral("Read as %1, not as the text shown.").arg(General_Number(n));
    return {};
}

QString Size_Concern(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    const double n = Leading_Number(t);
    if (n <= 0)
        return QStringLiteral("Read as %1: not above zero, so the pressure is not evaluated.").arg(General_Number(n));
    if (!Is_Numeric_Text(t))
        return QStringLiteral("Read as %1, not as the text shown.").arg(General_Number(n));
    return {};
}

void Mark_Field(QLineEdit *box, const QString &concern, const QString &tip)
{
    box->setToolTip(concern.isEmpty() ? tip : concern);
    if (concern.isEmpty()) {
        box->setPalette(QPalette());
        return;
    }
    QPalette p = box->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Base, QColor(255, 226, 160));
        p.setColor(group, QPalette::Text, QColor(60, 30, 0));
    }
    box->setPalette(p);
}
