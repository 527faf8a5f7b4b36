#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// Data files, job files, reports and documents are Windows-1252 text.
QString Decode_1252(QByteArrayView bytes);
// Characters that Windows-1252 cannot hold are written as "?"; writers of
// what the user typed check Unencodable_1252 first and say so instead.
QByteArray Encode_1252(QStringView text);
// The characters of the text that Windows-1252 cannot hold, each once, in
// the order they first occur (a character beyond U+FFFF is one entry of
// two UTF-16 units); empty when it holds them all.
QStringList Unencodable_1252(QStringView text);
