#include "loose_value.h"

#include "leading_number.h"
#include "number_format.h"

std::optional<bool> Text_To_Boolean(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (Is_Numeric_Text(t))
        return Leading_Number(t) != 0;
    return std::nullopt;
}

Loose_Value Loose_Value::Of_Number(double number)
{
    Loose_Value v;
    v.kind_ = Kind::Number;
    v.number_ = number;
    return v;
}

Loose_Value Loose_Value::Of_Boolean(bool value)
{
    Loose_Value v;
    v.kind_ = Kind::Boolean;
    v.boolean_ = value;
    return v;
}

double Loose_Value::Number() const
{
    switch (kind_) {
    case Kind::Text: return Leading_Number(text_);
    case Kind::Number: return number_;
    case Kind::Boolean: return boolean_ ? -1.0 : 0.0;
    }
    return 0;
}

QString Loose_Value::Text() const
{
    switch (kind_) {
    case Kind::Text: return text_;
    case Kind::Number: return General_Number(number_);
    case Kind::Boolean: return boolean_ ? QStringLiteral("True") : QStringLiteral("False");
    }
    return QString();
}

QString Loose_Value::Loose_Form() const
{
    return kind_ == Kind::Number ? Print_Number(number_) : Text();
}

bool Loose_Value::Is_True() const
{
    if (kind_ == Kind::Boolean)
        return boolean_;
    if (kind_ == Kind::Text)
        return text_.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0;
    return false;
}
