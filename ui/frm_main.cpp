#include "frm_main.h"

#include "frm_about.h"
#include "frm_dialog_file.h"
#include "frm_update.h"
#include "frm_note.h"
#include "frm_options.h"
#include "frm_pressure.h"
#include "job_file.h"
#include "key_state.h"
#include "job_lifecycle.h"
#include "number_format.h"
#include "program_documents.h"
#include "reference_dialogs.h"
#include "report.h"
#include "settings_store.h"
#include "shell_run.h"
#include "widget_prompt.h"
#include "associate.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
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
#include <QSoundEffect>
#include <QStatusBar>
#include <QTime>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("Quorvel");

QLabel *Result_Box(const QString &name)
{
    auto *label = new QLabel;
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAutoFillBackground(true);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, Qt::white);
    label->setPalette(p);
    label->setMinimumHeight(26);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QPushButton *Help_Button(const QString &name)
{
    auto *button = new QPushButton(QStringLiteral("?"));
    button->setObjectName(name);
    button->setFixedWidth(26);
    return button;
}

template <typename T> T *Named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

// The pictures are compiled into the library; outside any namespace, as
// the resource initialiser requires.
static void Ensure_Resources()
{
    Q_INIT_RESOURCE(images);
}

Frm_Main::Frm_Main(const Start_Options &options, QWidget *parent) : QMainWindow(parent), options_(options)
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
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &Frm_Main::Refresh_Status);
}

Frm_Main::~Frm_Main()
{
    qApp->removeEventFilter(this);
}

