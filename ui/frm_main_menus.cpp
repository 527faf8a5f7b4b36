#include "frm_main.h"

#include "frm_about.h"
#include "frm_dialog_file.h"
#include "frm_update.h"
#include "frm_note.h"
#include "frm_options.h"
#include "frm_pressure.h"
#include "job_file.h"
#include "job_lifecycle.h"
#include "number_format.h"
#include "program_documents.h"
#include "reference_dialogs.h"
#include "report.h"
#include "settings_store.h"
#include "shell_run.h"
#include "widget_prompt.h"
#include "associate.h"
#include "window_memory.h"

#include <QAction>
#include <QIcon>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

// The menus and the toolbar of the main window, built from one table of
// commands: a new command is one row here plus its handler in frm_main.cpp.
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
        {"Details", "Calculation Details", "Details", [this] { Toggle_Calc_Details(); }},
        {"Help", "Help", "Help", [this] { Show_Help(); }},
        {"Quit", "Quit", "Quit", [this] { Quit(); }},
    };
    // Groups divided by the five separators.
    const QSet<QString> separator_after = {"Print Preview", "Configure", "Meter", "Gauge", "Details"};

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
    // Every menu and entry has its mnemonic, none twice in one menu.
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("Menu_File"));
    add(file, QStringLiteral("&New"), QStringLiteral("Menu_New"), [this] { New_Job(); }, {QKeySequence::New});
    add(file, QStringLiteral("&Open"), QStringLiteral("Menu_Open"), [this] { Open_Job(); }, {QKeySequence::Open});
    add(file, QStringLiteral("&Save"), QStringLiteral("Menu_Save"), [this] { Save_Job(); }, {QKeySequence::Save});
    file->addSeparator();
    add(file, QStringLiteral("&Print Preview ..."), QStringLiteral("Menu_Print"), [this] { Print_Preview(); },
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)});
    add(file, QStringLiteral("P&rint..."), QStringLiteral("Menu_Print_Report"), [this] { Print_Report(); },
        {QKeySequence::Print});
    add(file, QStringLiteral("&Export PDF..."), QStringLiteral("Menu_Export_Pdf"), [this] { Export_Pdf(); },
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)});
    file->addSeparator();
    Recent_Menu = file->addMenu(QStringLiteral("Recent &Jobs"));
    Recent_Menu->setObjectName(QStringLiteral("Menu_Recent_Jobs"));
    connect(Recent_Menu, &QMenu::aboutToShow, this, &Frm_Main::Fill_Recent_Menu);
    Fill_Recent_Menu();
    file->addSeparator();
    add(file, QStringLiteral("&Quit"), QStringLiteral("Menu_Quit"), [this] { Quit(); },
        {QKeySequence(Qt::CTRL | Qt::Key_Q)});

    QMenu *configure = menuBar()->addMenu(QStringLiteral("&Configure"));
    configure->setObjectName(QStringLiteral("Menu_Configure"));
    add(configure, QStringLiteral("&Configure..."), QStringLiteral("Menu_Configure_Options"), [this] { Open_Options(); });

    QMenu *view_menu = menuBar()->addMenu(QStringLiteral("&View"));
    view_menu->setObjectName(QStringLiteral("Menu_View"));
    QAction *warning = view_menu->addAction(
        QStringLiteral("----Warning, Don't Modify Unless You Know What You Are Doing ----"));
    warning->setObjectName(QStringLiteral("Menu_View_Warning"));
    warning->setEnabled(false);
    add(view_menu, QStringLiteral("View &Private Use Fixtures"), QStringLiteral("Menu_View_Private"),
        [this] { View_File(State.File1); });
    add(view_menu, QStringLiteral("View P&ublic Use Fixtures"), QStringLiteral("Menu_View_Public"),
        [this] { View_File(State.File2); });
    add(view_menu, QStringLiteral("View Fixture Unit &Conversion"), QStringLiteral("Menu_View_Conversion"),
        [this] { View_File(State.File3); });
    add(view_menu, QStringLiteral("View Current &Meter List"), QStringLiteral("Menu_View_Meter"),
        [this] { View_File(State.Program_File(State.Settings.Set_Meter_Table)); });

    QMenu *action = menuBar()->addMenu(QStringLiteral("&Action"));
    action->setObjectName(QStringLiteral("Menu_Action"));
    add(action, QStringLiteral("Edit &Note"), QStringLiteral("Menu_Edit_Note"), [this] { Edit_Note(); });
    add(action, QStringLiteral("C&lear"), QStringLiteral("Menu_Clear"), [this] { New_Job(); });
    add(action, QStringLiteral("&Calculate"), QStringLiteral("Menu_Calculate"), [this] { Calculate(); },
        {QKeySequence(Qt::Key_F9), QKeySequence(Qt::CTRL | Qt::Key_R)});
    add(action, QStringLiteral("Calculation &Details"), QStringLiteral("Menu_Calc_Details"),
        [this] { Toggle_Calc_Details(); }, {QKeySequence(Qt::CTRL | Qt::Key_D)});
    // The date is otherwise set with its calendar or "< Today".
    add(action, QStringLiteral("Edit the Da&te"), QStringLiteral("Menu_Edit_Date"), [this] { Focus_Date(); },
        {QKeySequence(Qt::ALT | Qt::Key_D)});

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Menu_Help"));
    add(help, QStringLiteral("&Help"), QStringLiteral("Menu_Help_Help"), [this] { Show_Help(); },
        {QKeySequence::HelpContents, QKeySequence(Qt::Key_F1)});
    add(help, QStringLiteral("&License"), QStringLiteral("Menu_License"), [this] { Show_License(); });
    add(help, QStringLiteral("&Version Information"), QStringLiteral("Menu_Version_Information"),
        [this] { Show_Version_Information(); });
    help->addSeparator();
    add(help, QStringLiteral("&About"), QStringLiteral("Menu_About"), [this] { Show_About(); });
}


// File > Recent Jobs: the last jobs opened or saved that still exist,
// each opened as Open opens a file (with its save prompt).
void Frm_Main::Fill_Recent_Menu()
{
    Recent_Menu->clear();
    const QStringList jobs = Existing_Jobs(Recent_Jobs);
    for (int i = 0; i < jobs.size(); ++i) {
        const QString &path = jobs[i];
        QAction *a = Recent_Menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
            QFileInfo(path).fileName().replace(u'&', QStringLiteral("&&"))));
        a->setObjectName(QStringLiteral("Menu_Recent_%1").arg(i + 1));
        a->setToolTip(path);
        a->setData(path);
        connect(a, &QAction::triggered, this, [this, path] { Open_Job_File(path); });
    }
    Recent_Menu->setEnabled(!jobs.isEmpty());
}
