#pragma once

#include "calculate.h"
#include "program_state.h"
#include "prompt.h"

// The commands that replace, store and abandon the job: New, Open, Save,
// Quit and closing the window. They work on the program state and talk to
// the user only through the prompt. After each, the window shows the job
// again from the state.

inline const QString Save_Changes_Question = QStringLiteral("Would you like to save your changes?");

// New (also Clear): asks to save changes, then resets the job.
// False when the user cancelled.
bool Job_New(Program_State &state, Prompt &prompt);

// Open: asks to save changes, then reads the file chosen in the open dialog,
// or the file named on the command line (Load_Command) without a dialog.
// False when nothing was read.
bool Job_Open(Program_State &state, Prompt &prompt);

// What Save says instead of writing a job whose texts hold characters a
// job file cannot keep.
QString Unsaveable_Message(const QStringList &characters);
// The same for the fields Unsaveable_Fields names, said before the save dialog.
QString Unsaveable_Fields_Message(const QStringList &fields);

// Save: calculates (its messages first), refuses a job with a field the
// file cannot hold, always shows the save dialog, writes the file; a
// failed write keeps the job's earlier file name. The outcome of the calculation is returned so that the
// window can refresh its results and play the sound. *saved tells whether
// the file was written.
Calc_Outcome Job_Save(Program_State &state, Prompt &prompt, bool *saved = nullptr);

// Quit: asks to save changes (Yes, No, Cancel). True when the program ends.
bool Job_Quit(Program_State &state, Prompt &prompt);

// The window is closing: asks to save changes with Yes and No only. The
// program ends in every case.
void Job_Window_Close(Program_State &state, Prompt &prompt);
