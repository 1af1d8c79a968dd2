#pragma once

#include <QString>
#include <QStringList>

// The names of the sheets of one workbook. A spreadsheet refuses a sheet name
// that is empty, longer than 31 characters, holds one of [ ] : * ? / \ or a
// control character, starts or ends with an apostrophe, is "History", or is
// another sheet's name in any letter case. take() makes a name it accepts from
// any text (a county's name, a report's title), so that no name from the data
// can fail the workbook.
class SheetNames
{
public:
    static constexpr int MaxLength = 31;

    // A name no sheet of the workbook has yet, as near `wanted` as the rules
    // allow: the characters refused become "_", a long name is cut, a name
    // taken already gets "(2)", "(3)", ... at its end. Remembered as taken.
    QString take(const QString &wanted);

private:
    bool isTaken(const QString &name) const;

    QStringList m_taken;
};