void Frm_Main::Build_Controls()
{
    auto *central = new QWidget;
    central->setObjectName(QStringLiteral("Central"));
    setCentralWidget(central);

    // Title block
    Label3 = Named(new QLabel(QStringLiteral("Water Meter Sizing Program")), QStringLiteral("Label3"));
    Label1 = Named(new QLabel(Title), QStringLiteral("Label1"));
    Label2 = Named(new QLabel(Title), QStringLiteral("Label2"));
    Lab_Version = Named(new QLabel(QStringLiteral("Version")), QStringLiteral("Lab_Version"));
    QFont title_font = Label1->font();
    title_font.setPointSize(20);
    title_font.setBold(true);
    Label1->setFont(title_font);
    Label2->setFont(title_font);
    QPalette shade = Label1->palette();
    shade.setColor(QPalette::WindowText, QColor(130, 150, 180));
    Label1->setPalette(shade);
    QPalette face = Label2->palette();
    face.setColor(QPalette::WindowText, QColor(0, 60, 140));
    Label2->setPalette(face);
    // The title is drawn twice, the face a little up and to the left of its shadow.
    auto *title_stack = new QWidget;
    title_stack->setFixedSize(160, 40);
    Label1->setParent(title_stack);
    Label2->setParent(title_stack);
    Label1->setGeometry(3, 3, 157, 37);
    Label2->setGeometry(0, 0, 157, 37);
    auto *title_row = new QHBoxLayout;
    title_row->addWidget(title_stack);
    auto *title_text = new QVBoxLayout;
    title_text->addWidget(Label3);
    title_text->addWidget(Lab_Version);
    title_row->addLayout(title_text);
    title_row->addStretch();

    // Options
    Opt_Pri_Use = Named(new QRadioButton(QStringLiteral("Private Use Fixtures")), QStringLiteral("Opt_Pri_Use"));
    Opt_Pub_Use = Named(new QRadioButton(QStringLiteral("Public Use Fixtures")), QStringLiteral("Opt_Pub_Use"));
    Opt_Per_Tank = Named(new QRadioButton(QStringLiteral("Predominately Tank Flush")), QStringLiteral("Opt_Per_Tank"));
    Opt_Per_Flush = Named(new QRadioButton(QStringLiteral("Predominately Quick Flush")),
                          QStringLiteral("Opt_Per_Flush"));
    Opt_Flow_Max = Named(new QRadioButton(QStringLiteral("Calc Using Maximum Flow")), QStringLiteral("Opt_Flow_Max"));
    Opt_Flow_Cont = Named(new QRadioButton(QStringLiteral("Calc Using Continuous Flow")),
                          QStringLiteral("Opt_Flow_Cont"));
    Button_Flow = Help_Button(QStringLiteral("Button_Flow"));
    for (auto pair : {std::pair{Opt_Pri_Use, Opt_Pub_Use}, std::pair{Opt_Per_Tank, Opt_Per_Flush},
                      std::pair{Opt_Flow_Max, Opt_Flow_Cont}}) {
        auto *group = new QButtonGroup(this);
        group->addButton(pair.first);
        group->addButton(pair.second);
    }
    auto *use_box = new QGroupBox;
    auto *use_layout = new QVBoxLayout(use_box);
    use_layout->addWidget(Opt_Pri_Use);
    use_layout->addWidget(Opt_Pub_Use);
    auto *flush_box = new QGroupBox;
    auto *flush_layout = new QVBoxLayout(flush_box);
    flush_layout->addWidget(Opt_Per_Tank);
    flush_layout->addWidget(Opt_Per_Flush);
    auto *flow_box = new QGroupBox;
    auto *flow_layout = new QGridLayout(flow_box);
    flow_layout->addWidget(Opt_Flow_Max, 0, 0);
    flow_layout->addWidget(Opt_Flow_Cont, 1, 0);
    flow_layout->addWidget(Button_Flow, 0, 1, 2, 1);
    auto *option_row = new QHBoxLayout;
    option_row->addWidget(use_box);
    option_row->addWidget(flush_box);
    option_row->addWidget(flow_box);
    Chk_Description = Named(new QCheckBox(QStringLiteral("Show description using code language")),
                            QStringLiteral("Chk_Description"));

    // Fixture grid
    auto *grid_widget = new QWidget;
    grid_widget->setObjectName(QStringLiteral("Fixture_Grid"));
    auto *grid = new QGridLayout(grid_widget);
    grid->setVerticalSpacing(2);
    grid->setContentsMargins(4, 4, 4, 4);
    for (int r = 0; r < Grid_Rows; ++r) {
        Lab_Pri[r] = Named(new QLabel(QStringLiteral("Bad Error Seek Help - Missing Files")),
                           QStringLiteral("Lab_Pri_%1").arg(r));
        TB_Number[r] = Named(new QLineEdit, QStringLiteral("TB_Number_%1").arg(r));
        TB_Number[r]->setFixedWidth(70);
        grid->addWidget(Lab_Pri[r], r, 0);
        grid->addWidget(TB_Number[r], r, 1);
    }
    grid->setColumnStretch(0, 1);
    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("Grid_Scroll"));
    scroll->setWidget(grid_widget);
    scroll->setWidgetResizable(true);
    scroll->setMinimumWidth(430);
    auto *grid_header = new QHBoxLayout;
    auto *fixture_heading = new QLabel(QStringLiteral("<b>Fixture Type</b>"));
    auto *count_heading = new QLabel(QStringLiteral("<b>Count</b>"));
    count_heading->setFixedWidth(90);
    grid_header->addWidget(fixture_heading, 1);
    grid_header->addWidget(count_heading);

    auto *left = new QVBoxLayout;
    left->addLayout(title_row);
    left->addLayout(option_row);
    left->addWidget(Chk_Description);
    left->addLayout(grid_header);
    left->addWidget(scroll, 1);

    // Job header
    Label5 = Named(new QLabel(QStringLiteral("Location")), QStringLiteral("Label5"));
    Label4 = Named(new QLabel(QStringLiteral("Calculated By")), QStringLiteral("Label4"));
    Label6 = Named(new QLabel(QStringLiteral("Date")), QStringLiteral("Label6"));
    TB_Location = Named(new QLineEdit, QStringLiteral("TB_Location"));
    TB_By = Named(new QLineEdit, QStringLiteral("TB_By"));
    DTPicker1 = Named(new QDateEdit, QStringLiteral("DTPicker1"));
    DTPicker1->setCalendarPopup(true);
    DTPicker1->setDisplayFormat(QStringLiteral("M/d/yyyy"));
    DTPicker1->setDate(QDate::currentDate());
    Button_Today = Named(new QPushButton(QStringLiteral("< Today")), QStringLiteral("Button_Today"));
    auto *job_box = new QGroupBox;
    auto *job_grid = new QGridLayout(job_box);
    job_grid->addWidget(Label5, 0, 0);
    job_grid->addWidget(TB_Location, 0, 1, 1, 2);
    job_grid->addWidget(Label4, 1, 0);
    job_grid->addWidget(TB_By, 1, 1, 1, 2);
    job_grid->addWidget(Label6, 2, 0);
    job_grid->addWidget(DTPicker1, 2, 1);
    job_grid->addWidget(Button_Today, 2, 2);
    job_grid->setColumnStretch(1, 1);

    // Extra flows
    Label10 = Named(new QLabel(QStringLiteral("Irrigation System: Flow rating (gpm)")), QStringLiteral("Label10"));
    Label12 = Named(new QLabel(QStringLiteral("Note A: Enter total rated flow (gpm)")), QStringLiteral("Label12"));
    TB_Sprinkler = Named(new QLineEdit, QStringLiteral("TB_Sprinkler"));
    TB_NoteA = Named(new QLineEdit, QStringLiteral("TB_NoteA"));
    TB_Sprinkler->setFixedWidth(80);
    TB_NoteA->setFixedWidth(80);
    Button_Sprinkler = Help_Button(QStringLiteral("Button_Sprinkler"));
    Button_NoteA = Help_Button(QStringLiteral("Button_NoteA"));
    auto *flow_extra = new QGroupBox;
    auto *flow_grid = new QGridLayout(flow_extra);
    flow_grid->addWidget(Label10, 0, 0);
    flow_grid->addWidget(TB_Sprinkler, 0, 1);
    flow_grid->addWidget(Button_Sprinkler, 0, 2);
    flow_grid->addWidget(Label12, 1, 0);
    flow_grid->addWidget(TB_NoteA, 1, 1);
    flow_grid->addWidget(Button_NoteA, 1, 2);
    flow_grid->setColumnStretch(0, 1);

    // Pressure and Calculate
    Chk_Use_Pressure = Named(new QCheckBox(QStringLiteral("Evaluate Pressure Loss")), QStringLiteral("Chk_Use_Pressure"));
    Button_Pressure = Named(new QPushButton(QStringLiteral("Pressure Details")), QStringLiteral("Button_Pressure"));
    Button_Calc = Named(new QPushButton(QStringLiteral("Calculate")), QStringLiteral("Button_Calc"));
    QFont calc_font = Button_Calc->font();
    calc_font.setBold(true);
    calc_font.setPointSize(calc_font.pointSize() + 2);
    Button_Calc->setFont(calc_font);
    Button_Calc->setMinimumHeight(36);
    auto *pressure_row = new QHBoxLayout;
    pressure_row->addWidget(Chk_Use_Pressure);
    pressure_row->addStretch();
    pressure_row->addWidget(Button_Pressure);

    // Results
    Label7 = Named(new QLabel(QStringLiteral("Fixture Units")), QStringLiteral("Label7"));
    Label8 = Named(new QLabel(QStringLiteral("Max. Design Flow")), QStringLiteral("Label8"));
    Label9 = Named(new QLabel(QStringLiteral("Meter Size")), QStringLiteral("Label9"));
    Label14 = Named(new QLabel(QStringLiteral("Pressure at Fixture ")), QStringLiteral("Label14"));
    Lab_Fixture_Units = Result_Box(QStringLiteral("Lab_Fixture_Units"));
    Lab_Design_Flow = Result_Box(QStringLiteral("Lab_Design_Flow"));
    Lab_Meter_Size = Result_Box(QStringLiteral("Lab_Meter_Size"));
    Lab_Pressure_Fixture = Result_Box(QStringLiteral("Lab_Pressure_Fixture"));
    auto *results = new QGroupBox;
    auto *results_grid = new QGridLayout(results);
    results_grid->addWidget(Label7, 0, 0);
    results_grid->addWidget(Lab_Fixture_Units, 0, 1);
    results_grid->addWidget(Label8, 1, 0);
    results_grid->addWidget(Lab_Design_Flow, 1, 1);
    results_grid->addWidget(Label9, 2, 0);
    results_grid->addWidget(Lab_Meter_Size, 2, 1);
    results_grid->addWidget(Label14, 3, 0);
    results_grid->addWidget(Lab_Pressure_Fixture, 3, 1);
    results_grid->setColumnStretch(1, 1);

    // Meter table and note
    Label13 = Named(new QLabel(QStringLiteral("Meter Table")), QStringLiteral("Label13"));
    Lab_Meter_Table = Named(new QLabel, QStringLiteral("Lab_Meter_Table"));
    Lab_Meter_Table->setWordWrap(true);
    Lab_Meter_Table->setToolTip(
        QStringLiteral("Press the button to the right to change the meter list used for the calculation"));
    Button_Options = Named(new QPushButton(QStringLiteral("..")), QStringLiteral("Button_Options"));
    Button_Options->setFixedWidth(30);
    Button_Options->setToolTip(QStringLiteral("Press to change the meter list used for the calculation"));
    auto *meter_box = new QGroupBox;
    auto *meter_grid = new QGridLayout(meter_box);
    meter_grid->addWidget(Label13, 0, 0, 1, 2);
    meter_grid->addWidget(Lab_Meter_Table, 1, 0);
    meter_grid->addWidget(Button_Options, 1, 1);
    meter_grid->setColumnStretch(0, 1);

    Label11 = Named(new QLabel(QStringLiteral("Calculation Note")), QStringLiteral("Label11"));
    Lab_Note = Named(new QLabel(QStringLiteral("No Note")), QStringLiteral("Lab_Note"));
    Image1 = Named(new QLabel, QStringLiteral("Image1"));
    Image1->setPixmap(QIcon(QStringLiteral(":/images/note.svg")).pixmap(QSize(24, 24)));
    Image1->setFixedSize(26, 26);
    Image1->hide();
    Button_Note = Named(new QPushButton(QStringLiteral("Note")), QStringLiteral("Button_Note"));
    auto *note_box = new QGroupBox;
    auto *note_row = new QHBoxLayout(note_box);
    note_row->addWidget(Label11);
    note_row->addWidget(Lab_Note, 1);
    note_row->addWidget(Image1);
    note_row->addWidget(Button_Note);

    auto *right = new QVBoxLayout;
    right->addWidget(job_box);
    right->addWidget(flow_extra);
    right->addLayout(pressure_row);
    right->addWidget(Button_Calc);
    right->addWidget(results);
    right->addWidget(meter_box);
    right->addWidget(note_box);
    right->addStretch();

    auto *columns = new QHBoxLayout(central);
    columns->addLayout(left, 3);
    columns->addLayout(right, 2);

    // Tab order follows the visual order: options, grid, then the right column.
    QList<QWidget *> order = {Opt_Pri_Use, Opt_Pub_Use, Opt_Per_Tank, Opt_Per_Flush, Opt_Flow_Max,
                              Opt_Flow_Cont, Button_Flow, Chk_Description};
    for (QLineEdit *box : TB_Number)
        order << box;
    order << TB_Location << TB_By << DTPicker1 << Button_Today << TB_Sprinkler << Button_Sprinkler << TB_NoteA
          << Button_NoteA << Chk_Use_Pressure << Button_Pressure << Button_Calc << Button_Options << Button_Note;
    for (int i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);

    // Status bar: modified state, job file, time, INS, CAPS, NUM.
    auto *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    const QStringList initial = {QStringLiteral("Not Saved"), QStringLiteral("No File"), QString(),
                                 QString(), QString(), QString()};
    for (int i = 0; i < 6; ++i) {
        Panels[i] = Named(new QLabel(initial[i]), QStringLiteral("Panel_%1").arg(i + 1));
        Panels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        Panels[i]->setContentsMargins(4, 0, 4, 0);
        if (i == 1)
            bar->addWidget(Panels[i], 1);
        else if (i == 0)
            bar->addWidget(Panels[i]);
        else
            bar->addPermanentWidget(Panels[i]);
    }
    Key_Panels = new Key_State_Panels(Panels[3], Panels[4], Panels[5], this);
}

