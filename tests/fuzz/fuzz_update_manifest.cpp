// The update manifest ("Update.txt") of an update source, and the list of
// meter lists built from it against the lists of this computer.
// The release index (checksums and signature) has fuzz_release_index.cpp.

#include "fuzz_common.h"
#include "update_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Update_Manifest manifest = Parse_Manifest(fuzz::Bytes(data, size));
    Update_Version_Number(manifest.Server_Version);
    Source_Kind(manifest.Server_Version);
    Source_Location(manifest.Server_Version, QStringLiteral("Update.txt"));
    const QList<Update_List_Row> local = {
        {QStringLiteral("AWWA-Standard.mtr"), QStringLiteral("01/15/2008"), QString(), false, QString()},
        {QStringLiteral("awwa-compound.MTR"), QStringLiteral("None"), QString(), false, QString()},
    };
    const QList<Update_List_Row> rows = Build_Update_List(local, manifest.Lists);
    if (rows.size() > 50)
        std::abort();
    for (const Update_List_Row &row : rows)
        Update_Row_Text(row);
    return 0;
}
