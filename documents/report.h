#pragma once

#include "calculate.h"
#include "program_state.h"

#include <QString>
#include <QStringList>

#include <functional>

class Prompt;

// The calculation report: a fixed-layout text of the current job that Print
// Preview writes to "Quorvel.prn" in the program folder and opens in the
// user's editor, from which the user prints it. The file is Windows-1252
// text with CR LF line ends.

inline const QString Report_File_Name = QStringLiteral("Quorvel.prn");

// Show code of a normally shown window, as the program launcher takes it.
constexpr int Report_Show_Normal = 5;

// Starts a command line ("program "argument"") with a show code and does
// not wait for it. The window passes the shell's Shell_Run.
using Report_Launcher = std::function<void(const QString &command_line, int show_code)>;

// The note as the report prints it: pieces of at most 66 characters, cut
// without regard to words. A line break of the note (CR LF) ends a piece
// that keeps its CR; the LF after it counts toward the next piece and is
// then dropped; a last piece of a single character is not printed.
QStringList Wrap_Note(const QString &note);

// Runs Calculate on the state's job, then lays out the report text, every
// line ended by CR LF. With pressure evaluation on, an empty
// Elev_Main_Meter, Len_Meter_Fixture, Len_Factor or Elev_Meter_Fixture
// becomes the number 0 in the job. Flag_Save is never touched. The
// Calculate outcome (messages in order, meter font size, sound) goes to
// *outcome when given; nothing is shown here.
QString Report_Text(Program_State &state, Calc_Outcome *outcome = nullptr);

// Where Print Preview writes the report: App_Path + "/Quorvel.prn", or
// "Quorvel.prn" in the user's data folder when the program folder cannot be
// written (Document_Path).
QString Report_Path(const Program_State &state);

// Runs Calculate and writes the report to a file, replacing it as a whole
// (the earlier file stays when the write fails). Returns false with the
// reason in *error when the file cannot be written; the job is calculated
// either way, the zero-fills happen only when the file could be opened.
// The outcome, with the steps recorded, goes to *outcome when given.
bool Write_Report(Program_State &state, const QString &path, QString *error = nullptr,
                  Calc_Outcome *outcome = nullptr);

// The Print Preview command: calculates, shows the Calculate messages
// through the prompt, writes the report to Report_Path() and starts the
// editor on it (Editor + " \"" + path + "\"", shown normally, not waited
// for). When the file cannot be written the prompt shows why and the
// editor is not started. Returns true when the editor was started. The
// window takes the meter font size and the sound flag from *outcome.
bool Print_Preview(Program_State &state, Prompt &prompt, const Report_Launcher &launch,
                   Calc_Outcome *outcome = nullptr);
