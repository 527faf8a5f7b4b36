// Number reading: the leading number of a text, the numeric-text test, the
// display patterns, dates and Booleans, and the loose values built on them.
// A number read must be written in a form that reads back.

#include "fuzz_common.h"
#include "leading_number.h"
#include "loose_value.h"
#include "number_format.h"
#include "text_codec.h"

#include <QDate>

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    // The same bytes as a data file (Windows-1252) and as typed text (UTF-8).
    for (const QString &text : {Decode_1252(bytes), QString::fromUtf8(bytes)}) {
        const double value = Leading_Number(text);
        if (std::isnan(value))
            std::abort(); // the reader gives a number or 0, never NaN
        Is_Numeric_Text(text);
        for (auto pattern : {Number_Pattern::Optional_1, Number_Pattern::Fixed_1, Number_Pattern::Fixed_3,
                             Number_Pattern::Whole}) {
            Format_Text(text, pattern);
            Format_Number(value, pattern);
        }
        // The general form of every finite number, the largest doubles
        // included, reads back to the same number within its 15 digits.
        const QString general = General_Number(value);
        if (std::isfinite(value)) {
            const double back = Leading_Number(general);
            if (std::fabs(back - value) > 1e-14 * std::fabs(value))
                std::abort();
        }
        Print_Number(value);
        const QDate date = Parse_Date_Text(text);
        if (date.isValid() && Parse_Date_Text(Short_Date_Text(date)) != date)
            std::abort(); // a date written must read back as itself
        Text_To_Boolean(text);
        const Loose_Value loose(text);
        loose.Number();
        loose.Loose_Form();
        loose.Is_True();
        Loose_Value::Of_Number(value).Loose_Form();
    }
    return 0;
}
