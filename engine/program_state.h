#pragma once

#include "calculate.h"
#include "demand_wdc.h"
#include "sizing_job.h"
#include "tables.h"

#include <QString>

// Everything the main window holds besides its widgets: the job, the
// tables, the settings fields, the job-file state and the paths. Commands
// work on this state; the window shows it.
struct Program_State {
    QString Version = Program_Version;
    QString App_Path; // the program folder without a trailing "/"; "" at the root
    // Where the program writes its own documents (the report, License.txt,
    // Version.txt): empty for the program folder, otherwise the user's data
    // folder, when the program folder cannot be written (a system install).
    QString Document_Path;
    QString File1, File2, File3, File5;

    Settings_Fields Settings;
    Sizing_Job Job;

    Fixture_Table Table1; // private use
    Fixture_Table Table2; // public use
    Flow_Conversion_Table Table3;
    Meter_List Meters;    // the current meter list
    Wdc_Table Demand_Data; // the Water Demand Calculator's fixture types (Demand-WDC.dat)

    int Flag_Save = 0;
    QString Job_File_Name;
    QString Current_Path;
    QString Load_Command;
    QString filename;
    QString File_Version;
    int Spot1 = 0;
    int Startup = 0;

    // Calculate on this state's job and tables, recording the steps when asked.
    Calc_Outcome Calculate_Job(bool record_trace = false);
    // Refresh_Fixture_Grid on this state's job and tables.
    Grid_View Refresh_Grid();
    // Full path of a file in the program folder.
    QString Program_File(const QString &name) const;
    // Full path of a document the program writes: in Document_Path when set,
    // else in the program folder.
    QString Document_File(const QString &name) const;
};

// The program folder as the program uses it: without a trailing "/", and
// the root folder as the empty text (so a file there is "/Table-1.dat").
QString App_Path_Of(const QString &folder);

// The file a system package installs beside the program. A folder that holds
// it belongs to the package manager and is never written by the program,
// whoever runs it (root included).
inline constexpr char Package_Marker[] = "package-managed";

// True when the program folder belongs to a system package (holds Package_Marker).
bool Package_Managed(const QString &program_folder);

// True when the program may create and replace files in the program folder:
// this user can write it and it does not belong to a system package.
bool Program_Folder_Writable(const QString &program_folder);

// What Check for Update says, instead of updating, on an install whose
// program folder cannot be written.
QString Package_Managed_Update_Text(const QString &program_folder);

// The folder the program writes its own documents into: the program folder
// when it can be written, otherwise XDG_DATA_HOME/Quorvel
// (~/.local/share/Quorvel), which is created.
QString Document_Folder(const QString &program_folder);

// Startup steps that need no window: paths, version, command line.
void Set_Program_Paths(Program_State &state, const QString &program_folder);

// Reads "Table-1.dat", "Table-2.dat", "Table-3.dat", "Demand-WDC.dat" and the
// current meter list from the program folder. Missing files give empty tables.
void Load_Tables(Program_State &state);

// The folder where the meter list editor and the import write a user's
// list: the program folder when the program may write it, else the user's
// data folder.
QString User_Meter_List_Folder(const Program_State &state);

// The file a list name stands for: an absolute path as it is; else the file
// in the program folder, or in the user's folder when only that holds it.
QString Meter_List_Path(const Program_State &state, const QString &name);

// (Re)loads the meter list named by Set_Meter_Table from the program folder
// (or from the user's data folder, where a user's own list may live).
void Set_Meter(Program_State &state);
