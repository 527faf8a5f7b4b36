#pragma once

#include "update_fetch.h"

#include <QByteArray>
#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// The update run, all or nothing: one run of a folder at a time; every
// ticked item is fetched into the run's private staging folder inside the
// program folder and checked (its content, and the source's index: signed
// with a trusted key whenever one is installed); only when all passed are
// they swapped in, after the plan was written down, each current file
// first linked to a dated backup of a name not yet taken. A failed swap,
// or one cut short by a crash (rolled back by the next run), puts back
// every file the run had swapped.

struct Update_Choice {
    bool Program = false;
    bool Table[3] = {false, false, false};
    QStringList Meter_Lists; // file names of the ticked meter lists, as spelt here
    // A ticked list's name at the source where it is spelt otherwise there
    // (the same list, its name differing only in case).
    QMap<QString, QString> Source_Names;
    bool Anything() const { return Program || Table[0] || Table[1] || Table[2] || !Meter_Lists.isEmpty(); }
};

// The steps of a run as the progress dialog counts them.
int Update_Step_Count(const Update_Choice &choice);

// "mmddyy" of the day the run starts.
QString Date_Stamp(const QDate &today);

// A meter list name from a manifest that may be written into the program
// folder: a bare file name ending in ".mtr", without control characters.
bool Is_Safe_List_Name(const QString &name);

// The start of the name of the folders where runs stage their files, each
// run its own (see update_staging.h).
inline const QString Staging_Folder_Name = QStringLiteral(".Quorvel-update-staging");
// The trusted keys of signed update sources, beside the program.
inline const QString Trusted_Keys_Name = QStringLiteral("Quorvel-Update.pub");

struct Update_File_Report {
    QString Name;     // the file's name in the program folder
    bool Replaced = false;
    QString Note;     // the backup's name, or why the file was kept
};

struct Update_Run_Result {
    bool Nothing_Selected = false;
    bool Cancelled = false;
    bool Program_Replaced = false;
    QList<Update_File_Report> Files; // every chosen file, in the run's order
    QStringList Problems;            // what failed, for the user
    QStringList Messages;            // to show in order
    bool Anything_Replaced() const;
};

struct Update_Run_Context {
    QString App_Path;
    QString Server_Name;
    QString Program_Name = QStringLiteral("Quorvel"); // the program file in App_Path
    QString Table_Names[3] = {QStringLiteral("Table-1.dat"), QStringLiteral("Table-2.dat"), QStringLiteral("Table-3.dat")};
    QDate Today;
    Fetch_Options Limits; // size and inactivity limits; the run sets the callbacks
    // The SHA-256 (hex) of the manifest the choice was made from; when the
    // source has an index, the manifest must be listed there and match it.
    QByteArray Manifest_Sha256;
    // Gets a file of the source into a local file; by default from Server_Name.
    std::function<Fetch_Outcome(const QString &name, const QString &destination, const Fetch_Options &)> Fetch;
    // Called once for each item fetched and checked (or given up).
    std::function<void()> Advance;
    // The bytes of the file being fetched: received, and its size (-1 unknown).
    std::function<void(const QString &name, qint64 received, qint64 total)> Bytes;
    // Asked between and during fetches; true stops the run before any swap.
    std::function<bool()> Cancelled;
};

// Runs the update. When it replaced anything the program must end.
Update_Run_Result Run_Update(const Update_Run_Context &context, const Update_Choice &choice);

inline const QString No_Files_Selected_Message = QStringLiteral("No files selected to update.");
inline const QString Restart_Message = QStringLiteral("Plase restart Quorvel for the updates to take effect.");
inline const QString Bad_Signature_Message =
    QStringLiteral("The update source's signature does not verify; nothing was replaced.");
inline const QString Signed_Only_Text = QStringLiteral("this program takes only signed updates");
inline const QString Cancelled_Message = QStringLiteral("The update was cancelled; nothing was replaced.");
