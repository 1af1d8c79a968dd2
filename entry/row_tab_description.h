#pragma once

#include "db/declaration_kind.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <utility>

class QAbstractItemDelegate;
class QObject;
class Shell;

// What makes one row tab (a tab that adds, modifies and deletes the rows of one
// declaration kind one at a time) what it is. RowTab does the rest: the period
// query, Add with its next row after each Save, Modify, Delete, Discard, the
// scroll and duplicate guards, the code checks as the cursor leaves a column, the
// labels of stored codes, the grid's keys and the close.
struct RowTabDescription
{
    // When a column may be typed into (never in browse mode).
    enum class Editing { Never, AddOnly, Always };

    // One column of the grid, in order.
    struct Column
    {
        QString field = {};
        QString title = {};
        int width = 0;                    // pixels; 0 leaves the view's default
        QString displayPicture = {};      // number pictures (NumberPicture)
        QString editPicture = {};
        Editing editing = Editing::Never;
        bool centred = false;             // cells centred instead of the model's alignment
        // The cell editor of a number column (an AmountDelegate or a kind of it,
        // which takes nothing the kind's declaration file cannot hold); a code
        // column gets its pick list from its CodeColumn.
        std::function<QAbstractItemDelegate *(QObject *parent)> delegate = {};
        // Said, without stopping anything, when the cursor leaves the column of
        // a row in editing with a value this answers true for.
        std::function<bool(const QVariant &value)> warnWhen = {};
        QString warning = {};
    };

    // A code the grid shows through a display column ("1-初級市場" for FLAG1):
    // typed or picked there, checked when the cursor leaves the column.
    struct CodeColumn
    {
        QString displayField;             // "MFLAG1": shown, never written
        QString codeField;                // "FLAG1": written
        int codeLength = 1;               // the first characters of the cell are the code
        QString unknownMessage;           // "無此市場別,請查明再行輸入!!!"
        // The pick list, rebuilt when editing starts and after each Save.
        std::function<QList<std::pair<QString, QString>>(Shell &)> items;   // code, text
        // What the cell shows for a code keyed in; nullopt for a code not known.
        std::function<std::optional<QString>(Shell &, const QString &code)> entered;
        // What the cell shows for a stored code once the rows are read (after
        // Query and Discard); empty leaves what the statement computed. No
        // function: the rows are not labelled.
        std::function<QString(const QString &code)> loaded = {};
    };

    DeclarationKind::Id kind = DeclarationKind::B02;   // table, dataset, suffix, period query
    QString gridName;                                  // "DBGEMPBANK4"
    QList<Column> columns;
    QList<CodeColumn> codeColumns;
    // Fonts of the grid: family and height in pixels (0: the application's).
    QString titleFont;
    int titlePixels = 0;
    QString cellFont;
    int cellPixels = 0;

    // Save refuses a row without these (a year or month out of 1..12 and 1..999
    // counts as missing, a text as missing when empty).
    QStringList required;
    // The duplicate check: a statement that finds another row with the same
    // values, and which field fills each of its parameters. A modified row whose
    // fields keep their loaded values is not checked.
    QString duplicateStatement;
    QList<std::pair<QString, QString>> duplicateParams;   // parameter, field
    // A row keyed by its period and its codes, whatever the institution: the
    // required values are M_YEAR, M_MONTH and every code field, and the duplicate
    // check binds the period to `yearParam` and `monthParam` and each code to
    // the parameter of its own name.
    void keyByPeriodAndCodes(const QString &yearParam, const QString &monthParam)
    {
        required = {QStringLiteral("M_YEAR"), QStringLiteral("M_MONTH")};
        duplicateParams = {{yearParam, QStringLiteral("M_YEAR")}, {monthParam, QStringLiteral("M_MONTH")}};
        for (const CodeColumn &code : std::as_const(codeColumns)) {
            required << code.codeField;
            duplicateParams.append({code.codeField, code.codeField});
        }
    }
    // The other data tabs whose contents are disabled while a row is in editing:
    // all four, so that no other tab moves the edit mode they share under the row.
    QList<DeclarationKind::Id> pagesDisabledWhileEditing;
    // A change of the period closes the rows (the spin edits' change rule).
    bool periodRule = false;
};
