#include "frm_main.h"

#include "frm_about.h"
#include "frm_dialog_file.h"
#include "frm_note.h"
#include "frm_options.h"
#include "frm_pressure.h"
#include "frm_update.h"
#include "number_format.h"
#include "program_documents.h"
#include "settings_store.h"
#include "shell_run.h"

#include <QFileInfo>
#include <QPointer>

// The documents and dialogs the window opens: the editor, the note, the
// options, the pressure details, About, help, license and version.

QString Frm_Main::Launch(const QString &command_line, int show_code, bool quiet)
{
    if (options_.Launcher)
        return options_.Launcher(command_line, show_code);
    QString error;
    Shell_Failure later;
    if (!quiet) {
        // The document that failed to open: the command's own path, or the
        // file handed to the factory editor.
        const Shell_Command c = Shell_Split(command_line);
        const QStringList arguments = Split_Arguments(c.Parameters);
        const QString what = QFileInfo(c.Program).isFile() || arguments.isEmpty() ? c.Program : arguments.first();
        later = [window = QPointer<Frm_Main>(this), what](const QString &reason) {
            if (window)
                window->prompt_->Show_Message(QStringLiteral("%1 could not be opened: %2.").arg(what, reason));
        };
    }
    Shell_Run(command_line, show_code, &error, later);
    return error;
}

void Frm_Main::View_File(const QString &path)
{
    const QString error = Launch(State.Settings.Editor + QStringLiteral(" \"") + path + u'"', 5);
    if (!error.isEmpty())
        prompt_->Show_Message(QStringLiteral("The text editor \"%1\" could not be started to show %2: %3")
                                  .arg(State.Settings.Editor, path, error));
}

void Frm_Main::Edit_Note()
{
    Frm_Note note(State.Version, Short_Date_Text(State.Job.Calc_Date), State.Job.Location, State.Job.Note, this);
    if (note.exec() == QDialog::Accepted) {
        State.Flag_Save = 1;
        State.Job.Note = note.Note();
    }
    Refresh_Fixture_Grid();
}

Settings_Store Frm_Main::Open_Settings_Store() const
{
    return options_.Settings_File.isEmpty() ? Settings_Store() : Settings_Store(options_.Settings_File);
}

void Frm_Main::Open_Options()
{
    // An update under way runs inside a dialog owned by the options dialog:
    // neither may be deleted until the run has returned.
    for (auto *update : findChildren<Frm_Update *>()) {
        if (update->Is_Busy()) {
            update->raise();
            update->activateWindow();
            return;
        }
    }
    for (auto *old : findChildren<Frm_Options *>())
        delete old;
    Options_Host host{State, *prompt_, this, {}, {}, {}, {}, {}}; // the callbacks are set below
    host.Set_Images = [this] { Set_Images(); };
    host.Set_Meter = [this] { Set_Meter(); };
    host.Open_Settings_Store = [this] { return Open_Settings_Store(); };
    host.Check_For_Update = [this](QWidget *parent) {
        if (!Program_Folder_Writable(State.App_Path)) { // a system install: its package manager updates it
            prompt_->Show_Message(Package_Managed_Update_Text(State.App_Path));
            return;
        }
        // Pressed again while a check or run is under way: that one goes on.
        for (auto *old : findChildren<Frm_Update *>()) {
            if (old->Is_Busy()) {
                old->raise();
                old->activateWindow();
                return;
            }
        }
        for (auto *old : parent->findChildren<Frm_Update *>())
            delete old;
        Frm_Update::Local_State local{State.Settings.ServerName, State.App_Path, State.Version,
                                      {State.Table1.Date, State.Table2.Date, State.Table3.Date},
                                      [this](const QString &text) { prompt_->Show_Message(text); },
                                      [this] { End_Program(); }};
        auto *dialog = new Frm_Update(local, parent); // modeless, deleted when closed
        dialog->show();
        QTimer::singleShot(0, dialog, &Frm_Update::Load); // shown first with "Please Wait ...."
    };
    host.Pick = [this](bool editor, const QString &current_editor, QWidget *parent) -> std::optional<QString> {
        const auto mode = editor ? Frm_Dialog_File1::Mode::Editor : Frm_Dialog_File1::Mode::Path;
        State.Spot1 = int(mode);
        Frm_Dialog_File1 files(mode, State.filename, State.Current_Path, current_editor, parent);
        if (files.exec() != QDialog::Accepted)
            return std::nullopt;
        return files.Result();
    };
    auto *options = new Frm_Options(host); // modeless, deleted when closed
    options->show();
}

void Frm_Main::Open_Pressure_Details()
{
    for (auto *old : findChildren<Frm_Pressure *>())
        delete old;
    Frm_Pressure details(State.Job, State.Flag_Save, State.Spot1, *prompt_, State.Version, this);
    details.exec();
}

void Frm_Main::Show_About()
{
    for (auto *old : findChildren<Frm_About *>())
        delete old;
    Frm_About about(State.Version, State.Startup, this);
    about.exec();
}

void Frm_Main::Show_Help()
{
    Launch(u'"' + State.Program_File(QStringLiteral("QV-Help.htm")) + u'"', 4, true); // failures are ignored
}

void Frm_Main::Show_License()
{
    QString error;
    const QString license = State.Document_File(QStringLiteral("License.txt"));
    if (!Write_License(QFileInfo(license).path(), &error)) {
        prompt_->Show_Message(QStringLiteral("License.txt could not be written to the program folder: %1").arg(error));
        return;
    }
    View_File(license);
}

void Frm_Main::Show_Version_Information()
{
    QString error;
    const QString version = State.Document_File(QStringLiteral("Version.txt"));
    if (!Write_Version_Information(QFileInfo(version).path(), &error)) {
        prompt_->Show_Message(QStringLiteral("Version.txt could not be written to the program folder: %1").arg(error));
        return;
    }
    View_File(version);
}
