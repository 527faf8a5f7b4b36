#pragma once

#include <QString>

class QLineEdit;

// Marks on fields whose text will not do what it shows: a shade with its
// own text colour (readable in any palette) and the reason as tooltip. The
// text itself is never refused or changed.

// A count or flow: negative, or read as another number than the text shows.
QString Count_Concern(const QString &text);
// A diameter or C factor: also zero, which turns the pressure check off.
QString Size_Concern(const QString &text);
// Marks the box with the concern, or clears the mark when it is empty;
// `tip` is the box's tooltip without a concern.
void Mark_Field(QLineEdit *box, const QString &concern, const QString &tip = QString());
