#include "demand_wdc.h"

#include "data_file.h"
#include "leading_number.h"
#include "number_format.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace {

constexpr double Most_Type_Flow = 1000; // gpm
constexpr int Most_Multiplicity = 1000;
constexpr double Grid_Per_Gpm = 100;    // the exact procedure's grid: hundredths of a gpm
constexpr double Tail_Dropped = 1e-18;  // binomial terms past the mode smaller than this are left out
constexpr double Percentile_Slack = 1e-12;

QString Trimmed_Right(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

bool Is_Line_Of(const QString &line, QChar kind)
{
    return line.size() >= 2 && line[0] == kind && line[1] == u' ';
}

// One type's binomial distribution of running fixtures, from 0 on, its
// negligible tail past the mode left out; empty when it would run past
// most_terms terms.
std::vector<double> Binomial(double n, double p, long long most_terms)
{
    std::vector<double> b;
    if (p >= 1) { // always running: all n at once
        if (n + 1 > double(most_terms))
            return {};
        b.assign(std::size_t(n) + 1, 0.0);
        b.back() = 1;
        return b;
    }
    const double mode = std::floor((n + 1) * p);
    const double first = std::exp(n * std::log1p(-p));
    // Each term from the one before; when the first underflows, each from logarithms.
    const double ratio = p / (1 - p);
    const double log_p = first > 0 ? 0 : std::log(p), log_q = first > 0 ? 0 : std::log1p(-p);
    const double log_n = first > 0 ? 0 : std::lgamma(n + 1);
    double term = first;
    for (double j = 0; j <= n; ++j) {
        if (j + 1 > double(most_terms))
            return {};
        if (j > 0)
            term = first > 0 ? term * (n - j + 1) / j * ratio
                             : std::exp(log_n - std::lgamma(j + 1) - std::lgamma(n - j + 1) + j * log_p + (n - j) * log_q);
        if (j > mode && term < Tail_Dropped)
            break;
        b.push_back(term);
    }
    return b;
}

QString Fixed(double value, int decimals)
{
    return QLocale::c().toString(value, 'f', decimals);
}

} // namespace

const Wdc_Row_Map *Wdc_Table::Row_For(const QString &code_description) const
{
    QStringView key(code_description);
    while (!key.isEmpty() && key.back().isSpace())
        key.chop(1);
    for (const Wdc_Row_Map &row : Rows) {
        if (row.Code_Description == key)
            return &row;
    }
    return nullptr;
}

Wdc_Table Load_Wdc_Table(const QString &path)
{
    Wdc_Table table;
    struct Raw_Row {
        QString Code;
        QStringList Tokens;
    };
    QVector<Raw_Row> raw;
    Data_File_Reader reader(path);
    QString line;
    for (int n = 0; n < Wdc_Table_Lines && reader.Next_Line_Value(line); ++n) {
        if (Has_Tag(line, u"Date:")) {
            const QDate read = Parse_Date_Text(QStringView(line).mid(5));
            if (read.isValid())
                table.Date = read;
        } else if (Is_Line_Of(line, u'T') && table.Types.size() < Max_Table_Records) {
            Wdc_Fixture_Type t;
            t.Key = Column_Text(line, 3, 10).trimmed();
            const QString p_text = Column_Text(line, 11, 20).trimmed();
            t.Q = Leading_Number(Column_Text(line, 21, 30));
            t.Name = Column_Text(line, 31, 79).trimmed();
            const bool known = std::any_of(table.Types.cbegin(), table.Types.cend(),
                                           [&](const Wdc_Fixture_Type &o) { return o.Key == t.Key; });
            if (t.Key.isEmpty() || known || !(t.Q > 0 && t.Q <= Most_Type_Flow))
                continue;
            t.P = Leading_Number(p_text);
            t.Has_Probability = !p_text.isEmpty() && t.P > 0 && t.P < 1;
            if (!t.Has_Probability)
                t.P = 0;
            table.Types.append(t);
        } else if (Is_Line_Of(line, u'R') && raw.size() < Max_Table_Records) {
            static const QRegularExpression blanks(QStringLiteral("\\s+"));
            raw.append({Trimmed_Right(Column_Text(line, 3, 41)), line.mid(41).split(blanks, Qt::SkipEmptyParts)});
        }
    }
    for (const Raw_Row &r : raw) {
        Wdc_Row_Map row;
        row.Code_Description = r.Code;
        for (qsizetype i = 0; i + 1 < r.Tokens.size(); i += 2) {
            const double count = Leading_Number(r.Tokens[i]);
            const auto type = std::find_if(table.Types.cbegin(), table.Types.cend(),
                                           [&](const Wdc_Fixture_Type &t) { return t.Key == r.Tokens[i + 1]; });
            if (type == table.Types.cend() || !(count >= 1 && count <= Most_Multiplicity) || count != std::floor(count))
                continue;
            row.Parts.append({int(type - table.Types.cbegin()), int(count)});
        }
        if (!row.Code_Description.isEmpty() && !table.Row_For(row.Code_Description))
            table.Rows.append(row);
    }
    return table;
}

