#include "update_verify.h"

#include "tables.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>

#include <sodium.h>

namespace {

constexpr qint64 Most_Text_Bytes = 16 * 1024 * 1024;

QByteArray Base64_Line(const QByteArray &line)
{
    const auto decoded = QByteArray::fromBase64Encoding(line.trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? *decoded : QByteArray();
}

bool Sodium_Ready()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// Text in the code page the program's files use, or UTF-8: no NUL byte,
// no control character but tab, line ends and form feed.
QString Text_Problem(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QStringLiteral("it is empty");
    if (bytes.contains('\0'))
        return QStringLiteral("it holds NUL bytes, so it is not text");
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f')
            return QStringLiteral("it holds control characters, so it is not text");
    }
    return {};
}

QByteArray Read_Head(const QString &path, qint64 most)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(most) : QByteArray();
}

// The ELF identity of an executable: class, byte order, type and machine.
struct Elf_Identity {
    bool Valid = false;
    unsigned char Class = 0, Data = 0;
    unsigned Type = 0, Machine = 0;
};

Elf_Identity Elf_Of(const QByteArray &head)
{
    Elf_Identity id;
    if (head.size() < 20 || !head.startsWith("\x7f" "ELF"))
        return id;
    id.Class = static_cast<unsigned char>(head[4]);
    id.Data = static_cast<unsigned char>(head[5]);
    const auto byte = [&head](int i) { return unsigned(static_cast<unsigned char>(head[i])); };
    const bool little = id.Data == 1;
    id.Type = little ? byte(16) | byte(17) << 8 : byte(17) | byte(16) << 8;
    id.Machine = little ? byte(18) | byte(19) << 8 : byte(19) | byte(18) << 8;
    id.Valid = (id.Class == 1 || id.Class == 2) && (id.Data == 1 || id.Data == 2);
    return id;
}

QString Program_Problem(const QString &path)
{
    const Elf_Identity file = Elf_Of(Read_Head(path, 64));
    if (!file.Valid)
        return QStringLiteral("it is not a program of this computer (no ELF executable)");
    if (file.Type != 2 && file.Type != 3)
        return QStringLiteral("it is an ELF file but no executable");
    // This computer's kind: that of the program now running.
    const Elf_Identity here = Elf_Of(Read_Head(QStringLiteral("/proc/self/exe"), 64));
    if (here.Valid && (here.Class != file.Class || here.Data != file.Data || here.Machine != file.Machine))
        return QStringLiteral("it is a program for another kind of computer (ELF machine %1, this one is %2)")
            .arg(file.Machine)
            .arg(here.Machine);
    return {};
}

QString Data_Problem(const QString &path, Update_File_Kind kind)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("it could not be read back (%1)").arg(file.errorString());
    if (file.size() > Most_Text_Bytes)
        return QStringLiteral("it is far too large for its kind");
    const QByteArray bytes = file.readAll();
    if (QString problem = Text_Problem(bytes); !problem.isEmpty())
        return problem;
    if (bytes.trimmed().startsWith('<'))
        return QStringLiteral("it is a web page, not a data file");
    if (!bytes.endsWith('\n') && !bytes.endsWith('\r'))
        return QStringLiteral("its last line is cut off");
    int records = 0;
    QDate date;
    switch (kind) {
    case Update_File_Kind::Fixture_Table:
    case Update_File_Kind::Public_Fixture_Table: {
        const Fixture_Table t = Load_Fixture_Table(path, kind == Update_File_Kind::Public_Fixture_Table);
        for (const Fixture_Row &r : t.Rows)
            records += r.Fixture_Units > 0 || r.Value_3 > 0 || r.Value_4 > 0 || r.Note_A;
        date = t.Date;
        break;
    }
    case Update_File_Kind::Conversion_Table: {
        const Flow_Conversion_Table t = Load_Flow_Conversion_Table(path);
        for (const Flow_Conversion_Point &p : t.Rows)
            records += p.Fixture_Units > 0 && (p.Quick_Flush_Flow > 0 || p.Tank_Flow > 0);
        date = t.Date;
        break;
    }
    default: {
        Meter_List list;
        Load_Meter_List(list, path);
        for (const Meter_Entry &e : list.Entries)
            records += e.Max_Flow > 0;
        date = list.Date;
        break;
    }
    }
    if (records == 0)
        return kind == Update_File_Kind::Meter_List ? QStringLiteral("it holds no meter")
                                                    : QStringLiteral("it holds no record of its table");
    if (!date.isValid())
        return QStringLiteral("it has no \"Date:\" line with a date");
    return {};
}

} // namespace

