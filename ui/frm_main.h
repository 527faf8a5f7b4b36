#pragma once

#include "engineering_report.h"
#include "program_state.h"
#include "prompt.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QButtonGroup;
class QCheckBox;
class QPrinter;
class Frm_Calc_Details;
class QDateEdit;
class QMenu;
class QTabWidget;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSoundEffect;
class QToolBar;
class Key_State_Panels;
namespace Ui {
class Frm_Main;
}

// The main window: shows and edits the one job, starts Calculate, and
// leads to every other command. The state it shares with the other windows
// is the public Program_State; the controls are public under their names.
class Frm_Main : public QMainWindow {
    Q_OBJECT
public:
    struct Start_Options {
        QString Program_Folder;      // where the program and its data files are
        QString Command_Line;        // a job file to open at startup, or empty
        bool Show_Splash = true;     // the About box as startup splash
        bool Register_File_Type = true;
        QString Settings_File;       // empty: the per-user settings store
        Prompt *Prompt_Override = nullptr; // tests answer dialogs themselves
        // Starts a document or program; default: Shell_Run. Returns an error text or empty.
        std::function<QString(const QString &command_line, int show_code)> Launcher;
        // The print dialog: true to print on the printer as set up there;
        // default: the platform's print dialog. Tests answer it themselves.
        std::function<bool(QPrinter &printer)> Print_Dialog;
    };

    explicit Frm_Main(const Start_Options &options, QWidget *parent = nullptr);
    ~Frm_Main() override;

    // Loads settings, tables and meter list, prepares the window and opens
    // the job named on the command line. Runs once, before the window shows.
    void Startup_Sequence();

    Program_State State;
    // The last Calculate: the job as calculated, its steps and comparison.
    Calculation_Record Last_Calculation;
    Frm_Calc_Details *Calc_Details = nullptr; // created at its first showing

    // Commands
    void Calculate();
    void Print_Preview();
    void New_Job();
    void Open_Job();
    // Opens a given job file the way Open does (save prompt first):
    // Recent Jobs and a file dropped on the window.
    void Open_Job_File(const QString &path);
    void Save_Job();
    void Quit();
    // Ends the program at once, without the save prompt (after an update).
    void End_Program();
    void Edit_Note();
    void Open_Options();
    void Open_Pressure_Details();
    void Show_About();
    void Show_Help();
    void Show_License();
    void Show_Version_Information();
    void View_File(const QString &path);
    // Alt+D: the date picker takes the focus, to be set from the keyboard.
    void Focus_Date();
    // Calculation Details, the typeset report on a printer and as PDF: all
    // show the last Calculate (Print and Export PDF calculate first).
    void Show_Calc_Details();
    // Ctrl+D, the menu and the toolbar: opens the details and gives them
    // the focus; when they have it already, closes them.
    void Toggle_Calc_Details();
    void Hide_Calc_Details();
    // Whether the details are shown, as a window or as a tab.
    bool Calc_Details_Shown() const;
    // Where the details go: a window of their own beside or below the
    // main window when the screen has room for it, else a tab of the main
    // window. Empty when there is no room beside or below.
    QRect Calc_Details_Room() const;
    QTabWidget *Details_Tabs = nullptr; // while the details are a tab
    bool Print_Report();
    bool Export_Pdf();

    // Window upkeep
    void Set_Images();
    void Set_Meter();
    void Show_Job();            // every control from the job
    // Applies the grid's rules to the job again (use type, description
    // language, note) and shows the grid.
    void Refresh_Fixture_Grid();
    void Refresh_Status();
    // "<file>[*] - Quorvel", the mark shown while the job is modified.
    void Refresh_Title();
    // Results that no longer belong to the inputs are greyed, with a tip,
    // until the next Calculate.
    void Set_Results_Stale(bool stale);
    bool Results_Stale() const { return results_stale_; }
    // Marks a count, flow or text the field will not read as it shows it,
    // or that a job file cannot hold: colour and tooltip, input unchanged.
    void Mark_Inputs();
    // A paste of several spreadsheet cells into count box `row`: one cell a
    // box from there down. False when the text is a single cell.
    bool Paste_Counts(int row, const QString &text);
    QMenu *Recent_Menu = nullptr;
    QStringList Recent_Jobs; // newest first
    QLabel *Lab_Pressure_Why = nullptr; // why the pressure check did not run
    void Fit_Meter_Font();
    void Show_Results();
    void Show_Meter_Table(); // the current meter list's description
    Prompt &Prompts() { return *prompt_; }
    // The settings store the window reads at startup and the options write.
    class Settings_Store Open_Settings_Store() const;
    bool Quit_Requested() const { return quit_requested_; }
    // The size and place of the last run were restored at startup.
    bool Geometry_Restored() const { return geometry_restored_; }
    int Sounds_Played() const { return sounds_played_; }

