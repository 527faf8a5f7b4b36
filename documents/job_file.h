#pragma once

#include "program_state.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The job data file (*.qvl): one field a line, Windows-1252, CR LF. The
// writer always writes the current layout (69 fields, and a 70th, "WDC",
// for a job sized by the Water Demand Calculator); the reader also takes
// the two earlier layouts.

inline const QString Job_File_Filters = QStringLiteral("All Files (*.*)|*.*|Quorvel Files (*.qvl)|*.qvl|");
constexpr int Job_File_Filter_Index = 1; // "Quorvel Files" preselected
inline const QString Wdc_Field_Value = QStringLiteral("WDC"); // field 70
inline const QString Earlier_Version_Message = QStringLiteral(
    "The version of the data file loaded is an earlier version then the current program version, check all "
    "data fields to verify values.");

// The largest job file: the reader refuses a larger file, and the writer
// refuses a job whose file would be larger (only a huge note can make it so), so
// that every job file written is read back whole.
constexpr qint64 Max_Job_File_Bytes = 16 * 1024 * 1024;

// The characters of the job's texts (location, calculated by, counts,
// pressure details, note) that a job file cannot hold, each once; empty
// when it holds them all.
QStringList Unsaveable_Characters(const Sizing_Job &job);

// Each field of the job whose text a job file cannot hold, by the name the
// window gives it, with those characters ("Location: \"≥\" (U+2265)");
// empty when the file holds every field.
QStringList Unsaveable_Fields(const Sizing_Job &job);

// Why bytes cannot be a job file's text: a NUL byte or a byte the file's
// code page leaves undefined, with its offset; empty for a text.
QString Not_Text_Reason(const QByteArray &bytes);

// The file text of the state's job in the current layout.
QByteArray Job_File_Bytes(const Program_State &state);

// Writes the job all or nothing (a failed write leaves an earlier file
// untouched). False with the reason in *error; also when the file would be
// larger than Max_Job_File_Bytes.
bool Write_Job_File(const Program_State &state, const QString &path, QString *error = nullptr);

// The fields of a job file text by the field reading rules, at most 70;
// later fields are never read. *present counts the fields that the text
// really holds (up to 71, meaning "more than 70").
QStringList Job_File_Fields(const QByteArray &bytes, int *present = nullptr);

// The note as a job file stores it and back: a double quote is the seven
// characters chr(34).
QString Encode_Note(const QString &note);
QString Decode_Note(const QString &field);

// The number compared by the version warning: the first character, the
// third and fourth, and the last four characters of a version text.
double Version_Number(const QString &version);

struct Job_Read_Result {
    bool Opened = false;   // false: the file could not be opened; nothing was applied
    QString Error;         // why it could not be opened
    QStringList Messages;  // to show in order (the version warning)
};

// Reads a job file into the state's job, item by item: a value that cannot
// be converted leaves its item as it was. Sets File_Version, refreshes the
// grid and clears Flag_Save. A file larger than Max_Job_File_Bytes is not
// opened (Error says so), nor one that is not text (Not_Text_Reason); a
// pipe is read to its end.
Job_Read_Result Read_Job_File(Program_State &state, const QString &path);

// The same on a file text already in memory (an empty text reads as a file
// without fields).
Job_Read_Result Apply_Job_File(Program_State &state, const QByteArray &bytes);
