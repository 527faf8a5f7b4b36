#pragma once

#include "update_source.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// What an update source offers, read from its manifest "Update.txt", and
// how it compares with what this computer has.

struct Server_List_Entry {
    QString Name;
    QString Date;
};

struct Update_Manifest {
    QString Server_Version; // empty: the manifest named no version
    QString Table_Date[3];  // Table-1 to Table-3, as written ("mm/dd/yyyy")
    QList<Server_List_Entry> Lists;
    QByteArray Sha256; // of the bytes read, as sha256sum writes it; checked against the source's index
};

// Reads a manifest: UTF-16 with its byte order mark, UTF-8 (with or without
// a byte order mark) when the bytes are valid UTF-8, else Windows-1252;
// items end at a comma or a line end, leading blanks are skipped, quotes removed; "Server Version = ", "Table-1 = " ... (without
// regard to case) and "METERLIST" followed by a name and a date; at most
// 50 reads, a meter list entry counting as one.
Update_Manifest Parse_Manifest(const QByteArray &bytes);

// The number of a version text: first character, characters 3 and 4, the
// last four characters ("1.02.0808" gives 1020808).
double Update_Version_Number(const QString &version);

struct Update_List_Row {
    QString Name; // as spelt here (or at the source, for a list only there)
    QString Local_Date;  // "None": only at the source
    QString Server_Date; // "None": not at the source
    bool Update_Mark = false;
    QString Server_Name; // as spelt at the source; empty: not at the source
};

// The meter lists of the program folder with their "Date:" values (the
// last one of the first 80 items; a list that cannot be read has none).
QList<Update_List_Row> Local_Meter_Lists(const QString &folder);

// Joins the local lists with the source's: server dates by name without
// regard to case, lists only at the source appended, sorted by upper-cased
// name; at most 50 rows.
QList<Update_List_Row> Build_Update_List(QList<Update_List_Row> local, const QList<Server_List_Entry> &server);

// True when the source's list is newer: both dates read as dates and the
// source's is later. A date that does not read as one is never newer.
bool Server_List_Newer(const Update_List_Row &row);

// The text of a row in the list box: " << " when the source is newer, the
// name, the local date from column 30, the server date from column 45.
QString Update_Row_Text(const Update_List_Row &row);

// Fetches the manifest from the source into the given local file and
// reads it; the local copy is removed again. A response that is not a
// success, a source of no known kind or a manifest without a version gives
// an empty version, and `error` says why.
// `cancelled`, when given, is asked while waiting and stops the fetch.
Update_Manifest Fetch_Manifest(const QString &server_name, const QString &local_copy, int timeout_ms = 30000,
                               QString *error = nullptr, const std::function<bool()> &cancelled = {});

