#pragma once

#include <QString>

// One argument of a desktop entry's Exec line, quoted and escaped by the
// freedesktop.org desktop entry rules: reserved characters put it in double
// quotes (with " ` $ \\ escaped inside), "%" is doubled, and the escapes of
// every string value (\\\\ for a backslash) come on top.
QString Exec_Argument(const QString &argument);

// Registers a file type with the desktop so that opening such a file starts
// the program with it: a shared-mime-info package (type, glob, comment), a
// desktop entry whose Exec line is the program with the file, and the entry
// made the default for the type, all per user under XDG_DATA_HOME and
// XDG_CONFIG_HOME. Files are rewritten only when their text changes.
class Cla_Associate {
public:
    QString Title;       // display name of the file type: "Quorvel Data File"
    QString Class;       // class name: "Quorvel_File"
    QString Extension;   // with its dot: ".qvl"
    QString AppCommand;  // the program that opens such files
    QString DefaultIcon; // icon name or file, optionally followed by a comma and an icon index
    QString App_Name;    // the name desktops show; the program file's name when empty

    struct Error {
        int Number = 0; // 0: no error
        QString Source;
        QString Description;
    };

    // Checks Title, Class and AppCommand in that order and returns the
    // first error (922, 926, 930) without writing anything; otherwise
    // writes the registration. Failures of the desktop tools are ignored.
    Error Associate();

    // The MIME type registered for the class: "Quorvel_File" gives
    // "application/x-quorvel".
    QString Mime_Type() const;
    // Where the files go.
    QString Mime_Package_Path() const;
    QString Desktop_Entry_Path() const;
    QString Default_Apps_Path() const;
    QString Desktop_Entry_Name() const;

    QString Mime_Package_Text() const;
    QString Desktop_Entry_Text() const;

    // A program path that an Exec line would have to quote (blanks, quotes,
    // & ' ( ) ; $ ` % and the like) is started through a small script in
    // the per-user data folder, written beside the entry.
    bool Needs_Launcher_Script() const;
    QString Launcher_Script_Path() const;
    QString Launcher_Script_Text() const;

    // The program the per-user desktop entry starts (through the launcher
    // script when it names that): empty when there is no entry or it was not
    // written by Associate.
    QString Registered_Program() const;
    // Removes the per-user registration when its entry starts a program in
    // folder: the entry, the launcher script, the type package as Associate
    // writes it and the default naming the entry; a registration of a program
    // elsewhere stays. Returns true when it removed one.
    bool Remove_Registration_Into(const QString &folder);
};

// Runs a desktop tool that refreshes a cache (update-mime-database,
// update-desktop-database) and waits for it a little; a missing tool is fine.
void Run_Desktop_Tool(const QString &program, const QStringList &args);

// Quorvel's own job-file type, registered by the program at each start and by
// the installer: "Quorvel Data File", *.qvl, opened by the program file.
Cla_Associate Quorvel_Association(const QString &program_file);

// What the program does at each start: registers its type per user, unless
// its folder belongs to a system package, whose own entry, type and icon
// serve every user and go with the package. There it writes nothing per user
// and removes what an earlier start wrote for a program in that folder.
void Register_Quorvel_At_Start(const QString &program_file);

// The icon the desktop entry names: the theme name "quorvel" when the hicolor
// theme holds it (under XDG_DATA_HOME or one of XDG_DATA_DIRS), otherwise
// "quorvel.svg" in the program's folder when it is there, otherwise the
// program file itself.
QString Quorvel_Icon(const QString &program_file);
