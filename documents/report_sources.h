#pragma once

#include "program_state.h"

#include <QString>

// The engineering report's "Data sources" section: for each of the three
// tables and the meter list, its file and date, the published sources its
// own Source lines name, and its status; an estimated list says which of
// the chosen meter's values are estimates.
QString Data_Sources_Html(const Program_State &state, const QString &heading = QStringLiteral("Data sources"));

// " (estimate)" in the report's words when that value of the meter in row
// index of the list is an estimate; empty otherwise.
QString Estimate_Mark_Html(const Meter_List &meters, int index, Meter_Value value);
