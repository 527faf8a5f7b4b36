#pragma once

// The input of the Calculate harness, also replayed by the engine tests:
// a job file, Table-1.dat, Table-2.dat, Table-3.dat and a meter list,
// separated by lines that read "#####", loaded as the program loads them.

#include "fuzz_common.h"
#include "job_file.h"
#include "program_state.h"

#include <QDate>

namespace fuzz {

inline void Load_Calculate_Input(Program_State &state, const QByteArray &bytes)
{
    const QList<QByteArray> parts = Split_Parts(bytes, 5);
    Put_File(QStringLiteral("Table-1.dat"), parts[1]);
    Put_File(QStringLiteral("Table-2.dat"), parts[2]);
    Put_File(QStringLiteral("Table-3.dat"), parts[3]);
    Put_File(QStringLiteral("Fuzz.mtr"), parts[4]);
    state.Settings = Settings_Fields::Factory();
    state.Settings.Set_Meter_Table = QStringLiteral("Fuzz.mtr");
    Set_Program_Paths(state, Scratch_Folder());
    Reset_Job(state.Job, state.Settings, Reset_Kind::Startup, QDate(2024, 5, 17));
    Load_Tables(state);
    Apply_Job_File(state, parts[0]);
}

} // namespace fuzz
