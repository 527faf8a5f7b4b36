#pragma once

#include "program_state.h"
#include "tables.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Meter lists a utility keeps: the rules a list must pass, its CSV form for
// a spreadsheet, the fixed-column file the readers take, and the folders
// where lists live.

// What is wrong with a list: the meter (1 = the first) and the reason;
// Meter 0 is the list as a whole. Empty reason: nothing wrong.
struct Meter_List_Problem {
    int Meter = 0;
    QString Reason;
    bool Ok() const { return Reason.isEmpty(); }
};

// The rising rule alone: each meter rates strictly above the one before it
// and loses no more at that meter's maximum flow, so that every up-sizing
// step gains capacity without losing pressure.
Meter_List_Problem Rising_Rule_Problem(const Meter_List &list);

// Every rule a list must pass to be saved: at least one meter and at most
// Max_Table_Records; each rating and loss point a finite number that fits
// its 10-character column; a maximum flow above 0 and a continuous flow
// from above 0 up to it; three loss points whose flows and losses both rise
// from 0; texts that fit their columns and hold nothing the reader would
// cut (a comma, a leading quote, a line break); then the rising rule.
Meter_List_Problem Check_Meter_List(const Meter_List &list);

// The number as written in a column of the file: the shortest fixed
// notation of at most 9 characters that reads back as the same number;
// empty when there is none.
QString Column_Number(double value);

// The list in the fixed-column format (Windows-1252, CR LF): the date and
// description lines, the provenance lines, the owner line, a columns
// comment, then one record a meter.
QByteArray Meter_List_File_Text(const Meter_List &list);

// Checks the list, writes it beside the target under a staging name, reads
// that back through Load_Meter_List and compares every value, and only then
// replaces the target. False with the reason (and no file) otherwise.
bool Save_Meter_List(const Meter_List &list, const QString &path, QString *error);

// A meter from the texts of its eleven columns (Meter_Csv_Columns); false
// with "<column> "<text>" is not a number" otherwise. Texts are trimmed.
bool Meter_Entry_From_Cells(const QStringList &cells, Meter_Entry &entry, QString *error);
// The eleven column texts of a meter.
QStringList Meter_Entry_Cells(const Meter_Entry &entry);

// The CSV columns, in order.
extern const QStringList Meter_Csv_Columns;

// The meters of an RFC 4180 CSV (comma-separated, quotes allowed, UTF-8
// with or without a BOM, a header row of Meter_Csv_Columns, then a meter a
// row). The entries of list are replaced and the list checked; false with
// "row N: reason" (N the spreadsheet row, the header being row 1).
bool Meter_List_From_Csv(const QByteArray &bytes, Meter_List &list, QString *error);

// The meters as CSV: UTF-8 with a BOM, CR LF, the header row first.
QByteArray Meter_List_Csv(const Meter_List &list);

// The comment line that marks a list as the user's own: updates never
// replace it and the editor may delete it.
extern const QString User_List_Marker;
bool Is_User_Meter_List(const QString &path);

// A meter list file where the program looks for lists.
struct Meter_List_Place {
    QString Name;        // file name
    QString Path;        // full path
    QString Description; // its "Desc:" line
    QString Status;      // "verified", "estimate" or "unstated"
    bool User_Own = false;
};


// Lists of the program folder, then those of the user's folder (when it is
// another folder) whose names the program folder does not hold.
QList<Meter_List_Place> Meter_List_Places(const Program_State &state);


// Why a user's list may not take this name ("" when it may): it must end in
// ".mtr", hold no folder, and not be the name of a list the program ships.
QString User_List_Name_Problem(const Program_State &state, const QString &name);

// The data behind a sizing: each of the three tables and the current list.
struct Data_Source {
    QString Key;   // "private_fixtures", "public_fixtures", "conversion", "meter_list"
    QString Title; // "Private fixture table", ...
    QString File;  // file name
    QDate Date;
    Data_Provenance Provenance;
};
QList<Data_Source> Data_Sources(const Program_State &state);
