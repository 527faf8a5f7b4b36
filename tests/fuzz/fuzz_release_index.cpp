// The release index of an update source: "SHA256SUMS", its minisign
// signature and the trusted keys of "Quorvel-Update.pub". An input holds the
// three files, in that order, between lines that read "#####".

#include "fuzz_common.h"
#include "update_verify.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts = fuzz::Split_Parts(fuzz::Bytes(data, size), 3);
    QMap<QString, QByteArray> sums;
    QString error;
    if (Parse_Sha256_Sums(parts[0], sums, error)) {
        // Every checksum taken is one a file's hash can be compared with.
        for (auto it = sums.cbegin(); it != sums.cend(); ++it) {
            if (it.value().size() != 64 || it.key().isEmpty())
                std::abort();
            for (const char c : it.value())
                if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
                    std::abort();
        }
    } else if (error.isEmpty()) {
        std::abort(); // a refused index always says why
    }
    const QList<Minisign_Key> keys = Parse_Minisign_Keys(parts[2]);
    for (const Minisign_Key &key : keys)
        if (key.Key_Id.size() != 8 || key.Public.size() != 32)
            std::abort();
    const QString why = Verify_Minisign(parts[0], parts[1], keys);
    // Without a trusted key nothing verifies.
    if (keys.isEmpty() && why.isEmpty())
        std::abort();
    return 0;
}
