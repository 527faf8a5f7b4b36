#pragma once

#include "program_state.h"
#include "prompt.h"
#include "sizing_job.h"

#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

// The per-user store of preferences and job defaults: text values under
// the application "Quorvel" and the section "Config" of an INI file
// (~/.config/Quorvel/Quorvel.ini). Values are stored and read back as the
// exact texts, commas, backslashes and semicolons included.
class Settings_Store {
public:
    Settings_Store();                             // the per-user store
    explicit Settings_Store(const QString &path); // a given INI file
    ~Settings_Store();
    Settings_Store(Settings_Store &&) noexcept;

    // The text of a key; the empty text when it was never written.
    QString Read(const QString &key) const;
    void Write(const QString &key, const QString &value);
    // Writes pending changes; false when the file could not be written.
    bool Flush();
    QString File_Name() const;

    // Where the per-user store lives.
    static QString Default_Location();

private:
    std::unique_ptr<QSettings> settings_;
};

// The keys in the order they are read and written.
extern const QStringList Settings_Keys;
inline const QString Reset_Message = QStringLiteral(
    "Your startup options have been reset to default, either because the configuration was missing or because "
    "the program has been updated.  Please check the settings under 'Options'.");

// Reads every key into settings fields (Booleans by the rule below, other
// keys as their texts), without any reset.
Settings_Fields Read_Settings(const Settings_Store &store);

// "True"/"False" in any letter case, or a number (0 is false); anything
// else leaves the prior value.
bool Settings_Boolean(const QString &text, bool prior);

// Writes every key from the fields: Booleans as "True"/"False", numbers in
// decimal text with "." ("0" for none), texts as they are.
void Write_Settings(Settings_Store &store, const Settings_Fields &settings);

// The startup load: reads the store; when it holds another version (or
// none) shows the reset message, and when it is not a complete
// configuration of this version writes the factory settings and returns
// them.
Settings_Fields Startup_Load(Settings_Store &store, Prompt &prompt);

// For a read-only use (the command line): true with the settings when the
// store holds a complete configuration of this version. Never writes.
bool Load_Complete_Configuration(const Settings_Store &store, Settings_Fields &settings);

// Applies loaded settings to the program the way startup does: the fields,
// a fresh job with the configured defaults, the dialogs' starting folder.
void Apply_Startup_Settings(Program_State &state, const Settings_Fields &settings, const QDate &today);