void Frm_Main::Build_Menus_And_Toolbar()
{
    struct Command {
        QString Description, Tip, Image_Key;
        std::function<void()> Run;
    };
    const auto view = [this](std::function<QString()> path) { return [this, path] { View_File(path()); }; };
    const QList<Command> commands = {
        {"New", "New", "New", [this] { New_Job(); }},
        {"Open", "Open", "Open", [this] { Open_Job(); }},
        {"Save", "Save", "Save", [this] { Save_Job(); }},
        {"Print Preview", "Print Preview", "Print", [this] { Print_Preview(); }},
        {"Configure", "Configure", "Configure", [this] { Open_Options(); }},
        {"Priv", "View Private Use Fixtures", "Note-Priv", view([this] { return State.File1; })},
        {"Pub", "View Public Use Fixtures", "Note-Pub", view([this] { return State.File2; })},
        {"Fixt", "View Fixture Uint Conversion", "Note-Fixt", view([this] { return State.File3; })},
        {"Meter", "View Current Meter List", "Note-Meter",
         view([this] { return State.Program_File(State.Settings.Set_Meter_Table); })},
        {"Note", "Edit Note", "Note", [this] { Edit_Note(); }},
        {"Gauge", "Modify Pressure Details", "Gauge", [this] { Open_Pressure_Details(); }},
        {"Calculate", "Calculate", "Calculate", [this] { Calculate(); }},
        {"Help", "Help", "Help", [this] { Show_Help(); }},
        {"Quit", "Quit", "Quit", [this] { Quit(); }},
    };
    // Groups divided by the five separators.
    const QSet<QString> separator_after = {"Print Preview", "Configure", "Meter", "Gauge", "Calculate"};

    Toolbar1 = addToolBar(QStringLiteral("Toolbar"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    for (const Command &c : commands) {
        QAction *a = Toolbar1->addAction(c.Description);
        a->setObjectName(QStringLiteral("Toolbar_") + QString(c.Description).replace(u' ', u'_'));
        a->setToolTip(c.Tip);
        a->setProperty("Description", c.Description);
        a->setProperty("Image_Key", c.Image_Key);
        connect(a, &QAction::triggered, this, c.Run);
        Toolbar_Buttons << a;
        if (separator_after.contains(c.Description))
            Toolbar_Buttons << Toolbar1->addSeparator();
    }
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);

    const auto add = [this](QMenu *menu, const QString &text, const QString &name, std::function<void()> run,
                            const QList<QKeySequence> &keys = {}) {
        QAction *a = menu->addAction(text);
        a->setObjectName(name);
        a->setShortcuts(keys);
        connect(a, &QAction::triggered, this, run);
        return a;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("Menu_File"));
    add(file, QStringLiteral("New"), QStringLiteral("Menu_New"), [this] { New_Job(); }, {QKeySequence::New});
    add(file, QStringLiteral("&Open"), QStringLiteral("Menu_Open"), [this] { Open_Job(); }, {QKeySequence::Open});
    add(file, QStringLiteral("&Save"), QStringLiteral("Menu_Save"), [this] { Save_Job(); }, {QKeySequence::Save});
    file->addSeparator();
    add(file, QStringLiteral("&Print Preview ..."), QStringLiteral("Menu_Print"), [this] { Print_Preview(); },
        {QKeySequence(Qt::CTRL | Qt::Key_P)});
    file->addSeparator();
    add(file, QStringLiteral("Quit"), QStringLiteral("Menu_Quit"), [this] { Quit(); },
        {QKeySequence(Qt::CTRL | Qt::Key_Q)});

    QMenu *configure = menuBar()->addMenu(QStringLiteral("Configure"));
    configure->setObjectName(QStringLiteral("Menu_Configure"));
    add(configure, QStringLiteral("Configure"), QStringLiteral("Menu_Configure_Options"), [this] { Open_Options(); });

    QMenu *view_menu = menuBar()->addMenu(QStringLiteral("View"));
    view_menu->setObjectName(QStringLiteral("Menu_View"));
    QAction *warning = view_menu->addAction(
        QStringLiteral("----Warning, Don't Modify Unless You Know What You Are Doing ----"));
    warning->setObjectName(QStringLiteral("Menu_View_Warning"));
    warning->setEnabled(false);
    add(view_menu, QStringLiteral("View Private Use Fixtures"), QStringLiteral("Menu_View_Private"),
        [this] { View_File(State.File1); });
    add(view_menu, QStringLiteral("View Public Use Fixtures"), QStringLiteral("Menu_View_Public"),
        [this] { View_File(State.File2); });
    add(view_menu, QStringLiteral("View Fixture Unit Conversion"), QStringLiteral("Menu_View_Conversion"),
        [this] { View_File(State.File3); });
    add(view_menu, QStringLiteral("View Current Meter List"), QStringLiteral("Menu_View_Meter"),
        [this] { View_File(State.Program_File(State.Settings.Set_Meter_Table)); });

    QMenu *action = menuBar()->addMenu(QStringLiteral("Action"));
    action->setObjectName(QStringLiteral("Menu_Action"));
    add(action, QStringLiteral("Edit Note"), QStringLiteral("Menu_Edit_Note"), [this] { Edit_Note(); });
    add(action, QStringLiteral("Clear"), QStringLiteral("Menu_Clear"), [this] { New_Job(); });
    add(action, QStringLiteral("Calculate"), QStringLiteral("Menu_Calculate"), [this] { Calculate(); },
        {QKeySequence(Qt::Key_F9), QKeySequence(Qt::CTRL | Qt::Key_R)});

    QMenu *help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("Menu_Help"));
    add(help, QStringLiteral("Help"), QStringLiteral("Menu_Help_Help"), [this] { Show_Help(); },
        {QKeySequence(Qt::Key_F1)});
    add(help, QStringLiteral("License"), QStringLiteral("Menu_License"), [this] { Show_License(); });
    add(help, QStringLiteral("Version Information"), QStringLiteral("Menu_Version_Information"),
        [this] { Show_Version_Information(); });
    help->addSeparator();
    add(help, QStringLiteral("&About"), QStringLiteral("Menu_About"), [this] { Show_About(); });
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
    Lab_Meter_Table->setText(State.Meters.Description);
    Show_Job();
    State.Flag_Save = 0;
    qApp->installEventFilter(this);
    State.Current_Path = State.Settings.Default_Path;

    if (options_.Register_File_Type) {
        Cla_Associate associate;
        associate.Title = QStringLiteral("Quorvel Data File");
        associate.Class = QStringLiteral("Quorvel_File");
        associate.Extension = QStringLiteral(".qvl");
        associate.AppCommand = QCoreApplication::applicationFilePath();
        associate.DefaultIcon = QCoreApplication::applicationFilePath() + QStringLiteral(",0");
        associate.Associate(); // a failing registration does not stop the program
    }

    if (!State.Load_Command.isEmpty())
        Open_Job();
    Refresh_Status();
    Timer1.start();
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
    (job.Flow_Basis == Flow_Kind::Maximum ? Opt_Flow_Max : Opt_Flow_Cont)->setChecked(true);
    Chk_Use_Pressure->setChecked(job.Use_Pressure);
    TB_Sprinkler->setText(job.Irrigation_Flow);
    TB_NoteA->setText(job.NoteA_Flow);
    for (QLineEdit *box : {TB_Location, TB_By})
        box->setCursorPosition(0); // show the beginning of a long text
    updating_ = false;
    Refresh_Fixture_Grid();
    Show_Results();
}

