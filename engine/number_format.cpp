#include "number_format.h"

#include <QDate>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

// A non-negative number as decimal digits: value = 0.digits * 10^exponent.
struct Decimal {
    char digits[24];
    int count = 0;     // number of significant digits held
    int exponent = 0;  // position of the point relative to the first digit
};

// The value with 15 significant digits, the precision a double holds
// reliably; this is the decimal text the user would see.
Decimal To_Decimal(double magnitude)
{
    Decimal d;
    if (magnitude == 0)
        return d;
    char buffer[40];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer - 1, magnitude,
                                   std::chars_format::scientific, 14);
    *res.ptr = '\0'; // the exponent is read up to here
    // Form: d.ddddddddddddddde[+-]xx
    const char *p = buffer;
    while (p < res.ptr && *p != 'e') {
        if (*p != '.')
            d.digits[d.count++] = *p;
        ++p;
    }
    const int exp10 = std::atoi(p + 1);
    while (d.count > 0 && d.digits[d.count - 1] == '0')
        --d.count;
    d.exponent = exp10 + 1;
    return d;
}

// Rounds to the given number of decimal places, halves away from zero.
Decimal Round_To_Places(Decimal d, int places)
{
    const int keep = d.exponent + places; // significant digits that survive
    if (keep >= d.count)
        return d;
    if (keep < 0) {
        d.count = 0;
        d.exponent = 0;
        return d;
    }
    const bool up = d.digits[keep] >= '5';
    d.count = keep;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9') {
            d.digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[i];
        } else {
            // 9.99 -> 10.0: a new leading digit.
            for (int k = d.count; k > 0; --k)
                d.digits[k] = d.digits[k - 1];
            d.digits[0] = '1';
            ++d.count;
            ++d.exponent;
        }
    }
    while (d.count > 0 && d.digits[d.count - 1] == '0')
        --d.count;
    if (d.count == 0)
        d.exponent = 0;
    return d;
}

QString Integer_Part(const Decimal &d)
{
    QString s;
    for (int i = 0; i < d.exponent; ++i)
        s += QLatin1Char(i < d.count ? d.digits[i] : '0');
    return s;
}

QString Fraction_Part(const Decimal &d, int places, bool pad)
{
    QString s;
    for (int i = 0; i < places; ++i) {
        const int index = d.exponent + i;
        s += QLatin1Char(index >= 0 && index < d.count ? d.digits[index] : '0');
    }
    if (!pad) {
        while (!s.isEmpty() && s.back() == u'0')
            s.chop(1);
    }
    return s;
}

} // namespace

QString Format_Number(double value, Number_Pattern pattern)
{
    if (!std::isfinite(value))
        return QString();
    const int places = pattern == Number_Pattern::Whole ? 0
                       : pattern == Number_Pattern::Fixed_3 ? 3 : 1;
    const Decimal d = Round_To_Places(To_Decimal(std::fabs(value)), places);
    const bool negative = value < 0 && d.count > 0;
    QString out = negative ? QStringLiteral("-") : QString();
    switch (pattern) {
    case Number_Pattern::Optional_1:
        out += Integer_Part(d) + u'.' + Fraction_Part(d, 1, false);
        break;
    case Number_Pattern::Fixed_1:
    case Number_Pattern::Fixed_3: {
        QString whole = Integer_Part(d);
        out += (whole.isEmpty() ? QStringLiteral("0") : whole) + u'.' + Fraction_Part(d, places, true);
        break;
    }
    case Number_Pattern::Whole:
        out += Integer_Part(d);
        break;
    }
    return out;
}

bool Is_Numeric_Text(QStringView text)
{
    text = text.trimmed();
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    bool digits = false;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        digits = true;
    }
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && text[i].unicode() >= u'0' && text[i].unicode() <= u'9') {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return false;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        bool exp_digits = false;
        while (i < text.size() && text[i].unicode() >= u'0' && text[i].unicode() <= u'9') {
            ++i;
            exp_digits = true;
        }
        if (!exp_digits)
            return false;
    }
    return i == text.size();
}

QString Format_Text(const QString &text, Number_Pattern pattern)
{
    if (!Is_Numeric_Text(text))
        return text;
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok ? Format_Number(value, pattern) : text;
}

