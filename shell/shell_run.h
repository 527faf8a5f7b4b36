#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Starting documents and programs from a command line text, and what the
// desktop knows about the system. Shared by the program and the launcher
// of the distribution medium; it knows nothing of either.

// Show codes of the callers: 1 shown and activated, 4 shown without
// activating, 5 shown and activated in its current size and place.
constexpr int Show_Normal = 1;
constexpr int Show_No_Activate = 4;
constexpr int Show_Current = 5;

struct Shell_Command {
    QString Program;        // the program or document to start
    QString Parameters;     // the rest of the command line
    QString Working_Folder; // the program part's folder, or the current folder
    QString Command_Line;   // the command line without the quotes around the program
};

// Splits a command line: a leading double-quoted part is the program (the
// quotes removed); otherwise the program ends at the first blank. The
// working folder is the program part up to its last "/" ("/" itself at the
// root); without a "/" it is the process's current folder.
Shell_Command Shell_Split(const QString &command_line);

// Told later, from the event loop, that a document reported as started
// could not be opened after all: no program is set to open its type, or
// that program failed. The text says why.
using Shell_Failure = std::function<void(const QString &reason)>;

// How documents and programs are started; tests put their own in place.
struct Shell_Launcher {
    // Starts opening an existing document with the desktop's handler and
    // returns at once: false when that cannot even begin. A handler found
    // missing or failing afterwards calls failed (when given) with the reason.
    std::function<bool(const QString &document, const Shell_Failure &failed)> Open_Document;
    // Starts a program with arguments in a working folder, without waiting.
    std::function<bool(const QString &program, const QStringList &arguments, const QString &folder)> Start_Program;
};
Shell_Launcher Default_Shell_Launcher();
void Set_Shell_Launcher(const Shell_Launcher &launcher); // an empty launcher restores the default

// The parameter text split into arguments; double quotes group blanks.
QStringList Split_Arguments(const QString &parameters);

// Whether a file is a program to run rather than a document to open,
// decided by its type (the name's extension, then its content), never by
// the execute bit alone: a .htm, .txt, .dat, .mtr, .prn or .qvl file is a
// document wherever it lies, also on a vfat, NTFS, SMB or ISO mount where
// every file has the execute bit. A program is a file with the execute bit
// whose type is an executable or a script.
bool Is_Program_File(const QString &path);

// Starts what the command line names and returns at once, never waiting
// for the started program or the desktop's opener: 32 or more on success;
// below 32 when the desktop start failed (2: not found), after which the
// command line is started as a plain process. When that fails too, *error
// tells why. A document whose opening fails only later (no handler for its
// type, a handler that fails) takes the same fallback then, and when that
// fails too, failed_later is called with the reason.
int Shell_Run(const QString &command_line, int show_code, QString *error = nullptr,
              const Shell_Failure &failed_later = {});

// The operating system's name by version numbers and platform id.
QString OS_Version_Name(int major, int minor, int platform_id);
// The running system's name; here it is never a Windows version.
QString OS_Version_Name();

inline const QString System_Info_Unavailable = QStringLiteral("System Information Is Unavailable At This Time");
// Starts the first system information program found on PATH; otherwise
// calls show_message with System_Info_Unavailable.
void Start_System_Info(const std::function<void(const QString &)> &show_message);

// A value from a settings file that plays the part of a registry key:
// group = key name, value name in it. False with an empty value when it
// is not there.
bool Get_Key_Value(const QString &root_file, const QString &key, const QString &value_name, QString &value);
// A 32-bit number value as text: "&h" and the hexadecimal digits of its
// bytes, last byte first, each without a leading zero.
QString Number_Value_Text(quint32 value);
