#include "frm_pressure.h"


#include "leading_number.h"
#include "number_format.h"
#include "reference_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

struct Field_Row {
    const char *Name;
    const char *Caption; // empty: set by the meter's place
    const char *Unit;
};

// The service lateral captions with the meter inside and outside the building.
const QMap<QString, QPair<QString, QString>> Lateral_Captions = {
    {"Dia_Service_1", {"Service Lateral Internal Diameter from Main to Curb Stop ",
                       "Service Lateral Internal Diameter from Main to Meter "}},
    {"Len_Main_CB", {"Service Lateral Length from Main to Curb Stop ", "Service Lateral Length from Main to Meter "}},
    {"C_Service_1", {"Service Lateral C Factor  from Main to Curb Stop ",
                     "Service Lateral C Factor  from Main to Meter "}},
    {"Dia_Service_2", {"Service Lateral Internal Diameter from Curb Stop to Meter ",
                       "Service Lateral Internal Diameter from Meter to Building "}},
    {"Len_CB_Meter", {"Service Lateral Length from Curb Stop to Meter ",
                      "Service Lateral Length from Meter to Building "}},
    {"C_Service_2", {"Service Lateral C Factor from Curb Stop to Meter ",
                     "Service Lateral C Factor from Meter to Building "}},
};

QPushButton *Help(const QString &name)
{
    auto *b = new QPushButton(QStringLiteral("?"));
    b->setObjectName(name);
    b->setFixedWidth(26);
    return b;
}

QLabel *Heading(const QString &text)
{
    auto *l = new QLabel(QStringLiteral("<b>%1</b>").arg(text.toHtmlEscaped()));
    return l;
}

} // namespace

