#pragma once

#include "db/declaration_field.h"
#include "db/declaration_import.h"
#include "db/declaration_tab.h"
#include "db/period_query.h"

#include <QList>
#include <QString>
#include <QStringView>

// The five kinds of declaration data, one per declaration table: the one place
// that says, per kind, its table, the data tab's dataset and parameter names, the
// file layout, the export statement and messages, and the statements and rules
// of the import. The tabs, the import and the export read it; the import and
// export engines never ask which kind they have. The kinds are fixed values built once; callers hold
// references or pointers to them.
class DeclarationKind
{
public:
    // B01 operating data, B02 overdue ratios, B03 bills interest rates, B04 bills
    // trading, B05 county data; the import kind number is id + 1.
    enum Id { B01, B02, B03, B04, B05 };

    static const DeclarationKind &get(Id id);
    // "B01".."B05" (exact upper-case code); nullptr for anything else.
    static const DeclarationKind *find(QStringView code);
    // B01, B02, B03, B04, B05.
    static const QList<const DeclarationKind *> &all();
    // The order in which an export writes them: B01, B02, B05, B03, B04.
    static const QList<const DeclarationKind *> &exportOrder();
    // The kind of an import kind number (1 to 5); nullptr for any other number.
    static const DeclarationKind *fromImportNumber(int number);

    Id id() const { return m_id; }
    QString code() const { return m_code; }             // "B01"
    QString table() const { return m_table; }           // "MPBANK", read and written
    QString name() const { return m_name; }             // "營運資料"
    int recordLength() const { return m_recordLength; }  // characters per line, without CR LF
    QString noRowsMessage() const { return m_noRows; }
    QString writingFailedMessage() const { return m_writingFailed; }
    // The statement selecting one month of rows, with the integer parameters
    // :paramM_YEAR and :paramM_MONTH, in the order the lines are written.
    QString exportStatement() const { return m_statement; }

    // The import of a file of the kind: statements, key, repeats, added fields.
    const DeclarationImport &importRule() const { return m_import; }

    // The data tab of the kind ------------------------------------------------------
    int importNumber() const { return int(m_id) + 1; }      // 1..5
    // Its caption, form, names, toolbar and import behaviour.
    const DeclarationTab &tab() const { return m_tab; }
    QString tabSuffix() const { return m_tab.suffix; }       // "", "4", "9", "2", "3"
    QString datasetName() const { return m_tab.datasetName; }   // "qryMPBANK", ...
    // The tab's period query; empty for a tab that is not built yet.
    const PeriodQuery &tabQuery() const { return m_tabQuery; }

    const QList<DeclarationField> &fields() const { return m_fields; }
    int fieldIndex(QStringView name) const;              // case-insensitive, -1 if none
    const DeclarationField *field(QStringView name) const;

    DeclarationKind(const DeclarationKind &) = delete;
    DeclarationKind &operator=(const DeclarationKind &) = delete;

private:
    DeclarationKind() = default;
    friend struct DeclarationKindTable;

    Id m_id = B01;
    QString m_code;
    QString m_table;
    QString m_name;
    int m_recordLength = 0;
    QString m_noRows;
    QString m_writingFailed;
    QString m_statement;
    DeclarationImport m_import;
    QList<DeclarationField> m_fields;
    DeclarationTab m_tab;
    PeriodQuery m_tabQuery;
};
