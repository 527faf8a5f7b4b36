#pragma once

#include "demand_wdc.h"
#include "sizing_job.h"
#include "tables.h"

#include <QStringList>
#include <QVector>

#include <array>
#include <cstdint>

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
// factor that is not positive, gives no loss. Inputs past what a double
// holds give a result that is not finite, for the caller to refuse.
double Hazen_Williams_Loss(double flow, double length, double c_factor, double diameter);

// Loss through a meter at a flow, on the straight lines from 0 gpm / 0 psi
// through its three loss points; beyond the last point the last segment
// goes on in a straight line. Not finite when the curve's numbers overflow.
double Meter_Loss(const Meter_Entry &meter, double flow);

// Point size of the meter result text: 12 up to 15 characters, 11 up to 27, 10 above.
int Meter_Font_Points(const QString &meter_text);

// One step of a calculation as it was taken, as numbers: what was computed,
// its inputs and its result. The words, formulas, input names and units of
// each kind of step are given where the steps are shown; the inputs come in
// the order listed here.
enum class Step_Key : std::uint8_t {
    Fixture_Row,          // row, count, FU each
    Fixture_Units,        // (none)
    Demand_Table,         // FU, FU1, Q1, FU2, Q2, table row; variant: the flush tank column
    Design_Flow,          // Qt, Qirr, QA
    Meter_Choice,         // Q, rating; the result is the meter row
    Loss_Service_1,       // Q, L, C, D; variant: the meter inside (so for the pressure chain)
    Loss_Service_2,       // Q, L, C, D
    Loss_Meter,           // meter row, Q
    Pressure_After_Meter, // Pmain, Lm, Ls1, Ls2, Hmain
    A_Value,              // Q, Qirr, C, D
    Loss_Plumbing,        // A, L, F
    Pressure_At_Fixture,  // Pa, Ls2, Lp, Pt, Hfix, Preq
    Upsize,               // Pf, Preq, meter row, rating; the result is the next meter row
    Wdc_Type,             // type (1-based row of the demand data), n, p, q; the result is n p q
    Wdc_Uncovered_Row,    // row, count; the result is the flow added at full flow
    Wdc_Moments,          // mu, sigma^2, P0, sum n q; the result is H
    Wdc_Q99,              // H, mu, sigma^2, P0, sum n q, procedure (1 exact, 2 modified Wistort, 3 Wistort)
    Wdc_Design_Flow,      // Q99, Qunc, Qirr, QA
};
constexpr int Trace_Most_Inputs = 6;
struct Trace_Step {
    Step_Key Key = Step_Key::Fixture_Units;
    bool Variant = false;
    std::uint8_t Evaluation = 0; // pressure evaluation it belongs to (1 to 3), 0 outside the pressure chain
    std::uint8_t Input_Count = 0;
    std::array<double, Trace_Most_Inputs> Inputs{};
    double Result = 0;
};

// What one demand method gives the job: its design flow, the meter it
// chooses from the list and the pressure at the controlling fixture with
// that meter (up-sizing as for the job itself).
struct Method_Sizing {
    bool Applies = false;
    QString Why_Not;        // when it does not apply
    bool Flow_Oops = false; // no design flow (beyond the demand table)
    double Design_Flow = 0; // gpm
    int Meter_Index = 0;    // 0: no meter of the list holds the flow
    QString Meter_Size_Text;
    bool Pressure_Evaluated = false;
    double Pressure_At_Fixture = 0; // psi
};
// Both methods side by side; the one that sized the job is the job's own result.
struct Demand_Methods {
    Method_Sizing Hunter;
    Method_Sizing Wdc;
    Wdc_Demand Wdc_Detail;
};

struct Calc_Outcome {
    QStringList Messages;      // to show in this order, each with an OK button
    QVector<Trace_Step> Trace; // the steps taken, in order, when asked for
    Demand_Methods Methods;    // filled when Calculate is given the demand data
    int Meter_Font_Points = 12;
    bool Play_Sound = false;
};

// The Calculate command: fixture units, design flow, meter choice and,
// when asked for and possible, the pressure evaluation with up-sizing.
// With the demand data (wdc), the job's Demand_Method chooses the design
// flow: Hunter's, or the Water Demand Calculator's when it applies (private
// use; otherwise Hunter's, with a message). The other method is sized too,
// for comparison, into the outcome's Methods.
// Fills the job's results and display texts; records the steps in the
// outcome's Trace when record_trace is set. A total, flow or pressure term
// that is not a finite number is no result: the demand side then takes the
// too-many-fixtures path, the pressure chain counts as not evaluated.
Calc_Outcome Calculate(Sizing_Job &job, const Fixture_Table &private_table,
                       const Fixture_Table &public_table, const Flow_Conversion_Table &conversion,
                       const Meter_List &meters, bool sound_on, bool record_trace = false,
                       const Wdc_Table *wdc = nullptr);

// Pressure from the water main to the controlling fixture for the meter in
// Meter_Index, up-sizing at most two times. Appends its messages.
// Records its steps in trace when given. When a term of the chain is not a
// finite number the pressure cannot be evaluated: the job's pressure
// results are cleared, Pressure_Not_Finite is set, the meter is the one it
// started with and the steps of the chain are taken out of the trace.
void Evaluate_Pressure(Sizing_Job &job, const Meter_List &meters, QStringList &messages,
                       QVector<Trace_Step> *trace = nullptr);

extern const QString Too_Many_Fixtures_Message;
extern const QString Meter_Not_Large_Enough_Message;
extern const QString Upsize_Failed_Message;
extern const QString Upsize_Disabled_Message;
extern const QString No_Larger_Meter_Message;
extern const QString Wdc_Not_Applied_Message; // %1: why
