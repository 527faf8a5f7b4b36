#pragma once

#include "program_state.h"
#include "prompt.h"
#include "sizing_job.h"

#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

// The per-user store of preferences and job defaults: text values under
// the application "Quorvel" and the section "Config" of an INI file
// (~/.config/Quorvel/Quorvel.ini, or $XDG_CONFIG_HOME/Quorvel/Quorvel.ini).
//
// Every value is written as a string and read back as the same string:
// QSettings quotes and escapes what it writes, so commas, backslashes,
// semicolons, quotes, blanks at either end and non-ASCII text survive. A
// value typed into the file by hand with a bare comma comes back from the
// INI reader as a list; it is joined again with ", ".
class Settings_Store {
public:
    Settings_Store();                             // the per-user store
    explicit Settings_Store(const QString &path); // a given INI file
    ~Settings_Store();
    Settings_Store(Settings_Store &&) noexcept;
    Settings_Store &operator=(Settings_Store &&) noexcept;

    // The text of a key; the empty text when it was never written or
    // cannot be read.
    QString Read(const QString &key) const;
    // Stores the text in memory; the file is written by Flush only.
    void Write(const QString &key, const QString &value);
    // Writes the whole store all or nothing, creating its folder as needed:
    // a failed write (a full disk, a read-only file) leaves the earlier file
    // as it was. False when the store met an error: its file could not be
    // written, or what was there could not be read as settings (it is then
    // left alone); Last_Error tells why.
    bool Flush();
    QString Last_Error() const;
    QString File_Name() const;

    // Where the per-user store lives.
    static QString Default_Location();

private:
    std::unique_ptr<QSettings> settings_; // reads the file; never writes it
    QMap<QString, QString> written_;      // values stored since, by full key
    QString error_;
};

// The 24 keys in the order they are read at startup and written by the
// reset and by the options dialog's Save.
extern const QStringList Settings_Keys;

inline const QString Reset_Message = QStringLiteral(
    "Your startup options have been reset to default, either because the configuration was missing or because "
    "the program has been updated.  Please check the settings under 'Options'.");

// "True"/"False" in any letter case, or a number (0 is false, anything
// else true); the empty text and any other text leave the prior value.
bool Settings_Boolean(const QString &text, bool prior);

// Reads every key, in order, into fresh settings fields: the Boolean keys
// by Settings_Boolean with false as the prior value, the others as the
// texts read (a missing key gives the empty text). Never writes.
Settings_Fields Read_Settings(const Settings_Store &store);

// Writes all 24 keys in order and flushes: "Version" the program's
// version, "OkINI" "True", Booleans as "True"/"False", loose values as
// their text (a number in decimal form with ".", "0" for 0; a Boolean as
// "True"/"False"), texts as they are.
// False, with the reason in *error, when the store could not be written;
// the earlier file is then as it was.
bool Write_Settings(Settings_Store &store, const Settings_Fields &settings, QString *error = nullptr);

// The startup load: reads the store; when the stored version is not the
// program's (a missing one included) shows the reset message; when the
// store then holds no complete configuration of this version, writes the
// factory settings and returns them. Otherwise returns what was read and
// writes nothing.
Settings_Fields Startup_Load(Settings_Store &store, Prompt &prompt);

// For a read-only use (the command line): true, with the settings read,
// when the store holds a complete configuration of this version ("Version"
// is the program's and "OkINI" reads true); false, leaving the settings
// alone, otherwise. Never writes, never creates the file.
bool Load_Complete_Configuration(const Settings_Store &store, Settings_Fields &settings);

// Applies loaded settings to the program the way startup does: the fields,
// a fresh job with the configured defaults (startup kind, dated today),
// and the folder the file dialogs first offer.
void Apply_Startup_Settings(Program_State &state, const Settings_Fields &settings, const QDate &today);
