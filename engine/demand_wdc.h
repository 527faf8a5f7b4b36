#pragma once

#include "sizing_job.h"
#include "tables.h"

#include <QDate>
#include <QString>
#include <QVector>

#include <cstdint>

// Peak demand of dwellings by the Water Demand Calculator (UPC/IPC
// Appendix M): each fixture type k has a count n, a probability of use p in
// the peak hour and a flow q (gpm); the design value is the 99th percentile
// of the flow given that something runs.

inline const QString Wdc_Data_File = QStringLiteral("Demand-WDC.dat");

// The shipped data file: the fixture types with their p and q, and which
// types each row of the private fixture table stands for.
struct Wdc_Fixture_Type {
    QString Key;  // short name the row lines use
    QString Name;
    bool Has_Probability = false; // false: not covered, counted at full flow
    double P = 0;
    double Q = 0; // gpm
};
struct Wdc_Row_Part {
    int Type = 0; // index into Types
    int Multiplicity = 1;
};
struct Wdc_Row_Map {
    QString Code_Description; // the row's code wording, trailing blanks removed
    QVector<Wdc_Row_Part> Parts;
};
struct Wdc_Table {
    QVector<Wdc_Fixture_Type> Types;
    QVector<Wdc_Row_Map> Rows;
    QDate Date;
    bool Empty() const { return Types.isEmpty(); }
    // The mapping of a fixture table row by its code wording; nullptr when none.
    const Wdc_Row_Map *Row_For(const QString &code_description) const;
};

constexpr int Wdc_Table_Lines = 200; // lines read of the data file

// Reads the data file by the data-file rules: a "Date:" line, comment lines
// beginning with an apostrophe, type lines ("T": key in columns 3-10, p in
// 11-20, blank for none, q in 21-30, name in 31-79) and row lines ("R":
// the code wording in columns 3-41, then pairs of a count and a type key).
// A p outside 0 < p < 1 counts as none; a q that is not a positive number
// up to 1000 gpm leaves the type out. A missing file gives an empty table.
Wdc_Table Load_Wdc_Table(const QString &path);

// One fixture type with a probability, as the statistics take it.
struct Wdc_Term {
    double Count = 0; // whole fixtures
    double P = 0;
    double Q = 0; // gpm
};

enum class Wdc_Procedure : std::uint8_t { None = 0, Exact = 1, Modified_Wistort = 2, Wistort = 3 };

constexpr double Wdc_Z99 = 2.32634787404084;  // 99th percentile of the standard normal
constexpr double Wdc_Exact_Below = 1.25;      // H below: the exact distribution
constexpr double Wdc_Wistort_Above = 5;       // H above: the normal approximation
constexpr double Wdc_Percentile = 0.99;

struct Wdc_Statistics {
    double Mean = 0;      // mu = sum n p q, gpm
    double Variance = 0;  // sigma^2 = sum n p (1 - p) q^2, gpm^2
    double P0 = 1;        // probability that nothing runs
    double H = 0;         // expected number of fixtures running
    double Most_Flow = 0; // sum n q: every fixture at once, gpm
    double Q99 = 0;       // gpm
    Wdc_Procedure Procedure = Wdc_Procedure::None;
};

// The 99th-percentile flow of the terms, the procedure chosen by H.
// Nothing that can run gives 0 gpm and the procedure None.
Wdc_Statistics Wdc_Peak_Flow(const QVector<Wdc_Term> &terms);

// The exact procedure on its own, whatever H: the distribution of the flow
// (each type's binomial, convolved on a grid of hundredths of a gpm, equal
// flows merged), the all-idle state removed and the rest scaled to 1; the
// smallest flow whose cumulative probability reaches 0.99. Counts are
// whole numbers. NaN when the grid would exceed Wdc_Most_Grid_Steps.
double Wdc_Exact_Q99(const QVector<Wdc_Term> &terms);
constexpr long long Wdc_Most_Grid_Steps = 4'000'000;

// One fixture type of a job: its row in Wdc_Table::Types and its count.
struct Wdc_Type_Count {
    int Type = 0;
    double Count = 0;
};
// A fixture table row the method has no probability for.
struct Wdc_Uncovered_Row {
    int Row = 0;     // 1-based row of the private fixture table
    double Count = 0;
    double Flow = 0; // gpm added at full flow
};

// A job's demand by the method.
struct Wdc_Demand {
    bool Applies = false;
    QString Why_Not;                   // when it does not apply
    QVector<Wdc_Type_Count> Types;     // types with a probability and a count, in the file's order
    QVector<Wdc_Uncovered_Row> Uncovered;
    double Uncovered_Flow = 0;         // gpm
    Wdc_Statistics Stats;
    double Irrigation_Flow = 0;        // gpm
    double Note_A_Flow = 0;            // gpm
    double Design_Flow = 0;            // Q99 + uncovered + irrigation + Note A, gpm
};

// The job's demand by the method: private use only (single- and
// multi-family dwellings); counts are taken as whole fixtures (a fraction
// is dropped, a negative count is none). A row of the private table
// without a mapping, or mapped to a type without a probability, is
// uncovered: its flow is added at full flow.
Wdc_Demand Wdc_Job_Demand(const Sizing_Job &job, const Fixture_Table &private_table, const Wdc_Table &wdc);

// "exact", "modified_wistort", "wistort" ("" for None).
QString Wdc_Procedure_Name(Wdc_Procedure procedure);
// The procedure in words with why it was chosen (by H).
QString Wdc_Procedure_Reason(const Wdc_Statistics &stats);
