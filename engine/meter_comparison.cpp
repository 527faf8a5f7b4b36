#include "meter_comparison.h"

Meter_Comparison Compare_Meters(const Sizing_Job &job, const Meter_List &meters)
{
    Meter_Comparison out;
    // The same conditions as Calculate uses, except that a meter was found;
    // empty pipe texts count as zero there too.
    const bool pipes_given = job.C_Service_1.Number() > 0 && job.C_Service_2.Number() > 0
                             && job.Dia_Service_1.Number() > 0 && job.Dia_Service_2.Number() > 0
                             && job.Dia_Plumbing.Number() > 0 && job.C_Plumbing.Number() > 0;
    const bool evaluate = !job.Design_Flow_Oops && job.Use_Pressure && pipes_given;
    const double required = job.Pressure_Fixture.Number();
    for (int k = 1; k <= meters.Count(); ++k) {
        const Meter_Entry *e = meters.Entry(k);
        Meter_Comparison_Row row;
        row.Index = k;
        row.Size_Label = e->Size_Label;
        row.Make = e->Make;
        row.Model = e->Model;
        row.Limit_Gpm = job.Flow_Basis == Flow_Kind::Maximum ? e->Max_Flow : e->Max_Continuous_Flow;
        row.Flow_Ok = !job.Design_Flow_Oops && job.Design_Flow <= row.Limit_Gpm;
        if (evaluate) {
            // One evaluation of the chain with this meter: the engine's own
            // arithmetic, up-sizing switched off.
            Sizing_Job copy = job;
            copy.Meter_Index = k;
            copy.No_Upsize = Loose_Value::Of_Number(1);
            QStringList ignored;
            Evaluate_Pressure(copy, meters, ignored);
            row.Pressure_Evaluated = copy.Pressure_Evaluated; // not when a term is past a double
            row.Loss_Meter = copy.Loss_Meter;
            row.Pressure_After_Meter = copy.Pressure_After_Meter;
            row.Pressure_At_Fixture = copy.Pressure_At_Fixture;
            row.Pressure_Ok = copy.Pressure_Evaluated && !(copy.Pressure_At_Fixture < required);
        }
        const bool passes = row.Flow_Ok && (!evaluate || row.Pressure_Ok);
        if (passes && out.Smallest_Passing == 0)
            out.Smallest_Passing = k;
        out.Rows << row;
    }
    if (out.Smallest_Passing > 0 && out.Smallest_Passing != job.Meter_Index && job.Pressure_Evaluated) {
        if (job.No_Upsize.Number() != 0)
            out.Why_Different = QStringLiteral("up-sizing is turned off");
        else if (job.Upsize_Count > 3)
            out.Why_Different = QStringLiteral("up-sizing stops after two steps");
    }
    return out;
}
