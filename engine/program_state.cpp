#include "program_state.h"

Calc_Outcome Program_State::Calculate_Job()
{
    return Calculate(Job, Table1, Table2, Table3, Meters, Settings.Sound1);
}

Grid_View Program_State::Refresh_Grid()
{
    return Refresh_Fixture_Grid(Job, Table1, Table2);
}

QString Program_State::Program_File(const QString &name) const
{
    return App_Path + u'/' + name;
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
    state.File1 = state.Program_File(QStringLiteral("Table-1.dat"));
    state.File2 = state.Program_File(QStringLiteral("Table-2.dat"));
    state.File3 = state.Program_File(QStringLiteral("Table-3.dat"));
    state.File5 = state.Program_File(QStringLiteral("Update.txt"));
    state.Version = Program_Version;
    state.Startup = 0;
}

void Set_Meter(Program_State &state)
{
    state.Meters.File_Name = state.Settings.Set_Meter_Table;
    Load_Meter_List(state.Meters, state.Program_File(state.Settings.Set_Meter_Table));
}

void Load_Tables(Program_State &state)
{
    state.Table1 = Load_Fixture_Table(state.File1, false);
    state.Table2 = Load_Fixture_Table(state.File2, true);
    state.Table3 = Load_Flow_Conversion_Table(state.File3);
    Set_Meter(state);
}
