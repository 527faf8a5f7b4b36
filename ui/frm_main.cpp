#include "frm_main.h"

#include "estimate_marks.h"
#include "frm_about.h"
#include "frm_dialog_file.h"
#include "frm_update.h"
#include "frm_note.h"
#include "frm_options.h"
#include "frm_pressure.h"
#include "job_file.h"
#include "job_lifecycle.h"
#include "key_state.h"
#include "number_format.h"
#include "program_documents.h"
#include "reference_dialogs.h"
#include "report.h"
#include "settings_store.h"
#include "shell_run.h"
#include "widget_prompt.h"
#include "associate.h"
#include "ui_frm_main.h"
#include "frm_calc_details.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSoundEffect>
#include <QStatusBar>
#include <QTime>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("Quorvel");

// Passes every message and dialog on to the window's prompt, and before
// each one shows the results the command has just calculated: Save and
// Print Preview calculate first, and their dialogs must not stand in
// front of the results of an earlier calculation.
class Results_First_Prompt : public Prompt {
public:
    Results_First_Prompt(Prompt &inner, std::function<void()> show) : inner_(inner), show_(std::move(show)) {}
    void Show_Message(const QString &text) override
    {
        show_();
        inner_.Show_Message(text);
    }
    Answer Ask_Yes_No(const QString &text) override
    {
        show_();
        return inner_.Ask_Yes_No(text);
    }
    Answer Ask_Yes_No_Cancel(const QString &text) override
    {
        show_();
        return inner_.Ask_Yes_No_Cancel(text);
    }
    QString Choose_Open_File(const QString &folder, const QString &name, const QString &filters, int index) override
    {
        show_();
        return inner_.Choose_Open_File(folder, name, filters, index);
    }
    QString Choose_Save_File(const QString &folder, const QString &name, const QString &filters, int index) override
    {
        show_();
        return inner_.Choose_Save_File(folder, name, filters, index);
    }

private:
    Prompt &inner_;
    std::function<void()> show_;
};

// Two meter lists are the same when every meter and its losses are.
bool Same_Meters(const Meter_List &a, const Meter_List &b)
{
    if (a.File_Name != b.File_Name || a.Description != b.Description || a.Date != b.Date || a.Count() != b.Count())
        return false;
    for (int i = 0; i < a.Count(); ++i) {
        const Meter_Entry &x = a.Entries[i], &y = b.Entries[i];
        if (x.Size_Label != y.Size_Label || x.Make != y.Make || x.Model != y.Model || x.Value_4 != y.Value_4
            || x.Max_Flow != y.Max_Flow || x.Max_Continuous_Flow != y.Max_Continuous_Flow)
            return false;
        for (int k = 0; k < 3; ++k)
            if (x.Loss_Point_Flow[k] != y.Loss_Point_Flow[k] || x.Loss_Point_Loss[k] != y.Loss_Point_Loss[k])
                return false;
    }
    return true;
}

} // namespace

// The pictures are compiled into the library; outside any namespace, as
// the resource initialiser requires.
static void Ensure_Resources()
{
    Q_INIT_RESOURCE(images);
}

Frm_Main::Frm_Main(const Start_Options &options, QWidget *parent) : QMainWindow(parent), ui_(std::make_unique<Ui::Frm_Main>()), options_(options)
{
    Ensure_Resources();
    setObjectName(QStringLiteral("Frm_Main"));
    setWindowTitle(Title);
    setWindowIcon(QIcon(QStringLiteral(":/images/quorvel.svg")));
    if (options_.Prompt_Override) {
        prompt_ = options_.Prompt_Override;
    } else {
        own_prompt_ = std::make_unique<Widget_Prompt>(this);
        prompt_ = own_prompt_.get();
    }
    Build_Controls();
    Build_Menus_And_Toolbar();
    Connect_Edits();
    Build_Input_Marks();
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &Frm_Main::Refresh_Status);
}

Frm_Main::~Frm_Main()
{
    qApp->removeEventFilter(this);
}