    // Controls, by their names
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Lab_Version = nullptr;
    QRadioButton *Opt_Pri_Use = nullptr, *Opt_Pub_Use = nullptr;
    QRadioButton *Opt_Per_Tank = nullptr, *Opt_Per_Flush = nullptr;
    QRadioButton *Opt_Demand_Hunter = nullptr, *Opt_Demand_Wdc = nullptr;
    QRadioButton *Opt_Flow_Max = nullptr, *Opt_Flow_Cont = nullptr;
    QPushButton *Button_Flow = nullptr;
    std::array<QLabel *, Grid_Rows> Lab_Pri{};
    std::array<QLineEdit *, Grid_Rows> TB_Number{};
    QCheckBox *Chk_Description = nullptr;
    QLineEdit *TB_Sprinkler = nullptr, *TB_NoteA = nullptr;
    QLabel *Label10 = nullptr, *Label12 = nullptr;
    QPushButton *Button_Sprinkler = nullptr, *Button_NoteA = nullptr;
    QLineEdit *TB_Location = nullptr, *TB_By = nullptr;
    QLabel *Label4 = nullptr, *Label5 = nullptr, *Label6 = nullptr;
    QDateEdit *DTPicker1 = nullptr;
    QPushButton *Button_Today = nullptr;
    QCheckBox *Chk_Use_Pressure = nullptr;
    QPushButton *Button_Pressure = nullptr, *Button_Calc = nullptr;
    QLabel *Label7 = nullptr, *Lab_Fixture_Units = nullptr;
    QLabel *Label8 = nullptr, *Lab_Design_Flow = nullptr;
    QLabel *Label9 = nullptr, *Lab_Meter_Size = nullptr;
    QLabel *Label14 = nullptr, *Lab_Pressure_Fixture = nullptr;
    QLabel *Label13 = nullptr, *Lab_Meter_Table = nullptr;
    QLabel *Mark_Meter_Table = nullptr, *Mark_Meter_Size = nullptr; // "estimate" beside them
    QPushButton *Button_Options = nullptr;
    QLabel *Label11 = nullptr, *Lab_Note = nullptr, *Image1 = nullptr;
    QPushButton *Button_Note = nullptr;
    QToolBar *Toolbar1 = nullptr;
    QList<QAction *> Toolbar_Buttons;   // the 20 buttons, separators included
    std::array<QLabel *, 6> Panels{};   // status bar panels 1 to 6
    QTimer Timer1;                      // status refresh, 1000 ms
    Key_State_Panels *Key_Panels = nullptr; // INS, CAPS and NUM (panels 4 to 6)

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Build_Controls();
    void Build_Menus_And_Toolbar();
    void Fill_Recent_Menu();
    void Remember_Job(const QString &path); // Recent Jobs, stored at once
    void Restore_Window_Memory();
    void Store_Window_Memory();
    void Place_Calc_Details();
    void Build_Input_Marks();
    QWidget *Right_Panel_Widget() const;
    void Show_Pressure_Why();
    bool Drop_Filter(QEvent *event); // a job file dragged over the window
    void Fit_Right_Column();
    void Show_Fixture_Grid(const Grid_View &view);
    void Forget_Marker_Counts();
    void Connect_Edits();
    void Mark_Modified();
    void Play_Sound();
    void Show_Outcome(const Calc_Outcome &outcome);
    // Keeps the calculation for the details, the printer and the PDF; opens
    // the details when asked, else refreshes them only when they are open.
    void Keep_Calculation(const Calc_Outcome &outcome, bool open_details = true);
    // Starts a document or program without waiting; the error text when it
    // cannot start. A document whose opening fails only later is reported
    // then, unless quiet.
    QString Launch(const QString &command_line, int show_code, bool quiet = false);

    std::unique_ptr<Ui::Frm_Main> ui_; // the layout, from frm_main.ui
    Start_Options options_;
    std::unique_ptr<Prompt> own_prompt_;
    Prompt *prompt_ = nullptr;
    QSoundEffect *sound_ = nullptr;
    bool updating_ = false;       // controls are being filled from the job
    bool quit_requested_ = false;
    bool closing_checked_ = false;
    int sounds_played_ = 0;
    bool results_stale_ = false;
    QByteArray details_geometry_;
    bool details_remembered_open_ = false;
    bool geometry_restored_ = false;
};
