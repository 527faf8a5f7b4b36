#pragma once

#include "sizing_job.h"
#include "tables.h"

#include <QStringList>
#include <QVector>

#include <array>

// What the fixture grid shows, worked out from the job and the tables; the
// window only displays it.
struct Grid_View {
    std::array<QString, Grid_Rows> Labels;
    std::array<bool, Grid_Rows> Enabled{};
    std::array<bool, Grid_Rows> Button_Face{}; // beyond the table: greyed
    bool Note_Exists = false;                  // "Note Exists" in bold, picture shown
};

// Relabels the grid from the table in force and applies the Note A rule:
// in public use the rows marked "b" keep their count in Saved_Count_Text
// and show "Note A"; back in private use such rows get their count again.
Grid_View Refresh_Fixture_Grid(Sizing_Job &job, const Fixture_Table &private_table,
                               const Fixture_Table &public_table);

const Fixture_Table &Table_In_Force(const Sizing_Job &job, const Fixture_Table &private_table,
                                    const Fixture_Table &public_table);

double Total_Fixture_Units(const Sizing_Job &job, const Fixture_Table &table_in_force);

// Where a fixture unit total falls in the conversion table: the two points
// around it (the first is 0 FU / 0 gpm below the table's first row) and the
// flow read between them on the flush type's column.
struct Demand_Lookup {
    bool Within = false; // false: the total lies beyond the table
    int Row = 0;         // 1-based table row of the upper point; 0 for an empty table
    double Units_Low = 0, Flow_Low = 0;
    double Units_High = 0, Flow_High = 0;
    double Table_Flow = 0; // gpm, before irrigation and Note A
};
Demand_Lookup Demand_Table_Flow(double fixture_units, Flush_Kind flush, const Flow_Conversion_Table &table);

// The demand flow in gpm for a fixture unit total, interpolated in the
// conversion table, with the irrigation and Note A flows added. Returns
// false (the marker "Oops") when the total lies beyond the table.
bool Design_Flow_Of(double fixture_units, Flush_Kind flush, const Flow_Conversion_Table &table,
                    const QString &irrigation_flow, const QString &note_a_flow, double &flow);

// Friction loss in psi of a pipe stretch (Hazen-Williams), flow in gpm,
// length in ft, internal diameter in inches. No flow, or a diameter or C
// factor that is not positive, gives no loss.
double Hazen_Williams_Loss(double flow, double length, double c_factor, double diameter);

// Loss through a meter at a flow, on the straight lines from 0 gpm / 0 psi
// through its three loss points; beyond the last point the last segment
// goes on in a straight line.
double Meter_Loss(const Meter_Entry &meter, double flow);

// Point size of the meter result text: 12 up to 15 characters, 11 up to 27, 10 above.
int Meter_Font_Points(const QString &meter_text);

// One step of a calculation as it was taken: what was computed, the formula
// in words and symbols, the inputs with their units and the result.
struct Trace_Input {
    QString Name;
    double Value = 0;
    QString Unit;
};
struct Trace_Step {
    QString Key;     // stable name: "fixture_units", "design_flow", "meter_choice", "loss_meter", ...
    QString Title;   // in words
    QString Formula; // in symbols
    QVector<Trace_Input> Inputs;
    double Result = 0;
    QString Unit;
    int Evaluation = 0; // pressure evaluation it belongs to (1 to 3), 0 outside the pressure chain
};

struct Calc_Outcome {
    QStringList Messages;     // to show in this order, each with an OK button
    QVector<Trace_Step> Trace; // the steps taken, in order
    int Meter_Font_Points = 12;
    bool Play_Sound = false;
};

// The Calculate command: fixture units, design flow, meter choice and,
// when asked for and possible, the pressure evaluation with up-sizing.
// Fills the job's results and display texts.
Calc_Outcome Calculate(Sizing_Job &job, const Fixture_Table &private_table,
                       const Fixture_Table &public_table, const Flow_Conversion_Table &conversion,
                       const Meter_List &meters, bool sound_on);

// Pressure from the water main to the controlling fixture for the meter in
// Meter_Index, up-sizing at most two times. Appends its messages.
// Records its steps in trace when given.
void Evaluate_Pressure(Sizing_Job &job, const Meter_List &meters, QStringList &messages,
                       QVector<Trace_Step> *trace = nullptr);

extern const QString Too_Many_Fixtures_Message;
extern const QString Meter_Not_Large_Enough_Message;
extern const QString Upsize_Failed_Message;
extern const QString Upsize_Disabled_Message;
extern const QString No_Larger_Meter_Message;
