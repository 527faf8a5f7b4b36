// Timing of the sizing engine: one Calculate with pressure evaluation and
// up-sizing, without and with its steps recorded, and the loading of every
// shipped table from the program folder.
#include "calculate.h"
#include "program_state.h"

#include <QCoreApplication>
#include <QDir>

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

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
