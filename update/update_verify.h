#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// What the update trusts: the release index "SHA256SUMS" of a source, its
// minisign signature "SHA256SUMS.minisig" checked against the keys of
// "Quorvel-Update.pub" in the program folder, and the content of every
// fetched file before it may replace one here.

struct Minisign_Key {
    QByteArray Key_Id; // 8 bytes
    QByteArray Public; // 32 bytes, Ed25519
};

// Every key block of a minisign public key file (an optional "untrusted
// comment:" line, then the base64 of "Ed", the key id and the key).
QList<Minisign_Key> Parse_Minisign_Keys(const QByteArray &text);

// Checks a minisign signature file against the message: the algorithm
// "Ed" (the message itself) or "ED" (its BLAKE2b-512 hash), a key id among
// the trusted keys, and the global signature over the trusted comment.
// Empty when it verifies, else why not.
QString Verify_Minisign(const QByteArray &message, const QByteArray &signature_file, const QList<Minisign_Key> &keys);

// "SHA256SUMS" as sha256sum writes it: name -> 64 lower-case hex digits.
// False with the reason when a line is not of that form or a name repeats.
bool Parse_Sha256_Sums(const QByteArray &text, QMap<QString, QByteArray> &sums, QString &error);

// The SHA-256 of a file as 64 lower-case hex digits; empty when unreadable.
QByteArray File_Sha256(const QString &path);

// The kinds of file an update brings, each with its own check.
enum class Update_File_Kind { Program, Document, Clip, Fixture_Table, Public_Fixture_Table, Conversion_Table, Meter_List };

// Checks a fetched file before it may replace the current one: a table or
// meter list is text without NUL bytes that the program's own loader reads
// as at least one record and a date, and that ends with a line end; the
// program is an ELF executable of this computer's kind; a document is text.
// Empty when it passes, else why not.
QString Check_Update_File(const QString &path, Update_File_Kind kind);
