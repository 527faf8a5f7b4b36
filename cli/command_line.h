#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>

struct Program_State;
struct Calc_Outcome;

// The program's command line beside the window:
//   Quorvel --calc [--data-dir DIR] [--meter-list FILE] [--json] JOB.qvl...
//   Quorvel --report JOB.qvl [--data-dir DIR] [--meter-list FILE] [-o FILE]
//   Quorvel --pdf JOB.qvl [--data-dir DIR] [--meter-list FILE] [-o FILE]
//   Quorvel --help | --version
// It needs no display, creates no window and never writes the settings.

// True when the arguments ask for a command-line run rather than the window.
bool Is_Command_Line_Run(int argc, char **argv);

// Writes the typeset report of a calculated job (state after Calculate,
// outcome its result, read_messages those of reading the job file) to path;
// false with the reason in *error. The program hands in the pages' writer:
// this library links no Gui.
using Pdf_Writer = std::function<bool(const Program_State &state, const Calc_Outcome &outcome,
                                      const QStringList &read_messages, const QString &path, QString *error)>;

// Runs the command line; returns the exit status: 0 every job sized,
// 1 a job ended in "Oops" or " [Fail]", 2 a usage error or a job file that
// could not be opened. settings_file: the settings store to read ("" for
// the per-user store).
int Run_Command_Line(const QStringList &args, const QString &program_folder, FILE *out = stdout,
                     FILE *err = stderr, const QString &settings_file = QString(),
                     const Pdf_Writer &pdf_writer = Pdf_Writer());
