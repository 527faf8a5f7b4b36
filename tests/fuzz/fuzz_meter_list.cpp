// A meter list read from a file, the scan of a folder's lists, and the
// loss through each meter.

#include "calculate.h"
#include "fuzz_common.h"
#include "tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::Put_File(QStringLiteral("Fuzz.mtr"), fuzz::Bytes(data, size));
    Meter_List list;
    Load_Meter_List(list, path);
    if (list.Count() > Max_Table_Records)
        std::abort();
    for (int i = 1; i <= list.Count(); ++i) {
        const Meter_Entry &meter = *list.Entry(i);
        Meter_Loss(meter, meter.Max_Flow);
        Meter_Loss(meter, meter.Max_Continuous_Flow);
        Meter_Loss(meter, meter.Loss_Point_Flow[2] * 2);
        Meter_Font_Points(meter.Size_Label);
    }
    Scan_Meter_List_Files(fuzz::Scratch_Folder());
    return 0;
}
