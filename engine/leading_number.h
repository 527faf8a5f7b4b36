#pragma once

#include <QStringView>

// The number at the start of a text. Blanks, tabs and line feeds are ignored
// wherever they stand ("1 2" reads as 12); then the longest prefix that forms a
// decimal number is taken (sign, digits, point, digits, exponent). "&H" and
// "&O" introduce a hexadecimal or octal integer. A text that does not begin
// with a number gives 0, and so does a number too large for a double.
double Leading_Number(QStringView text);
