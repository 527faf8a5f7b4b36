// The distribution medium's "Version.txt", read for the newest release.

#include "fuzz_common.h"
#include "release_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::Put_File(QStringLiteral("Version.txt"), fuzz::Bytes(data, size));
    const QString release = Newest_Release(path);
    if (release.isEmpty() || release.size() > 11)
        std::abort(); // a release of at most 11 characters, or "File Error"
    return 0;
}