void Frm_Main::Connect_Edits()
{
    for (int r = 0; r < Grid_Rows; ++r) {
        connect(TB_Number[r], &QLineEdit::textChanged, this, [this, r](const QString &text) {
            State.Job.Fixture_Count[r] = text;
            if (!updating_)
                Mark_Modified();
        });
    }
    connect(TB_Location, &QLineEdit::textChanged, this, [this](const QString &text) {
        State.Job.Location = text;
        if (!updating_)
            Mark_Modified();
    });
    connect(TB_By, &QLineEdit::textChanged, this, [this](const QString &text) {
        State.Job.Calculated_By = text;
        if (!updating_)
            Mark_Modified();
    });
    connect(DTPicker1, &QDateEdit::dateChanged, this, [this](const QDate &date) {
        State.Job.Calc_Date = date;
        if (!updating_)
            Mark_Modified();
    });
    connect(Button_Today, &QPushButton::clicked, this, [this] { DTPicker1->setDate(QDate::currentDate()); });
    // Irrigation and Note A flows and the flow basis do not mark the job modified.
    connect(TB_Sprinkler, &QLineEdit::textChanged, this, [this](const QString &t) { State.Job.Irrigation_Flow = t; });
    connect(TB_NoteA, &QLineEdit::textChanged, this, [this](const QString &t) { State.Job.NoteA_Flow = t; });
    connect(Opt_Flow_Max, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            State.Job.Flow_Basis = Flow_Kind::Maximum;
    });
    connect(Opt_Flow_Cont, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            State.Job.Flow_Basis = Flow_Kind::Continuous;
    });
    const auto use_type = [this](Use_Kind kind) {
        State.Job.Use_Type = kind;
        ui_->Group_Demand->setEnabled(kind == Use_Kind::Private); // the method is for dwellings
        Mark_Modified();
        Refresh_Fixture_Grid();
    };
    connect(Opt_Pri_Use, &QRadioButton::clicked, this, [use_type] { use_type(Use_Kind::Private); });
    connect(Opt_Pub_Use, &QRadioButton::clicked, this, [use_type] { use_type(Use_Kind::Public); });
    connect(Opt_Per_Tank, &QRadioButton::clicked, this, [this] {
        State.Job.Flush_Type = Flush_Kind::Tank;
        Mark_Modified();
    });
    connect(Opt_Per_Flush, &QRadioButton::clicked, this, [this] {
        State.Job.Flush_Type = Flush_Kind::Quick_Flush;
        Mark_Modified();
    });
    const auto demand_method = [this](Demand_Kind kind) {
        State.Job.Demand_Method = kind;
        Mark_Modified();
    };
    connect(Opt_Demand_Hunter, &QRadioButton::clicked, this, [demand_method] { demand_method(Demand_Kind::Hunter); });
    connect(Opt_Demand_Wdc, &QRadioButton::clicked, this, [demand_method] { demand_method(Demand_Kind::Wdc); });
    connect(Chk_Description, &QCheckBox::clicked, this, [this](bool on) {
        State.Job.Description_Mode = on ? 1 : 0;
        Mark_Modified();
        Refresh_Fixture_Grid();
    });
    connect(Chk_Use_Pressure, &QCheckBox::clicked, this, [this](bool on) {
        State.Job.Use_Pressure = on;
        Mark_Modified();
    });

    connect(Button_Calc, &QPushButton::clicked, this, &Frm_Main::Calculate);
    connect(Button_Note, &QPushButton::clicked, this, &Frm_Main::Edit_Note);
    connect(Button_Pressure, &QPushButton::clicked, this, &Frm_Main::Open_Pressure_Details);
    connect(Button_Options, &QPushButton::clicked, this, &Frm_Main::Open_Options);
    connect(Button_Flow, &QPushButton::clicked, this, [this] {
        for (auto *old : findChildren<Frm_Calc_Flow *>())
            delete old;
        Frm_Calc_Flow dialog(this);
        dialog.exec();
    });
    connect(Button_Sprinkler, &QPushButton::clicked, this, [this] {
        prompt_->Show_Message(QStringLiteral("Enter the rated flow for the largest irrigation zone in gallons per "
                                             "minute (gpm).  Typically flow rates range from 12 to 15 gpm."));
    });
    connect(Button_NoteA, &QPushButton::clicked, this, [this] {
        prompt_->Show_Message(QStringLiteral("Enter the sum of the rated flows in gallons per minute (gpm) from "
                                             "the fields marked 'Note A'.  This field does not apply to Private "
                                             "Use Fixtures."));
    });
}

