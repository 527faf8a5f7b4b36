// The job file (*.qvl): any bytes read into a job. What the writer then
// writes for that job must read back to the same job: writing the job read
// from its own file gives the same fields.

#include "fuzz_common.h"
#include "job_file.h"
#include "program_state.h"

#include <QDate>

namespace {

Program_State Fresh_State()
{
    Program_State state;
    Reset_Job(state.Job, Settings_Fields::Factory(), Reset_Kind::Startup, QDate(2024, 5, 17));
    return state;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    int present = 0;
    const QStringList fields = Job_File_Fields(bytes, &present);
    if (fields.size() > 70 || present > 71)
        std::abort();
    for (const QString &field : fields) {
        Encode_Note(Decode_Note(field));
        Version_Number(field);
    }

    Program_State first = Fresh_State();
    Apply_Job_File(first, bytes);
    const QByteArray written = Job_File_Bytes(first);

    // A job the writer takes is a file the reader opens.
    if (Unsaveable_Characters(first.Job).isEmpty() && !Not_Text_Reason(written).isEmpty())
        std::abort();

    Program_State second = Fresh_State();
    const Job_Read_Result again = Apply_Job_File(second, written);
    if (!again.Opened || !again.Messages.isEmpty())
        std::abort(); // the current layout reads without the earlier-version warning
    // The same fields; the bytes may differ where a text that needed quotes
    // the first time no longer does (a double quote is written as '').
    if (Job_File_Fields(Job_File_Bytes(second)) != Job_File_Fields(written))
        std::abort();
    return 0;
}
