#pragma once

// Shared by the engine's test programs: table and meter list lines in their
// fixed columns, files written for a test, the tables of the worked
// pressure example and the rising-meter-list check.

#include "calculate.h"
#include "meter_list_edit.h"
#include "program_state.h"
#include "tables.h"
#include "test_support.h"
#include "text_codec.h"

#include <QFile>
#include <QTemporaryDir>

#include <array>

// Time bounds in a build with the sanitizers, which read some thirty times slower.
#ifdef QUORVEL_CHECKED_BUILD
constexpr int Slowdown = 40;
#else
constexpr int Slowdown = 1;
#endif

inline QString Pad(const QString &text, int width)
{
    return text.leftJustified(width, u' ', true);
}

// A fixture table record cut at the columns 1-39, 40-79, 80-89, 90-99, 100-109.
inline QString Fixture_Line(const QString &code, const QString &plain, const QString &v3, const QString &v4,
                     const QString &fu)
{
    return Pad(code, 39) + Pad(plain, 40) + Pad(v3, 10) + Pad(v4, 10) + Pad(fu, 10);
}

inline QString Meter_Line(const QString &label, const QString &make, double max_flow, double cont_flow,
                   std::array<double, 6> loss = {10, 2, 20, 5, 40, 12})
{
    QString line = Pad(label, 19) + Pad(make, 20) + Pad(QStringLiteral("Model"), 20) + Pad(QStringLiteral("1"), 10)
                   + Pad(QString::number(max_flow), 10) + Pad(QString::number(cont_flow), 10);
    for (double v : loss)
        line += Pad(QString::number(v), 10);
    return line;
}

inline QString Write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    if (!Write_File(path, bytes))
        qFatal("cannot write test file");
    return path;
}

inline QByteArray Lines(const QStringList &lines)
{
    return Encode_1252(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

// The pressure inputs of the worked example: 60 psi at the main, the meter
// 5 ft above it and the fixture 10 ft above the meter, inside.
inline void Set_Example_Pressure(Sizing_Job &job)
{
    job.Use_Pressure = true;
    job.Pressure_Min_Main = QStringLiteral("60");
    job.Elev_Main_Meter = QStringLiteral("5");
    job.Dia_Service_1 = job.Dia_Service_2 = Loose_Value::Of_Number(1.5);
    job.Len_Main_CB = QStringLiteral("50");
    job.Len_CB_Meter = QStringLiteral("10");
    job.Dia_Plumbing = QStringLiteral("1");
    job.Len_Meter_Fixture = QStringLiteral("60");
    job.Elev_Meter_Fixture = QStringLiteral("10");
    job.Meter_Location = QStringLiteral("Inside");
}

// Tables of the worked pressure example: one fixture of 10 fixture units is
// 20 gpm in the tank column.
struct Example {
    Fixture_Table priv, pub;
    Flow_Conversion_Table conv;
    Meter_List meters;
    Sizing_Job job;

    Example()
    {
        Fixture_Row row;
        row.Plain_Description = QStringLiteral("Ten unit fixture");
        row.Fixture_Units = 10;
        priv.Rows = {row};
        pub.Rows = {row};
        conv.Rows = {{10, 30, 20}, {20, 45, 35}};
        Meter_Entry small{QStringLiteral("Small"), QStringLiteral("MakeA"), QStringLiteral("M1"), 0, 25, 12,
                          {10, 20, 40}, {2, 5, 12}};
        Meter_Entry medium{QStringLiteral("Medium"), QStringLiteral("MakeB"), QStringLiteral("M2"), 0, 50, 25,
                           {10, 20, 40}, {1, 2, 6}};
        Meter_Entry large{QStringLiteral("Large"), QStringLiteral("MakeC"), QStringLiteral("M3"), 0, 100, 50,
                          {10, 20, 40}, {0.5, 1, 3}};
        meters.Entries = {small, medium, large};
        Reset_Job(job, Settings_Fields::Factory(), Reset_Kind::Startup, QDate(2026, 12, 9));
        job.Fixture_Count[0] = QStringLiteral("1");
        Set_Example_Pressure(job);
    }
    // Calculate with the steps recorded.
    Calc_Outcome Run() { return Calculate(job, priv, pub, conv, meters, false, true); }
};

// Why a meter list does not rise, or the empty text (the rule a user's
// list must pass to be saved).
inline QString Rising_Fault(const Meter_List &list)
{
    return Rising_Rule_Problem(list).Reason;
}