void Frm_Main::Mark_Modified()
{
    State.Flag_Save = 1;
    Refresh_Title();
}

void Frm_Main::Startup_Sequence()
{
    Set_Program_Paths(State, options_.Program_Folder);
    State.Job.Description_Mode = 0;
    State.Job.Use_Type = Use_Kind::Private;
    State.Job.Flush_Type = Flush_Kind::Tank;
    State.Load_Command = options_.Command_Line;

    if (options_.Show_Splash) {
        Frm_About splash(State.Version, State.Startup, this);
        splash.exec();
    }
    State.Startup = 1;

    Settings_Store store = Open_Settings_Store();
    Apply_Startup_Settings(State, Startup_Load(store, *prompt_), QDate::currentDate());

    Load_Tables(State);
    Set_Images();
    Lab_Version->setText(State.Version);
    Show_Meter_Table();
    State.Refresh_Grid(); // the startup job's use type, as New and Open leave it
    Show_Job();
    State.Flag_Save = 0;
    qApp->installEventFilter(this);
    State.Current_Path = State.Settings.Default_Path;
    Restore_Window_Memory();

    if (options_.Register_File_Type)
        Register_Quorvel_At_Start(QCoreApplication::applicationFilePath());

    if (!State.Load_Command.isEmpty())
        Open_Job();
    Refresh_Status();
    Fit_Right_Column();
    Timer1.start();
    if (details_remembered_open_)
        QTimer::singleShot(0, this, [this] {
            if (!Calc_Details_Shown() && details_remembered_open_)
                Show_Calc_Details();
        });
}

void Frm_Main::Show_Job()
{
    updating_ = true;
    const Sizing_Job &job = State.Job;
    TB_Location->setText(job.Location);
    TB_By->setText(job.Calculated_By);
    if (job.Calc_Date.isValid())
        DTPicker1->setDate(job.Calc_Date);
    Chk_Description->setChecked(job.Description_Mode == 1);
    (job.Use_Type == Use_Kind::Private ? Opt_Pri_Use : Opt_Pub_Use)->setChecked(true);
    (job.Flush_Type == Flush_Kind::Tank ? Opt_Per_Tank : Opt_Per_Flush)->setChecked(true);
    (job.Demand_Method == Demand_Kind::Wdc ? Opt_Demand_Wdc : Opt_Demand_Hunter)->setChecked(true);
    ui_->Group_Demand->setEnabled(job.Use_Type == Use_Kind::Private);
    (job.Flow_Basis == Flow_Kind::Maximum ? Opt_Flow_Max : Opt_Flow_Cont)->setChecked(true);
    Chk_Use_Pressure->setChecked(job.Use_Pressure);
    TB_Sprinkler->setText(job.Irrigation_Flow);
    TB_NoteA->setText(job.NoteA_Flow);
    for (QLineEdit *box : {TB_Location, TB_By})
        box->setCursorPosition(0); // show the beginning of a long text
    updating_ = false;
    // New and Open have applied the grid's rules to the job already: the grid
    // only shows it, so the counts kept for the Note A rows stay as they are.
    Forget_Marker_Counts();
    Sizing_Job scratch = State.Job;
    Show_Fixture_Grid(::Refresh_Fixture_Grid(scratch, State.Table1, State.Table2));
    Show_Results();
    ui_->Grid_Scroll->verticalScrollBar()->setValue(0); // a new or opened job starts at its first row
}

// A count kept for a Note A row is a count the user typed; a job file
// stores "Note A" in those rows of a public-use job, and no count was kept
// for them.
void Frm_Main::Forget_Marker_Counts()
{
    for (QString &kept : State.Job.Saved_Count_Text)
        if (kept == Note_A_Marker)
            kept.clear();
}

