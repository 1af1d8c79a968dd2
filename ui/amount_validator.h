#pragma once

#include <QValidator>

// What an amount cell accepts while it is typed: digits, at most one decimal
// point and a leading minus. Any other character is refused as it is typed; a
// text without a digit yet ("-", ".") is unfinished and cannot be committed.
// An empty text is an amount of 0.
class AmountValidator : public QValidator
{
    Q_OBJECT
public:
    // The digits a floating-point amount field keeps exactly: a typed amount
    // with more would be stored as another number.
    static constexpr int MaxSignificantDigits = 15;

    explicit AmountValidator(QObject *parent = nullptr) : QValidator(parent) {}

    State validate(QString &input, int &pos) const override;
    static State check(QStringView text);
    // The digits of an amount text from its first non-zero digit to its last
    // digit, without the zeros that end a fraction: "0.0120" has 2, "1200" has 4.
    static int significantDigits(QStringView text);
};
