#include "calc_steps.h"

#include <array>

namespace {

struct Input_Description {
    const char *Name;
    const char *Unit;
};

// What each kind of step is, in words. Title and formula have two forms
// where the step's variant changes them (the meter inside the building for
// the pressure chain, the flush tank column for the demand table); a
// second form of nullptr means the first serves both.
struct Step_Description {
    Step_Key Key;
    const char *Name;
    std::array<const char *, 2> Title;   // [variant false, variant true]
    std::array<const char *, 2> Formula; // UTF-8
    std::array<Input_Description, Trace_Most_Inputs> Inputs;
    const char *Unit;
};

constexpr std::array<Step_Description, 18> Descriptions{{
    {Step_Key::Fixture_Row, "fixture_row", {nullptr, nullptr}, {"count \u00b7 fixture units each", nullptr},
     {{{"Row", ""}, {"count", ""}, {"FU each", "FU"}}}, "FU"},
    {Step_Key::Fixture_Units, "fixture_units", {"Fixture units", nullptr},
     {"FU = \u03a3 count \u00b7 fixture units each", nullptr}, {}, "FU"},
    {Step_Key::Demand_Table, "demand_table",
     {"Demand flow read between two points of the table (flushometer column)",
      "Demand flow read between two points of the table (flush tank column)"},
     {"Qt = Q1 + (FU \u2212 FU1) \u00b7 (Q2 \u2212 Q1) / (FU2 \u2212 FU1)", nullptr},
     {{{"FU", "FU"}, {"FU1", "FU"}, {"Q1", "gpm"}, {"FU2", "FU"}, {"Q2", "gpm"}, {"Table row", ""}}}, "gpm"},
    {Step_Key::Design_Flow, "design_flow", {"Design flow", nullptr}, {"Q = Qt + Qirr + QA", nullptr},
     {{{"Qt", "gpm"}, {"Qirr", "gpm"}, {"QA", "gpm"}}}, "gpm"},
    {Step_Key::Meter_Choice, "meter_choice", {"First meter of the list whose rating holds the flow", nullptr},
     {"Q \u2264 rating", nullptr}, {{{"Q", "gpm"}, {"rating", "gpm"}}}, ""},
    {Step_Key::Loss_Service_1, "loss_service_1",
     {"Friction, main to meter (Hazen-Williams)", "Friction, main to curb box (Hazen-Williams)"},
     {"Ls1 = L \u00b7 Q^1.852 / (17076 \u00b7 C^1.852 \u00b7 (D/12)^4.8655) / 2.31", nullptr},
     {{{"Q", "gpm"}, {"L", "ft"}, {"C", ""}, {"D", "in"}}}, "psi"},
    {Step_Key::Loss_Service_2, "loss_service_2",
     {"Friction, meter to building (Hazen-Williams)", "Friction, curb box to meter (Hazen-Williams)"},
     {"Ls2 = L \u00b7 Q^1.852 / (17076 \u00b7 C^1.852 \u00b7 (D/12)^4.8655) / 2.31", nullptr},
     {{{"Q", "gpm"}, {"L", "ft"}, {"C", ""}, {"D", "in"}}}, "psi"},
    {Step_Key::Loss_Meter, "loss_meter", {"Loss through the meter at the design flow", nullptr},
     {"Lm = meter loss curve at Q", nullptr}, {{{"Meter row", ""}, {"Q", "gpm"}}}, "psi"},
    {Step_Key::Pressure_After_Meter, "pressure_after_meter", {"Pressure after the meter", nullptr},
     {"Pa = Pmain \u2212 Lm \u2212 Ls1 \u2212 Hmain/2.31", "Pa = Pmain \u2212 Lm \u2212 Ls1 \u2212 Ls2 \u2212 Hmain/2.31"},
     {{{"Pmain", "psi"}, {"Lm", "psi"}, {"Ls1", "psi"}, {"Ls2", "psi"}, {"Hmain", "ft"}}}, "psi"},
    {Step_Key::A_Value, "a_value", {"Friction per 100 ft of building plumbing (Hazen-Williams)", nullptr},
     {"A = 100 \u00b7 (Q \u2212 Qirr)^1.852 / (17076 \u00b7 C^1.852 \u00b7 (D/12)^4.8655) / 2.31", nullptr},
     {{{"Q", "gpm"}, {"Qirr", "gpm"}, {"C", ""}, {"D", "in"}}}, "psi/100 ft"},
    {Step_Key::Loss_Plumbing, "loss_plumbing", {"Friction, meter to fixture", nullptr},
     {"Lp = A / 100 \u00b7 L \u00b7 F", nullptr}, {{{"A", "psi/100 ft"}, {"L", "ft"}, {"F", ""}}}, "psi"},
    {Step_Key::Pressure_At_Fixture, "pressure_at_fixture", {"Pressure at the controlling fixture", nullptr},
     {"Pf = Pa \u2212 Ls2 \u2212 Lp \u2212 Pt \u2212 Hfix/2.31", "Pf = Pa \u2212 Lp \u2212 Pt \u2212 Hfix/2.31"},
     {{{"Pa", "psi"}, {"Ls2", "psi"}, {"Lp", "psi"}, {"Pt", "psi"}, {"Hfix", "ft"}, {"Preq", "psi"}}}, "psi"},
    {Step_Key::Upsize, "upsize", {"Pressure short of the required: the next meter of the list", nullptr},
     {"Pf < Preq \u2192 meter row + 1", nullptr},
     {{{"Pf", "psi"}, {"Preq", "psi"}, {"Meter row", ""}, {"rating", "gpm"}}}, ""},
    {Step_Key::Wdc_Type, "wdc_type", {"Fixture type: its share of the mean flow", nullptr},
     {"n \u00b7 p \u00b7 q", nullptr}, {{{"Type", ""}, {"n", ""}, {"p", ""}, {"q", "gpm"}}}, "gpm"},
    {Step_Key::Wdc_Uncovered_Row, "wdc_uncovered_row", {"Fixture row without a probability: added at full flow", nullptr},
     {"Qrow = count \u00b7 \u03a3 q", nullptr}, {{{"Row", ""}, {"count", ""}}}, "gpm"},
    {Step_Key::Wdc_Moments, "wdc_moments", {"Expected number of fixtures running", nullptr},
     {"H = \u03a3 n \u00b7 p", nullptr},
     {{{"mu", "gpm"}, {"sigma2", "gpm\u00b2"}, {"P0", ""}, {"Qmax", "gpm"}}}, ""},
    {Step_Key::Wdc_Q99, "wdc_q99", {"99th percentile of the flow while something runs", nullptr},
     {"Q99 = smallest flow with P(flow \u2264 Q99 | flow > 0) \u2265 0.99", nullptr},
     {{{"H", ""}, {"mu", "gpm"}, {"sigma2", "gpm\u00b2"}, {"P0", ""}, {"Qmax", "gpm"}, {"Procedure", ""}}}, "gpm"},
    {Step_Key::Wdc_Design_Flow, "wdc_design_flow", {"Design flow by the Water Demand Calculator", nullptr},
     {"Q = Q99 + Qunc + Qirr + QA", nullptr}, {{{"Q99", "gpm"}, {"Qunc", "gpm"}, {"Qirr", "gpm"}, {"QA", "gpm"}}}, "gpm"},
}};

// The formula of the 99th-percentile step by its procedure (input 6).
const char *Q99_Formula(double procedure)
{
    switch (int(procedure)) {
    case 2:
        return "Q99 = min(Qmax, [mu + (1 + P0) \u00b7 2.32635 \u00b7 \u221a((1 \u2212 P0) \u00b7 sigma2 "
               "\u2212 P0 \u00b7 mu\u00b2)] / (1 \u2212 P0))";
    case 3:
        return "Q99 = mu + 2.32635 \u00b7 \u221asigma2";
    default:
        return nullptr;
    }
}

const Step_Description &Description_Of(Step_Key key)
{
    return Descriptions[std::size_t(key)];
}

constexpr bool Table_In_Key_Order()
{
    for (std::size_t k = 0; k < Descriptions.size(); ++k) {
        if (std::size_t(Descriptions[k].Key) != k)
            return false;
    }
    return true;
}
static_assert(Table_In_Key_Order(), "one description per step kind, in the order of Step_Key");

const char *Form(const std::array<const char *, 2> &forms, bool variant)
{
    return variant && forms[1] ? forms[1] : forms[0];
}

} // namespace

