#pragma once

#include <QString>

#include <optional>

// A Boolean written as text: "True" or "False" in any letter case, or a
// number (0 is false, anything else true). Other texts have no value.
std::optional<bool> Text_To_Boolean(const QString &text);

// A value that holds whatever was last put into it: the text typed or read
// from a file or the settings store, a number stored by a dialog, or a
// Boolean. Pressure details and several settings are such values; they are
// read as numbers only where a calculation uses them.
class Loose_Value {
public:
    enum class Kind { Text, Number, Boolean };

    Loose_Value() = default;
    Loose_Value(const QString &text) : text_(text) {}           // NOLINT: implicit by design
    Loose_Value(const char16_t *text) : text_(QString::fromUtf16(text)) {} // NOLINT
    static Loose_Value Of_Number(double number);
    static Loose_Value Of_Boolean(bool value);

    Kind Type() const { return kind_; }
    bool Is_Text() const { return kind_ == Kind::Text; }
    bool Is_Empty_Text() const { return kind_ == Kind::Text && text_.isEmpty(); }

    // The value as a number: the leading number of a text (0 for the empty
    // text), the number itself, or -1 / 0 for a Boolean.
    double Number() const;
    // The value as text: the text itself, a number in general decimal form,
    // a Boolean as "True" or "False".
    QString Text() const;
    // The loose form of a job file line: a text bare, a number in numeric
    // print form (" 1 "), a Boolean as "True" or "False".
    QString Loose_Form() const;
    // True for the Boolean true and for the text "True" in any letter case.
    bool Is_True() const;

    bool operator==(const Loose_Value &other) const = default;

private:
    Kind kind_ = Kind::Text;
    QString text_;
    double number_ = 0;
    bool boolean_ = false;
};
