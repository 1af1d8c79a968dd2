#include "ui/period_spin_edit.h"

#include <QLineEdit>

#include <algorithm>

namespace {
constexpr int MaxDigits = 9;   // keeps any typed number inside int
}

PeriodSpinEdit::PeriodSpinEdit(const QString &objectName, int maximum, QWidget *parent)
    : QSpinBox(parent)
{
    setObjectName(objectName);
    setRange(0, maximum);
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString &text) {
        m_empty = text.isEmpty();
        emit changed();
    });
}

QString PeriodSpinEdit::editText() const
{
    return lineEdit()->text();
}

void PeriodSpinEdit::setEditText(const QString &text)
{
    if (lineEdit()->text() == text) {
        // The text is already there: a change rule still runs, as for a new text.
        emit changed();
        return;
    }
    lineEdit()->setText(text);
}

int PeriodSpinEdit::number() const
{
    const QString text = editText();
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok ? std::clamp(n, minimum(), maximum()) : value();
}

void PeriodSpinEdit::stepBy(int steps)
{
    if (m_empty) {
        // Stepping an empty spin edit starts from 0.
        m_empty = false;
        lineEdit()->setText(QString::number(std::clamp(steps, minimum(), maximum())));
        return;
    }
    const QString before = editText();
    QSpinBox::stepBy(steps);
    // QAbstractSpinBox writes the stepped text with the editor's signals blocked.
    if (editText() != before)
        emit changed();
}

QValidator::State PeriodSpinEdit::validate(QString &input, int &) const
{
    if (input.isEmpty())
        return QValidator::Acceptable;
    if (input.size() > MaxDigits)
        return QValidator::Invalid;
    for (const QChar c : input) {
        if (!c.isDigit() || c.unicode() > 127)
            return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

int PeriodSpinEdit::valueFromText(const QString &text) const
{
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const qlonglong n = text.toLongLong(&ok);
    if (!ok)
        return value();
    return int(std::clamp<qlonglong>(n, minimum(), maximum()));
}

QString PeriodSpinEdit::textFromValue(int value) const
{
    // An emptied spin edit stays empty until something is typed or set.
    if (m_empty && value == 0)
        return QString();
    return QString::number(value);
}

void PeriodSpinEdit::fixup(QString &) const
{
}