// The use type, the description language or the note changed: the grid's
// rules apply again. A row already showing "Note A" has its count kept
// from when it turned into a Note A row; applying the rules again must
// not keep the marker in its place.
void Frm_Main::Refresh_Fixture_Grid()
{
    Sizing_Job &job = State.Job;
    const auto kept = job.Saved_Count_Text;
    std::array<bool, Grid_Rows> marked{};
    for (int r = 0; r < Grid_Rows; ++r)
        marked[r] = job.Fixture_Count[r] == Note_A_Marker;
    const Grid_View view = State.Refresh_Grid();
    if (job.Use_Type == Use_Kind::Public)
        for (int r = 0; r < Grid_Rows; ++r)
            if (marked[r])
                job.Saved_Count_Text[r] = kept[r];
    Forget_Marker_Counts();
    Show_Fixture_Grid(view);
}

void Frm_Main::Show_Fixture_Grid(const Grid_View &view)
{
    updating_ = true;
    const QColor face = palette().color(QPalette::Button), text = palette().color(QPalette::ButtonText);
    for (int r = 0; r < Grid_Rows; ++r) {
        Lab_Pri[r]->setText(view.Labels[r]);
        Lab_Pri[r]->setToolTip(view.Labels[r]);
        const QString described = view.Labels[r].simplified();
        TB_Number[r]->setAccessibleName(described.isEmpty() ? QStringLiteral("Count, row %1").arg(r + 1)
                                                            : QStringLiteral("Count: ") + described);
        TB_Number[r]->setText(State.Job.Fixture_Count[r]);
        TB_Number[r]->setEnabled(view.Enabled[r]);
        QPalette p = palette();
        // A box beyond the table takes the button face with its text
        // colour; the others the palette's own base and text.
        if (view.Button_Face[r]) {
            for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
                p.setColor(group, QPalette::Base, face);
                p.setColor(group, QPalette::Text, text);
            }
            TB_Number[r]->setPalette(p);
        } else {
            // Enabled or not (a Note A row), the palette's base.
            const QColor base = palette().color(QPalette::Active, QPalette::Base);
            for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                p.setColor(group, QPalette::Base, base);
            p.setColor(QPalette::Disabled, QPalette::Text, palette().color(QPalette::Disabled, QPalette::Text));
            TB_Number[r]->setPalette(p);
        }
        TB_Number[r]->setToolTip(QString());
    }
    updating_ = false;
    Lab_Note->setText(view.Note_Exists ? QStringLiteral("Note Exists") : QStringLiteral("No Note"));
    QFont f = Lab_Note->font();
    f.setBold(view.Note_Exists);
    Lab_Note->setFont(f);
    Image1->setVisible(view.Note_Exists);
    Mark_Inputs();
}

void Frm_Main::Show_Results()
{
    const Sizing_Job &job = State.Job;
    Lab_Fixture_Units->setText(job.Fixture_Units_Text);
    Lab_Design_Flow->setText(job.Design_Flow_Text);
    Lab_Meter_Size->setText(job.Meter_Size_Text);
    Lab_Pressure_Fixture->setText(job.Pressure_Fixture_Text);
    // The result boxes show the palette's text on its base; a failed
    // pressure is red, darker or lighter as the base needs.
    QPalette p = Lab_Fixture_Units->palette();
    if (job.Pressure_Color == 255)
        for (auto group : {QPalette::Active, QPalette::Inactive})
            p.setColor(group, QPalette::Text, Readable_Red(p.color(group, QPalette::Base)));
    Lab_Pressure_Fixture->setPalette(p);
    Show_Meter_Mark(Mark_Meter_Size, State.Meters, job.Meter_Index);
    Set_Results_Stale(results_stale_);
    Show_Pressure_Why();
    Fit_Meter_Font();
}

void Frm_Main::Fit_Meter_Font()
{
    QFont f = Lab_Meter_Size->font();
    f.setPointSize(Meter_Font_Points(Lab_Meter_Size->text()));
    Lab_Meter_Size->setFont(f);
}

