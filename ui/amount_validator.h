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
    explicit AmountValidator(QObject *parent = nullptr) : QValidator(parent) {}

    State validate(QString &input, int &pos) const override;
    static State check(QStringView text);
};