double Wdc_Exact_Q99(const QVector<Wdc_Term> &terms)
{
    struct Part {
        double N = 0, P = 0;
        long long Units = 0; // flow of one fixture in grid units
        std::vector<double> Pmf;
    };
    std::vector<Part> parts;
    long long step = 0; // the grid: the greatest common divisor of the flows, in hundredths
    for (const Wdc_Term &t : terms) {
        const double n = std::floor(t.Count);
        const long long units = std::llround(t.Q * Grid_Per_Gpm);
        if (!(n >= 1) || !(t.P > 0) || units <= 0)
            continue;
        parts.push_back({n, std::min(t.P, 1.0), units, {}});
        step = std::gcd(step, units);
    }
    if (parts.empty())
        return 0;
    long long size = 1;
    for (Part &part : parts) {
        part.Units /= step;
        part.Pmf = Binomial(part.N, part.P, Wdc_Most_Grid_Steps);
        if (part.Pmf.empty())
            return std::nan("");
        size += (long long)(part.Pmf.size() - 1) * part.Units;
        if (size > Wdc_Most_Grid_Steps)
            return std::nan("");
    }

    // Narrow types first: the distribution grows as late as it can.
    std::sort(parts.begin(), parts.end(), [](const Part &a, const Part &b) {
        return (long long)(a.Pmf.size() - 1) * a.Units < (long long)(b.Pmf.size() - 1) * b.Units;
    });
    // The distribution on the grid. While most grid points are empty the
    // points it holds are listed and only those are visited; once it is
    // dense every point up to the highest reached is.
    std::vector<double> dist(std::size_t(size), 0.0), next(std::size_t(size), 0.0);
    std::vector<long long> held{0}, next_held;
    held.reserve(64);
    next_held.reserve(64);
    bool dense = false;
    dist[0] = 1;
    long long top = 0; // highest grid point reached so far
    for (const Part &part : parts) {
        const auto spread = [&](long long i) {
            const double here = dist[std::size_t(i)];
            if (here == 0)
                return;
            dist[std::size_t(i)] = 0;
            for (std::size_t j = 0; j < part.Pmf.size(); ++j) {
                const std::size_t at = std::size_t(i + (long long)j * part.Units);
                if (!dense && next[at] == 0)
                    next_held.push_back(static_cast<long long>(at));
                next[at] += here * part.Pmf[j];
            }
        };
        next_held.clear();
        if (dense) {
            for (long long i = 0; i <= top; ++i)
                spread(i);
        } else {
            for (const long long i : held)
                spread(i);
        }
        std::swap(dist, next);
        std::swap(held, next_held);
        top += (long long)(part.Pmf.size() - 1) * part.Units;
        dense = dense || held.size() * 4 > std::size_t(top + 1);
    }
    const double busy = 1 - dist[0];
    if (!(busy > 0))
        return 0;
    const double target = (Wdc_Percentile - Percentile_Slack) * busy;
    double cumulative = 0;
    for (long long i = 1; i <= top; ++i) {
        cumulative += dist[std::size_t(i)];
        if (cumulative >= target)
            return double(i * step) / Grid_Per_Gpm;
    }
    return double(top * step) / Grid_Per_Gpm;
}

Wdc_Statistics Wdc_Peak_Flow(const QVector<Wdc_Term> &terms)
{
    Wdc_Statistics s;
    double log_p0 = 0;
    for (const Wdc_Term &t : terms) {
        const double n = t.Count;
        if (!(n > 0) || !(t.P > 0))
            continue;
        s.Mean += n * t.P * t.Q;
        s.Variance += n * t.P * (1 - t.P) * t.Q * t.Q;
        log_p0 += n * std::log1p(-std::min(t.P, 1.0));
        s.H += n * t.P;
        s.Most_Flow += n * t.Q;
    }
    s.P0 = std::exp(log_p0);
    if (!(s.H > 0) || !(s.P0 < 1)) {
        s.Q99 = 0;
        s.Procedure = Wdc_Procedure::None;
        return s;
    }
    if (s.H < Wdc_Exact_Below) {
        s.Procedure = Wdc_Procedure::Exact;
        s.Q99 = Wdc_Exact_Q99(terms);
    } else if (s.H <= Wdc_Wistort_Above) {
        s.Procedure = Wdc_Procedure::Modified_Wistort;
        const double root = std::sqrt(std::max(0.0, (1 - s.P0) * s.Variance - s.P0 * s.Mean * s.Mean));
        s.Q99 = std::min((s.Mean + (1 + s.P0) * Wdc_Z99 * root) / (1 - s.P0), s.Most_Flow);
    } else {
        s.Procedure = Wdc_Procedure::Wistort;
        s.Q99 = s.Mean + Wdc_Z99 * std::sqrt(s.Variance);
    }
    return s;
}

