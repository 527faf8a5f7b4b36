#include "tables.h"

#include "data_file.h"
#include "leading_number.h"
#include "number_format.h"

#include <QDir>

namespace {

bool Is_Comment(const QString &line)
{
    return line.isEmpty() || line.startsWith(u'\'');
}

double Number_In(const QString &line, int first, int last)
{
    return Leading_Number(Column_Text(line, first, last));
}

QString Trimmed_Right(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

// A date line's date; an invalid text leaves the earlier date.
void Take_Date(const QString &line, QDate &date)
{
    const QDate read = Parse_Date_Text(QStringView(line).mid(5));
    if (read.isValid())
        date = read;
}

} // namespace

Fixture_Table Load_Fixture_Table(const QString &path, bool public_table)
{
    Fixture_Table table;
    Data_File_Reader reader(path);
    QString line;
    for (int n = 0; n < Fixture_Table_Lines && reader.Next_Line_Value(line); ++n) {
        if (Has_Tag(line, u"Date:")) {
            Take_Date(line, table.Date);
            continue;
        }
        if (Is_Comment(line) || table.Row_Count() >= Max_Table_Records)
            continue;
        Fixture_Row row;
        row.Code_Description = Column_Text(line, 1, 39);
        row.Plain_Description = Column_Text(line, 40, 79);
        row.Note_A = public_table && Column_Text(line, 80, 80) == u"b";
        row.Value_3 = row.Note_A ? 0 : Number_In(line, 80, 89);
        row.Value_4 = Number_In(line, 90, 99);
        row.Fixture_Units = Number_In(line, 100, 109);
        table.Rows.append(row);
    }
    table.Provenance = Read_Provenance(path, Fixture_Table_Lines);
    return table;
}

Flow_Conversion_Table Load_Flow_Conversion_Table(const QString &path)
{
    Flow_Conversion_Table table;
    Data_File_Reader reader(path);
    QString line;
    for (int n = 0; n < Long_Table_Lines && reader.Next_Line_Value(line); ++n) {
        if (Has_Tag(line, u"Date:")) {
            Take_Date(line, table.Date);
            continue;
        }
        if (Is_Comment(line) || table.Row_Count() >= Max_Table_Records)
            continue;
        table.Rows.append({Number_In(line, 1, 39), Number_In(line, 40, 79), Number_In(line, 80, 94)});
    }
    table.Provenance = Read_Provenance(path, Long_Table_Lines);
    return table;
}

void Load_Meter_List(Meter_List &list, const QString &path)
{
    list.Entries.clear();
    Data_File_Reader reader(path);
    QString line;
    for (int n = 0; n < Long_Table_Lines && reader.Next_Line_Value(line); ++n) {
        if (Has_Tag(line, u"Date:")) {
            Take_Date(line, list.Date);
            continue;
        }
        if (Has_Tag(line, u"Desc:")) {
            list.Description = line.mid(6);
            continue;
        }
        if (Is_Comment(line) || list.Count() >= Max_Table_Records)
            continue;
        Meter_Entry e;
        e.Size_Label = Trimmed_Right(Column_Text(line, 1, 19));
        e.Make = Trimmed_Right(Column_Text(line, 20, 39));
        e.Model = Trimmed_Right(Column_Text(line, 40, 59));
        e.Value_4 = Number_In(line, 60, 69);
        e.Max_Flow = Number_In(line, 70, 79);
        e.Max_Continuous_Flow = Number_In(line, 80, 89);
        for (int p = 0; p < 3; ++p) {
            e.Loss_Point_Flow[p] = Number_In(line, 90 + 20 * p, 99 + 20 * p);
            e.Loss_Point_Loss[p] = Number_In(line, 100 + 20 * p, 109 + 20 * p);
        }
        list.Entries.append(e);
    }
    list.Provenance = Read_Provenance(path, Long_Table_Lines);
}

QList<Meter_List_File> Scan_Meter_List_Files(const QString &folder)
{
    QList<Meter_List_File> files;
    const QStringList names = QDir(folder.isEmpty() ? QStringLiteral("/") : folder).entryList(QDir::Files);
    for (const QString &name : names) {
        if (!name.endsWith(QStringLiteral(".mtr"), Qt::CaseInsensitive))
            continue;
        if (files.size() >= Max_Table_Records)
            break;
        Meter_List_File file{name, QString(), QString()};
        Data_File_Reader reader(folder + u'/' + name);
        QString value;
        for (int n = 0; n < Long_Table_Lines && reader.Next_Value(value); ++n) {
            if (Has_Tag(value, u"Desc:"))
                file.Description = value.mid(6);
            else if (Has_Tag(value, u"Date:"))
                file.Date_Text = value.mid(6);
        }
        files.append(file);
    }
    return files;
}
