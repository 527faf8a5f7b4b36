#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

// The update run: every ticked item is fetched from the source into the
// program folder; each replaced data file is kept as a dated backup; the
// program file itself is replaced last.

struct Update_Choice {
    bool Program = false;
    bool Table[3] = {false, false, false};
    QStringList Meter_Lists; // file names of the ticked meter lists
    bool Anything() const { return Program || Table[0] || Table[1] || Table[2] || !Meter_Lists.isEmpty(); }
};

// The steps of a run as the progress dialog counts them.
int Update_Step_Count(const Update_Choice &choice);

// "mmddyy" of the day the run starts.
QString Date_Stamp(const QDate &today);

// A meter list name from a manifest that may be written into the program
// folder: a bare file name ending in ".mtr".
bool Is_Safe_List_Name(const QString &name);

struct Update_Run_Result {
    bool Nothing_Selected = false;
    bool Program_Replaced = false;
    QStringList Messages; // to show in order
    QStringList Problems; // items that were left as they were, and why
};

struct Update_Run_Context {
    QString App_Path;
    QString Program_Name = QStringLiteral("Quorvel"); // the program file in App_Path
    QString Table_Names[3] = {QStringLiteral("Table-1.dat"), QStringLiteral("Table-2.dat"), QStringLiteral("Table-3.dat")};
    QDate Today;
    // Gets a file of the source; false when it could not be had.
    std::function<bool(const QString &name, QByteArray &bytes)> Fetch;
    // Called after each program file, table swap and meter list swap.
    std::function<void()> Advance;
};

// Runs the update. Nothing at the source that is missing or cut off ever
// replaces a file here: a table or list that could not be fetched keeps its
// current file, and the program files are written only when all six were
// fetched. When the run changed anything the program must end.
Update_Run_Result Run_Update(const Update_Run_Context &context, const Update_Choice &choice);

inline const QString No_Files_Selected_Message = QStringLiteral("No files selected to update.");
inline const QString Restart_Message = QStringLiteral("Plase restart Quorvel for the updates to take effect.");
