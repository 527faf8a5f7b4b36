#include "frm_options.h"

#include "frm_meter_lists.h"
#include "window_names.h"

#include "tables.h"
#include "leading_number.h"
#include "number_format.h"
#include "reference_dialogs.h"
#include "settings_store.h"
#include "shell_run.h"
#include "user_file.h"
#include "ui_frm_options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString Entry_Text(const QString &file, const QString &description)
{
    return QStringLiteral("File: ") + file + QStringLiteral(",    Description: ") + description;
}

const QString Length_Factor_Help = QStringLiteral(
    "Enter the factor that multiplies the 'Length of Pipe from Meter to Controlling Fixture' to obtain the developed "
    "length of pipe.  The developed pipe length is the equivalent length of pipe equal to the headloss caused by the "
    "actual length of pipe and the fittings included with that pipe.");
const QString Treatment_Help = QStringLiteral(
    "Enter the pressure loss caused be a water treatment unit in line to the controlling fixture.  Water softeners "
    "typically cause a 15 psi pressure loss.");

} // namespace

Frm_Options::Frm_Options(const Options_Host &host)
    : QDialog(host.Main_Window), ui_(std::make_unique<Ui::Frm_Options>()), main_(host)
{
    setAttribute(Qt::WA_DeleteOnClose);

    ui_->setupUi(this);
    Chk_Sound1 = ui_->Chk_Sound1;
    Chk_Large_Buttons = ui_->Chk_Large_Buttons;
    Chk_Code = ui_->Chk_Code;
    Chk_Fixture = ui_->Chk_Fixture;
    Chk_Flush = ui_->Chk_Flush;
    Chk_Default_Calc_Maximum_Flow = ui_->Chk_Default_Calc_Maximum_Flow;
    Chk_Default_Use_Pressure = ui_->Chk_Default_Use_Pressure;
    Chk_Default_Meter_Location = ui_->Chk_Default_Meter_Location;
    Chk_Default_No_Upsize = ui_->Chk_Default_No_Upsize;
    TB_DefaultPath = ui_->TB_DefaultPath;
    TB_DefaltName = ui_->TB_DefaltName;
    TB_Editor = ui_->TB_Editor;
    TB_ServerName = ui_->TB_ServerName;
    TB_Default_Pressure_Main = ui_->TB_Default_Pressure_Main;
    TB_Default_Service_Dia = ui_->TB_Default_Service_Dia;
    TB_Default_C_Service = ui_->TB_Default_C_Service;
    TB_Default_Plumbing_Dia = ui_->TB_Default_Plumbing_Dia;
    TB_Default_C_Plumbing = ui_->TB_Default_C_Plumbing;
    TB_Default_Len_Factor = ui_->TB_Default_Len_Factor;
    TB_Default_Pressure_Treatment = ui_->TB_Default_Pressure_Treatment;
    TB_Default_Pressure_Fixture = ui_->TB_Default_Pressure_Fixture;
    Lab_Meter = ui_->Lab_Meter;
    Lab_Version = ui_->Lab_Version;
    CB_Meter = ui_->CB_Meter;
    QPushButton *path_button = ui_->Button_Default_Path;
    QPushButton *dia1 = ui_->Button_Dia1;
    QPushButton *dia2 = ui_->Button_Dia2;
    QPushButton *c1 = ui_->Button_CFactor1;
    QPushButton *c2 = ui_->Button_CFactor2;
    QPushButton *len = ui_->Button_Len_Factor;
    QPushButton *treat = ui_->Button_Pressure_Treatment;
    QPushButton *fixture = ui_->Button_Pressure_Controlling;
    QPushButton *editor_button = ui_->Button_Editor;
    QPushButton *update = ui_->Button_Update;
    QPushButton *save = ui_->Button_Save;
    QPushButton *cancel = ui_->Button_Cancel;
    QPushButton *defaults = ui_->Button_Defaults;
    QPushButton *sysinfo = ui_->Button_SysInfo;

    // Enter in a box does what Save does; a "?" or "..." takes Enter only when focused.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    save->setDefault(true);

    // A long meter list description or file name never widens the dialog:
    // the label wraps (its tooltip has the whole text) and the list keeps
    // a width of its own.
    Lab_Meter->setWordWrap(true);
    Lab_Meter->setSizePolicy(QSizePolicy::Ignored, Lab_Meter->sizePolicy().verticalPolicy());
    CB_Meter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CB_Meter->setMinimumContentsLength(30);
    // Its hint counts the placeholder (the current list) however long: the
    // layout goes by the minimum width instead.
    CB_Meter->setSizePolicy(QSizePolicy::Ignored, CB_Meter->sizePolicy().verticalPolicy());
    CB_Meter->setMinimumWidth(CB_Meter->fontMetrics().averageCharWidth() * 30);
    // The path and name boxes stay wide enough to read, however narrow the dialog.
    for (QLineEdit *box : {TB_DefaultPath, TB_DefaltName})
        box->setMinimumWidth(box->fontMetrics().averageCharWidth() * 24);
    Name_Boxes_From_Captions(this);
    // Under the list: the chosen list's status, and the meter list editor.
    Lab_Meter_Status = new QLabel(this);
    Lab_Meter_Status->setObjectName(QStringLiteral("Lab_Meter_Status"));
    Lab_Meter_Status->setWordWrap(true);
    Lab_Meter_Status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Button_Edit_Meter_Lists = new QPushButton(QStringLiteral("Edit Meter Lists…"), this);
    Button_Edit_Meter_Lists->setObjectName(QStringLiteral("Button_Edit_Meter_Lists"));
    auto *meter_box = new QWidget(this);
    auto *meter_rows = new QVBoxLayout(meter_box);
    meter_rows->setContentsMargins(0, 0, 0, 0);
    delete CB_Meter->parentWidget()->layout()->replaceWidget(CB_Meter, meter_box);
    meter_rows->addWidget(CB_Meter);
    auto *status_row = new QHBoxLayout;
    status_row->addWidget(Lab_Meter_Status, 1);
    status_row->addWidget(Button_Edit_Meter_Lists);
    meter_rows->addLayout(status_row);
    setTabOrder(CB_Meter, Button_Edit_Meter_Lists);
    setTabOrder(Button_Edit_Meter_Lists, TB_Editor);
    connect(CB_Meter, &QComboBox::currentIndexChanged, this, [this] { Show_Meter_Status(); });
    connect(Button_Edit_Meter_Lists, &QPushButton::clicked, this, [this] { Edit_Meter_Lists(); });

    Prompt &prompt = main_.Prompts;
    connect(save, &QPushButton::clicked, this, &Frm_Options::Save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
    connect(defaults, &QPushButton::clicked, this, &Frm_Options::Defaults);
    connect(sysinfo, &QPushButton::clicked, this,
            [&prompt] { Start_System_Info([&prompt](const QString &m) { prompt.Show_Message(m); }); });
    connect(update, &QPushButton::clicked, this, [this] {
        if (main_.Check_For_Update)
            main_.Check_For_Update(this);
    });
    const auto sizes = [this](int code) {
        main_.State.Spot1 = code;
        Frm_Size dialog(main_.State.Spot1, {{21, TB_Default_Service_Dia}, {22, TB_Default_Plumbing_Dia}}, this);
        dialog.exec();
    };
    connect(dia1, &QPushButton::clicked, this, [sizes] { sizes(21); });
    connect(dia2, &QPushButton::clicked, this, [sizes] { sizes(22); });
    for (QPushButton *b : {c1, c2}) {
        connect(b, &QPushButton::clicked, this, [this] {
            Frm_CFactor dialog(this);
            dialog.exec();
        });
    }
    connect(len, &QPushButton::clicked, this, [&prompt] { prompt.Show_Message(Length_Factor_Help); });
    connect(treat, &QPushButton::clicked, this, [&prompt] { prompt.Show_Message(Treatment_Help); });
    connect(fixture, &QPushButton::clicked, this, [&prompt] {
        prompt.Show_Message(QString::fromUtf8("Typical fixtures require 8 psi for proper operation- except "
                                              "\u2018pressure balance shower fixture' requires 20 psi for proper "
                                              "operation."));
    });
    const auto pick = [this](bool editor, QLineEdit *target) {
        if (!main_.Pick)
            return;
        if (const std::optional<QString> chosen = main_.Pick(editor, TB_Editor->text(), this))
            target->setText(*chosen);
    };
    connect(path_button, &QPushButton::clicked, this, [pick, this] { pick(false, TB_DefaultPath); });
    connect(editor_button, &QPushButton::clicked, this, [pick, this] { pick(true, TB_Editor); });
    Load();
}

Frm_Options::~Frm_Options() = default;

QList<QLineEdit *> Frm_Options::Numeric_Boxes() const
{
    return {TB_Default_Pressure_Main, TB_Default_Service_Dia,        TB_Default_C_Service,
            TB_Default_Plumbing_Dia,  TB_Default_C_Plumbing,         TB_Default_Len_Factor,
            TB_Default_Pressure_Treatment, TB_Default_Pressure_Fixture};
}

QList<QPair<QString, QString>> Frm_Options::Scan_Meter_Lists(const QString &folder)
{
    QList<QPair<QString, QString>> rows;
    for (const Meter_List_File &file : Scan_Meter_List_Files(folder))
        rows.append({file.Name, file.Description});
    std::stable_sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) {
        return a.first.toUpper() < b.first.toUpper();
    });
    return rows;
}

