#include "leading_number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool Is_Skipped(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

// Integer digits after "&H" or "&O"; stops at the first character that is not a digit of the base.
double Radix_Integer(QStringView text, qsizetype pos, int base)
{
    double value = 0;
    for (; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (Is_Skipped(c))
            continue;
        int digit = -1;
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'a' && u <= u'f')
            digit = 10 + (u - u'a');
        else if (u >= u'A' && u <= u'F')
            digit = 10 + (u - u'A');
        if (digit < 0 || digit >= base)
            break;
        value = value * base + digit;
    }
    // More digits than a double can count: the largest number there is.
    return std::isfinite(value) ? value : std::numeric_limits<double>::max();
}

// Whether a decimal text that a double cannot hold is too large (rather
// than too small): its first significant digit stands above the point.
bool Too_Large(const std::string &decimal)
{
    const std::size_t e = decimal.find('e');
    const std::string mantissa = decimal.substr(0, e);
    long long exponent = 0;
    if (e != std::string::npos) {
        std::from_chars(decimal.data() + e + 1 + (decimal[e + 1] == '+'), decimal.data() + decimal.size(), exponent);
        if (exponent > 100000)
            exponent = 100000; // far beyond any double either way
        if (exponent < -100000)
            exponent = -100000;
    }
    const std::size_t point = mantissa.find('.');
    const std::size_t whole_end = point == std::string::npos ? mantissa.size() : point;
    const std::size_t first = mantissa.find_first_not_of("0.");
    if (first == std::string::npos)
        return false; // zero
    // The power of ten of the first significant digit.
    const long long power = first < whole_end ? (long long)(whole_end - first - 1) : -(long long)(first - whole_end);
    return power + exponent > 0;
}

} // namespace

double Leading_Number(QStringView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && Is_Skipped(text[pos]))
        ++pos;
    if (pos + 1 < text.size() && text[pos] == u'&') {
        qsizetype next = pos + 1;
        while (next < text.size() && Is_Skipped(text[next]))
            ++next;
        if (next < text.size()) {
            const char16_t kind = text[next].unicode();
            if (kind == u'H' || kind == u'h')
                return Radix_Integer(text, next + 1, 16);
            if (kind == u'O' || kind == u'o')
                return Radix_Integer(text, next + 1, 8);
        }
        return 0.0;
    }

    // Collect the characters of the number, without the skipped blanks, into a
    // plain buffer and let from_chars do the conversion.
    std::string buffer;
    bool negative = false;
    enum class Stage { Sign, Integer, Fraction, Exponent_Sign, Exponent } stage = Stage::Sign;
    bool mantissa_digits = false;
    size_t exponent_start = std::string::npos; // buffer size before the exponent marker
    bool exponent_digits = false;

    for (; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (Is_Skipped(c))
            continue;
        const char16_t u = c.unicode();
        const bool digit = u >= u'0' && u <= u'9';
        if (stage == Stage::Sign) {
            stage = Stage::Integer;
            if (u == u'-' || u == u'+') {
                negative = (u == u'-');
                continue;
            }
        }
        if (stage == Stage::Integer) {
            if (digit) {
                buffer.push_back(char(u));
                mantissa_digits = true;
                continue;
            }
            if (u == u'.') {
                buffer.push_back('.');
                stage = Stage::Fraction;
                continue;
            }
        } else if (stage == Stage::Fraction) {
            if (digit) {
                buffer.push_back(char(u));
                mantissa_digits = true;
                continue;
            }
        } else if (stage == Stage::Exponent_Sign) {
            stage = Stage::Exponent;
            if (u == u'-' || u == u'+') {
                buffer.push_back(char(u));
                continue;
            }
        }
        if (stage == Stage::Exponent) {
            if (digit) {
                buffer.push_back(char(u));
                exponent_digits = true;
                continue;
            }
            break;
        }
        if ((u == u'e' || u == u'E') && mantissa_digits) {
            exponent_start = buffer.size();
            buffer.push_back('e');
            stage = Stage::Exponent_Sign;
            continue;
        }
        break;
    }
    if (!mantissa_digits)
        return 0.0;
    if (exponent_start != std::string::npos && !exponent_digits)
        buffer.resize(exponent_start); // "12e" or "12e-" read as 12
    if (buffer.back() == '.')
        buffer.pop_back();
    if (!buffer.empty() && buffer.front() == '.')
        buffer.insert(buffer.begin(), '0');

    double value = 0;
    const auto result = std::from_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond what a double holds: a number too large counts as the
        // largest there is (a count of 1e999 is too many fixtures, never
        // none); one too small counts as 0.
        value = Too_Large(buffer) ? std::numeric_limits<double>::max() : 0.0;
    } else if (result.ec != std::errc() || !std::isfinite(value)) {
        return 0.0;
    }
    return negative ? -value : value;
}
