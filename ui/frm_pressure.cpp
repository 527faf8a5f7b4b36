#include "frm_pressure.h"
#include "window_names.h"

#include "frm_diagram.h"
#include "input_marks.h"
#include "leading_number.h"
#include "number_format.h"
#include "reference_dialogs.h"
#include "ui_frm_pressure.h"

#include <algorithm>

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
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

// The fields of the dialog, in the order of the form.
const char *const Field_Names[] = {"Pressure_Min_Main", "Elev_Main_Meter",  "Dia_Service_1",      "Len_Main_CB",
                                   "C_Service_1",       "Dia_Service_2",    "Len_CB_Meter",       "C_Service_2",
                                   "Elev_Meter_Fixture", "Len_Meter_Fixture", "Len_Factor",        "Dia_Plumbing",
                                   "C_Plumbing",        "Pressure_Treatment", "Pressure_Fixture"};

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

} // namespace

Frm_Pressure::Frm_Pressure(Sizing_Job &job, int &flag_save, int &spot1, Prompt &prompt, const QString &version,
                           QWidget *parent)
    : QDialog(parent), ui_(std::make_unique<Ui::Frm_Pressure>()), job_(job), flag_save_(flag_save), spot1_(spot1), prompt_(prompt)
{
    ui_->setupUi(this);
    ui_->Fields_Panel->installEventFilter(this);
    ui_->Lab_Info_Version->setText(version);
    ui_->Lab_Info_Date->setText(Short_Date_Text(job.Calc_Date));
    ui_->Lab_Info_Location->setText(job.Location);
    // A long location never widens the dialog; the tooltip has it whole.
    ui_->Lab_Info_Location->setToolTip(job.Location);
    ui_->Lab_Info_Location->setSizePolicy(QSizePolicy::Ignored, ui_->Lab_Info_Location->sizePolicy().verticalPolicy());
    // The form names each field's box "TB_" and its caption "Lab_" plus the field name.
    for (const char *field : Field_Names) {
        const QString name = QLatin1String(field);
        Boxes.insert(name, findChild<QLineEdit *>(QStringLiteral("TB_") + name));
        Captions.insert(name, findChild<QLabel *>(QStringLiteral("Lab_") + name));
    }
    // A diameter or C factor the check cannot use is marked as it is typed.
    for (const char *field : {"Dia_Service_1", "Dia_Service_2", "Dia_Plumbing", "C_Service_1", "C_Service_2", "C_Plumbing"}) {
        QLineEdit *box = Boxes.value(QLatin1String(field));
        if (!box)
            continue;
        const QString tip = box->toolTip();
        connect(box, &QLineEdit::textChanged, this, [box, tip](const QString &text) { Mark_Field(box, Size_Concern(text), tip); });
    }
    Opt_Meter_Inside = ui_->Opt_Meter_Inside;
    Opt_Meter_Outside = ui_->Opt_Meter_Outside;
    Chk_No_Upsize = ui_->Chk_No_Upsize;
    QPushButton *ok = ui_->Button_Ok, *cancel = ui_->Button_Cancel, *diagram = ui_->Button_Diagram;
    const QMap<QString, QPushButton *> helpers = {
        {"Dia_Service_1", ui_->Button_Dia1},          {"Dia_Service_2", ui_->Button_Dia3},
        {"Dia_Plumbing", ui_->Button_Dia2},           {"C_Service_1", ui_->Button_CFactor1},
        {"C_Plumbing", ui_->Button_CFactor2},         {"Len_Factor", ui_->Button_Len_Factor},
        {"Pressure_Fixture", ui_->Button_Pressure_Controlling},
        {"Pressure_Treatment", ui_->Button_Pressure_Treatment},
    };

    // Enter in a box does what Ok does; a "?" takes Enter only when focused.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    ok->setDefault(true);
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
    // Sized before it shows, so that it opens at the size it keeps.
    Fit_Fields_To_Screen();
}

void Frm_Pressure::DSB_Change_Meter_Location()
{
    const bool inside = Opt_Meter_Inside->isChecked();
    for (auto it = Lateral_Captions.begin(); it != Lateral_Captions.end(); ++it)
        Captions[it.key()]->setText(inside ? it.value().first : it.value().second);
    Name_Boxes_From_Captions(this); // the boxes are announced by their captions
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

Frm_Pressure::~Frm_Pressure() = default;

// The fields show whole where the screen is tall enough; on a low screen
// they scroll, so that Ok and Cancel stay on the screen.
void Frm_Pressure::Fit_Fields_To_Screen()
{
    QWidget *panel = ui_->Fields_Panel;
    QScrollArea *scroll = ui_->Fields_Scroll;
    // The panel's layout may hold a size from before the captions were
    // set: it is worked out again from the controls as they are now.
    panel->ensurePolished();
    if (QLayout *fields = panel->layout())
        fields->invalidate();
    scroll->setFocusPolicy(Qt::NoFocus); // the fields take the focus, not the frame around them
    scroll->setMinimumWidth(panel->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width());
    int height = panel->sizeHint().height();
    if (const QScreen *shown_on = screen()) {
        // Everything but the fields: headings, check box, buttons, margins.
        // The layout counts the fields at their present minimum height.
        layout()->invalidate();
        const QSize hint = layout()->sizeHint();
        const int rest = hint.height() - std::max(scroll->sizeHint().height(), scroll->minimumHeight());
        const int window_frame = 60;
        height = std::min(height, shown_on->availableSize().height() - rest - window_frame);
    }
    scroll->setMinimumHeight(std::max(height, 100));
}

// The fields' sizes are final only once the dialog is about to show: it
// takes its size then, before it is on the screen, and keeps it.
void Frm_Pressure::showEvent(QShowEvent *event)
{
    if (!event->spontaneous() && !sized_) {
        sized_ = true;
        Fit_Fields_To_Screen();
        if (QLayout *whole = layout()) {
            whole->invalidate();
            whole->activate();
        }
        adjustSize();
    }
    QDialog::showEvent(event);
}

void Frm_Pressure::Show_Diagram()
{
    std::optional<bool> inside;
    if (Opt_Meter_Inside->isChecked() || Opt_Meter_Outside->isChecked())
        inside = Opt_Meter_Inside->isChecked();
    Frm_Diagram diagram(inside, this);
    connect(&diagram, &Frm_Diagram::Place_Chosen, this, [this](bool chosen) {
        (chosen ? Opt_Meter_Inside : Opt_Meter_Outside)->setChecked(true);
        DSB_Change_Meter_Location();
    });
    diagram.exec();
}

bool Frm_Pressure::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui_->Fields_Panel && event->type() == QEvent::LayoutRequest)
        Fit_Fields_To_Screen();
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && key->modifiers() == Qt::NoModifier) {
            focusNextPrevChild(key->key() == Qt::Key_Down);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

