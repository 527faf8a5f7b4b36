#include "program_state.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

Calc_Outcome Program_State::Calculate_Job(bool record_trace)
{
    return Calculate(Job, Table1, Table2, Table3, Meters, Settings.Sound1, record_trace, &Demand_Data);
}

Grid_View Program_State::Refresh_Grid()
{
    return Refresh_Fixture_Grid(Job, Table1, Table2);
}

QString Program_State::Program_File(const QString &name) const
{
    return App_Path + u'/' + name;
}

QString Program_State::Document_File(const QString &name) const
{
    return Document_Path.isEmpty() ? Program_File(name) : Document_Path + u'/' + name;
}

bool Package_Managed(const QString &program_folder)
{
    const QString folder = program_folder.isEmpty() ? QStringLiteral("/") : program_folder;
    return QFileInfo::exists(folder + u'/' + QLatin1String(Package_Marker));
}

bool Program_Folder_Writable(const QString &program_folder)
{
    const QString folder = program_folder.isEmpty() ? QStringLiteral("/") : program_folder;
    // access() answers for this user, and says no on a read-only mount even to root.
    return QFileInfo(folder).isDir() && !Package_Managed(program_folder) &&
           ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

QString Package_Managed_Update_Text(const QString &program_folder)
{
    return QStringLiteral("Quorvel is installed in %1, which you cannot change: this copy is updated by the "
                          "system's package manager. Nothing was changed.")
        .arg(program_folder.isEmpty() ? QStringLiteral("/") : program_folder);
}

QString Document_Folder(const QString &program_folder)
{
    if (Program_Folder_Writable(program_folder))
        return App_Path_Of(program_folder);
    const QString data_home = qEnvironmentVariable("XDG_DATA_HOME");
    const QString folder =
        (data_home.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : data_home) + QStringLiteral("/Quorvel");
    QDir().mkpath(folder);
    return folder;
}

QString App_Path_Of(const QString &folder)
{
    QString path = folder;
    while (path.endsWith(u'/'))
        path.chop(1);
    return path;
}

void Set_Program_Paths(Program_State &state, const QString &program_folder)
{
    state.App_Path = App_Path_Of(program_folder);
    const QString documents = Document_Folder(program_folder);
    state.Document_Path = documents == state.App_Path ? QString() : documents;
    state.File1 = state.Program_File(QStringLiteral("Table-1.dat"));
    state.File2 = state.Program_File(QStringLiteral("Table-2.dat"));
    state.File3 = state.Program_File(QStringLiteral("Table-3.dat"));
    state.File5 = state.Program_File(QStringLiteral("Update.txt"));
    state.Version = Program_Version;
    state.Startup = 0;
}

QString User_Meter_List_Folder(const Program_State &state)
{
    return state.Document_Path.isEmpty() ? state.App_Path : state.Document_Path;
}

QString Meter_List_Path(const Program_State &state, const QString &name)
{
    if (QFileInfo(name).isAbsolute())
        return name;
    const QString in_program = state.Program_File(name);
    const QString in_user = User_Meter_List_Folder(state) + u'/' + name;
    return !QFileInfo::exists(in_program) && QFileInfo::exists(in_user) ? in_user : in_program;
}

void Set_Meter(Program_State &state)
{
    state.Meters.File_Name = state.Settings.Set_Meter_Table;
    // A user's own list may live in the user's data folder.
    Load_Meter_List(state.Meters, Meter_List_Path(state, state.Settings.Set_Meter_Table));
}

void Load_Tables(Program_State &state)
{
    state.Table1 = Load_Fixture_Table(state.File1, false);
    state.Table2 = Load_Fixture_Table(state.File2, true);
    state.Table3 = Load_Flow_Conversion_Table(state.File3);
    state.Demand_Data = Load_Wdc_Table(state.Program_File(Wdc_Data_File));
    Set_Meter(state);
}
