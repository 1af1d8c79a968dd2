#pragma once

#include "ui/amount_delegate.h"

// The cells of a ratio or rate column (the overdue ratio, the bills rate): an
// amount cell whose number shows without the zero before its decimal point
// (".5", not "0.5"), in the grid and in the editor, where the amounts keep it.
// What it accepts and refuses is the amount cell's.
class RatioDelegate : public AmountDelegate
{
    Q_OBJECT
public:
    explicit RatioDelegate(QObject *parent = nullptr) : AmountDelegate(parent) {}

    QString displayText(const QVariant &value, const QLocale &locale) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
};