void Frm_Options::Load()
{
    const Program_State &state = main_.State;
    const Settings_Fields &s = state.Settings;
    Lab_Version->setText(state.Version);
    Chk_Sound1->setChecked(s.Sound1);
    Chk_Large_Buttons->setChecked(s.Large_Buttons);
    Chk_Code->setChecked(s.Code);
    Chk_Fixture->setChecked(s.Fixture);
    Chk_Flush->setChecked(s.Flush);
    Chk_Default_Calc_Maximum_Flow->setChecked(s.Default_Calc_Flow.Is_True());
    Chk_Default_Use_Pressure->setChecked(s.Default_Use_Pressure);
    Chk_Default_Meter_Location->setChecked(s.Default_Meter_Location == u"Inside");
    const bool no_upsize_false = s.Default_No_Upsize.Type() == Loose_Value::Kind::Boolean
                                     ? !s.Default_No_Upsize.Is_True()
                                     : Text_To_Boolean(s.Default_No_Upsize.Text()) == std::optional<bool>(false);
    Chk_Default_No_Upsize->setChecked(!no_upsize_false);
    TB_DefaltName->setText(s.Default_DefaultName);
    TB_DefaultPath->setText(s.Default_Path);
    TB_Editor->setText(s.Editor);
    TB_ServerName->setText(s.ServerName);
    const QList<const Loose_Value *> values = {&s.Default_Pressure_Min_Main, &s.Default_Dia_Service,
                                               &s.Default_C_Service,         &s.Default_Dia_Plumbing,
                                               &s.Default_C_Plumbing,        &s.Default_Len_Factor,
                                               &s.Default_Pressure_Treatment, &s.Default_Pressure_Fixture};
    const QList<QLineEdit *> boxes = Numeric_Boxes();
    for (int i = 0; i < boxes.size(); ++i)
        boxes[i]->setText(values[i]->Number() > 0 ? values[i]->Text() : QString());
    Lab_Meter->setText(Entry_Text(s.Set_Meter_Table, state.Meters.Description));
    Lab_Meter->setToolTip(Lab_Meter->text());

    Fill_Meter_Lists(QString());
}

