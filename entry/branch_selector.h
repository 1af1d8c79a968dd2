#pragma once

#include <QComboBox>

class ReferenceLists;

// cbxBank, the drop-down list "分行" of the overdue-ratio tab: the business units
// (the BN01 records whose code is longer than 3 characters, in stored order), each
// as the code, two blanks and the name. The list is read again from tblBN01 each
// time it drops down, so a unit added in the institutions window is there; the
// unit chosen stays chosen. It starts with no unit chosen (an empty text).
class BranchSelector : public QComboBox
{
    Q_OBJECT
public:
    explicit BranchSelector(ReferenceLists &references, QWidget *parent = nullptr);

    // The unit's code: the first 7 characters of the text; empty for none.
    QString unitCode() const { return currentText().left(7); }
    void clearSelection() { setCurrentIndex(-1); }
    void refill();

    void showPopup() override;

private:
    ReferenceLists &m_references;
};
