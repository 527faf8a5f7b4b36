// The settings values: any bytes as the per-user INI file, read at startup
// as the program does, then written back and read again.

#include "fuzz_common.h"
#include "program_state.h"
#include "prompt.h"
#include "settings_store.h"

#include <QDate>
#include <QFile>

namespace {

class Quiet_Prompt : public Prompt {
public:
    void Show_Message(const QString &) override {}
    Answer Ask_Yes_No(const QString &) override { return Answer::No; }
    Answer Ask_Yes_No_Cancel(const QString &) override { return Answer::Cancel; }
    QString Choose_Open_File(const QString &, const QString &, const QString &, int) override { return {}; }
    QString Choose_Save_File(const QString &, const QString &, const QString &, int) override { return {}; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::Put_File(QStringLiteral("Quorvel.ini"), fuzz::Bytes(data, size));
    Settings_Fields loaded;
    {
        const Settings_Store store(path);
        Settings_Fields complete;
        Load_Complete_Configuration(store, complete);
        for (const QString &key : Settings_Keys)
            Settings_Boolean(store.Read(key), true);
    }
    {
        Settings_Store store(path);
        Quiet_Prompt prompt;
        loaded = Startup_Load(store, prompt);
        Program_State state;
        Apply_Startup_Settings(state, loaded, QDate(2024, 5, 17));
    }
    // What the program writes it reads back unchanged.
    QFile::remove(path);
    {
        Settings_Store store(path);
        Write_Settings(store, loaded);
    }
    {
        const Settings_Store store(path);
        const Settings_Fields again = Read_Settings(store);
        if (again.Editor != loaded.Editor || again.ServerName != loaded.ServerName
            || again.Default_Path != loaded.Default_Path || again.Set_Meter_Table != loaded.Set_Meter_Table
            || again.Default_Meter_Location != loaded.Default_Meter_Location
            || again.Default_DefaultName != loaded.Default_DefaultName)
            std::abort();
    }
    return 0;
}