void Frm_Main::Refresh_Fixture_Grid()
{
    const Grid_View view = State.Refresh_Grid();
    updating_ = true;
    const QColor face = palette().color(QPalette::Button);
    for (int r = 0; r < Grid_Rows; ++r) {
        Lab_Pri[r]->setText(view.Labels[r]);
        TB_Number[r]->setText(State.Job.Fixture_Count[r]);
        TB_Number[r]->setEnabled(view.Enabled[r]);
        QPalette p = TB_Number[r]->palette();
        const QColor base = view.Button_Face[r] ? face : QColor(Qt::white);
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            p.setColor(group, QPalette::Base, base);
        TB_Number[r]->setPalette(p);
    }
    updating_ = false;
    Lab_Note->setText(view.Note_Exists ? QStringLiteral("Note Exists") : QStringLiteral("No Note"));
    QFont f = Lab_Note->font();
    f.setBold(view.Note_Exists);
    Lab_Note->setFont(f);
    Image1->setVisible(view.Note_Exists);
}

void Frm_Main::Show_Results()
{
    const Sizing_Job &job = State.Job;
    Lab_Fixture_Units->setText(job.Fixture_Units_Text);
    Lab_Design_Flow->setText(job.Design_Flow_Text);
    Lab_Meter_Size->setText(job.Meter_Size_Text);
    Lab_Pressure_Fixture->setText(job.Pressure_Fixture_Text);
    QPalette p = Lab_Pressure_Fixture->palette();
    p.setColor(QPalette::WindowText, job.Pressure_Color == 255 ? QColor(255, 0, 0) : QColor(0, 0, 0));
    Lab_Pressure_Fixture->setPalette(p);
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
    Show_Outcome(State.Calculate_Job());
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
    Panels[0]->setText(State.Flag_Save == 1 ? QStringLiteral("Not Saved") : QStringLiteral("Unmodified"));
    Panels[2]->setText(QTime::currentTime().toString(QStringLiteral("h:mm AP")));
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

void Frm_Main::Set_Meter()
{
    ::Set_Meter(State);
    Lab_Meter_Table->setText(State.Meters.Description);
}

QString Frm_Main::Launch(const QString &command_line, int show_code)
{
    if (options_.Launcher)
        return options_.Launcher(command_line, show_code);
    QString error;
    Shell_Run(command_line, show_code, &error);
    return error;
}

void Frm_Main::View_File(const QString &path)
{
    const QString error = Launch(State.Settings.Editor + QStringLiteral(" \"") + path + u'"', 5);
    if (!error.isEmpty())
        prompt_->Show_Message(QStringLiteral("The text editor \"%1\" could not be started to show %2: %3")
                                  .arg(State.Settings.Editor, path, error));
}

void Frm_Main::Print_Preview()
{
    Calc_Outcome outcome;
    ::Print_Preview(State, *prompt_, [this](const QString &command_line, int show_code) {
        const QString error = Launch(command_line, show_code);
        if (!error.isEmpty())
            prompt_->Show_Message(QStringLiteral("The report was written, but the text editor \"%1\" could not be "
                                                 "started: %2")
                                      .arg(State.Settings.Editor, error));
    }, &outcome);
    if (outcome.Play_Sound)
        Play_Sound();
    Show_Results();
}

void Frm_Main::New_Job()
{
    Job_New(State, *prompt_);
    Show_Job();
}

void Frm_Main::Open_Job()
{
    Job_Open(State, *prompt_);
    Show_Job();
}

void Frm_Main::Save_Job()
{
    const Calc_Outcome outcome = Job_Save(State, *prompt_);
    if (outcome.Play_Sound)
        Play_Sound();
    Show_Results();
}

void Frm_Main::Quit()
{
    if (Job_Quit(State, *prompt_)) {
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
    if (!closing_checked_) {
        Job_Window_Close(State, *prompt_);
        closing_checked_ = true;
    }
    event->accept();
    QApplication::quit();
}

void Frm_Main::Edit_Note()
{
    Frm_Note note(State.Version, Short_Date_Text(State.Job.Calc_Date), State.Job.Location, State.Job.Note, this);
    if (note.exec() == QDialog::Accepted) {
        State.Flag_Save = 1;
        State.Job.Note = note.Note();
    }
    Refresh_Fixture_Grid();
}

Settings_Store Frm_Main::Open_Settings_Store() const
{
    return options_.Settings_File.isEmpty() ? Settings_Store() : Settings_Store(options_.Settings_File);
}

void Frm_Main::Open_Options()
{
    for (auto *old : findChildren<Frm_Options *>())
        delete old;
    Options_Host host{State, *prompt_, this};
    host.Set_Images = [this] { Set_Images(); };
    host.Set_Meter = [this] { Set_Meter(); };
    host.Open_Settings_Store = [this] { return Open_Settings_Store(); };
    host.Check_For_Update = [this](QWidget *parent) {
        for (auto *old : parent->findChildren<Frm_Update *>())
            delete old;
        Frm_Update::Local_State local{State.Settings.ServerName, State.App_Path, State.Version,
                                      {State.Table1.Date, State.Table2.Date, State.Table3.Date},
                                      [this](const QString &text) { prompt_->Show_Message(text); },
                                      [this] { End_Program(); }};
        auto *dialog = new Frm_Update(local, parent); // modeless, deleted when closed
        dialog->show();
        QTimer::singleShot(0, dialog, &Frm_Update::Load); // shown first with "Please Wait ...."
    };
    host.Pick = [this](bool editor, const QString &current_editor, QWidget *parent) -> std::optional<QString> {
        const auto mode = editor ? Frm_Dialog_File1::Mode::Editor : Frm_Dialog_File1::Mode::Path;
        State.Spot1 = int(mode);
        Frm_Dialog_File1 files(mode, State.filename, State.Current_Path, current_editor, parent);
        if (files.exec() != QDialog::Accepted)
            return std::nullopt;
        return files.Result();
    };
    auto *options = new Frm_Options(host); // modeless, deleted when closed
    options->show();
}

void Frm_Main::Open_Pressure_Details()
{
    for (auto *old : findChildren<Frm_Pressure *>())
        delete old;
    Frm_Pressure details(State.Job, State.Flag_Save, State.Spot1, *prompt_, State.Version, this);
    details.exec();
}

void Frm_Main::Show_About()
{
    for (auto *old : findChildren<Frm_About *>())
        delete old;
    Frm_About about(State.Version, State.Startup, this);
    about.exec();
}

void Frm_Main::Show_Help()
{
    Launch(u'"' + State.Program_File(QStringLiteral("QV-Help.htm")) + u'"', 4); // failures are ignored
}

void Frm_Main::Show_License()
{
    QString error;
    if (!Write_License(State.App_Path, &error)) {
        prompt_->Show_Message(QStringLiteral("License.txt could not be written to the program folder: %1").arg(error));
        return;
    }
    View_File(State.Program_File(QStringLiteral("License.txt")));
}

void Frm_Main::Show_Version_Information()
{
    QString error;
    if (!Write_Version_Information(State.App_Path, &error)) {
        prompt_->Show_Message(QStringLiteral("Version.txt could not be written to the program folder: %1").arg(error));
        return;
    }
    View_File(State.Program_File(QStringLiteral("Version.txt")));
}

bool Frm_Main::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && key->modifiers() == Qt::NoModifier
            && widget == QApplication::focusWidget()) {
            focusNextPrevChild(key->key() == Qt::Key_Down);
            return true;
        }
    } else if (event->type() == QEvent::FocusIn && watched == DTPicker1) {
        // The date is changed with the calendar or "< Today"; the focus moves on.
        const bool back = static_cast<QFocusEvent *>(event)->reason() == Qt::BacktabFocusReason;
        QTimer::singleShot(0, this, [this, back] {
            if (DTPicker1->hasFocus())
                focusNextPrevChild(!back);
        });
    }
    return QMainWindow::eventFilter(watched, event);
}
