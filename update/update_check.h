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

// Reads a manifest: items end at a comma or a line end, leading blanks are
// skipped, quotes removed; "Server Version = ", "Table-1 = " ... (without
// regard to case) and "METERLIST" followed by a name and a date; at most
// 50 reads, a meter list entry counting as one.
Update_Manifest Parse_Manifest(const QByteArray &bytes);

// The number of a version text: first character, characters 3 and 4, the
// last four characters ("1.02.0808" gives 1020808).
double Update_Version_Number(const QString &version);

struct Update_List_Row {
    QString Name;
    QString Local_Date;  // "None": only at the source
    QString Server_Date; // "None": not at the source
    bool Update_Mark = false;
};

// The meter lists of the program folder with their "Date:" values (the
// last one of the first 80 items; a list that cannot be read has none).
QList<Update_List_Row> Local_Meter_Lists(const QString &folder);

// Joins the local lists with the source's: server dates by name without
// regard to case, lists only at the source appended, sorted by upper-cased
// name; at most 50 rows.
QList<Update_List_Row> Build_Update_List(QList<Update_List_Row> local, const QList<Server_List_Entry> &server);

// The text of a row in the list box: " << " when the source is newer
// (dates compared as text), the name, the local date from column 30, the
// server date from column 45.
QString Update_Row_Text(const Update_List_Row &row);

// Fetches the manifest from the source into the given local file and
// reads it; the local copy is removed again. A response that is not a
// success, or a source of no known kind, gives an empty manifest, and
// `error` says why.
// `cancelled`, when given, is asked while waiting and stops the fetch.
Update_Manifest Fetch_Manifest(const QString &server_name, const QString &local_copy, int timeout_ms = 30000,
                               QString *error = nullptr, const std::function<bool()> &cancelled = {});

