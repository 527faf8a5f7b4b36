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
        // "Version" and "OkINI" are written as this program's; everything
        // else as it was read.
        const auto same = [](const Settings_Fields &a, const Settings_Fields &b) {
            return a.Sound1 == b.Sound1 && a.Large_Buttons == b.Large_Buttons && a.Code == b.Code
                   && a.Fixture == b.Fixture && a.Flush == b.Flush && a.Editor == b.Editor
                   && a.Default_DefaultName == b.Default_DefaultName && a.ServerName == b.ServerName
                   && a.Default_Use_Pressure == b.Default_Use_Pressure
                   && a.Default_Meter_Location == b.Default_Meter_Location
                   && a.Default_Calc_Flow.Text() == b.Default_Calc_Flow.Text()
                   && a.Default_Pressure_Min_Main.Text() == b.Default_Pressure_Min_Main.Text()
                   && a.Default_Dia_Service.Text() == b.Default_Dia_Service.Text()
                   && a.Default_C_Service.Text() == b.Default_C_Service.Text()
                   && a.Default_Dia_Plumbing.Text() == b.Default_Dia_Plumbing.Text()
                   && a.Default_C_Plumbing.Text() == b.Default_C_Plumbing.Text()
                   && a.Default_Len_Factor.Text() == b.Default_Len_Factor.Text()
                   && a.Default_Pressure_Treatment.Text() == b.Default_Pressure_Treatment.Text()
                   && a.Default_Pressure_Fixture.Text() == b.Default_Pressure_Fixture.Text()
                   && a.Default_No_Upsize.Text() == b.Default_No_Upsize.Text()
                   && a.Default_Path == b.Default_Path && a.Set_Meter_Table == b.Set_Meter_Table;
        };
        if (!same(again, loaded) || again.INIVersion != Program_Version || !again.OkINI)
            std::abort();
    }
    return 0;
}
