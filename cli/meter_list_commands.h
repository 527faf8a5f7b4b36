#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdio>

struct Program_State;

// The meter list import of the command line:
//   Quorvel --import-meter-list FILE.csv -o NAME.mtr [--desc TEXT]
//           [--date MM/DD/YYYY] [--source TEXT]... [--status verified|estimate]
// writes the list where the editor writes a user's list (unless NAME is a
// path): exit 0 written, 2 for a usage error or a list the rules refuse
// (the row and the reason on standard error, and no file).

bool Is_Import_Meter_List_Run(const QStringList &args);
// The usage error of an import run; empty when the arguments are fine.
QString Import_Meter_List_Error(const QStringList &args);
int Run_Import_Meter_List(const QStringList &args, const QString &program_folder, FILE *out, FILE *err);

// "data_sources" of --calc --json: for each of the three tables and the
// meter list, its file, date, sources and status.
QJsonObject Data_Sources_Json(const Program_State &state);
