#pragma once

#include "loose_value.h"

#include <QDate>
#include <QString>

#include <array>

constexpr int Grid_Rows = 33;
inline const QString Program_Version = QStringLiteral("1.02.0808");
inline const QString Default_Server_Name = QStringLiteral("http://update.quorvel.example/programs/Quorvel/Update/");
inline const QString Factory_Meter_Table = QStringLiteral("AWWA-Standard.mtr");
inline const QString Oops_Marker = QStringLiteral("Oops");
inline const QString Note_A_Marker = QStringLiteral("Note A");

enum class Use_Kind { Private = 0, Public = 1 };
enum class Flush_Kind { Quick_Flush = 0, Tank = 1 };
enum class Flow_Kind { Maximum, Continuous };
// How the design flow is found: Hunter's fixture units and the conversion
// table (the default), or the Water Demand Calculator's probabilistic peak
// for dwellings.
enum class Demand_Kind { Hunter = 0, Wdc = 1 };

// The preferences and job defaults as the program holds them in memory
// between the startup load and the options dialog's Save.
struct Settings_Fields {
    QString INIVersion;
    bool OkINI = false;
    bool Sound1 = false;
    bool Large_Buttons = false;
    bool Code = false;
    bool Fixture = false;
    bool Flush = false;
    QString Editor;
    QString Default_DefaultName;
    QString ServerName;
    bool Default_Use_Pressure = false;
    QString Default_Meter_Location;
    Loose_Value Default_Calc_Flow;
    Loose_Value Default_Pressure_Min_Main;
    Loose_Value Default_Dia_Service;
    Loose_Value Default_C_Service;
    Loose_Value Default_Dia_Plumbing;
    Loose_Value Default_C_Plumbing;
    Loose_Value Default_Len_Factor;
    Loose_Value Default_Pressure_Treatment;
    Loose_Value Default_Pressure_Fixture;
    Loose_Value Default_No_Upsize;
    QString Default_Path;
    QString Set_Meter_Table;

    // The factory values that a reset writes and takes into memory.
    static Settings_Fields Factory();
};

// One meter sizing: header, options, fixture counts and extra flows,
// pressure details, note, and the results of the last Calculate together
// with the texts the window shows for them.
struct Sizing_Job {
    // Header
    QString Location;
    QString Calculated_By;
    QDate Calc_Date;
    QString Note;

    // Options
    int Description_Mode = 0; // 0 plain, 1 code language
    Use_Kind Use_Type = Use_Kind::Private;
    Flush_Kind Flush_Type = Flush_Kind::Tank;
    Flow_Kind Flow_Basis = Flow_Kind::Maximum;
    bool Use_Pressure = false;
    Demand_Kind Demand_Method = Demand_Kind::Hunter;

    // Demand inputs
    std::array<QString, Grid_Rows> Fixture_Count;
    std::array<QString, Grid_Rows> Saved_Count_Text;
    QString Irrigation_Flow;
    QString NoteA_Flow;

    // Pressure details
    Loose_Value Pressure_Min_Main;
    Loose_Value Elev_Main_Meter;
    Loose_Value Dia_Service_1;
    Loose_Value Dia_Service_2;
    Loose_Value Len_Main_CB;
    Loose_Value Len_CB_Meter;
    Loose_Value C_Service_1;
    Loose_Value C_Service_2;
    Loose_Value Elev_Meter_Fixture;
    Loose_Value Dia_Plumbing;
    Loose_Value Len_Meter_Fixture;
    Loose_Value Len_Factor;
    Loose_Value C_Plumbing;
    Loose_Value Pressure_Treatment;
    Loose_Value Pressure_Fixture;
    Loose_Value No_Upsize;
    QString Meter_Location;

    // Results of the last Calculate
    double Fixture_Units = 0;
    bool Design_Flow_Oops = false; // the design flow is the marker "Oops"
    double Design_Flow = 0;        // gpm
    int Meter_Index = 0;           // row in the meter list, 0 = none
    QString Meter_Label;
    double Loss_Meter = 0;
    double Loss_Service_1 = 0;
    double Loss_Service_2 = 0;
    double A_Value = 0;            // psi per 100 ft
    double Loss_Plumbing = 0;
    double Pressure_After_Meter = 0;
    double Pressure_At_Fixture = 0;
    int Upsize_Count = 0;
    bool Pressure_Failed = false;
    bool Pressure_Evaluated = false;
    bool No_Larger_Meter = false;  // up-sizing ran past the end of the meter list
    bool Pressure_Not_Finite = false; // a term of the pressure chain was past what a double holds
    bool Sized_By_Wdc = false;     // the design flow is the Water Demand Calculator's

    // Display texts of the results, as the window shows them and the job
    // file stores them; the colour of the pressure text (0 black, 255 red).
    QString Fixture_Units_Text;
    QString Design_Flow_Text;
    QString Meter_Size_Text;
    QString Pressure_Fixture_Text;
    int Pressure_Color = 0;

    bool Meter_Inside() const { return Meter_Location == u"Inside"; }
};

// The fifteen pressure details in the order the dialog and the job file
// list them, with their field names.
struct Pressure_Field {
    const char *Name;
    Loose_Value Sizing_Job::*Member;
};
extern const std::array<Pressure_Field, 15> Pressure_Fields;

enum class Reset_Kind { Startup, New_Job };

// Sets every field to its initial value; the defaults come from the
// settings. A new job always puts the meter inside the building; startup
// uses the default location.
void Reset_Job(Sizing_Job &job, const Settings_Fields &settings, Reset_Kind kind, const QDate &today);

// Clears the results and their display texts (pressure text black).
void Clear_Results(Sizing_Job &job);