Frm_Pressure::Frm_Pressure(Sizing_Job &job, int &flag_save, int &spot1, Prompt &prompt, const QString &version,
                           QWidget *parent)
    : QDialog(parent), job_(job), flag_save_(flag_save), spot1_(spot1), prompt_(prompt)
{
    setObjectName(QStringLiteral("Frm_Pressure"));
    setWindowTitle(QStringLiteral("Pressure Details"));

    auto *info = new QGridLayout;
    const QStringList info_rows = {QStringLiteral("Version"), QStringLiteral("Date"), QStringLiteral("Location")};
    const QStringList info_values = {version, Short_Date_Text(job.Calc_Date), job.Location};
    for (int i = 0; i < 3; ++i) {
        info->addWidget(new QLabel(info_rows[i]), i, 0);
        info->addWidget(new QLabel(info_values[i]), i, 1);
    }
    info->setColumnStretch(1, 1);

    const QList<Field_Row> service = {
        {"Pressure_Min_Main", "Low Pressure at Water Main ", "(psi)"},
        {"Elev_Main_Meter", "Elevation Difference Between Water Main and Meter ", "(ft)"},
        {"Dia_Service_1", "", "(in)"},
        {"Len_Main_CB", "", "(ft)"},
        {"C_Service_1", "", ""},
        {"Dia_Service_2", "", "(in)"},
        {"Len_CB_Meter", "", "(ft)"},
        {"C_Service_2", "", ""},
    };
    const QList<Field_Row> plumbing = {
        {"Elev_Meter_Fixture", " Elevation Difference Between Meter and Controlling Fixture ", "(ft)"},
        {"Len_Meter_Fixture", "Length of Pipe from Meter to Controlling Fixture ", "(ft)"},
        {"Len_Factor", "Developed Pipe Length Factor", ""},
        {"Dia_Plumbing", "Internal Plumbing Pipe Diameter After Meter or Building Entrance ", "(in)"},
        {"C_Plumbing", " Internal Plumbing C Factor ", ""},
        {"Pressure_Treatment", "Pressure Loss Through Water Treatment Devices ", "(psi)"},
        {"Pressure_Fixture", " Required Pressure at Controlling Fixture ", "(psi)"},
    };
    const QMap<QString, QPushButton *> helpers = {
        {"Dia_Service_1", Help(QStringLiteral("Button_Dia1"))},
        {"Dia_Service_2", Help(QStringLiteral("Button_Dia3"))},
        {"Dia_Plumbing", Help(QStringLiteral("Button_Dia2"))},
        {"C_Service_1", Help(QStringLiteral("Button_CFactor1"))},
        {"C_Plumbing", Help(QStringLiteral("Button_CFactor2"))},
        {"Len_Factor", Help(QStringLiteral("Button_Len_Factor"))},
        {"Pressure_Fixture", Help(QStringLiteral("Button_Pressure_Controlling"))},
        {"Pressure_Treatment", Help(QStringLiteral("Button_Pressure_Treatment"))},
    };
    const auto group = [&](const QString &title, const QList<Field_Row> &rows) {
        auto *box = new QGroupBox;
        auto *grid = new QGridLayout(box);
        grid->addWidget(Heading(title), 0, 0, 1, 4);
        for (int i = 0; i < rows.size(); ++i) {
            const QString name = QLatin1String(rows[i].Name);
            auto *caption = new QLabel(QLatin1String(rows[i].Caption));
            caption->setObjectName(QStringLiteral("Lab_") + name);
            auto *edit = new QLineEdit;
            edit->setObjectName(QStringLiteral("TB_") + name);
            edit->setFixedWidth(80);
            Boxes.insert(name, edit);
            Captions.insert(name, caption);
            grid->addWidget(caption, i + 1, 0);
            grid->addWidget(edit, i + 1, 1);
            grid->addWidget(new QLabel(QLatin1String(rows[i].Unit)), i + 1, 2);
            if (QPushButton *help = helpers.value(name))
                grid->addWidget(help, i + 1, 3);
        }
        grid->setColumnStretch(0, 1);
        return box;
    };

    Opt_Meter_Inside = new QRadioButton(QStringLiteral("Meter Inside Building"));
    Opt_Meter_Inside->setObjectName(QStringLiteral("Opt_Meter_Inside"));
    Opt_Meter_Outside = new QRadioButton(QStringLiteral("Meter Outside Building"));
    Opt_Meter_Outside->setObjectName(QStringLiteral("Opt_Meter_Outside"));
    auto *place = new QButtonGroup(this);
    place->addButton(Opt_Meter_Inside);
    place->addButton(Opt_Meter_Outside);
    auto *place_row = new QHBoxLayout;
    place_row->addWidget(Opt_Meter_Inside);
    place_row->addWidget(Opt_Meter_Outside);
    place_row->addStretch();
    Chk_No_Upsize = new QCheckBox(QStringLiteral("Disable meter up sizing to achieve required pressure"));
    Chk_No_Upsize->setObjectName(QStringLiteral("Chk_No_Upsize"));

    auto *diagram = new QPushButton(QStringLiteral("Show Plumbing Diagram"));
    diagram->setObjectName(QStringLiteral("Button_Diagram"));
    auto *ok = new QPushButton(QStringLiteral("Ok"));
    ok->setObjectName(QStringLiteral("Button_Ok"));
    auto *cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("Button_Cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(diagram);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Heading(QStringLiteral("Pressure Details")));
    layout->addLayout(info);
    QGroupBox *service_box = group(QStringLiteral("Service Information"), service);
    static_cast<QGridLayout *>(service_box->layout())->addLayout(place_row, service.size() + 1, 0, 1, 4);
    layout->addWidget(service_box);
    layout->addWidget(group(QStringLiteral("Internal Plumbing Information"), plumbing));
    layout->addWidget(Chk_No_Upsize);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &Frm_Pressure::Ok);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(diagram, &QPushButton::clicked, this, &Frm_Pressure::Show_Diagram);
    connect(Opt_Meter_Inside, &QRadioButton::clicked, this, &Frm_Pressure::DSB_Change_Meter_Location);
    connect(Opt_Meter_Outside, &QRadioButton::clicked, this, &Frm_Pressure::DSB_Change_Meter_Location);
    connect(helpers["Dia_Service_1"], &QPushButton::clicked, this, [this] { Show_Pipe_Sizes(23); });
    connect(helpers["Dia_Service_2"], &QPushButton::clicked, this, [this] { Show_Pipe_Sizes(25); });
    connect(helpers["Dia_Plumbing"], &QPushButton::clicked, this, [this] { Show_Pipe_Sizes(24); });
    for (const char *name : {"C_Service_1", "C_Plumbing"}) {
        connect(helpers[QLatin1String(name)], &QPushButton::clicked, this, [this] {
            Frm_CFactor reference(this);
            reference.exec();
        });
    }
    connect(helpers["Len_Factor"], &QPushButton::clicked, this, [this] {
        prompt_.Show_Message(QStringLiteral(
            "Enter the factor that multiplies the 'Length of Pipe from Meter to Controlling Fixture' to obtain the "
            "developed length of pipe.  The developed pipe length is the equivalent length of pipe equal to the "
            "headloss caused by the actual length of pipe and the fittings included with that pipe."));
    });
    connect(helpers["Pressure_Fixture"], &QPushButton::clicked, this, [this] {
        prompt_.Show_Message(QString::fromUtf8("Typical fixtures require 8 psi for proper operation- except "
                                               "\u2018pressure balance shower fixture' requires 20 psi for proper "
                                               "operation."));
    });
    connect(helpers["Pressure_Treatment"], &QPushButton::clicked, this, [this] {
        prompt_.Show_Message(QStringLiteral("Enter the pressure loss caused be a water treatment unit in line to the "
                                            "controlling fixture.  Water softeners typically cause a 15 psi pressure "
                                            "loss."));
    });

    // Fill from the job: elevations when not 0, the others when above 0,
    // as the text the job holds.
    for (const Pressure_Field &f : Pressure_Fields) {
        const QString name = QLatin1String(f.Name);
        const Loose_Value &value = job.*(f.Member);
        const double n = value.Number();
        const bool elevation = name.startsWith(QStringLiteral("Elev_"));
        if (elevation ? n != 0 : n > 0)
            Boxes[name]->setText(value.Text());
    }
    const double no_upsize = job.No_Upsize.Is_True() ? 1 : job.No_Upsize.Number();
    Chk_No_Upsize->setChecked(no_upsize == 1);
    if (job.Meter_Location.isEmpty())
        job.Meter_Location = QStringLiteral("Inside"); // stays even after Cancel
    if (job.Meter_Location == u"Inside")
        Opt_Meter_Inside->setChecked(true);
    else if (job.Meter_Location == u"Outside")
        Opt_Meter_Outside->setChecked(true);
    DSB_Change_Meter_Location();

    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
}