void Frm_Main::Show_Outcome(const Calc_Outcome &outcome)
{
    Show_Results();
    // Messages of the sizing come first; the up-sizing message, if any, after the sound.
    QStringList messages = outcome.Messages;
    const bool upsize_message = !messages.isEmpty() && messages.last().startsWith(QStringLiteral("Meter up sized "));
    const QString last = upsize_message ? messages.takeLast() : QString();
    for (const QString &m : std::as_const(messages))
        prompt_->Show_Message(m);
    if (outcome.Play_Sound)
        Play_Sound();
    if (upsize_message)
        prompt_->Show_Message(last);
}

void Frm_Main::Calculate()
{
    const Calc_Outcome outcome = State.Calculate_Job(true); // the details window shows the steps
    Show_Outcome(outcome);
    Keep_Calculation(outcome, false);
}

void Frm_Main::Play_Sound()
{
    ++sounds_played_;
    if (!sound_) {
        sound_ = new QSoundEffect(this);
        sound_->setSource(QUrl::fromLocalFile(State.Program_File(QStringLiteral("Quorvel.wav"))));
    }
    sound_->play(); // without an audio device this plays nothing, and that is fine
}

void Frm_Main::Refresh_Status()
{
    Panels[1]->setText(State.Job_File_Name);
    Panels[1]->setToolTip(State.Job_File_Name);
    Panels[0]->setText(State.Flag_Save == 1 ? QStringLiteral("Not Saved") : QStringLiteral("Unmodified"));
    Panels[2]->setText(QTime::currentTime().toString(QStringLiteral("h:mm AP")));
    Refresh_Title();
    Key_Panels->Refresh();
}

void Frm_Main::Set_Images()
{
    const bool large = State.Settings.Large_Buttons;
    const QString set = large ? QStringLiteral(":/images/large/") : QStringLiteral(":/images/small/");
    Toolbar1->setIconSize(large ? QSize(24, 23) : QSize(16, 15));
    for (QAction *a : std::as_const(Toolbar_Buttons)) {
        const QString key = a->property("Image_Key").toString();
        if (!key.isEmpty())
            a->setIcon(QIcon(set + key + QStringLiteral(".svg")));
    }
}

// Results calculated with another meter list are not shown as if they
// belonged to this one: they are cleared until the next Calculate.
void Frm_Main::Set_Meter()
{
    const Meter_List before = State.Meters;
    ::Set_Meter(State);
    Show_Meter_Table();
    if (!Same_Meters(before, State.Meters)) {
        Clear_Results(State.Job);
        Set_Results_Stale(false);
        Show_Results();
    }
}

// The list's description may be longer than the label: the tip gives it
// whole, before the label's own tip.
void Frm_Main::Show_Meter_Table()
{
    const QString tip = QStringLiteral("Press the button to the right to change the meter list used for the calculation");
    const QString &description = State.Meters.Description;
    Lab_Meter_Table->setText(description);
    Lab_Meter_Table->setToolTip(description.isEmpty() ? tip : description + QStringLiteral("\n\n") + tip);
    Show_List_Mark(Mark_Meter_Table, State.Meters);
}

void Frm_Main::Print_Preview()
{
    Calc_Outcome outcome;
    Results_First_Prompt prompt(*prompt_, [this] { Show_Results(); });
    ::Print_Preview(State, prompt, [this](const QString &command_line, int show_code) {
        const QString error = Launch(command_line, show_code);
        if (!error.isEmpty())
            prompt_->Show_Message(QStringLiteral("The report was written, but the text editor \"%1\" could not be "
                                                 "started: %2")
                                      .arg(State.Settings.Editor, error));
    }, &outcome);
    if (outcome.Play_Sound)
        Play_Sound();
    Show_Results();
    Keep_Calculation(outcome, false);
}

void Frm_Main::New_Job()
{
    Results_First_Prompt prompt(*prompt_, [this] { Show_Results(); });
    if (Job_New(State, prompt))
        Set_Results_Stale(false);
    Show_Job();
    Refresh_Title();
}

