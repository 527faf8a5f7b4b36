#pragma once

#include <QDialog>
#include <QList>
#include <QPair>

class Frm_Main;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The options: startup and pressure defaults, the current meter list, the
// text editor and the update source. Controls are filled from the main
// window's settings when the dialog opens; nothing is stored before Save.
class Frm_Options : public QDialog {
    Q_OBJECT
public:
    explicit Frm_Options(Frm_Main &main);

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

private:
    QList<QLineEdit *> Numeric_Boxes() const;
    Frm_Main &main_;
};
