// What the main window does as a desktop program: its title, Recent Jobs,
// size and position kept between runs, jobs dropped on it, results marked
// when they no longer belong to the inputs, inputs marked when they will
// not be read as they show, and spreadsheet cells pasted into the counts.
#include "frm_main.h"

#include "frm_calc_details.h"
#include "input_marks.h"
#include "job_file.h"
#include "leading_number.h"
#include "number_format.h"
#include "settings_store.h"
#include "window_memory.h"
#include "ui_frm_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProxyStyle>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

namespace {

// Alt alone and Alt then the arrows reach the menu bar in every style.
class Alt_Key_Style : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *answer) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }
};

// A job file cannot hold every character: said when typed.
QString Text_Concern(const QString &text)
{
    Sizing_Job probe;
    probe.Location = text;
    const QStringList held = Unsaveable_Fields(probe);
    return held.isEmpty() ? QString() : QStringLiteral("A job file cannot hold ") + held.first().section(u':', 1).trimmed();
}

} // namespace

void Frm_Main::Build_Input_Marks()
{
    setAcceptDrops(true);
    auto *alt_style = new Alt_Key_Style(QApplication::style()->name());
    alt_style->setParent(menuBar());
    menuBar()->setStyle(alt_style);

    const QString pair_keys = QStringLiteral("Left/Right or Shift+Up/Shift+Down chooses the other option of the pair; "
                                             "Up and Down move to the next field");
    for (QRadioButton *option : {Opt_Pri_Use, Opt_Pub_Use, Opt_Per_Tank, Opt_Per_Flush, Opt_Flow_Max, Opt_Flow_Cont})
        option->setToolTip(option->text() + QStringLiteral("\n") + pair_keys);
    DTPicker1->setToolTip(QStringLiteral("Alt+D sets the date from the keyboard"));

    Lab_Pressure_Why = new QLabel(Right_Panel_Widget());
    Lab_Pressure_Why->setObjectName(QStringLiteral("Lab_Pressure_Why"));
    Lab_Pressure_Why->setWordWrap(true);
    Lab_Pressure_Why->hide();
    ui_->results_grid->addWidget(Lab_Pressure_Why, ui_->results_grid->rowCount(), 0, 1, 2);

    for (QLineEdit *box : {TB_Sprinkler, TB_NoteA, TB_Location, TB_By})
        connect(box, &QLineEdit::textChanged, this, &Frm_Main::Mark_Inputs);
    for (QLineEdit *box : TB_Number)
        connect(box, &QLineEdit::textChanged, this, &Frm_Main::Mark_Inputs);
    // Edits that change what Calculate would give.
    const auto stale = [this] {
        if (!updating_)
            Set_Results_Stale(true);
    };
    for (QLineEdit *box : TB_Number)
        connect(box, &QLineEdit::textChanged, this, stale);
    for (QLineEdit *box : {TB_Sprinkler, TB_NoteA})
        connect(box, &QLineEdit::textChanged, this, stale);
    for (QAbstractButton *b : std::initializer_list<QAbstractButton *>{
             Opt_Pri_Use, Opt_Pub_Use, Opt_Per_Tank, Opt_Per_Flush, Opt_Flow_Max, Opt_Flow_Cont, Chk_Use_Pressure})
        connect(b, &QAbstractButton::toggled, this, stale);
}

QWidget *Frm_Main::Right_Panel_Widget() const
{
    return ui_->Right_Panel;
}

void Frm_Main::Mark_Inputs()
{
    for (int r = 0; r < Grid_Rows; ++r)
        if (TB_Number[r]->isEnabled())
            Mark_Field(TB_Number[r], Count_Concern(TB_Number[r]->text()));
    for (QLineEdit *flow : {TB_Sprinkler, TB_NoteA})
        Mark_Field(flow, Count_Concern(flow->text()));
    Mark_Field(TB_Location, Text_Concern(TB_Location->text()));
    Mark_Field(TB_By, Text_Concern(TB_By->text()));
}

void Frm_Main::Refresh_Title()
{
    const QString name = QFileInfo(State.Job_File_Name).fileName();
    setWindowTitle(name.isEmpty() ? QStringLiteral("Quorvel[*]") : name + QStringLiteral("[*] - Quorvel"));
    setWindowModified(State.Flag_Save == 1);
}

void Frm_Main::Set_Results_Stale(bool stale)
{
    const Sizing_Job &job = State.Job;
    const bool shown = !(job.Fixture_Units_Text.isEmpty() && job.Design_Flow_Text.isEmpty()
                         && job.Meter_Size_Text.isEmpty() && job.Pressure_Fixture_Text.isEmpty());
    results_stale_ = stale && shown;
    const QString why = QStringLiteral("Calculated for earlier inputs: press Calculate (F9) for these.");
    for (QLabel *box : {Lab_Fixture_Units, Lab_Design_Flow, Lab_Meter_Size, Lab_Pressure_Fixture}) {
        box->setEnabled(!results_stale_); // the palette's own greyed text
        box->setToolTip(results_stale_ ? why + QStringLiteral("\n") + box->text() : box->text());
    }
}

