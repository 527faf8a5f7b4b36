#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Data files, job files, reports and documents are Windows-1252 text.
QString Decode_1252(QByteArrayView bytes);
// Characters that Windows-1252 cannot hold are written as "?".
QByteArray Encode_1252(QStringView text);
