// The Water Demand Calculator's data file, read from a file, and its
// statistics on a few fixtures of every type read.

#include "demand_wdc.h"
#include "fuzz_common.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::Put_File(QStringLiteral("Demand-WDC.dat"), fuzz::Bytes(data, size));
    const Wdc_Table table = Load_Wdc_Table(path);
    if (table.Types.size() > Max_Table_Records || table.Rows.size() > Max_Table_Records)
        std::abort();
    QVector<Wdc_Term> terms;
    for (const Wdc_Fixture_Type &t : table.Types) {
        if (!(t.Q > 0 && t.Q <= 1000) || (t.Has_Probability && !(t.P > 0 && t.P < 1)))
            std::abort();
        if (t.Has_Probability)
            terms.append({double(1 + terms.size() % 3), t.P, t.Q});
    }
    for (const Wdc_Row_Map &row : table.Rows) {
        for (const Wdc_Row_Part &part : row.Parts) {
            if (part.Type < 0 || part.Type >= table.Types.size() || part.Multiplicity < 1)
                std::abort();
        }
    }
    const Wdc_Statistics s = Wdc_Peak_Flow(terms);
    const double exact = Wdc_Exact_Q99(terms);
    // A percentile never lies beyond every fixture running at once.
    if (!(exact >= 0) || exact > s.Most_Flow + 0.01 || !(s.Q99 >= 0))
        std::abort();
    return 0;
}
