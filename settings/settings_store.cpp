#include "settings_store.h"

#include "user_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <array>
#include <variant>

namespace {

const QString Organisation = QStringLiteral("Quorvel");
const QString Application = QStringLiteral("Quorvel");
const QString Group = QStringLiteral("Config/");
const QString True_Text = QStringLiteral("True");
const QString False_Text = QStringLiteral("False");

// One key of the store and the in-memory field it fills. The field's type
// decides how the text is read and written: Booleans by name, loose values
// and texts unchanged.
struct Key_Field {
    const char16_t *Key;
    std::variant<bool Settings_Fields::*, QString Settings_Fields::*, Loose_Value Settings_Fields::*> Field;
};

// In the order of reading and writing; "Version" and "OkINI" first.
const std::array<Key_Field, 24> Key_Fields = {{
    {u"Version", &Settings_Fields::INIVersion},
    {u"OkINI", &Settings_Fields::OkINI},
    {u"Use Sound", &Settings_Fields::Sound1},
    {u"Large Buttons", &Settings_Fields::Large_Buttons},
    {u"Use Code", &Settings_Fields::Code},
    {u"Use Private Fixture", &Settings_Fields::Fixture},
    {u"Use Quick Flush Fixture", &Settings_Fields::Flush},
    {u"Editor", &Settings_Fields::Editor},
    {u"Default Name", &Settings_Fields::Default_DefaultName},
    {u"Server Name", &Settings_Fields::ServerName},
    {u"Default Use Pressure", &Settings_Fields::Default_Use_Pressure},
    {u"Default Meter Location", &Settings_Fields::Default_Meter_Location},
    {u"Default Calc Flow", &Settings_Fields::Default_Calc_Flow},
    {u"Default Min Main Pressure", &Settings_Fields::Default_Pressure_Min_Main},
    {u"Default Service Diameter", &Settings_Fields::Default_Dia_Service},
    {u"Default C Factor Service", &Settings_Fields::Default_C_Service},
    {u"Default Plumbing Diameter", &Settings_Fields::Default_Dia_Plumbing},
    {u"Default C Factor Plumbing", &Settings_Fields::Default_C_Plumbing},
    {u"Default Length Factor", &Settings_Fields::Default_Len_Factor},
    {u"Default Treatment Pressure Loss", &Settings_Fields::Default_Pressure_Treatment},
    {u"Default Fixture Pressure Required", &Settings_Fields::Default_Pressure_Fixture},
    {u"Default No Upsizing", &Settings_Fields::Default_No_Upsize},
    {u"Default Path", &Settings_Fields::Default_Path},
    {u"Set Meter Table", &Settings_Fields::Set_Meter_Table},
}};

template <class... F>
struct Overload : F... {
    using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>;

template <class T>
bool Is(const Key_Field &k, T Settings_Fields::*member)
{
    const auto *field = std::get_if<T Settings_Fields::*>(&k.Field);
    return field && *field == member;
}

// What the INI reader made of a value, as the text that was stored.
QString Text_Of(const QVariant &value)
{
    const QString text = value.userType() == QMetaType::QStringList
                             ? value.toStringList().join(QStringLiteral(", "))
                             : value.toString(); // an invalid or foreign value gives the empty text
    // A hand-edited "\xDEFA" is half of a UTF-16 pair, which the file can
    // never hold: it reads as the replacement character, as it would after
    // the next save, so a value read is a value that can be written back.
    if (text.isValidUtf16())
        return text;
    QString whole;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            whole += c;
            whole += text[++i];
        } else {
            whole += c.isSurrogate() ? QChar(QChar::ReplacementCharacter) : c;
        }
    }
    return whole;
}

QStringList Key_Names()
{
    QStringList keys;
    for (const Key_Field &k : Key_Fields)
        keys << QString::fromUtf16(k.Key);
    return keys;
}

} // namespace

const QStringList Settings_Keys = Key_Names();

Settings_Store::Settings_Store()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, Organisation, Application))
{
}

Settings_Store::Settings_Store(const QString &path)
    : settings_(std::make_unique<QSettings>(path, QSettings::IniFormat))
{
}

Settings_Store::~Settings_Store() = default;
Settings_Store::Settings_Store(Settings_Store &&) noexcept = default;
Settings_Store &Settings_Store::operator=(Settings_Store &&) noexcept = default;

QString Settings_Store::Read(const QString &key) const
{
    const auto stored = written_.constFind(Group + key);
    if (stored != written_.constEnd())
        return *stored;
    return Text_Of(settings_->value(Group + key));
}

