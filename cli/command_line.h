#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <optional>

struct Program_State;
struct Calc_Outcome;

// The program's command line beside the window:
//   Quorvel --calc [--data-dir DIR] [--meter-list FILE] [--json] JOB.qvl...
//   Quorvel --report JOB.qvl [--data-dir DIR] [--meter-list FILE] [-o FILE]
//   Quorvel --pdf JOB.qvl [--data-dir DIR] [--meter-list FILE] [-o FILE]
//   Quorvel --help | --version
// It needs no display, creates no window and never writes the settings.

// The program's arguments after its name, read before any application
// object exists (which would take Qt's own options out).
QStringList Program_Arguments(int argc, char **argv);

// When the arguments ask for the window, the job file it opens: none (empty)
// or the plain names given, joined by blanks; after "--" a name may begin
// with "-". Anything else, a command or any option, known or not, is a
// command-line run (std::nullopt): Run_Command_Line refuses what it does
// not know with the usage and exit status 2.
std::optional<QString> Window_Job(const QStringList &args);

// The usage error of a command-line run; empty when the arguments are fine.
QString Command_Line_Error(const QStringList &args);

// True for a well-formed --pdf run: it typesets, so it needs a Gui
// application (on the offscreen platform).
bool Needs_Typesetting(const QStringList &args);

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
