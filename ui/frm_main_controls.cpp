#include "frm_main.h"

#include "number_format.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>

// The controls of the main window and their placement; the window's
// behaviour lives in frm_main.cpp, its menus in frm_main_menus.cpp.
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
                                 QStringLiteral("INS"), QStringLiteral("CAPS"), QStringLiteral("NUM")};
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
}

