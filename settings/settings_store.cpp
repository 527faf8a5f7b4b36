#include "settings_store.h"

#include "leading_number.h"
#include "number_format.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString Group = QStringLiteral("Config/");

// QSettings quotes and escapes what it writes, so a text comes back
// unchanged; only a value typed by hand with a bare comma reads as a list.
QString Text_Of(const QVariant &value)
{
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

} // namespace

const QStringList Settings_Keys = {
    QStringLiteral("Version"),
    QStringLiteral("OkINI"),
    QStringLiteral("Use Sound"),
    QStringLiteral("Large Buttons"),
    QStringLiteral("Use Code"),
    QStringLiteral("Use Private Fixture"),
    QStringLiteral("Use Quick Flush Fixture"),
    QStringLiteral("Editor"),
    QStringLiteral("Default Name"),
    QStringLiteral("Server Name"),
    QStringLiteral("Default Use Pressure"),
    QStringLiteral("Default Meter Location"),
    QStringLiteral("Default Calc Flow"),
    QStringLiteral("Default Min Main Pressure"),
    QStringLiteral("Default Service Diameter"),
    QStringLiteral("Default C Factor Service"),
    QStringLiteral("Default Plumbing Diameter"),
    QStringLiteral("Default C Factor Plumbing"),
    QStringLiteral("Default Length Factor"),
    QStringLiteral("Default Treatment Pressure Loss"),
    QStringLiteral("Default Fixture Pressure Required"),
    QStringLiteral("Default No Upsizing"),
    QStringLiteral("Default Path"),
    QStringLiteral("Set Meter Table"),
};

Settings_Store::Settings_Store()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quorvel"),
                                            QStringLiteral("Quorvel")))
{
}

Settings_Store::Settings_Store(const QString &path)
    : settings_(std::make_unique<QSettings>(path, QSettings::IniFormat))
{
}

Settings_Store::~Settings_Store() = default;
Settings_Store::Settings_Store(Settings_Store &&) noexcept = default;

QString Settings_Store::Read(const QString &key) const
{
    return Text_Of(settings_->value(Group + key));
}

void Settings_Store::Write(const QString &key, const QString &value)
{
    settings_->setValue(Group + key, value);
}

bool Settings_Store::Flush()
{
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

QString Settings_Store::File_Name() const
{
    return settings_->fileName();
}

QString Settings_Store::Default_Location()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quorvel"), QStringLiteral("Quorvel"))
        .fileName();
}

bool Settings_Boolean(const QString &text, bool prior)
{
    return Text_To_Boolean(text).value_or(prior);
}

Settings_Fields Read_Settings(const Settings_Store &store)
{
    Settings_Fields s;
    const auto text = [&store](int index) { return store.Read(Settings_Keys[index]); };
    s.INIVersion = text(0);
    s.OkINI = Settings_Boolean(text(1), s.OkINI);
    s.Sound1 = Settings_Boolean(text(2), s.Sound1);
    s.Large_Buttons = Settings_Boolean(text(3), s.Large_Buttons);
    s.Code = Settings_Boolean(text(4), s.Code);
    s.Fixture = Settings_Boolean(text(5), s.Fixture);
    s.Flush = Settings_Boolean(text(6), s.Flush);
    s.Editor = text(7);
    s.Default_DefaultName = text(8);
    s.ServerName = text(9);
    s.Default_Use_Pressure = Settings_Boolean(text(10), s.Default_Use_Pressure);
    s.Default_Meter_Location = text(11);
    s.Default_Calc_Flow = text(12);
    s.Default_Pressure_Min_Main = text(13);
    s.Default_Dia_Service = text(14);
    s.Default_C_Service = text(15);
    s.Default_Dia_Plumbing = text(16);
    s.Default_C_Plumbing = text(17);
    s.Default_Len_Factor = text(18);
    s.Default_Pressure_Treatment = text(19);
    s.Default_Pressure_Fixture = text(20);
    s.Default_No_Upsize = text(21);
    s.Default_Path = text(22);
    s.Set_Meter_Table = text(23);
    return s;
}

void Write_Settings(Settings_Store &store, const Settings_Fields &s)
{
    const auto boolean = [](bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); };
    // Numbers as decimal text with "." ("0" for no value); Booleans by name; texts unchanged.
    const auto loose = [](const Loose_Value &v) {
        if (v.Type() == Loose_Value::Kind::Number)
            return General_Number(v.Number());
        return v.Text();
    };
    const QStringList values = {
        Program_Version,
        QStringLiteral("True"),
        boolean(s.Sound1),
        boolean(s.Large_Buttons),
        boolean(s.Code),
        boolean(s.Fixture),
        boolean(s.Flush),
        s.Editor,
        s.Default_DefaultName,
        s.ServerName,
        boolean(s.Default_Use_Pressure),
        s.Default_Meter_Location,
        loose(s.Default_Calc_Flow),
        loose(s.Default_Pressure_Min_Main),
        loose(s.Default_Dia_Service),
        loose(s.Default_C_Service),
        loose(s.Default_Dia_Plumbing),
        loose(s.Default_C_Plumbing),
        loose(s.Default_Len_Factor),
        loose(s.Default_Pressure_Treatment),
        loose(s.Default_Pressure_Fixture),
        loose(s.Default_No_Upsize),
        s.Default_Path,
        s.Set_Meter_Table,
    };
    for (int i = 0; i < Settings_Keys.size(); ++i)
        store.Write(Settings_Keys[i], values[i]);
    store.Flush();
}

Settings_Fields Startup_Load(Settings_Store &store, Prompt &prompt)
{
    Settings_Fields s = Read_Settings(store);
    if (s.INIVersion != Program_Version) {
        s.OkINI = false;
        prompt.Show_Message(Reset_Message);
    }
    if (!s.OkINI) {
        // The factory settings; a write that fails is ignored and the
        // program goes on with them in memory.
        s = Settings_Fields::Factory();
        Write_Settings(store, s);
    }
    return s;
}

bool Load_Complete_Configuration(const Settings_Store &store, Settings_Fields &settings)
{
    Settings_Fields s = Read_Settings(store);
    if (s.INIVersion != Program_Version || !s.OkINI)
        return false;
    settings = s;
    return true;
}

void Apply_Startup_Settings(Program_State &state, const Settings_Fields &settings, const QDate &today)
{
    state.Settings = settings;
    Reset_Job(state.Job, settings, Reset_Kind::Startup, today);
    state.Current_Path = settings.Default_Path;
}