void Frm_Main::Open_Job()
{
    Results_First_Prompt prompt(*prompt_, [this] { Show_Results(); });
    if (Job_Open(State, prompt)) {
        Remember_Job(State.Job_File_Name);
        // Results saved with other inputs (another meter list, another
        // table) than Calculate would use now are not shown as fresh.
        Program_State now = State;
        now.Calculate_Job();
        const Sizing_Job &a = now.Job, &b = State.Job;
        Set_Results_Stale(a.Fixture_Units_Text != b.Fixture_Units_Text || a.Design_Flow_Text != b.Design_Flow_Text
                          || a.Meter_Size_Text != b.Meter_Size_Text
                          || a.Pressure_Fixture_Text != b.Pressure_Fixture_Text);
    }
    Show_Job();
    Refresh_Title();
}

// Save calculates first; its messages and the file dialog come after the
// new results are on the window.
void Frm_Main::Save_Job()
{
    Results_First_Prompt prompt(*prompt_, [this] { Show_Results(); });
    bool saved = false;
    const Calc_Outcome outcome = Job_Save(State, prompt, &saved);
    Set_Results_Stale(false);
    if (outcome.Play_Sound)
        Play_Sound();
    Show_Results();
    if (saved)
        Remember_Job(State.Job_File_Name);
    Refresh_Title();
}

void Frm_Main::Quit()
{
    Results_First_Prompt prompt(*prompt_, [this] { Show_Results(); });
    if (Job_Quit(State, prompt)) {
        quit_requested_ = true;
        closing_checked_ = true;
        close();
    }
}

void Frm_Main::End_Program()
{
    quit_requested_ = true;
    closing_checked_ = true;
    close();
}

void Frm_Main::closeEvent(QCloseEvent *event)
{
    Store_Window_Memory();
    if (!closing_checked_) {
        Results_First_Prompt prompt(*prompt_, [this] { Show_Results(); });
        Job_Window_Close(State, prompt);
        closing_checked_ = true;
    }
    event->accept();
    QApplication::quit();
}

bool Frm_Main::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui_->Right_Panel && event->type() == QEvent::LayoutRequest)
        Fit_Right_Column();
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return QMainWindow::eventFilter(watched, event);
    if (Drop_Filter(event))
        return true;
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const int row = int(std::find(TB_Number.begin(), TB_Number.end(), widget) - TB_Number.begin());
        if (row < Grid_Rows && key->matches(QKeySequence::Paste)
            && Paste_Counts(row, QGuiApplication::clipboard()->text()))
            return true;
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::NoModifier) {
            menuBar()->setActiveAction(menuBar()->actions().value(0));
            return true;
        }
        // The menu bar in Alt mode keeps its arrow keys.
        if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && key->modifiers() == Qt::NoModifier
            && widget == QApplication::focusWidget() && !qobject_cast<QMenuBar *>(widget)) {
            focusNextPrevChild(key->key() == Qt::Key_Down);
            if (QWidget *now = QApplication::focusWidget(); now && ui_->Fixture_Grid->isAncestorOf(now))
                ui_->Grid_Scroll->ensureWidgetVisible(now);
            return true;
        }
    } else if (event->type() == QEvent::ContextMenu
               && std::find(TB_Number.begin(), TB_Number.end(), widget) != TB_Number.end()) {
        // The menu's Paste fills the boxes down as Ctrl+V does.
        auto *box = static_cast<QLineEdit *>(widget);
        const int row = int(std::find(TB_Number.begin(), TB_Number.end(), widget) - TB_Number.begin());
        QMenu *menu = box->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        if (QAction *paste = menu->findChild<QAction *>(QStringLiteral("edit-paste"))) {
            disconnect(paste, &QAction::triggered, nullptr, nullptr);
            connect(paste, &QAction::triggered, box, [this, box, row] {
                if (!Paste_Counts(row, QGuiApplication::clipboard()->text()))
                    box->paste();
            });
        }
        menu->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    } else if (event->type() == QEvent::FocusIn && watched == DTPicker1) {
        // The date is changed with the calendar or "< Today"; the focus
        // moves on, unless Alt+D brought it to be typed.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ShortcutFocusReason)
            return QMainWindow::eventFilter(watched, event);
        const bool back = reason == Qt::BacktabFocusReason;
        QTimer::singleShot(0, this, [this, back] {
            if (DTPicker1->hasFocus())
                focusNextPrevChild(!back);
        });
    }
    return QMainWindow::eventFilter(watched, event);
}
