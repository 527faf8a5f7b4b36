#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringView>

#include <memory>

// Reader of the program's data files (fixture tables, conversion table,
// meter lists, update manifest). The files are Windows-1252 text with CR LF
// or LF line ends. A value ends at a comma or at the end of its line;
// leading blanks are skipped; a value that begins with a double quote runs
// to the next double quote and may hold commas.
//
// A missing or unreadable file reads as an empty one; nothing here fails.
class Data_File_Reader {
public:
    explicit Data_File_Reader(const QString &path);
    // The same rules on a text already in memory.
    explicit Data_File_Reader(const QByteArray &bytes);
    ~Data_File_Reader();

    // The value at the start of the next line; the rest of that line is
    // dropped. Trailing blanks of an unquoted value are kept, so that fixed
    // columns stay in place. False at the end of the file.
    bool Next_Line_Value(QString &value);

    // The next value in sequence: the text after a comma is the next value,
    // as when the file is read item by item. Trailing blanks are removed.
    // False at the end of the file.
    bool Next_Value(QString &value);

    // Longest line kept; the rest of a longer line is skipped unread.
    static constexpr qsizetype Max_Line_Bytes = 64 * 1024;
    // Bytes scanned in all before the file counts as ended.
    static constexpr qint64 Max_File_Bytes = 16 * 1024 * 1024;

private:
    bool Fill_Line();
    QString Take_Value(bool trim_trailing);

    std::unique_ptr<QIODevice> device_;
    bool open_ = false;
    qint64 scanned_ = 0;
    QString line_;
    qsizetype pos_ = 0;
    bool have_line_ = false;
};

// Fixed-column cut of a record: the characters of columns first..last
// (counted from 1) of the line; shorter lines give a shorter or empty text.
QString Column_Text(const QString &line, int first, int last);

// True when the text begins with the five characters of a tag such as "Date:".
bool Has_Tag(QStringView line, QStringView tag);
