#pragma once

#include "meter_list_edit.h"
#include "program_state.h"
#include "prompt.h"

#include <QDialog>
#include <QList>
#include <QPair>

#include <functional>
#include <memory>
#include <optional>

class Settings_Store;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
namespace Ui {
class Frm_Options;
}

// What the options dialog needs of the window that opens it: the shared
// state, the prompt, and the commands that live above the settings (the
// file selection dialog, the update dialog, refreshing the main window).
struct Options_Host {
    Program_State &State;
    Prompt &Prompts;
    QWidget *Main_Window = nullptr;
    std::function<void()> Set_Images;
    std::function<void()> Set_Meter;
    std::function<Settings_Store()> Open_Settings_Store;
    // Opens the update dialog, modeless, as a child of the options dialog.
    std::function<void(QWidget *parent)> Check_For_Update;
    // The file selection dialog: a folder (editor false) or the text editor
    // program (editor true); the chosen text, or nothing on Cancel.
    std::function<std::optional<QString>(bool editor, const QString &current_editor, QWidget *parent)> Pick;
};

// The options: startup and pressure defaults, the current meter list, the
// text editor and the update source. Controls are filled from the main
// window's settings when the dialog opens; nothing is stored before Save.
class Frm_Options : public QDialog {
    Q_OBJECT
public:
    explicit Frm_Options(const Options_Host &host);
    ~Frm_Options() override;

    void Load();
    void Save();
    void Defaults();

    // The meter lists of the program folder: file name and description,
    // sorted by name without regard to letter case; at most 50.
    QList<QPair<QString, QString>> Meter_File_Table;
    static QList<QPair<QString, QString>> Scan_Meter_Lists(const QString &folder);

    QCheckBox *Chk_Sound1, *Chk_Large_Buttons, *Chk_Code, *Chk_Fixture, *Chk_Flush, *Chk_Default_Calc_Maximum_Flow;
    QCheckBox *Chk_Default_Use_Pressure, *Chk_Default_Meter_Location, *Chk_Default_No_Upsize;
    QLineEdit *TB_DefaultPath, *TB_DefaltName, *TB_Editor, *TB_ServerName;
    QLineEdit *TB_Default_Pressure_Main, *TB_Default_Service_Dia, *TB_Default_C_Service, *TB_Default_Plumbing_Dia,
        *TB_Default_C_Plumbing, *TB_Default_Len_Factor, *TB_Default_Pressure_Treatment, *TB_Default_Pressure_Fixture;
    QLabel *Lab_Meter, *Lab_Version;
    QComboBox *CB_Meter;
    // Beside the list: the chosen list's status (its sources in the tooltip)
    // and the meter list editor.
    QLabel *Lab_Meter_Status;
    QPushButton *Button_Edit_Meter_Lists;
    QList<Meter_List_Place> Meter_Places; // in the order of Meter_File_Table
    void Fill_Meter_Lists(const QString &select);
    void Show_Meter_Status();
    void Edit_Meter_Lists();

private:
    QList<QLineEdit *> Numeric_Boxes() const;
    std::unique_ptr<Ui::Frm_Options> ui_; // the layout, from frm_options.ui
    Options_Host main_;
};
