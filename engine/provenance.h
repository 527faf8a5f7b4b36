#pragma once

#include <QString>
#include <QStringList>

// Where a data file's values come from, read from its comment lines (which
// the table readers skip):
//   ' Source: <published document, edition, table; a rule; a maker's sheet>
//   ' Status: verified
//   ' Status: estimate: <what is estimated>
//   ' Estimated: <fields> for <entries>      (meter lists)
// In an Estimated line the fields are "max", "continuous" and "loss",
// separated by blanks, and the entries are "all" or size labels separated
// by semicolons: "' Estimated: continuous for 3"; 4"".

enum class Meter_Value { Max_Flow, Continuous_Flow, Loss };

struct Meter_Estimate {
    QList<Meter_Value> Values;
    QStringList Size_Labels; // empty: every entry of the list
};

struct Data_Provenance {
    QStringList Sources;
    QString Status;                    // "verified", "estimate: ..."; empty without a Status line
    QList<Meter_Estimate> Estimates;   // meter lists only
    bool Verified() const { return Status == u"verified"; }
    bool Estimate() const { return Status.startsWith(u"estimate"); }
    // The short word shown beside the data: "verified", "estimate" or "unstated".
    QString Status_Word() const;
    // True when the value of the meter labelled size_label is an estimate:
    // an Estimated line names it, or the list is an estimate without naming
    // what (then every value is).
    bool Estimated(const QString &size_label, Meter_Value value) const;
    bool Any_Estimated(const QString &size_label) const;
};

// The provenance lines among the first max_lines lines of a data file; a
// missing file has none.
Data_Provenance Read_Provenance(const QString &path, int max_lines);
// The same on a file's text.
Data_Provenance Parse_Provenance(const QStringList &lines);

// The comment lines that state a provenance (without line ends).
QStringList Provenance_Lines(const Data_Provenance &provenance);
