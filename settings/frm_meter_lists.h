#pragma once

#include "meter_list_edit.h"
#include "program_state.h"
#include "prompt.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// The meter list editor: the lists of the program folder and of the user's
// folder; a new list, a copy of any list, a user's list edited, imported
// from or exported to CSV, deleted. The shipped lists are shown, not
// changed. Saving refuses a list that breaks the rules, naming the row and
// the reason; nothing is written then.
class Frm_Meter_Lists : public QDialog {
    Q_OBJECT
public:
    // lists_changed runs after a list was saved or deleted.
    Frm_Meter_Lists(Program_State &state, Prompt &prompts, std::function<void()> lists_changed, QWidget *parent);

    void Refresh_Lists(const QString &select = QString());
    void Show_List(int row);
    void New_List();
    void Copy_List();
    bool Save_List();
    void Delete_List();
    void Import_Csv();
    void Export_Csv();
    // The list as the fields show it; false with the row and reason.
    bool Edited_List(Meter_List &list, QString *error) const;

    QListWidget *Lists;
    QLineEdit *TB_Name, *TB_Description, *TB_Date, *TB_Estimate;
    QComboBox *CB_Status;
    QPlainTextEdit *TB_Sources;
    QTableWidget *Grid;
    QLabel *Lab_Problem;
    QPushButton *Pb_New, *Pb_Copy, *Pb_Import, *Pb_Export, *Pb_Delete, *Pb_Save, *Pb_Add_Row, *Pb_Remove_Row;

private:
    void Set_Editable(bool editable);
    void Fill(const Meter_List &list, const QString &name, bool editable);
    void Fill_Grid(const Meter_List &list); // the meters, one a row
    void Refuse(const QString &text, int row = -1);

    Program_State &state_;
    Prompt &prompts_;
    std::function<void()> lists_changed_;
    QList<Meter_List_Place> places_;
    Data_Provenance shown_; // the provenance of the list shown (its Estimated lines kept on save)
};