// The lists of the program folder and the user's own, sorted by name.
void Frm_Options::Fill_Meter_Lists(const QString &select)
{
    Meter_Places = Meter_List_Places(main_.State);
    std::stable_sort(Meter_Places.begin(), Meter_Places.end(),
                     [](const auto &a, const auto &b) { return a.Name.toUpper() < b.Name.toUpper(); });
    Meter_File_Table.clear();
    CB_Meter->clear();
    for (const Meter_List_Place &p : std::as_const(Meter_Places)) {
        Meter_File_Table.append({p.Name, p.Description});
        CB_Meter->addItem(Entry_Text(p.Name, p.Description));
    }
    CB_Meter->setPlaceholderText(Lab_Meter->text());
    int index = CB_Meter->findText(Lab_Meter->text());
    for (int i = 0; i < Meter_Places.size(); ++i)
        if (Meter_Places[i].Name == select)
            index = i;
    CB_Meter->setCurrentIndex(index);
    Show_Meter_Status();
}

void Frm_Options::Show_Meter_Status()
{
    const int index = CB_Meter->currentIndex();
    if (index < 0 || index >= Meter_Places.size()) {
        Lab_Meter_Status->clear();
        return;
    }
    const Meter_List_Place &p = Meter_Places[index];
    const Data_Provenance provenance = Read_Provenance(p.Path, Long_Table_Lines);
    QString text = QStringLiteral("Status: %1").arg(provenance.Status.isEmpty() ? QStringLiteral("not stated") : provenance.Status);
    if (p.User_Own)
        text += QStringLiteral("  (your list)");
    Lab_Meter_Status->setText(text);
    Lab_Meter_Status->setStyleSheet(provenance.Estimate() ? QStringLiteral("color: #a04000") : QString());
    Lab_Meter_Status->setToolTip(provenance.Sources.isEmpty() ? QStringLiteral("No source named")
                                                              : QStringLiteral("Sources:\n") + provenance.Sources.join(u'\n'));
}

