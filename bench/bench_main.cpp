// Timing of the sizing engine: one Calculate with pressure evaluation and
// up-sizing, without and with its steps recorded, a house by one and by
// both demand methods, the Water Demand Calculator's exact procedure at its
// largest and on 1,000 dwellings, and the loading of every shipped table
// from the program folder.
#include "calculate.h"
#include "program_state.h"

#include <QCoreApplication>
#include <QDir>

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sys/resource.h>

#ifdef QUORVEL_BENCH_COMMAND_LINE
#include "command_line.h"
#endif

namespace {

QString Program_Folder()
{
    return QCoreApplication::applicationDirPath();
}

Program_State Loaded_State()
{
    Program_State state;
    Set_Program_Paths(state, Program_Folder());
    state.Settings = Settings_Fields::Factory();
    Load_Tables(state);
    Reset_Job(state.Job, state.Settings, Reset_Kind::Startup, QDate(2026, 12, 9));
    return state;
}

// The pressure details every benchmark job uses: a check that up-sizes.
void Set_Bench_Pressure(Sizing_Job &job)
{
    job.Use_Pressure = true;
    job.Pressure_Min_Main = QStringLiteral("55");
    job.Elev_Main_Meter = QStringLiteral("3");
    job.Dia_Service_1 = job.Dia_Service_2 = QStringLiteral("0.995");
    job.Len_Main_CB = QStringLiteral("40");
    job.Len_CB_Meter = QStringLiteral("15");
    job.Dia_Plumbing = QStringLiteral("1.055");
    job.Len_Meter_Fixture = QStringLiteral("120");
    job.Elev_Meter_Fixture = QStringLiteral("25");
    job.Pressure_Fixture = QStringLiteral("25");
}

void Calculate_Pressure_Job(benchmark::State &bench, bool record_trace)
{
    Program_State state = Loaded_State();
    if (state.Meters.Count() < 3 || state.Table2.Row_Count() == 0) {
        bench.SkipWithError("shipped tables not found beside the benchmark");
        return;
    }
    Sizing_Job &job = state.Job;
    job.Use_Type = Use_Kind::Public;
    state.Refresh_Grid();
    for (int r = 0; r < 6; ++r)
        job.Fixture_Count[r] = QStringLiteral("2");
    Set_Bench_Pressure(job);
    int upsized = 0;
    qsizetype steps = 0;
    for (auto _ : bench) {
        Calc_Outcome out = state.Calculate_Job(record_trace);
        benchmark::DoNotOptimize(out);
        upsized = job.Upsize_Count;
        steps = out.Trace.size();
    }
    bench.counters["upsize_count"] = upsized;
    bench.counters["steps"] = double(steps);
}

// As the command line's --calc and --report calculate: no steps recorded.
void Calculate_With_Pressure(benchmark::State &bench)
{
    Calculate_Pressure_Job(bench, false);
}
BENCHMARK(Calculate_With_Pressure);

// As the Calculation Details window, --pdf and --json calculate.
void Calculate_With_Pressure_And_Trace(benchmark::State &bench)
{
    Calculate_Pressure_Job(bench, true);
}
BENCHMARK(Calculate_With_Pressure_And_Trace);

// A private job of the shipped tables: per dwelling 2 bathroom groups, a
// tank toilet, a lavatory, a kitchen sink and a clothes washer (2 tub/
// showers, 3 lavatories, 3 toilets, a sink, a washer), with the pressure
// details of the job above.
Program_State House_State(int dwellings)
{
    Program_State state = Loaded_State();
    Sizing_Job &job = state.Job;
    job.Use_Type = Use_Kind::Private;
    state.Refresh_Grid();
    const std::pair<const char *, int> rows[] = {{"Bathroom group - flush tank", 2}, {"Water closet - flush tank", 1},
                                                 {"Lavatory - faucet", 1}, {"Kitchen sink - faucet", 1},
                                                 {"Washing machine (8 lb) - automatic", 1}};
    for (int r = 0; r < state.Table1.Row_Count(); ++r)
        for (const auto &[code, each] : rows)
            if (state.Table1.Rows[r].Code_Description.trimmed() == QLatin1String(code))
                job.Fixture_Count[r] = QString::number(each * dwellings);
    Set_Bench_Pressure(job);
    return state;
}

// Calculate of a one-dwelling house: Hunter's method alone (no demand data,
// as before the second method), then both methods side by side (the
// program's Calculate). The second should stay within twice the first.
void Calculate_House(benchmark::State &bench, bool both)
{
    Program_State state = House_State(1);
    if (state.Demand_Data.Empty()) {
        bench.SkipWithError("shipped demand data not found beside the benchmark");
        return;
    }
    for (auto _ : bench) {
        Calc_Outcome out = Calculate(state.Job, state.Table1, state.Table2, state.Table3, state.Meters, false, false,
                                     both ? &state.Demand_Data : nullptr);
        benchmark::DoNotOptimize(out);
    }
    bench.counters["design_gpm"] = state.Job.Design_Flow;
}
void Calculate_House_Hunter_Only(benchmark::State &bench)
{
    Calculate_House(bench, false);
}
BENCHMARK(Calculate_House_Hunter_Only);
void Calculate_House_Both_Methods(benchmark::State &bench)
{
    Calculate_House(bench, true);
}
BENCHMARK(Calculate_House_Both_Methods);

// The exact procedure on the largest job it meets: H just under its limit
// with the most fixtures the shipped probabilities allow (all of the type
// with the smallest p), and a mixed job of the same H on a finer grid.
void Wdc_Exact_Largest(benchmark::State &bench)
{
    const Wdc_Table data = Loaded_State().Demand_Data;
    if (data.Empty()) {
        bench.SkipWithError("shipped demand data not found beside the benchmark");
        return;
    }
    const auto smallest = std::min_element(data.Types.cbegin(), data.Types.cend(), [](const auto &a, const auto &b) {
        return (a.Has_Probability ? a.P : 2.0) < (b.Has_Probability ? b.P : 2.0);
    });
    double most = std::ceil(Wdc_Exact_Below / smallest->P);
    while (most * smallest->P >= Wdc_Exact_Below)
        --most;
    QVector<Wdc_Term> terms{{most, smallest->P, smallest->Q}};
    if (bench.range(0) == 1) { // four houses (H 1.1) and dishwashers up to H 1.245
        const Program_State house = House_State(4);
        terms = {{29, smallest->P, smallest->Q}};
        for (const Wdc_Type_Count &t : Wdc_Job_Demand(house.Job, house.Table1, data).Types)
            terms.append({t.Count, data.Types[t.Type].P, data.Types[t.Type].Q});
    }
    Wdc_Statistics s;
    for (auto _ : bench) {
        s = Wdc_Peak_Flow(terms);
        benchmark::DoNotOptimize(s);
    }
    double fixtures = 0;
    for (const Wdc_Term &t : terms)
        fixtures += t.Count;
    bench.counters["fixtures"] = fixtures;
    bench.counters["H"] = s.H;
    bench.counters["exact"] = s.Procedure == Wdc_Procedure::Exact;
    bench.counters["q99_gpm"] = s.Q99;
}
BENCHMARK(Wdc_Exact_Largest)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The method on a 1,000-dwelling job of the house above: the rows mapped to
// fixture types, the statistics and the 99th percentile.
void Wdc_Thousand_Dwellings(benchmark::State &bench)
{
    const Program_State state = House_State(1000);
    Wdc_Demand d;
    for (auto _ : bench) {
        d = Wdc_Job_Demand(state.Job, state.Table1, state.Demand_Data);
        benchmark::DoNotOptimize(d);
    }
    bench.counters["H"] = d.Stats.H;
    bench.counters["design_gpm"] = d.Design_Flow;
}
BENCHMARK(Wdc_Thousand_Dwellings)->Unit(benchmark::kMicrosecond);

void Load_All_Shipped_Tables(benchmark::State &bench)
{
    Program_State state;
    Set_Program_Paths(state, Program_Folder());
    state.Settings = Settings_Fields::Factory();
    for (auto _ : bench) {
        Load_Tables(state);
        benchmark::DoNotOptimize(state.Meters.Count());
    }
    bench.counters["meters"] = state.Meters.Count();
}
BENCHMARK(Load_All_Shipped_Tables)->Unit(benchmark::kMicrosecond);

#ifdef QUORVEL_BENCH_COMMAND_LINE
long Max_Resident_Kilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// "Quorvel --calc" over many job files in one call: copies of the sample
// job, output to /dev/null. Reports the peak resident memory after the run;
// comparing 1,000 with 10,000 jobs shows whether memory grows with the jobs.
void Command_Line_Calc(benchmark::State &bench)
{
    const QString sample = Program_Folder() + QStringLiteral("/Sample.qvl");
    QFile source(sample);
    if (!source.open(QIODevice::ReadOnly)) {
        bench.SkipWithError("no Sample.qvl beside the benchmark");
        return;
    }
    const QByteArray bytes = source.readAll();
    QTemporaryDir dir;
    QStringList args{QStringLiteral("--calc")};
    const int jobs = int(bench.range(0));
    for (int i = 0; i < jobs; ++i) {
        const QString path = dir.filePath(QStringLiteral("job-%1.qvl").arg(i));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        args << path;
    }
    FILE *sink = std::fopen("/dev/null", "w");
    for (auto _ : bench)
        benchmark::DoNotOptimize(Run_Command_Line(args, Program_Folder(), sink, sink, dir.filePath("none.ini")));
    std::fclose(sink);
    bench.counters["jobs"] = jobs;
    bench.counters["max_rss_kB"] = double(Max_Resident_Kilobytes());
}
BENCHMARK(Command_Line_Calc)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);
#endif

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
