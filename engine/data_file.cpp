#include "data_file.h"

#include "text_codec.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>

Data_File_Reader::Data_File_Reader(const QString &path)
    : device_(std::make_unique<QFile>(path))
{
    open_ = device_->open(QIODevice::ReadOnly);
}

Data_File_Reader::Data_File_Reader(const QByteArray &bytes)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    device_ = std::move(buffer);
    open_ = device_->open(QIODevice::ReadOnly);
}

Data_File_Reader::~Data_File_Reader() = default;

bool Data_File_Reader::Fill_Line()
{
    if (!open_ || scanned_ >= Max_File_Bytes || device_->atEnd())
        return false;
    // Read the line in small pieces: most lines are short, and a line longer
    // than Max_Line_Bytes is kept only up to that length.
    QByteArray bytes;
    char chunk[4096];
    bool complete = false;
    while (!complete && scanned_ < Max_File_Bytes) {
        const qint64 got = device_->readLine(chunk, sizeof chunk);
        if (got <= 0)
            break;
        scanned_ += got;
        complete = chunk[got - 1] == '\n';
        if (bytes.size() < Max_Line_Bytes)
            bytes.append(chunk, qsizetype(std::min<qint64>(got, Max_Line_Bytes - bytes.size())));
    }
    if (bytes.isEmpty() && !complete && !device_->atEnd())
        return false; // read error
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    line_ = Decode_1252(bytes);
    pos_ = 0;
    have_line_ = true;
    return true;
}

QString Data_File_Reader::Take_Value(bool trim_trailing)
{
    while (pos_ < line_.size() && (line_[pos_] == u' ' || line_[pos_] == u'\t'))
        ++pos_;
    QString value;
    if (pos_ < line_.size() && line_[pos_] == u'"') {
        const qsizetype close = line_.indexOf(u'"', pos_ + 1);
        const qsizetype end = close < 0 ? line_.size() : close;
        value = line_.mid(pos_ + 1, end - pos_ - 1);
        pos_ = close < 0 ? line_.size() : close + 1;
        // Anything up to the next comma belongs to no value.
        const qsizetype comma = line_.indexOf(u',', pos_);
        pos_ = comma < 0 ? line_.size() : comma + 1;
        if (comma < 0)
            have_line_ = false;
        return value;
    }
    const qsizetype comma = line_.indexOf(u',', pos_);
    const qsizetype end = comma < 0 ? line_.size() : comma;
    value = line_.mid(pos_, end - pos_);
    if (trim_trailing) {
        while (!value.isEmpty() && (value.back() == u' ' || value.back() == u'\t'))
            value.chop(1);
    }
    pos_ = comma < 0 ? line_.size() : comma + 1;
    if (comma < 0)
        have_line_ = false;
    return value;
}

bool Data_File_Reader::Next_Line_Value(QString &value)
{
    if (!Fill_Line())
        return false;
    value = Take_Value(false);
    have_line_ = false;
    return true;
}

bool Data_File_Reader::Next_Value(QString &value)
{
    if (!have_line_ && !Fill_Line())
        return false;
    value = Take_Value(true);
    return true;
}

QString Column_Text(const QString &line, int first, int last)
{
    if (first < 1 || last < first || line.size() < first)
        return QString();
    return line.mid(first - 1, last - first + 1);
}

bool Has_Tag(QStringView line, QStringView tag)
{
    return line.startsWith(tag);
}