void Settings_Store::Write(const QString &key, const QString &value)
{
    written_.insert(Group + key, value);
}

bool Settings_Store::Flush()
{
    error_.clear();
    if (settings_->status() == QSettings::FormatError) {
        error_ = QStringLiteral("the file does not hold settings in a form the program can read");
        return false;
    }
    if (written_.isEmpty())
        return true;
    // The INI text as QSettings writes it (quoted and escaped), made in a
    // private folder from what the file held and what was stored since,
    // then written over the store's file all or nothing.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        error_ = scratch.errorString();
        return false;
    }
    const QString staged = scratch.filePath(QStringLiteral("store.ini"));
    {
        QSettings copy(staged, QSettings::IniFormat);
        for (const QString &key : settings_->allKeys())
            if (!written_.contains(key))
                copy.setValue(key, settings_->value(key));
        // Always a QString, so that the INI writer quotes and escapes it
        // rather than writing a list or a typed value.
        for (auto it = written_.cbegin(); it != written_.cend(); ++it)
            copy.setValue(it.key(), QVariant(it.value()));
        copy.sync();
        if (copy.status() != QSettings::NoError) {
            error_ = QStringLiteral("the settings could not be laid out");
            return false;
        }
    }
    QFile text(staged);
    if (!text.open(QIODevice::ReadOnly)) {
        error_ = text.errorString();
        return false;
    }
    const QByteArray bytes = text.readAll();
    const QString path = File_Name();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        error_ = QStringLiteral("its folder could not be created");
        return false;
    }
    return Write_User_File(path, bytes, &error_);
}

QString Settings_Store::Last_Error() const
{
    return error_;
}

QString Settings_Store::File_Name() const
{
    return settings_->fileName();
}

QString Settings_Store::Default_Location()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, Organisation, Application).fileName();
}

bool Settings_Boolean(const QString &text, bool prior)
{
    return Text_To_Boolean(text).value_or(prior);
}

Settings_Fields Read_Settings(const Settings_Store &store)
{
    Settings_Fields s;
    for (const Key_Field &k : Key_Fields) {
        const QString text = store.Read(QString::fromUtf16(k.Key));
        std::visit(Overload{
                       [&](bool Settings_Fields::*field) { s.*field = Settings_Boolean(text, s.*field); },
                       [&](QString Settings_Fields::*field) { s.*field = text; },
                       [&](Loose_Value Settings_Fields::*field) { s.*field = Loose_Value(text); },
                   },
                   k.Field);
    }
    return s;
}

bool Write_Settings(Settings_Store &store, const Settings_Fields &s, QString *error)
{
    for (const Key_Field &k : Key_Fields) {
        QString text = std::visit(Overload{
                                      [&](bool Settings_Fields::*field) { return s.*field ? True_Text : False_Text; },
                                      [&](QString Settings_Fields::*field) { return s.*field; },
                                      [&](Loose_Value Settings_Fields::*field) { return (s.*field).Text(); },
                                  },
                                  k.Field);
        // The store always receives this program's version, marked complete.
        if (Is(k, &Settings_Fields::INIVersion))
            text = Program_Version;
        else if (Is(k, &Settings_Fields::OkINI))
            text = True_Text;
        store.Write(QString::fromUtf16(k.Key), text);
    }
    if (store.Flush())
        return true;
    if (error)
        *error = store.Last_Error();
    return false;
}

Settings_Fields Startup_Load(Settings_Store &store, Prompt &prompt)
{
    Settings_Fields s = Read_Settings(store);
    if (s.INIVersion != Program_Version) {
        s.OkINI = false;
        prompt.Show_Message(Reset_Message);
    }
    if (!s.OkINI) {
        // The factory settings, to the store and into memory. When the
        // store cannot be written the program goes on with them in memory.
        s = Settings_Fields::Factory();
        Write_Settings(store, s); // a store that cannot be written is left as it is
    }
    return s;
}

bool Load_Complete_Configuration(const Settings_Store &store, Settings_Fields &settings)
{
    const Settings_Fields s = Read_Settings(store);
    if (s.INIVersion != Program_Version || !s.OkINI)
        return false;
    settings = s;
    return true;
}

void Apply_Startup_Settings(Program_State &state, const Settings_Fields &settings, const QDate &today)
{
    state.Settings = settings;
    // The job's options, name, date, pressure defaults and meter location.
    Reset_Job(state.Job, settings, Reset_Kind::Startup, today);
    state.Current_Path = settings.Default_Path;
}
