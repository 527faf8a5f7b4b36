#include "job_lifecycle.h"

#include "job_file.h"
#include "user_file.h"

#include <QFileInfo>

namespace {

// Save prompt: false when the user cancelled the command. Yes saves and
// goes on whatever the save did.
bool Save_Prompt(Program_State &state, Prompt &prompt)
{
    if (state.Flag_Save != 1)
        return true;
    switch (prompt.Ask_Yes_No_Cancel(Save_Changes_Question)) {
    case Prompt::Answer::Yes:
        Job_Save(state, prompt);
        return true;
    case Prompt::Answer::No:
        return true;
    case Prompt::Answer::Cancel:
        return false;
    }
    return false;
}

// The folder a dialog starts in: Current_Path is a folder (the default
// path), or the full path of the last job file chosen.
QString Dialog_Folder(const QString &current_path)
{
    const QFileInfo info(current_path);
    const bool job_file = info.isFile() || info.suffix().compare(QStringLiteral("qvl"), Qt::CaseInsensitive) == 0;
    return job_file ? info.absolutePath() : current_path;
}

void Show_All(Prompt &prompt, const QStringList &messages)
{
    for (const QString &m : messages)
        prompt.Show_Message(m);
}

} // namespace

QString Unsaveable_Message(const QStringList &characters)
{
    QStringList shown;
    for (const QString &c : characters)
        shown << QStringLiteral("\"%1\" (U+%2)").arg(c, QString::number(c.toUcs4().value(0), 16).toUpper().rightJustified(4, u'0'));
    return QStringLiteral("The job was not saved: a job file cannot hold these characters: %1. Replace them and "
                          "save again.")
        .arg(shown.join(QStringLiteral(", ")));
}

QString Unsaveable_Fields_Message(const QStringList &fields)
{
    return QStringLiteral("The job was not saved: a job file cannot hold these characters of its fields:\n%1\n"
                          "Replace them and save again.")
        .arg(fields.join(u'\n'));
}

bool Job_New(Program_State &state, Prompt &prompt)
{
    if (!Save_Prompt(state, prompt))
        return false;
    Reset_Job(state.Job, state.Settings, Reset_Kind::New_Job, QDate::currentDate());
    state.Flag_Save = 0;
    state.Job_File_Name.clear();
    state.Refresh_Grid();
    return true;
}

bool Job_Open(Program_State &state, Prompt &prompt)
{
    if (!Save_Prompt(state, prompt)) {
        state.Load_Command.clear();
        return false;
    }
    QString path;
    if (state.Load_Command.isEmpty()) {
        path = prompt.Choose_Open_File(Dialog_Folder(state.Current_Path), state.Job_File_Name, Job_File_Filters,
                                       Job_File_Filter_Index);
        if (path.isEmpty())
            return false;
        state.Current_Path = path;
    } else {
        path = state.Load_Command;
        state.Load_Command.clear();
    }
    // A file that cannot be opened at all leaves the job as it was.
    Program_State trial = state;
    const Job_Read_Result read = Read_Job_File(trial, path);
    if (!read.Opened) {
        prompt.Show_Message(QStringLiteral("The job file %1 could not be opened: %2").arg(path, read.Error));
        return false;
    }
    trial.Job_File_Name = path;
    state = std::move(trial);
    Show_All(prompt, read.Messages);
    return true;
}

Calc_Outcome Job_Save(Program_State &state, Prompt &prompt, bool *saved)
{
    if (saved)
        *saved = false;
    const Calc_Outcome outcome = state.Calculate_Job();
    Show_All(prompt, outcome.Messages);
    if (state.filename.isEmpty())
        state.filename = state.Current_Path;
    // A character the file's code page cannot hold would come back as "?":
    // said before the dialog, naming the field.
    const QStringList unheld = Unsaveable_Fields(state.Job);
    if (!unheld.isEmpty()) {
        prompt.Show_Message(Unsaveable_Fields_Message(unheld));
        return outcome;
    }
    const QString path = prompt.Choose_Save_File(Dialog_Folder(state.Current_Path), state.Job_File_Name,
                                                 Job_File_Filters, Job_File_Filter_Index);
    if (path.isEmpty())
        return outcome;
    QString error;
    if (!Write_Job_File(state, path, &error)) {
        // The earlier file is as it was, and the job still belongs to it:
        // its name and the dialogs' folder stay; say why this one could not
        // be written.
        prompt.Show_Message(QStringLiteral("Bad file name or path\n\n%1: %2").arg(path, Reason_Text(error)));
        return outcome;
    }
    state.Current_Path = path;
    state.Job_File_Name = path;
    prompt.Show_Message(QStringLiteral("Saved"));
    state.Flag_Save = 0;
    if (saved)
        *saved = true;
    return outcome;
}

bool Job_Quit(Program_State &state, Prompt &prompt)
{
    return Save_Prompt(state, prompt);
}

void Job_Window_Close(Program_State &state, Prompt &prompt)
{
    if (state.Flag_Save == 1 && prompt.Ask_Yes_No(Save_Changes_Question) == Prompt::Answer::Yes)
        Job_Save(state, prompt);
}