// A pressure check asked for that did not run says why, under the results.
void Frm_Main::Show_Pressure_Why()
{
    const Sizing_Job &job = State.Job;
    QStringList why;
    if (job.Use_Pressure && job.Pressure_Fixture_Text == u"n/a" && !job.Meter_Size_Text.isEmpty()) {
        if (job.Pressure_Not_Finite)
            why << QStringLiteral("a pressure term is too large to compute");
        if (job.Meter_Size_Text == Oops_Marker)
            why << QStringLiteral("no meter of the list is large enough");
        const auto need = [&why](const Loose_Value &v, const QString &name) {
            if (!(v.Number() > 0))
                why << name + QStringLiteral(" is not above zero");
        };
        need(job.Dia_Service_1, QStringLiteral("the service diameter"));
        need(job.Dia_Service_2, QStringLiteral("the second service diameter"));
        need(job.Dia_Plumbing, QStringLiteral("the plumbing diameter"));
        need(job.C_Service_1, QStringLiteral("the service C factor"));
        need(job.C_Service_2, QStringLiteral("the second service C factor"));
        need(job.C_Plumbing, QStringLiteral("the plumbing C factor"));
    }
    Lab_Pressure_Why->setText(why.isEmpty() ? QString()
                                            : QStringLiteral("Pressure not evaluated: ") + why.join(QStringLiteral("; "))
                                                  + QStringLiteral(" (Pressure Details)."));
    Lab_Pressure_Why->setVisible(!why.isEmpty());
}

bool Frm_Main::Paste_Counts(int row, const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    while (t.endsWith(u'\n'))
        t.chop(1);
    const QStringList lines = t.split(u'\n');
    QStringList cells;
    if (lines.size() == 1)
        cells = lines.first().split(u'\t'); // a row of cells goes down the boxes too
    else
        for (const QString &line : lines)
            cells << line.section(u'\t', 0, 0); // of a block, its first column
    if (cells.size() < 2) {
        // One cell: as typed, without the line break a spreadsheet adds.
        if (cells.isEmpty() || cells.first() == text)
            return false;
        TB_Number[row]->insert(cells.first().trimmed());
        return true;
    }
    int r = row, filled = 0, passed = 0;
    for (const QString &cell : std::as_const(cells)) {
        if (r >= Grid_Rows)
            break;
        if (TB_Number[r]->isEnabled()) {
            TB_Number[r]->setText(cell.trimmed());
            ++filled;
        } else {
            ++passed;
        }
        ++r;
    }
    QString said = QStringLiteral("Pasted %1 counts into rows %2 to %3").arg(filled).arg(row + 1).arg(r);
    if (passed)
        said += QStringLiteral("; %1 cells fell on rows that take no count").arg(passed);
    if (const qsizetype left = cells.size() - (r - row))
        said += QStringLiteral("; %1 cells past the last row were left out").arg(left);
    statusBar()->showMessage(said + u'.', 20000);
    return true;
}

void Frm_Main::Focus_Date()
{
    if (Details_Tabs)
        Details_Tabs->setCurrentIndex(0);
    DTPicker1->setFocus(Qt::ShortcutFocusReason);
}

void Frm_Main::Open_Job_File(const QString &path)
{
    State.Load_Command = path;
    Open_Job();
}

void Frm_Main::Remember_Job(const QString &path)
{
    Recent_Jobs = With_Recent_Job(Recent_Jobs, path);
    Settings_Store store = Open_Settings_Store();
    Write_Recent_Jobs(store, Recent_Jobs);
    store.Flush(); // a store that cannot be written only forgets the list
    Fill_Recent_Menu();
}

void Frm_Main::Restore_Window_Memory()
{
    const Settings_Store store = Open_Settings_Store();
    Recent_Jobs = Read_Recent_Jobs(store);
    Fill_Recent_Menu();
    const Window_Memory m = Read_Window_Memory(store);
    geometry_restored_ = !m.Main_Geometry.isEmpty() && restoreGeometry(m.Main_Geometry);
    details_geometry_ = m.Details_Geometry;
    details_remembered_open_ = m.Details_Open;
}

void Frm_Main::Store_Window_Memory()
{
    Window_Memory m;
    m.Main_Geometry = saveGeometry();
    m.Details_Open = Calc_Details_Shown();
    if (Calc_Details && Calc_Details->isWindow() && Calc_Details->isVisible())
        details_geometry_ = Calc_Details->saveGeometry();
    m.Details_Geometry = details_geometry_;
    Settings_Store store = Open_Settings_Store();
    Write_Window_Memory(store, m);
    store.Flush();
}

namespace {

// The first local file of a drag, or empty.
QString Dropped_File(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            return url.toLocalFile();
    return {};
}

} // namespace

bool Frm_Main::Drop_Filter(QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (Dropped_File(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString path = Dropped_File(drop->mimeData());
        if (path.isEmpty())
            return false;
        drop->acceptProposedAction();
        // Opened once the drag is over: Open may ask questions.
        QTimer::singleShot(0, this, [this, path] { Open_Job_File(path); });
        return true;
    }
    default:
        return false;
    }
}

void Frm_Main::dragEnterEvent(QDragEnterEvent *event)
{
    Drop_Filter(event);
}

void Frm_Main::dropEvent(QDropEvent *event)
{
    Drop_Filter(event);
}
