#pragma once

#include <QString>
#include <QStringList>

// Installing Quorvel for the current user, without administrator rights,
// from the program folder of the distribution medium:
//   - the program folder, by default ~/.local/opt/Quorvel;
//   - the icon into the hicolor theme under XDG_DATA_HOME;
//   - the job-file type and the menu entry, the same registration the
//     program makes at each start;
//   - the command "quorvel" in ~/.local/bin.
// Every file and folder it makes is written to a manifest in the program
// folder; uninstalling removes those and nothing else. A second install over
// the first upgrades in place: the user's settings and job files stay.

struct Setup_Paths {
    QString Source;      // the medium's program folder (read-only is fine)
    QString Prefix;      // the installed program folder
    QString Data_Home;   // XDG_DATA_HOME, or ~/.local/share
    QString Config_Home; // XDG_CONFIG_HOME, or ~/.config
    QString Bin_Folder;  // ~/.local/bin
};

// The program folder a user install goes to: ~/.local/opt/Quorvel.
QString Default_Setup_Prefix();
// The paths for a setup program in setup_folder (the medium): its
// "program" folder as the source; prefix empty for the default.
Setup_Paths Default_Setup_Paths(const QString &setup_folder, const QString &prefix = QString());

// The manifest of an install: "Setup-Manifest.txt" in the program folder.
QString Setup_Manifest_Path(const QString &prefix);
// True when the folder holds an install made by setup.
bool Is_Setup_Install(const QString &prefix);

struct Setup_Result {
    bool Ok = false;
    bool Upgrade = false;   // an earlier install was there
    bool Command_On_Path = false; // the command quorvel was made in a folder on PATH
    QStringList Done;       // what was done, one line each, for the user
    QString Error;          // why it failed; nothing was changed by a failed install
};

// Installs or upgrades. The program files are first staged and checked
// inside the program folder; only when all of them are in place are they
// moved over the earlier ones, so a failure leaves the earlier install
// as it was.
Setup_Result Setup_Install(const Setup_Paths &paths);

// Removes what the manifest lists (only paths inside the program folder,
// XDG_DATA_HOME and the bin folder), the documents the program writes into
// its folder, the type's default in mimeapps.list, and the folders setup
// made once they are empty. Settings and the user's job files stay.
Setup_Result Setup_Uninstall(const Setup_Paths &paths);
