#include "text_codec.h"

namespace {

// 0x80..0x9F; the five unassigned bytes map to the C1 controls of the same value.
constexpr char16_t High_Table[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

QString Decode_1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? High_Table[b - 0x80] : char16_t(b));
    }
    return text;
}

namespace {

bool Encodable(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return true;
    for (const char16_t h : High_Table)
        if (h == u)
            return true;
    return false;
}

} // namespace

QStringList Unencodable_1252(QStringView text)
{
    QStringList out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (Encodable(text[i].unicode()))
            continue;
        const qsizetype units = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QString c = text.mid(i, units).toString();
        if (!out.contains(c))
            out << c;
        i += units - 1;
    }
    return out;
}

QByteArray Encode_1252(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        char b = '?';
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            b = char(u);
        } else {
            for (int i = 0; i < 32; ++i) {
                if (High_Table[i] == u) {
                    b = char(0x80 + i);
                    break;
                }
            }
        }
        *out++ = b;
    }
    return bytes;
}