void Frm_Options::Edit_Meter_Lists()
{
    auto *editor = new Frm_Meter_Lists(main_.State, main_.Prompts, [this] {
        const int index = CB_Meter->currentIndex();
        const QString chosen = index >= 0 && index < Meter_Places.size() ? Meter_Places[index].Name : QString();
        Fill_Meter_Lists(chosen);
        // A list in use that was saved again is read again.
        if (main_.Set_Meter)
            main_.Set_Meter();
    }, this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->setWindowModality(Qt::WindowModal);
    editor->show();
}

void Frm_Options::Defaults()
{
    const Settings_Fields f = Settings_Fields::Factory();
    Chk_Sound1->setChecked(f.Sound1);
    Chk_Large_Buttons->setChecked(f.Large_Buttons);
    Chk_Code->setChecked(f.Code);
    Chk_Fixture->setChecked(f.Fixture);
    Chk_Flush->setChecked(f.Flush);
    TB_DefaltName->clear();
    TB_DefaultPath->clear();
    TB_Editor->setText(f.Editor);
    TB_ServerName->setText(f.ServerName);
    Chk_Default_Use_Pressure->setChecked(false);
    Chk_Default_Meter_Location->setChecked(true);
    Chk_Default_Calc_Maximum_Flow->setChecked(true);
    const QStringList texts = {"", "", "130", "", "130", "1.5", "", "20"};
    const QList<QLineEdit *> boxes = Numeric_Boxes();
    for (int i = 0; i < boxes.size(); ++i)
        boxes[i]->setText(texts[i]);
    Chk_Default_No_Upsize->setChecked(false);
}

void Frm_Options::Save()
{
    Prompt &prompt = main_.Prompts;
    prompt.Show_Message(QStringLiteral("\"Startup Defaults\" and \"Pressure Defaults\" changes will not take effect "
                                       "until Quorvel is restarted."));
    Program_State &state = main_.State;
    Settings_Fields &s = state.Settings;
    s.Sound1 = Chk_Sound1->isChecked();
    s.Large_Buttons = Chk_Large_Buttons->isChecked();
    main_.Set_Images();
    s.Code = Chk_Code->isChecked();
    s.Fixture = Chk_Fixture->isChecked();
    s.Flush = Chk_Flush->isChecked();
    s.Default_Path = TB_DefaultPath->text();
    state.Current_Path = s.Default_Path;
    s.ServerName = TB_ServerName->text();
    const int index = CB_Meter->currentIndex();
    if (index >= 0 && index < Meter_File_Table.size()) {
        s.Set_Meter_Table = Meter_File_Table[index].first;
        main_.Set_Meter();
    }
    if (TB_Editor->text().isEmpty())
        TB_Editor->setText(QStringLiteral("Notepad.exe"));
    s.Editor = TB_Editor->text();
    s.Default_DefaultName = TB_DefaltName->text();
    s.Default_Use_Pressure = Chk_Default_Use_Pressure->isChecked();
    s.Default_Meter_Location = Chk_Default_Meter_Location->isChecked() ? QStringLiteral("Inside") : QStringLiteral("Outside");
    s.Default_Calc_Flow = Loose_Value::Of_Boolean(Chk_Default_Calc_Maximum_Flow->isChecked());
    Loose_Value *numbers[] = {&s.Default_Pressure_Min_Main, &s.Default_Dia_Service,  &s.Default_C_Service,
                              &s.Default_Dia_Plumbing,      &s.Default_C_Plumbing,   &s.Default_Len_Factor,
                              &s.Default_Pressure_Treatment, &s.Default_Pressure_Fixture};
    const QList<QLineEdit *> boxes = Numeric_Boxes();
    for (int i = 0; i < boxes.size(); ++i)
        *numbers[i] = Loose_Value::Of_Number(Leading_Number(boxes[i]->text()));
    s.Default_No_Upsize = Chk_Default_No_Upsize->isChecked() ? QStringLiteral("True") : QStringLiteral("False");
    Settings_Store store = main_.Open_Settings_Store();
    QString error;
    if (!Write_Settings(store, s, &error))
        main_.Prompts.Show_Message(QStringLiteral("The options could not be saved to %1: %2. They apply until Quorvel "
                                                  "ends.")
                                       .arg(store.File_Name(), Reason_Text(error)));
    if (main_.Main_Window) {
        main_.Main_Window->raise();
        main_.Main_Window->activateWindow();
    }
    close();
}
