#pragma once

#include <QString>
#include <QStringView>

// Number texts shared by every writer of the program: the window's result
// texts, the job file, the report and the documents. Rounding is decimal and
// takes halves away from zero; "." is the decimal point whatever the locale.

enum class Number_Pattern {
    Optional_1,   // "###.#": 12 -> "12.", 0.5 -> ".5", 0 -> "."
    Fixed_1,      // "0.0":   5 -> "5.0", -3.25 -> "-3.3"
    Fixed_3,      // "0.000": 1.5 -> "1.500"
    Whole,        // "#":     12.5 -> "13", 0 -> ""
};

// A number in one of the display patterns. Not-a-number and infinity give
// the empty text, so that they never reach a screen or a report.
QString Format_Number(double value, Number_Pattern pattern);

// A text in a display pattern: a text that reads wholly as a number is
// formatted, any other text (such as the marker "Oops") passes unchanged,
// and the empty text stays empty.
QString Format_Text(const QString &text, Number_Pattern pattern);

// True when the whole text, blanks around it aside, is one decimal number.
bool Is_Numeric_Text(QStringView text);

// General decimal form: up to 15 significant digits, no trailing zeros,
// a leading zero before the point ("2.5", "0.5", "-3", "1E+15").
QString General_Number(double value);

// Numeric print form: a blank (or "-" when negative), the general decimal
// form without a zero before the point, and one trailing blank
// (" 1 ", " .5 ", "-2.5 ").
QString Print_Number(double value);

// The short date text of the program: M/d/yyyy, whatever the locale.
class QDate;
QString Short_Date_Text(const QDate &date);

// Reads a date text: M/d/yyyy, M/d/yy (two-digit years are 20yy),
// yyyy-MM-dd, d MMM yyyy, and the system locale's short form. Returns an
// invalid date when the text is none of these.
QDate Parse_Date_Text(QStringView text);