void Frm_Pressure::DSB_Change_Meter_Location()
{
    const bool inside = Opt_Meter_Inside->isChecked();
    for (auto it = Lateral_Captions.begin(); it != Lateral_Captions.end(); ++it)
        Captions[it.key()]->setText(inside ? it.value().first : it.value().second);
}

void Frm_Pressure::Ok()
{
    flag_save_ = 1;
    for (const Pressure_Field &f : Pressure_Fields)
        job_.*(f.Member) = Loose_Value::Of_Number(Leading_Number(Boxes[QLatin1String(f.Name)]->text()));
    job_.No_Upsize = Loose_Value::Of_Number(Chk_No_Upsize->isChecked() ? 1 : 0);
    if (Opt_Meter_Inside->isChecked())
        job_.Meter_Location = QStringLiteral("Inside");
    else if (Opt_Meter_Outside->isChecked())
        job_.Meter_Location = QStringLiteral("Outside");
    accept();
}

void Frm_Pressure::Show_Pipe_Sizes(int code)
{
    spot1_ = code;
    Frm_Size sizes(spot1_, {{23, Boxes["Dia_Service_1"]}, {24, Boxes["Dia_Plumbing"]}, {25, Boxes["Dia_Service_2"]}},
                   this);
    sizes.exec();
}

void Frm_Pressure::Show_Diagram()
{
    Frm_Diagram diagram(this);
    diagram.exec();
}

bool Frm_Pressure::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && key->modifiers() == Qt::NoModifier) {
            focusNextPrevChild(key->key() == Qt::Key_Down);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

