// The data-file reader on any bytes: values by line and in sequence, and
// the fixed-column cuts the tables take of them. The Windows-1252 codec
// must give back the bytes it read.

#include "data_file.h"
#include "fuzz_common.h"
#include "text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    if (Encode_1252(Decode_1252(bytes)) != bytes)
        std::abort();

    // Line values, as the tables read them, with every column cut.
    {
        Data_File_Reader reader(bytes);
        QString value;
        int lines = 0;
        while (reader.Next_Line_Value(value)) {
            if (value.size() > Data_File_Reader::Max_Line_Bytes)
                std::abort();
            Has_Tag(value, u"Date:");
            Column_Text(value, 1, 39);
            Column_Text(value, 40, 79);
            Column_Text(value, 80, 80);
            Column_Text(value, int(lines % 90) - 5, int(lines % 7) + 3);
            ++lines;
        }
    }
    // Values in sequence, and a mix of the two, steered by the first byte.
    {
        Data_File_Reader reader(bytes);
        QString value;
        const unsigned steer = size ? data[0] : 0;
        for (unsigned i = 0;; ++i) {
            const bool by_line = (steer >> (i % 8)) & 1;
            if (!(by_line ? reader.Next_Line_Value(value) : reader.Next_Value(value)))
                break;
        }
    }
    return 0;
}
