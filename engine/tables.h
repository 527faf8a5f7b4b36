#pragma once

#include "provenance.h"

#include <QDate>
#include <QString>
#include <QVector>

// The data tables read from the program folder at startup: the fixture
// tables of private and public use ("Table-1.dat", "Table-2.dat"), the
// fixture unit to flow conversion table ("Table-3.dat") and the current
// meter list (*.mtr). All are read-only once loaded.

constexpr int Max_Table_Records = 50;   // records a table holds
constexpr int Fixture_Table_Lines = 50; // lines read of a fixture table
constexpr int Long_Table_Lines = 80;    // lines read of the conversion table and a meter list

struct Fixture_Row {
    QString Code_Description;  // columns 1-39, trailing blanks kept
    QString Plain_Description; // columns 40-79, trailing blanks kept
    bool Note_A = false;       // public table: "b" in column 80
    double Value_3 = 0;
    double Value_4 = 0;
    double Fixture_Units = 0;
};

struct Fixture_Table {
    QVector<Fixture_Row> Rows; // at most Max_Table_Records
    QDate Date;                // invalid when the file has no valid date line
    Data_Provenance Provenance; // its Source and Status comment lines
    int Row_Count() const { return int(Rows.size()); }
};

// Missing or unreadable files give an empty table without a date.
Fixture_Table Load_Fixture_Table(const QString &path, bool public_table);

struct Flow_Conversion_Point {
    double Fixture_Units = 0;
    double Quick_Flush_Flow = 0; // gpm, predominately flushometer
    double Tank_Flow = 0;        // gpm, predominately flush tank
};

struct Flow_Conversion_Table {
    QVector<Flow_Conversion_Point> Rows; // row 0 (0 FU, 0 gpm) is implicit
    QDate Date;
    Data_Provenance Provenance;
    int Row_Count() const { return int(Rows.size()); }
};

Flow_Conversion_Table Load_Flow_Conversion_Table(const QString &path);

struct Meter_Entry {
    QString Size_Label; // trailing blanks removed
    QString Make;
    QString Model;
    double Value_4 = 0;
    double Max_Flow = 0;            // gpm
    double Max_Continuous_Flow = 0; // gpm
    double Loss_Point_Flow[3] = {0, 0, 0}; // gpm
    double Loss_Point_Loss[3] = {0, 0, 0}; // psi
};

struct Meter_List {
    QVector<Meter_Entry> Entries; // smallest meter first; at most Max_Table_Records
    QString File_Name;            // Set_Meter_Table
    QString Description;          // Set_Meter_Table_Desc, from the "Desc:" line
    QDate Date;                   // Table4_Date, from the "Date:" line
    Data_Provenance Provenance;   // replaced at every load
    int Count() const { return int(Entries.size()); }
    // Entry by its row number 1..Count(); nullptr outside.
    const Meter_Entry *Entry(int index) const
    {
        return index >= 1 && index <= Count() ? &Entries[index - 1] : nullptr;
    }
};

// Reloads the list from a file. The entries are replaced; the description
// and the date keep their earlier values when the file has no such line.
// A missing file leaves no entries.
void Load_Meter_List(Meter_List &list, const QString &path);

// A meter list file of a folder with the values of its "Desc:" and
// "Date:" items (each without its tag and the character after it; the
// last of the first 80 items wins). Files whose names end in ".mtr" in
// any case, in the folder's order, at most 50.
struct Meter_List_File {
    QString Name;
    QString Description;
    QString Date_Text;
};
QList<Meter_List_File> Scan_Meter_List_Files(const QString &folder);
