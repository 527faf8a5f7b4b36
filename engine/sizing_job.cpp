#include "sizing_job.h"

const std::array<Pressure_Field, 15> Pressure_Fields = {{
    {"Pressure_Min_Main", &Sizing_Job::Pressure_Min_Main},
    {"Elev_Main_Meter", &Sizing_Job::Elev_Main_Meter},
    {"Dia_Service_1", &Sizing_Job::Dia_Service_1},
    {"Dia_Service_2", &Sizing_Job::Dia_Service_2},
    {"Len_Main_CB", &Sizing_Job::Len_Main_CB},
    {"Len_CB_Meter", &Sizing_Job::Len_CB_Meter},
    {"C_Service_1", &Sizing_Job::C_Service_1},
    {"C_Service_2", &Sizing_Job::C_Service_2},
    {"Elev_Meter_Fixture", &Sizing_Job::Elev_Meter_Fixture},
    {"Dia_Plumbing", &Sizing_Job::Dia_Plumbing},
    {"Len_Meter_Fixture", &Sizing_Job::Len_Meter_Fixture},
    {"Len_Factor", &Sizing_Job::Len_Factor},
    {"C_Plumbing", &Sizing_Job::C_Plumbing},
    {"Pressure_Treatment", &Sizing_Job::Pressure_Treatment},
    {"Pressure_Fixture", &Sizing_Job::Pressure_Fixture},
}};

Settings_Fields Settings_Fields::Factory()
{
    Settings_Fields s;
    s.INIVersion = Program_Version;
    s.OkINI = true;
    s.Sound1 = false;
    s.Large_Buttons = true;
    s.Code = false;
    s.Fixture = true;
    s.Flush = false;
    s.Editor = QStringLiteral("Notepad.exe");
    s.Default_DefaultName = QString();
    s.ServerName = Default_Server_Name;
    s.Default_Use_Pressure = false;
    s.Default_Meter_Location = QStringLiteral("Inside");
    s.Default_Calc_Flow = Loose_Value::Of_Boolean(true);
    s.Default_Pressure_Min_Main = QString();
    s.Default_Dia_Service = QString();
    s.Default_C_Service = Loose_Value::Of_Number(130);
    s.Default_Dia_Plumbing = QString();
    s.Default_C_Plumbing = Loose_Value::Of_Number(130);
    s.Default_Len_Factor = Loose_Value::Of_Number(1.5);
    s.Default_Pressure_Treatment = QString();
    s.Default_Pressure_Fixture = Loose_Value::Of_Number(20);
    s.Default_No_Upsize = Loose_Value::Of_Boolean(false);
    s.Default_Path = QString();
    s.Set_Meter_Table = Factory_Meter_Table;
    return s;
}

void Clear_Results(Sizing_Job &job)
{
    job.Fixture_Units = 0;
    job.Design_Flow_Oops = false;
    job.Design_Flow = 0;
    job.Meter_Index = 0;
    job.Meter_Label.clear();
    job.Loss_Meter = job.Loss_Service_1 = job.Loss_Service_2 = 0;
    job.A_Value = job.Loss_Plumbing = 0;
    job.Pressure_After_Meter = job.Pressure_At_Fixture = 0;
    job.Upsize_Count = 0;
    job.Pressure_Failed = false;
    job.Pressure_Evaluated = false;
    job.No_Larger_Meter = false;
    job.Pressure_Not_Finite = false;
    job.Sized_By_Wdc = false;
    job.Fixture_Units_Text.clear();
    job.Design_Flow_Text.clear();
    job.Meter_Size_Text.clear();
    job.Pressure_Fixture_Text.clear();
    job.Pressure_Color = 0;
}

void Reset_Job(Sizing_Job &job, const Settings_Fields &s, Reset_Kind kind, const QDate &today)
{
    job.Location.clear();
    job.Note.clear();
    for (QString &count : job.Fixture_Count)
        count.clear();
    job.Irrigation_Flow.clear();
    job.NoteA_Flow.clear();
    job.Calculated_By = s.Default_DefaultName;
    job.Calc_Date = today;

    job.Description_Mode = s.Code ? 1 : 0;
    job.Use_Type = s.Fixture ? Use_Kind::Private : Use_Kind::Public;
    job.Flush_Type = s.Flush ? Flush_Kind::Quick_Flush : Flush_Kind::Tank;
    job.Flow_Basis = s.Default_Calc_Flow.Is_True() ? Flow_Kind::Maximum : Flow_Kind::Continuous;
    job.Use_Pressure = s.Default_Use_Pressure;
    job.Demand_Method = Demand_Kind::Hunter;

    job.Pressure_Min_Main = s.Default_Pressure_Min_Main;
    job.Dia_Service_1 = job.Dia_Service_2 = s.Default_Dia_Service;
    job.C_Service_1 = job.C_Service_2 = s.Default_C_Service;
    job.Dia_Plumbing = s.Default_Dia_Plumbing;
    job.Len_Factor = s.Default_Len_Factor;
    job.C_Plumbing = s.Default_C_Plumbing;
    job.Pressure_Treatment = s.Default_Pressure_Treatment;
    job.Pressure_Fixture = s.Default_Pressure_Fixture;
    job.No_Upsize = Loose_Value::Of_Number(s.Default_No_Upsize.Is_True() ? 1 : 0);
    job.Meter_Location = kind == Reset_Kind::Startup ? s.Default_Meter_Location : QStringLiteral("Inside");
    job.Elev_Main_Meter = job.Len_Main_CB = job.Len_CB_Meter = QString();
    job.Elev_Meter_Fixture = job.Len_Meter_Fixture = QString();

    Clear_Results(job);
}
