// The fixture unit to flow conversion table read from a file, and the
// design flow looked up in it.

#include "calculate.h"
#include "fuzz_common.h"
#include "tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::Put_File(QStringLiteral("Table-3.dat"), fuzz::Bytes(data, size));
    const Flow_Conversion_Table table = Load_Flow_Conversion_Table(path);
    if (table.Row_Count() > Long_Table_Lines)
        std::abort();
    double flow = 0;
    for (const Flow_Conversion_Point &point : table.Rows) {
        for (const Flush_Kind flush : {Flush_Kind::Quick_Flush, Flush_Kind::Tank}) {
            Design_Flow_Of(point.Fixture_Units, flush, table, QString(), QString(), flow);
            Design_Flow_Of(point.Fixture_Units * 0.5 + 1, flush, table, QStringLiteral("10"), QStringLiteral("x"), flow);
        }
    }
    return 0;
}
