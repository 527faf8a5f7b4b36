#include "estimate_marks.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>

namespace {

QString Sources_Text(const Data_Provenance &p)
{
    QString text = QStringLiteral("Status: %1").arg(p.Status.isEmpty() ? QStringLiteral("not stated") : p.Status);
    text += p.Sources.isEmpty() ? QStringLiteral("\nNo source named.") : QStringLiteral("\nSources:\n  ") + p.Sources.join(QStringLiteral("\n  "));
    return text;
}

} // namespace

QLabel *Add_Estimate_Mark(QLabel *beside, const QString &object_name)
{
    auto *mark = new QLabel(QStringLiteral("estimate"));
    mark->setObjectName(object_name);
    mark->setStyleSheet(QStringLiteral("QLabel { color: white; background: #b35900; font-weight: bold; padding: 0 4px; "
                                       "border-radius: 3px; }"));
    mark->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    mark->hide();
    QWidget *parent = beside->parentWidget();
    auto *row_widget = new QWidget(parent);
    auto *row = new QHBoxLayout(row_widget);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    if (parent && parent->layout())
        delete parent->layout()->replaceWidget(beside, row_widget);
    row_widget->setSizePolicy(beside->sizePolicy());
    row->addWidget(beside, 1);
    row->addWidget(mark, 0, Qt::AlignVCenter);
    return mark;
}

void Show_List_Mark(QLabel *mark, const Meter_List &list)
{
    mark->setVisible(list.Provenance.Estimate());
    mark->setToolTip(QStringLiteral("Meter list %1\n").arg(list.File_Name) + Sources_Text(list.Provenance));
}

void Show_Meter_Mark(QLabel *mark, const Meter_List &list, int meter_index)
{
    const Meter_Entry *meter = list.Entry(meter_index);
    QStringList values;
    if (meter) {
        if (list.Provenance.Estimated(meter->Size_Label, Meter_Value::Max_Flow))
            values << QStringLiteral("maximum flow");
        if (list.Provenance.Estimated(meter->Size_Label, Meter_Value::Continuous_Flow))
            values << QStringLiteral("continuous flow");
        if (list.Provenance.Estimated(meter->Size_Label, Meter_Value::Loss))
            values << QStringLiteral("loss curve");
    }
    mark->setVisible(!values.isEmpty());
    mark->setToolTip(values.isEmpty() ? QString()
                                      : QStringLiteral("Estimated values of the %1 meter: %2\n")
                                                .arg(meter->Size_Label, values.join(QStringLiteral(", ")))
                                            + Sources_Text(list.Provenance));
}