namespace {

// The shortest decimal text that reads back as exactly this value, in the
// general form's scientific style (1.7976931348623157E+308).
QString Exact_Scientific(double value)
{
    char buffer[64];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    QString text = QString::fromLatin1(buffer, res.ptr - buffer);
    const qsizetype e = text.indexOf(u'e');
    QString exponent = text.mid(e + 1);
    const bool minus = exponent.startsWith(u'-');
    if (exponent.startsWith(u'-') || exponent.startsWith(u'+'))
        exponent.remove(0, 1);
    return text.left(e) + (minus ? QStringLiteral("E-") : QStringLiteral("E+")) + exponent.rightJustified(2, u'0');
}

// Whether the text reads back as a finite number (the 15-digit rounding
// of the largest doubles reads as a number beyond them).
bool Reads_Back(const QString &text)
{
    const QByteArray latin = text.toLatin1();
    double back = 0;
    const auto res = std::from_chars(latin.constData(), latin.constData() + latin.size(), back);
    return res.ec == std::errc() && std::isfinite(back);
}

QString General_Rounded(double value);

} // namespace

QString General_Number(double value)
{
    if (!std::isfinite(value) || value == 0)
        return QStringLiteral("0");
    QString text = General_Rounded(value);
    return Reads_Back(text) ? text : Exact_Scientific(value);
}

namespace {

// The general form with 15 significant digits.
QString General_Rounded(double value)
{
    const Decimal d = To_Decimal(std::fabs(value));
    QString out = value < 0 ? QStringLiteral("-") : QString();
    if (d.exponent > 15 || d.exponent < -4) {
        // Scientific form for very large or very small magnitudes: 1.5E+20.
        out += QLatin1Char(d.digits[0]);
        if (d.count > 1) {
            out += u'.';
            for (int i = 1; i < d.count; ++i)
                out += QLatin1Char(d.digits[i]);
        }
        const int e = d.exponent - 1;
        out += (e < 0 ? QStringLiteral("E-") : QStringLiteral("E+"));
        out += QStringLiteral("%1").arg(std::abs(e), 2, 10, QLatin1Char('0'));
        return out;
    }
    QString whole = Integer_Part(d);
    out += whole.isEmpty() ? QStringLiteral("0") : whole;
    const int fraction_digits = d.count - d.exponent;
    if (fraction_digits > 0)
        out += u'.' + Fraction_Part(d, fraction_digits, true);
    return out;
}

} // namespace

QString Print_Number(double value)
{
    QString text = General_Number(value);
    const bool negative = text.startsWith(u'-');
    if (negative)
        text.remove(0, 1);
    if (text.startsWith(QStringLiteral("0.")))
        text.remove(0, 1);
    return (negative ? QStringLiteral("-") : QStringLiteral(" ")) + text + u' ';
}

QString Short_Date_Text(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return QStringLiteral("%1/%2/%3").arg(date.month()).arg(date.day()).arg(date.year(), 4, 10, QLatin1Char('0'));
}

namespace {

// Qt reads a signed year ("17 May -2024"); the program writes a date as
// M/d/yyyy and takes only years it can write and read back that way.
QDate Four_Digit_Year(const QDate &date)
{
    return date.isValid() && date.year() >= 1 && date.year() <= 9999 ? date : QDate();
}

QDate Parse_Date(const QString &t)
{
    // M/d/yyyy and M/d/yy; a two-digit year is always 20yy.
    const QStringList parts = t.split(u'/');
    if (parts.size() == 3) {
        bool ok_m = false, ok_d = false, ok_y = false;
        const int m = parts[0].trimmed().toInt(&ok_m);
        const int d = parts[1].trimmed().toInt(&ok_d);
        const QString year_text = parts[2].trimmed();
        int y = year_text.toInt(&ok_y);
        const bool digits = std::all_of(year_text.begin(), year_text.end(),
                                        [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (ok_m && ok_d && ok_y && digits && (year_text.size() == 2 || year_text.size() == 4)) {
            if (year_text.size() == 2)
                y += 2000;
            const QDate date(y, m, d);
            if (date.isValid())
                return date;
        }
    }
    for (const QString &format : {QStringLiteral("yyyy-MM-dd"), QStringLiteral("d MMM yyyy"),
                                  QStringLiteral("dd MMM yy")}) {
        QDate date = QLocale::c().toDate(t, format);
        if (date.isValid()) {
            if (format.endsWith(QStringLiteral("yy")) && !format.endsWith(QStringLiteral("yyyy")) && date.year() < 2000)
                date = date.addYears(100);
            return date;
        }
    }
    const QLocale system;
    QDate date = system.toDate(t, QLocale::ShortFormat);
    if (date.isValid()) {
        const QString format = system.dateFormat(QLocale::ShortFormat);
        if (!format.contains(QStringLiteral("yyyy")) && date.year() < 2000)
            date = date.addYears(100);
        return date;
    }
    return QDate();
}

} // namespace

QDate Parse_Date_Text(QStringView text)
{
    const QString t = text.trimmed().toString();
    if (t.isEmpty())
        return QDate();
    return Four_Digit_Year(Parse_Date(t));
}