QList<Minisign_Key> Parse_Minisign_Keys(const QByteArray &text)
{
    QList<Minisign_Key> keys;
    for (const QByteArray &line : text.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith("untrusted comment:"))
            continue;
        const QByteArray raw = Base64_Line(trimmed);
        if (raw.size() == 42 && raw.startsWith("Ed"))
            keys.append({raw.mid(2, 8), raw.mid(10, 32)});
    }
    return keys;
}

QString Verify_Minisign(const QByteArray &message, const QByteArray &signature_file, const QList<Minisign_Key> &keys)
{
    if (!Sodium_Ready())
        return QStringLiteral("the signature library could not start");
    QList<QByteArray> lines = signature_file.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    if (lines.size() < 4 || !lines[0].startsWith("untrusted comment:") || !lines[2].startsWith("trusted comment: "))
        return QStringLiteral("the signature file is not a minisign signature");
    const QByteArray signature = Base64_Line(lines[1]);
    const QByteArray global = Base64_Line(lines[3]);
    if (signature.size() != 74 || global.size() != int(crypto_sign_BYTES))
        return QStringLiteral("the signature file is not a minisign signature");
    const QByteArray algorithm = signature.left(2);
    const QByteArray key_id = signature.mid(2, 8);
    const QByteArray sig = signature.mid(10, 64);
    QList<const Minisign_Key *> candidates;
    for (const Minisign_Key &k : keys) {
        if (k.Key_Id == key_id)
            candidates << &k;
    }
    if (candidates.isEmpty())
        return keys.isEmpty() ? QStringLiteral("no trusted key is installed (Quorvel-Update.pub)")
                              : QStringLiteral("it was made with a key that is not trusted here");
    if (algorithm != "Ed" && algorithm != "ED")
        return QStringLiteral("the signature is of an unknown kind");
    // Every trusted key of that id is tried: ids are not unique.
    QString why;
    for (const Minisign_Key *key : std::as_const(candidates)) {
        const auto pk = reinterpret_cast<const unsigned char *>(key->Public.constData());
        const auto s = reinterpret_cast<const unsigned char *>(sig.constData());
        int verified = -1;
        if (algorithm == "Ed") {
            verified = crypto_sign_verify_detached(s, reinterpret_cast<const unsigned char *>(message.constData()),
                                                   static_cast<unsigned long long>(message.size()), pk);
        } else {
            unsigned char hash[crypto_generichash_BYTES_MAX];
            crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char *>(message.constData()),
                               static_cast<unsigned long long>(message.size()), nullptr, 0);
            verified = crypto_sign_verify_detached(s, hash, sizeof hash, pk);
        }
        if (verified != 0) {
            why = QStringLiteral("the signature does not match the index");
            continue;
        }
        const QByteArray comment = lines[2].mid(17);
        const QByteArray signed_comment = sig + comment;
        if (crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(global.constData()),
                                        reinterpret_cast<const unsigned char *>(signed_comment.constData()),
                                        static_cast<unsigned long long>(signed_comment.size()), pk)
            != 0) {
            why = QStringLiteral("the signature's trusted comment does not verify");
            continue;
        }
        return {};
    }
    return why;
}

bool Parse_Sha256_Sums(const QByteArray &text, QMap<QString, QByteArray> &sums, QString &error)
{
    static const QRegularExpression line_form(QStringLiteral("^([0-9a-fA-F]{64}) [ *](.+)$"));
    sums.clear();
    int number = 0;
    for (QByteArray line : text.split('\n')) {
        ++number;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QRegularExpressionMatch m = line_form.match(QString::fromUtf8(line));
        if (!m.hasMatch()) {
            error = QStringLiteral("line %1 of SHA256SUMS is not a checksum line").arg(number);
            return false;
        }
        QString name = m.captured(2);
        if (name.startsWith(QStringLiteral("./")))
            name = name.mid(2);
        if (sums.contains(name)) {
            error = QStringLiteral("SHA256SUMS lists %1 twice").arg(name);
            return false;
        }
        sums.insert(name, m.captured(1).toLower().toLatin1());
    }
    if (sums.isEmpty()) {
        error = QStringLiteral("SHA256SUMS lists no file");
        return false;
    }
    return true;
}

QByteArray File_Sha256(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return hash.result().toHex();
}

QString Check_Update_File(const QString &path, Update_File_Kind kind)
{
    switch (kind) {
    case Update_File_Kind::Program:
        return Program_Problem(path);
    case Update_File_Kind::Clip:
        return QFile(path).size() > 0 ? QString() : QStringLiteral("it is empty");
    case Update_File_Kind::Document: {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("it could not be read back (%1)").arg(file.errorString());
        if (file.size() > Most_Text_Bytes)
            return QStringLiteral("it is far too large for a document");
        return Text_Problem(file.readAll());
    }
    default:
        return Data_Problem(path, kind);
    }
}
