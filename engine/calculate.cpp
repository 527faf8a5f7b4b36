#include "calculate.h"

#include "leading_number.h"
#include "number_format.h"

#include <algorithm>
#include <cmath>

const QString Too_Many_Fixtures_Message = QStringLiteral("Sorry, too many fixtures to calculate!");
const QString Meter_Not_Large_Enough_Message = QStringLiteral("Sorry, a meter is not large enough!");
const QString Upsize_Failed_Message = QStringLiteral(
    "Up sizing meter two times failed to achieve required pressure at controlling fixture.");
const QString Upsize_Disabled_Message = QStringLiteral(
    "Available pressure does not meet required pressure for controlling fixture and up sizing meter is disabled.");
const QString No_Larger_Meter_Message = QStringLiteral(
    "Available pressure does not meet required pressure for controlling fixture, and the meter list "
    "holds no larger meter to up size to. Choose a meter list with larger meters or check the pressure details.");
const QString Wdc_Not_Applied_Message = QStringLiteral(
    "The Water Demand Calculator method gives no value for this job: %1 The job was sized by Hunter's method.");

namespace {

constexpr double Flow_Exponent = 1.852;
constexpr double Diameter_Exponent = 4.8655;
constexpr double Inches_Per_Foot = 12;
constexpr double Friction_Coefficient = 17076;
constexpr double Feet_Per_Psi = 2.31;
constexpr double A_Value_Length = 100;
constexpr int Most_Evaluations = 3;

const QString Upsized_Suffix = QStringLiteral(" [Upsized]");
const QString Fail_Suffix = QStringLiteral(" [Fail]");

// Appends a step to the trace when one is recorded.
void Record(QVector<Trace_Step> *trace, Step_Key key, bool variant, int evaluation,
            std::initializer_list<double> inputs, double result)
{
    if (!trace)
        return;
    Trace_Step step;
    step.Key = key;
    step.Variant = variant;
    step.Evaluation = std::uint8_t(evaluation);
    step.Input_Count = std::uint8_t(std::min<std::size_t>(inputs.size(), Trace_Most_Inputs));
    std::copy_n(inputs.begin(), step.Input_Count, step.Inputs.begin());
    step.Result = result;
    trace->append(step);
}

bool All_Finite(std::initializer_list<double> values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

double Meter_Limit(const Sizing_Job &job, const Meter_Entry &meter)
{
    return job.Flow_Basis == Flow_Kind::Maximum ? meter.Max_Flow : meter.Max_Continuous_Flow;
}

// The pressure chain needs every pipe's diameter and C factor.
bool Pressure_Inputs_Given(const Sizing_Job &job)
{
    return job.Use_Pressure && job.C_Service_1.Number() > 0 && job.C_Service_2.Number() > 0
           && job.Dia_Service_1.Number() > 0 && job.Dia_Service_2.Number() > 0 && job.Dia_Plumbing.Number() > 0
           && job.C_Plumbing.Number() > 0;
}

// The method that did not size the job, sized on a copy of it with its
// own design flow: meter choice, pressure evaluation and up-sizing as for
// the job.
Method_Sizing Size_With_Flow(const Sizing_Job &job, bool flow_found, double flow, const Meter_List &meters)
{
    Method_Sizing m;
    m.Applies = true;
    m.Flow_Oops = !flow_found;
    m.Design_Flow = flow_found ? flow : 0;
    m.Meter_Size_Text = Oops_Marker;
    if (!flow_found)
        return m;
    Sizing_Job other = job;
    other.Design_Flow = flow;
    other.Meter_Index = 0;
    for (int k = 1; k <= meters.Count(); ++k) {
        if (flow <= Meter_Limit(job, *meters.Entry(k))) {
            other.Meter_Index = k;
            other.Meter_Label = meters.Entry(k)->Size_Label;
            break;
        }
    }
    if (other.Meter_Index == 0)
        return m;
    if (Pressure_Inputs_Given(other)) {
        QStringList ignored;
        Evaluate_Pressure(other, meters, ignored);
    }
    m.Meter_Index = other.Meter_Index;
    m.Meter_Size_Text = other.Meter_Label + u' ' + meters.Entry(other.Meter_Index)->Make;
    m.Pressure_Evaluated = other.Pressure_Evaluated;
    m.Pressure_At_Fixture = other.Pressure_At_Fixture;
    return m;
}

// The job's own result as a method's.
Method_Sizing Sized_Job(const Sizing_Job &job)
{
    Method_Sizing m;
    m.Applies = true;
    m.Flow_Oops = job.Design_Flow_Oops;
    m.Design_Flow = job.Design_Flow;
    m.Meter_Index = job.Meter_Index;
    m.Meter_Size_Text = job.Meter_Size_Text;
    m.Pressure_Evaluated = job.Pressure_Evaluated;
    m.Pressure_At_Fixture = job.Pressure_At_Fixture;
    return m;
}

void Record_Wdc_Steps(QVector<Trace_Step> *trace, const Wdc_Demand &d, const Wdc_Table &wdc)
{
    for (const Wdc_Type_Count &t : d.Types) {
        const Wdc_Fixture_Type &type = wdc.Types[t.Type];
        Record(trace, Step_Key::Wdc_Type, false, 0, {double(t.Type + 1), t.Count, type.P, type.Q},
               t.Count * type.P * type.Q);
    }
    for (const Wdc_Uncovered_Row &u : d.Uncovered)
        Record(trace, Step_Key::Wdc_Uncovered_Row, false, 0, {double(u.Row), u.Count}, u.Flow);
    const Wdc_Statistics &s = d.Stats;
    Record(trace, Step_Key::Wdc_Moments, false, 0, {s.Mean, s.Variance, s.P0, s.Most_Flow}, s.H);
    Record(trace, Step_Key::Wdc_Q99, false, 0, {s.H, s.Mean, s.Variance, s.P0, s.Most_Flow, double(s.Procedure)},
           s.Q99);
    Record(trace, Step_Key::Wdc_Design_Flow, false, 0, {s.Q99, d.Uncovered_Flow, d.Irrigation_Flow, d.Note_A_Flow},
           d.Design_Flow);
}

} // namespace

const Fixture_Table &Table_In_Force(const Sizing_Job &job, const Fixture_Table &private_table,
                                    const Fixture_Table &public_table)
{
    return job.Use_Type == Use_Kind::Private ? private_table : public_table;
}

Grid_View Refresh_Fixture_Grid(Sizing_Job &job, const Fixture_Table &private_table,
                               const Fixture_Table &public_table)
{
    Grid_View view;
    const Fixture_Table &table = Table_In_Force(job, private_table, public_table);
    const int rows = std::min(table.Row_Count(), Grid_Rows);
    const int public_rows = std::min(public_table.Row_Count(), Grid_Rows);
    for (int r = 0; r < Grid_Rows; ++r) {
        const bool in_table = r < rows;
        view.Enabled[r] = in_table;
        view.Button_Face[r] = !in_table;
        if (in_table) {
            const Fixture_Row &row = table.Rows[r];
            view.Labels[r] = job.Description_Mode == 1 ? row.Code_Description : row.Plain_Description;
        }
    }
    if (job.Use_Type == Use_Kind::Private) {
        for (int r = 0; r < public_rows; ++r) {
            if (job.Fixture_Count[r] == Note_A_Marker)
                job.Fixture_Count[r] = job.Saved_Count_Text[r];
        }
    } else {
        for (int r = 0; r < public_rows; ++r) {
            if (!public_table.Rows[r].Note_A)
                continue;
            job.Saved_Count_Text[r] = job.Fixture_Count[r];
            job.Fixture_Count[r] = Note_A_Marker;
            view.Enabled[r] = false;
        }
    }
    view.Note_Exists = !job.Note.isEmpty();
    return view;
}

double Total_Fixture_Units(const Sizing_Job &job, const Fixture_Table &table)
{
    const int rows = std::min(table.Row_Count(), Grid_Rows);
    double total = 0;
    for (int r = 0; r < rows; ++r) {
        if (table.Rows[r].Fixture_Units != 0)
            total += Leading_Number(job.Fixture_Count[r]) * table.Rows[r].Fixture_Units;
    }
    return total;
}

Demand_Lookup Demand_Table_Flow(double fixture_units, Flush_Kind flush, const Flow_Conversion_Table &table)
{
    const int n = table.Row_Count();
    const auto column = [&](int k) {
        if (k == 0)
            return 0.0;
        const Flow_Conversion_Point &p = table.Rows[k - 1];
        return flush == Flush_Kind::Tank ? p.Tank_Flow : p.Quick_Flush_Flow;
    };
    const auto units = [&](int k) { return k == 0 ? 0.0 : table.Rows[k - 1].Fixture_Units; };

    Demand_Lookup d;
    if (fixture_units > units(n))
        return d;
    d.Within = true;
    for (int k = 1; k <= n; ++k) {
        if (fixture_units <= units(k)) {
            d.Row = k;
            d.Units_Low = units(k - 1);
            d.Flow_Low = column(k - 1);
            d.Units_High = units(k);
            d.Flow_High = column(k);
            const double span = d.Units_High - d.Units_Low;
            // Two points at the same fixture units: take the upper point's flow.
            d.Table_Flow = span == 0 ? d.Flow_High
                                     : d.Flow_Low + (fixture_units - d.Units_Low) * (d.Flow_High - d.Flow_Low) / span;
            break;
        }
    }
    return d;
}

bool Design_Flow_Of(double fixture_units, Flush_Kind flush, const Flow_Conversion_Table &table,
                    const QString &irrigation_flow, const QString &note_a_flow, double &flow)
{
    const Demand_Lookup d = Demand_Table_Flow(fixture_units, flush, table);
    if (!d.Within)
        return false;
    // An interpolation or a sum past the largest double is no flow either.
    const double sum = d.Table_Flow + Leading_Number(irrigation_flow) + Leading_Number(note_a_flow);
    if (!std::isfinite(d.Table_Flow) || !std::isfinite(sum))
        return false;
    flow = sum;
    return true;
}

double Hazen_Williams_Loss(double flow, double length, double c_factor, double diameter)
{
    if (flow <= 0 || c_factor <= 0 || diameter <= 0)
        return 0;
    return std::pow(flow, Flow_Exponent) * length
           / (std::pow(c_factor, Flow_Exponent) * Friction_Coefficient
              * std::pow(diameter / Inches_Per_Foot, Diameter_Exponent))
           / Feet_Per_Psi;
}

double Meter_Loss(const Meter_Entry &meter, double flow)
{
    if (flow <= 0)
        return 0;
    // The curve from 0 gpm / 0 psi through the loss points; a point at 0 gpm
    // or below adds nothing.
    double q0 = 0, h0 = 0;     // start of the current segment
    double q_prev = 0, h_prev = 0, q_last = 0, h_last = 0;
    bool any = false;
    for (int p = 0; p < 3; ++p) {
        const double q = meter.Loss_Point_Flow[p];
        const double h = meter.Loss_Point_Loss[p];
        if (q <= 0)
            continue;
        if (flow <= q) {
            if (q == q0)
                return h;
            return h0 + (flow - q0) * (h - h0) / (q - q0);
        }
        q_prev = q0;
        h_prev = h0;
        q0 = q_last = q;
        h0 = h_last = h;
        any = true;
    }
    if (!any)
        return 0;
    // Beyond the last point: the last segment goes on in a straight line.
    if (q_last == q_prev)
        return h_last;
    return h_last + (flow - q_last) * (h_last - h_prev) / (q_last - q_prev);
}

int Meter_Font_Points(const QString &meter_text)
{
    const qsizetype n = meter_text.size();
    return n <= 15 ? 12 : n <= 27 ? 11 : 10;
}

void Evaluate_Pressure(Sizing_Job &job, const Meter_List &meters, QStringList &messages,
                       QVector<Trace_Step> *trace)
{
    const double d = job.Design_Flow;
    const double irrigation = Leading_Number(job.Irrigation_Flow);
    const bool inside = job.Meter_Inside();
    const double required = job.Pressure_Fixture.Number();
    const bool no_upsize = job.No_Upsize.Number() != 0;
    const int first_meter = job.Meter_Index;
    const QString first_label = job.Meter_Label;
    const qsizetype first_step = trace ? trace->size() : 0;

    job.Upsize_Count = 1;
    job.Pressure_Evaluated = true;
    job.Pressure_Not_Finite = false;
    job.No_Larger_Meter = false;
    for (;;) {
        const Meter_Entry *meter = meters.Entry(job.Meter_Index);
        job.Loss_Meter = meter ? Meter_Loss(*meter, d) : 0;
        job.Loss_Service_1 = Hazen_Williams_Loss(d, job.Len_Main_CB.Number(), job.C_Service_1.Number(),
                                                 job.Dia_Service_1.Number());
        job.Loss_Service_2 = Hazen_Williams_Loss(d, job.Len_CB_Meter.Number(), job.C_Service_2.Number(),
                                                 job.Dia_Service_2.Number());
        const double main_to_meter = job.Elev_Main_Meter.Number() / Feet_Per_Psi;
        job.Pressure_After_Meter = job.Pressure_Min_Main.Number() - job.Loss_Meter - job.Loss_Service_1
                                   - (inside ? job.Loss_Service_2 : 0) - main_to_meter;
        // Irrigation does not run through the building plumbing; the Note A flow does.
        job.A_Value = A_Value_Length * Hazen_Williams_Loss(d - irrigation, 1.0, job.C_Plumbing.Number(),
                                                           job.Dia_Plumbing.Number());
        job.Loss_Plumbing = job.A_Value / A_Value_Length * job.Len_Meter_Fixture.Number() * job.Len_Factor.Number();
        job.Pressure_At_Fixture = job.Pressure_After_Meter - (inside ? 0 : job.Loss_Service_2) - job.Loss_Plumbing
                                  - job.Pressure_Treatment.Number() - job.Elev_Meter_Fixture.Number() / Feet_Per_Psi;
        if (!All_Finite({job.Loss_Meter, job.Loss_Service_1, job.Loss_Service_2, job.Pressure_After_Meter,
                         job.A_Value, job.Loss_Plumbing, job.Pressure_At_Fixture})) {
            // A term past the largest double: the pressure cannot be evaluated,
            // as when its details are missing; the meter stays the first choice.
            job.Meter_Index = first_meter;
            job.Meter_Label = first_label;
            job.Loss_Meter = job.Loss_Service_1 = job.Loss_Service_2 = 0;
            job.Pressure_After_Meter = job.A_Value = job.Loss_Plumbing = job.Pressure_At_Fixture = 0;
            job.Upsize_Count = 0;
            job.Pressure_Evaluated = false;
            job.Pressure_Not_Finite = true;
            job.Pressure_Failed = false;
            job.No_Larger_Meter = false;
            job.Pressure_Color = 0;
            job.Pressure_Fixture_Text = QStringLiteral("n/a");
            if (trace)
                trace->resize(first_step);
            return;
        }
        job.Pressure_Fixture_Text = Format_Number(job.Pressure_At_Fixture, Number_Pattern::Fixed_1) + QStringLiteral(" psi");
        job.Pressure_Color = 0;
        job.Pressure_Failed = false;

        if (trace) {
            const int ev = job.Upsize_Count;
            const auto service_1 = [&] {
                Record(trace, Step_Key::Loss_Service_1, inside, ev,
                       {d, job.Len_Main_CB.Number(), job.C_Service_1.Number(), job.Dia_Service_1.Number()},
                       job.Loss_Service_1);
            };
            // In the order the water passes: an inside meter stands after both
            // service stretches, an outside one between them.
            const auto service_2 = [&] {
                Record(trace, Step_Key::Loss_Service_2, inside, ev,
                       {d, job.Len_CB_Meter.Number(), job.C_Service_2.Number(), job.Dia_Service_2.Number()},
                       job.Loss_Service_2);
            };
            service_1();
            if (inside)
                service_2();
            Record(trace, Step_Key::Loss_Meter, inside, ev, {double(job.Meter_Index), d}, job.Loss_Meter);
            Record(trace, Step_Key::Pressure_After_Meter, inside, ev,
                   {job.Pressure_Min_Main.Number(), job.Loss_Meter, job.Loss_Service_1,
                    inside ? job.Loss_Service_2 : 0, job.Elev_Main_Meter.Number()},
                   job.Pressure_After_Meter);
            if (!inside)
                service_2();
            Record(trace, Step_Key::A_Value, inside, ev,
                   {d, irrigation, job.C_Plumbing.Number(), job.Dia_Plumbing.Number()}, job.A_Value);
            Record(trace, Step_Key::Loss_Plumbing, inside, ev,
                   {job.A_Value, job.Len_Meter_Fixture.Number(), job.Len_Factor.Number()}, job.Loss_Plumbing);
            Record(trace, Step_Key::Pressure_At_Fixture, inside, ev,
                   {job.Pressure_After_Meter, inside ? 0 : job.Loss_Service_2, job.Loss_Plumbing,
                    job.Pressure_Treatment.Number(), job.Elev_Meter_Fixture.Number(), required},
                   job.Pressure_At_Fixture);
        }

        if (!(job.Pressure_At_Fixture < required))
            return;
        if (no_upsize) {
            job.Pressure_Color = 255;
            messages << Upsize_Disabled_Message;
            job.Meter_Label += Fail_Suffix;
            job.Pressure_Failed = true;
            return;
        }
        if (job.Upsize_Count >= Most_Evaluations) {
            // The third evaluation fell short: the result stays on the last meter evaluated.
            job.Upsize_Count = Most_Evaluations + 1;
            job.Pressure_Color = 255;
            messages << Upsize_Failed_Message;
            job.Meter_Label = (meter ? meter->Size_Label : QString()) + Fail_Suffix;
            job.Pressure_Failed = true;
            return;
        }
        if (job.Meter_Index + 1 > meters.Count()) {
            // No larger meter in the list: the result stays on this meter.
            job.Pressure_Color = 255;
            messages << No_Larger_Meter_Message;
            job.Meter_Label = (meter ? meter->Size_Label : QString()) + Fail_Suffix;
            job.Pressure_Failed = true;
            job.No_Larger_Meter = true;
            return;
        }
        if (trace) {
            const Meter_Entry *next = meters.Entry(job.Meter_Index + 1);
            Record(trace, Step_Key::Upsize, inside, job.Upsize_Count,
                   {job.Pressure_At_Fixture, required, double(job.Meter_Index),
                    job.Flow_Basis == Flow_Kind::Maximum ? next->Max_Flow : next->Max_Continuous_Flow},
                   double(job.Meter_Index + 1));
        }
        ++job.Upsize_Count;
        ++job.Meter_Index;
        job.Meter_Label = meters.Entry(job.Meter_Index)->Size_Label + Upsized_Suffix;
    }
}

Calc_Outcome Calculate(Sizing_Job &job, const Fixture_Table &private_table, const Fixture_Table &public_table,
                       const Flow_Conversion_Table &conversion, const Meter_List &meters, bool sound_on,
                       bool record_trace, const Wdc_Table *wdc)
{
    Calc_Outcome out;
    QVector<Trace_Step> *trace = record_trace ? &out.Trace : nullptr;
    if (trace)
        trace->reserve(48);
    Clear_Results(job);

    // A total past the largest double (huge counts) is not a result: it
    // shows the marker and takes the too-many-fixtures path.
    const Fixture_Table &table = Table_In_Force(job, private_table, public_table);
    const double units = Total_Fixture_Units(job, table);
    const bool units_finite = std::isfinite(units);
    job.Fixture_Units = units_finite ? units : 0.0;
    job.Fixture_Units_Text = units_finite ? Format_Number(job.Fixture_Units, Number_Pattern::Optional_1) : Oops_Marker;

    // Each fixture row that counts toward the total, then the total.
    if (trace) {
        const int rows = std::min(table.Row_Count(), Grid_Rows);
        for (int r = 0; r < rows; ++r) {
            const double each = table.Rows[r].Fixture_Units;
            const double count = Leading_Number(job.Fixture_Count[r]);
            if (each == 0 || count == 0)
                continue;
            if (!std::isfinite(count * each))
                break; // the total overflows here: the trace stops at the last row it can show
            Record(trace, Step_Key::Fixture_Row, false, 0, {double(r + 1), count, each}, count * each);
        }
        if (units_finite)
            Record(trace, Step_Key::Fixture_Units, false, 0, {}, job.Fixture_Units);
    }

    double hunter_flow = 0;
    const bool hunter_found =
        units_finite
        && Design_Flow_Of(job.Fixture_Units, job.Flush_Type, conversion, job.Irrigation_Flow, job.NoteA_Flow, hunter_flow);
    Wdc_Demand wdc_demand;
    if (wdc)
        wdc_demand = Wdc_Job_Demand(job, private_table, *wdc);
    job.Sized_By_Wdc = job.Demand_Method == Demand_Kind::Wdc && wdc_demand.Applies;
    if (wdc && job.Demand_Method == Demand_Kind::Wdc && !job.Sized_By_Wdc)
        out.Messages << Wdc_Not_Applied_Message.arg(wdc_demand.Why_Not);
    const double flow = job.Sized_By_Wdc ? wdc_demand.Design_Flow : hunter_flow;
    if (job.Sized_By_Wdc || hunter_found) {
        job.Design_Flow = flow;
        job.Design_Flow_Text = Format_Number(flow, Number_Pattern::Optional_1) + QStringLiteral(" gpm");
    } else {
        job.Design_Flow_Oops = true;
        job.Design_Flow_Text = Oops_Marker + QStringLiteral(" gpm");
        out.Messages << Too_Many_Fixtures_Message;
    }

    // The first meter whose limit is not exceeded; limits equal to the flow pass.
    const int n = meters.Count();
    const auto limit = [&](int k) { return Meter_Limit(job, *meters.Entry(k)); };
    job.Meter_Index = 0;
    if (!job.Design_Flow_Oops && n > 0 && job.Design_Flow <= limit(n)) {
        for (int k = 1; k <= n; ++k) {
            if (job.Design_Flow <= limit(k)) {
                job.Meter_Index = k;
                job.Meter_Label = meters.Entry(k)->Size_Label;
                break;
            }
        }
    }
    if (trace && hunter_found) {
        const Demand_Lookup lookup = Demand_Table_Flow(job.Fixture_Units, job.Flush_Type, conversion);
        Record(trace, Step_Key::Demand_Table, job.Flush_Type == Flush_Kind::Tank, 0,
               {job.Fixture_Units, lookup.Units_Low, lookup.Flow_Low, lookup.Units_High, lookup.Flow_High,
                double(lookup.Row)},
               lookup.Table_Flow);
        Record(trace, Step_Key::Design_Flow, false, 0,
               {lookup.Table_Flow, Leading_Number(job.Irrigation_Flow), Leading_Number(job.NoteA_Flow)},
               hunter_flow);
    }
    if (trace && wdc_demand.Applies)
        Record_Wdc_Steps(trace, wdc_demand, *wdc);
    if (trace && job.Meter_Index > 0)
        Record(trace, Step_Key::Meter_Choice, false, 0, {job.Design_Flow, limit(job.Meter_Index)},
               double(job.Meter_Index));
    const bool meter_found = job.Meter_Index > 0;
    if (!meter_found) {
        job.Meter_Label = Oops_Marker;
        out.Messages << Meter_Not_Large_Enough_Message;
    }

    for (Loose_Value *v : {&job.Dia_Service_1, &job.Dia_Service_2, &job.C_Service_1, &job.C_Service_2}) {
        if (v->Is_Empty_Text())
            *v = Loose_Value::Of_Number(0);
    }

    const bool evaluate = meter_found && Pressure_Inputs_Given(job);
    if (evaluate) {
        Evaluate_Pressure(job, meters, out.Messages, trace);
    } else {
        job.Pressure_Fixture_Text = QStringLiteral("n/a");
        job.Pressure_Color = 0;
    }

    if (meter_found) {
        const Meter_Entry *chosen = meters.Entry(job.Meter_Index);
        job.Meter_Size_Text = job.Meter_Label + u' ' + (chosen ? chosen->Make : QString());
    } else {
        job.Meter_Size_Text = Oops_Marker;
    }
    out.Meter_Font_Points = Meter_Font_Points(job.Meter_Size_Text);
    out.Play_Sound = sound_on;

    if (job.Pressure_Evaluated && !job.Pressure_Failed && job.Upsize_Count > 1) {
        const int steps = job.Upsize_Count - 1;
        out.Messages << QStringLiteral("Meter up sized ") + QString::number(steps)
                            + (steps == 1 ? QStringLiteral(" meter size to meet pressure requirements.")
                                          : QStringLiteral(" meter sizes to meet pressure requirements."));
    }

    if (wdc) {
        Demand_Methods &m = out.Methods;
        m.Wdc_Detail = wdc_demand;
        if (job.Sized_By_Wdc) {
            m.Wdc = Sized_Job(job);
            m.Hunter = Size_With_Flow(job, hunter_found, hunter_flow, meters);
        } else {
            m.Hunter = Sized_Job(job);
            if (wdc_demand.Applies)
                m.Wdc = Size_With_Flow(job, true, wdc_demand.Design_Flow, meters);
        }
        m.Wdc.Applies = wdc_demand.Applies;
        m.Wdc.Why_Not = wdc_demand.Why_Not;
    }
    return out;
}