Wdc_Demand Wdc_Job_Demand(const Sizing_Job &job, const Fixture_Table &private_table, const Wdc_Table &wdc)
{
    Wdc_Demand d;
    if (job.Use_Type != Use_Kind::Private) {
        d.Why_Not = QStringLiteral("The method's scope is single- and multi-family dwellings (private use "
                                   "fixtures); it gives no value for public use.");
        return d;
    }
    if (wdc.Empty()) {
        d.Why_Not = QStringLiteral("The data file %1 is missing or holds no fixture types.").arg(Wdc_Data_File);
        return d;
    }
    std::vector<double> counts(std::size_t(wdc.Types.size()), 0.0);
    const int rows = std::min(private_table.Row_Count(), Grid_Rows);
    for (int r = 0; r < rows; ++r) {
        if (job.Fixture_Count[r].isEmpty())
            continue;
        const double typed = Leading_Number(job.Fixture_Count[r]);
        if (!(typed >= 1))
            continue;
        const double count = std::floor(typed);
        const Wdc_Row_Map *map = wdc.Row_For(private_table.Rows[r].Code_Description);
        bool uncovered = !map;
        double flow = 0;
        if (map) {
            for (const Wdc_Row_Part &part : map->Parts) {
                const Wdc_Fixture_Type &type = wdc.Types[part.Type];
                if (type.Has_Probability) {
                    counts[std::size_t(part.Type)] += count * part.Multiplicity;
                } else {
                    uncovered = true;
                    flow += count * part.Multiplicity * type.Q;
                }
            }
        }
        if (uncovered) {
            d.Uncovered.append({r + 1, count, flow});
            d.Uncovered_Flow += flow;
        }
    }
    QVector<Wdc_Term> terms;
    terms.reserve(wdc.Types.size());
    d.Types.reserve(wdc.Types.size());
    for (int k = 0; k < wdc.Types.size(); ++k) {
        if (counts[std::size_t(k)] > 0) {
            d.Types.append({k, counts[std::size_t(k)]});
            terms.append({counts[std::size_t(k)], wdc.Types[k].P, wdc.Types[k].Q});
        }
    }
    d.Stats = Wdc_Peak_Flow(terms);
    d.Irrigation_Flow = Leading_Number(job.Irrigation_Flow);
    d.Note_A_Flow = Leading_Number(job.NoteA_Flow);
    d.Design_Flow = d.Stats.Q99 + d.Uncovered_Flow + d.Irrigation_Flow + d.Note_A_Flow;
    if (!std::isfinite(d.Design_Flow)) {
        d.Why_Not = QStringLiteral("The fixture counts are too large for the method to give a flow.");
        return d;
    }
    d.Applies = true;
    return d;
}

QString Wdc_Procedure_Name(Wdc_Procedure procedure)
{
    switch (procedure) {
    case Wdc_Procedure::Exact:
        return QStringLiteral("exact");
    case Wdc_Procedure::Modified_Wistort:
        return QStringLiteral("modified_wistort");
    case Wdc_Procedure::Wistort:
        return QStringLiteral("wistort");
    case Wdc_Procedure::None:
        break;
    }
    return QString();
}

QString Wdc_Procedure_Reason(const Wdc_Statistics &s)
{
    const QString h = Fixed(s.H, 3);
    switch (s.Procedure) {
    case Wdc_Procedure::Exact:
        return QStringLiteral("H = %1 is below %2: the exact distribution of the flow (zero flow removed), "
                              "its 99th percentile")
            .arg(h, Fixed(Wdc_Exact_Below, 2));
    case Wdc_Procedure::Modified_Wistort:
        return QStringLiteral("%1 \u2264 H = %2 \u2264 %3: the modified Wistort formula (zero flow removed)")
            .arg(Fixed(Wdc_Exact_Below, 2), h, Fixed(Wdc_Wistort_Above, 0));
    case Wdc_Procedure::Wistort:
        return QStringLiteral("H = %1 is above %2: the Wistort formula (normal approximation)")
            .arg(h, Fixed(Wdc_Wistort_Above, 0));
    case Wdc_Procedure::None:
        break;
    }
    return QStringLiteral("No fixture with a probability of use: no peak flow (0 gpm)");
}
