// Calculate on a fuzzed job with fuzzed tables: the input holds a job file,
// "Table-1.dat", "Table-2.dat", "Table-3.dat" and a meter list, separated by
// lines that read "#####". The results then go through everything that
// shows them: the report, the meter comparison and the pressure profile.

#include "calculate.h"
#include "calculate_input.h"
#include "job_file.h"
#include "meter_comparison.h"
#include "pressure_profile.h"
#include "program_state.h"
#include "report.h"

#include <QDate>

#include <algorithm>
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Program_State state;
    fuzz::Load_Calculate_Input(state, fuzz::Bytes(data, size));

    Calc_Outcome outcome = state.Calculate_Job(true);
    const Sizing_Job &job = state.Job;
    if (job.Meter_Index < 0 || job.Meter_Index > state.Meters.Count())
        std::abort();
    // A total or flow that cannot be computed takes the "too many fixtures"
    // path with its message; every number a result holds is a number.
    if (job.Design_Flow_Oops != outcome.Messages.contains(Too_Many_Fixtures_Message))
        std::abort();
    for (const double v : {job.Fixture_Units, job.Design_Flow, job.Loss_Meter, job.Loss_Service_1,
                           job.Loss_Service_2, job.A_Value, job.Loss_Plumbing, job.Pressure_After_Meter,
                           job.Pressure_At_Fixture}) {
        if (!std::isfinite(v))
            std::abort();
    }
    for (const Trace_Step &step : outcome.Trace) {
        if (!std::isfinite(step.Result) || step.Input_Count > Trace_Most_Inputs)
            std::abort();
        for (int i = 0; i < step.Input_Count; ++i) {
            if (!std::isfinite(step.Inputs[i]))
                std::abort();
        }
    }
    // A pressure chain that could not be evaluated leaves none of its steps.
    if (job.Pressure_Not_Finite
        && std::any_of(outcome.Trace.cbegin(), outcome.Trace.cend(), [](const Trace_Step &s) { return s.Evaluation > 0; }))
        std::abort();
    Report_Text(state, &outcome);
    Compare_Meters(job, state.Meters);
    Pressure_Profile(job);
    // A job calculated and saved reads back to the same file.
    const QByteArray written = Job_File_Bytes(state);
    Program_State again = state;
    Apply_Job_File(again, written);
    if (Job_File_Fields(Job_File_Bytes(again)) != Job_File_Fields(written))
        std::abort();
    return 0;
}
