// The fixture tables (private and public use) read from a file.

#include "fuzz_common.h"
#include "tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::Put_File(QStringLiteral("Table-1.dat"), fuzz::Bytes(data, size));
    for (const bool public_table : {false, true}) {
        const Fixture_Table table = Load_Fixture_Table(path, public_table);
        if (table.Row_Count() > Max_Table_Records)
            std::abort();
        for (const Fixture_Row &row : table.Rows) {
            if (row.Code_Description.size() > 39 || row.Plain_Description.size() > 40)
                std::abort();
        }
    }
    return 0;
}