QString Step_Key_Name(Step_Key key)
{
    return QString::fromLatin1(Description_Of(key).Name);
}

Step_Text Describe_Step(const Trace_Step &step, const Sizing_Job &job, const Fixture_Table &table_in_force)
{
    const Step_Description &d = Description_Of(step.Key);
    Step_Text t;
    t.Key = QString::fromLatin1(d.Name);
    if (step.Key == Step_Key::Fixture_Row) {
        const int row = int(step.Inputs[0]);
        if (row >= 1 && row <= table_in_force.Row_Count()) {
            const Fixture_Row &r = table_in_force.Rows[row - 1];
            t.Title = (job.Description_Mode == 1 ? r.Code_Description : r.Plain_Description).trimmed();
        }
    } else {
        t.Title = QString::fromLatin1(Form(d.Title, step.Variant));
    }
    const char *q99 = step.Key == Step_Key::Wdc_Q99 ? Q99_Formula(step.Inputs[5]) : nullptr;
    t.Formula = QString::fromUtf8(q99 ? q99 : Form(d.Formula, step.Variant));
    t.Inputs.reserve(step.Input_Count);
    for (int i = 0; i < step.Input_Count; ++i)
        t.Inputs << Step_Input{QString::fromLatin1(d.Inputs[i].Name), step.Inputs[i], QString::fromLatin1(d.Inputs[i].Unit)};
    t.Result = step.Result;
    t.Unit = QString::fromLatin1(d.Unit);
    t.Evaluation = step.Evaluation;
    return t;
}

QVector<Step_Text> Describe_Trace(const QVector<Trace_Step> &trace, const Sizing_Job &job,
                                  const Fixture_Table &table_in_force)
{
    QVector<Step_Text> out;
    out.reserve(trace.size());
    for (const Trace_Step &step : trace)
        out << Describe_Step(step, job, table_in_force);
    return out;
}
