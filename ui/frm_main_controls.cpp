#include "frm_main.h"

#include "elided_label.h"
#include "estimate_marks.h"
#include "key_state.h"
#include "window_names.h"
#include "number_format.h"
#include "ui_frm_main.h"

#include <QIcon>

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
#include <QScrollBar>
#include <QScreen>
#include <QMenuBar>
#include <QToolBar>

#include <algorithm>
#include <QStatusBar>
#include <QVBoxLayout>

// The controls of the main window: the layout comes from frm_main.ui; here
// the fixture rows, the status bar panels and what follows the system's
// palette and font. The window's behaviour lives in frm_main.cpp, its menus
// and toolbar in frm_main_menus.cpp.
namespace {

template <typename T> T *Named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

void Frm_Main::Build_Controls()
{
    ui_->setupUi(this);
    Label1 = ui_->Label1;
    Label2 = ui_->Label2;
    Label3 = ui_->Label3;
    Lab_Version = ui_->Lab_Version;
    Opt_Pri_Use = ui_->Opt_Pri_Use;
    Opt_Pub_Use = ui_->Opt_Pub_Use;
    Opt_Per_Tank = ui_->Opt_Per_Tank;
    Opt_Per_Flush = ui_->Opt_Per_Flush;
    Opt_Demand_Hunter = ui_->Opt_Demand_Hunter;
    Opt_Demand_Wdc = ui_->Opt_Demand_Wdc;
    Opt_Flow_Max = ui_->Opt_Flow_Max;
    Opt_Flow_Cont = ui_->Opt_Flow_Cont;
    Button_Flow = ui_->Button_Flow;
    Chk_Description = ui_->Chk_Description;
    TB_Sprinkler = ui_->TB_Sprinkler;
    TB_NoteA = ui_->TB_NoteA;
    Label10 = ui_->Label10;
    Label12 = ui_->Label12;
    Button_Sprinkler = ui_->Button_Sprinkler;
    Button_NoteA = ui_->Button_NoteA;
    TB_Location = ui_->TB_Location;
    TB_By = ui_->TB_By;
    Label4 = ui_->Label4;
    Label5 = ui_->Label5;
    Label6 = ui_->Label6;
    DTPicker1 = ui_->DTPicker1;
    Button_Today = ui_->Button_Today;
    Chk_Use_Pressure = ui_->Chk_Use_Pressure;
    Button_Pressure = ui_->Button_Pressure;
    Button_Calc = ui_->Button_Calc;
    Label7 = ui_->Label7;
    Lab_Fixture_Units = ui_->Lab_Fixture_Units;
    Label8 = ui_->Label8;
    Lab_Design_Flow = ui_->Lab_Design_Flow;
    Label9 = ui_->Label9;
    Lab_Meter_Size = ui_->Lab_Meter_Size;
    Label14 = ui_->Label14;
    Lab_Pressure_Fixture = ui_->Lab_Pressure_Fixture;
    Label13 = ui_->Label13;
    Lab_Meter_Table = ui_->Lab_Meter_Table;
    Button_Options = ui_->Button_Options;
    Label11 = ui_->Label11;
    Lab_Note = ui_->Lab_Note;
    Image1 = ui_->Image1;
    Button_Note = ui_->Button_Note;

    // Names a screen reader announces: the captions of the boxes, and what
    // the buttons without words do.
    Button_Flow->setAccessibleName(QStringLiteral("Help: Calc Using Maximum Flow or Continuous Flow"));
    Button_Options->setAccessibleName(QStringLiteral("Change the meter list used for the calculation"));
    Name_Boxes_From_Captions(this);
    ui_->Grid_Scroll->setFocusPolicy(Qt::NoFocus); // the count boxes take the focus, not the frame around them

    // The 33 fixture rows are made here, as an array the commands index.
    auto *grid = ui_->Fixture_Grid_Layout;
    for (int r = 0; r < Grid_Rows; ++r) {
        Lab_Pri[r] = Named(new Elided_Label(QStringLiteral("Bad Error Seek Help - Missing Files")),
                           QStringLiteral("Lab_Pri_%1").arg(r));
        TB_Number[r] = Named(new QLineEdit, QStringLiteral("TB_Number_%1").arg(r));
        TB_Number[r]->setFixedWidth(70);
        grid->addWidget(Lab_Pri[r], r, 0);
        grid->addWidget(TB_Number[r], r, 1);
    }
    grid->setColumnStretch(0, 1);

    // Colours and sizes that follow the system's palette and font.
    // The title's blues are chosen for the window's own background: on a
    // dark one, lighter.
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    QPalette shade = Label1->palette();
    shade.setColor(QPalette::WindowText, dark ? QColor(110, 130, 160) : QColor(130, 150, 180));
    Label1->setPalette(shade);
    QPalette face = Label2->palette();
    face.setColor(QPalette::WindowText, dark ? QColor(140, 185, 255) : QColor(0, 60, 140));
    Label2->setPalette(face);
    // The result boxes: the palette's text on its base, as a field shows it.
    for (QLabel *box : {Lab_Fixture_Units, Lab_Design_Flow, Lab_Meter_Size, Lab_Pressure_Fixture}) {
        box->setBackgroundRole(QPalette::Base);
        box->setForegroundRole(QPalette::Text);
    }
    // A long result, note or meter list never widens the window: the box
    // keeps its width, cuts the text with "…" and its tooltip holds the
    // whole text.
    for (QLabel *box : {Lab_Fixture_Units, Lab_Design_Flow, Lab_Meter_Size, Lab_Pressure_Fixture, Lab_Note})
        box->setSizePolicy(QSizePolicy::Ignored, box->sizePolicy().verticalPolicy());
    Lab_Meter_Table->setSizePolicy(QSizePolicy::Ignored, Lab_Meter_Table->sizePolicy().verticalPolicy());
    Mark_Meter_Table = Add_Estimate_Mark(Lab_Meter_Table, QStringLiteral("Mark_Meter_Table"));
    Mark_Meter_Size = Add_Estimate_Mark(Lab_Meter_Size, QStringLiteral("Mark_Meter_Size"));
    // The option groups keep narrow margins, so that the two columns fit a
    // screen 1024 pixels wide.
    for (QLayout *group : std::initializer_list<QLayout *>{ui_->use_layout, ui_->flush_layout, ui_->flow_layout})
        group->setContentsMargins(6, 4, 6, 4);
    QFont calc_font = Button_Calc->font();
    calc_font.setBold(true);
    calc_font.setPointSize(calc_font.pointSize() + 2);
    Button_Calc->setFont(calc_font);
    DTPicker1->setDate(QDate::currentDate());
    Image1->setPixmap(QIcon(QStringLiteral(":/images/note.svg")).pixmap(QSize(24, 24)));
    Image1->hide();
    ui_->Right_Panel->installEventFilter(this);
    ui_->Right_Scroll->setFocusPolicy(Qt::NoFocus);

    // Tab order follows the visual order: options, grid, then the right column.
    QList<QWidget *> order = {Opt_Pri_Use, Opt_Pub_Use, Opt_Per_Tank, Opt_Per_Flush, Opt_Flow_Max,
                              Opt_Flow_Cont, Button_Flow, Chk_Description, Opt_Demand_Hunter, Opt_Demand_Wdc};
    for (QLineEdit *box : TB_Number)
        order << box;
    order << TB_Location << TB_By << DTPicker1 << Button_Today << TB_Sprinkler << Button_Sprinkler << TB_NoteA
          << Button_NoteA << Chk_Use_Pressure << Button_Pressure << Button_Calc << Button_Options << Button_Note;
    for (int i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);

    // Status bar: modified state, job file, time, INS, CAPS, NUM.
    QStatusBar *bar = ui_->StatusBar1;
    const QStringList initial = {QStringLiteral("Not Saved"), QStringLiteral("No File"), QString(),
                                 QString(), QString(), QString()};
    for (int i = 0; i < 6; ++i) {
        // The job file's path may be long: it is cut in its middle, never widening the window.
        Panels[i] = Named(i == 1 ? new Elided_Label(initial[i]) : new QLabel(initial[i]), QStringLiteral("Panel_%1").arg(i + 1));
        if (i == 1)
            static_cast<Elided_Label *>(Panels[i])->Set_Elide_Mode(Qt::ElideMiddle);
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


// On a low screen the right column scrolls instead of pushing the status
// bar off the screen; it never scrolls sideways, so it is kept as wide as
// its controls want, with room for the scroll bar, as they change.
void Frm_Main::Fit_Right_Column()
{
    QScrollArea *scroll = ui_->Right_Scroll;
    const QSize wanted = ui_->Right_Panel->sizeHint();
    scroll->setMinimumWidth(wanted.width() + scroll->verticalScrollBar()->sizeHint().width());
    int height = wanted.height();
    if (const QScreen *shown_on = screen()) {
        // Menu, toolbar, status bar, the margins and the window frame.
        const QMargins margins = ui_->columns->contentsMargins();
        const int window_frame = 60;
        const int chrome = menuBar()->sizeHint().height() + (Toolbar1 ? Toolbar1->sizeHint().height() : 0) +
                           statusBar()->sizeHint().height() + margins.top() + margins.bottom() + window_frame;
        height = std::min(height, shown_on->availableSize().height() - chrome);
    }
    scroll->setMinimumHeight(std::max(height, 100));
}
