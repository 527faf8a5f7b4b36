#pragma once

#include "update_check.h"
#include "update_run.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The update dialog: the versions on this computer beside those at the
// update source, marks where the source is newer, and the meter lists to
// tick. Loading fetches the source's manifest.
class Frm_Update : public QDialog {
    Q_OBJECT
public:
    struct Local_State {
        QString Server_Name;
        QString App_Path;
        QString Version;
        QDate Table_Date[3];
        std::function<void(const QString &)> Show_Message;
        std::function<void()> End_Program; // without the save prompt
        int Timeout_Ms = 30000;            // no byte from the source for this long: the fetch fails
    };
    Frm_Update(const Local_State &local, QWidget *parent = nullptr);

    void Load();
    // The Update button: fetches and swaps every ticked item.
    void Run();
    // True while Load or Run is under way: the dialog must not be deleted then.
    bool Is_Busy() const { return busy_; }
    // Cancel: at once when idle; during a load or run, at its next safe
    // point, after which the dialog closes itself.
    void Request_Cancel();
    Update_Run_Result Last_Result;
    Update_Choice Choice() const;
    QList<Update_List_Row> Update_List;
    Update_Manifest Manifest;

    QLabel *Lab_Comp_Program, *Lab_Comp_Table[3], *Lab_Serv_Program, *Lab_Serv_Table[3];
    QLabel *Image_Newer[4]; // program, Table-1, Table-2, Table-3
    QCheckBox *Chk_Program, *Chk_Table[3];
    QListWidget *LB_Files;
    QLabel *Lab_Wait;
    QLabel *Lab_Error; // why the manifest could not be read; hidden otherwise
    QPushButton *Button_Update;

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Item_Check(QListWidgetItem *item);
    Local_State local_;
    bool busy_ = false;
    bool cancel_requested_ = false;
};
