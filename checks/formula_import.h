#pragma once

#include "checks/formula_file.h"
#include "checks/formula_set.h"
#include "db/database.h"

#include <QList>
#include <QString>

// Loading a revision of one formula set from a formula file (FormulaFile), as
// velq8-cli and the formula window do it: read and check the file first, then,
// only when it is clean (and the caller has its answer), replace the whole set in
// one transaction.
//
//     FormulaImport import(FormulaTables::operating());
//     if (!import.prepare(path)) report(import.faults());
//     else if (userAgrees(import.formulaCount()) && !import.replace()) report(import.errorText());
class FormulaImport
{
public:
    explicit FormulaImport(const FormulaTables &tables,
                           const QString &connectionName = Database::connectionName());

    // A formula file of 20,000 formulas is under 3 MB: a file far larger is not
    // one, and is not read.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

    // Reads the file and checks every line against the account table. True when
    // the file is clean; otherwise faults() names each fault (line 0: the file
    // itself or the database could not be read). Nothing is written.
    bool prepare(const QString &path);
    const QList<FormulaFileFault> &faults() const { return m_faults; }
    // The faults, one a line, for a message.
    QString faultText() const;

    int formulaCount() const { return int(m_rows.headers.size()); }
    int termCount() const { return int(m_rows.terms.size()); }

    // Replaces both tables with the rows of a clean file. False and errorText()
    // when nothing was prepared or the engine refused: the stored set is then as
    // it was.
    bool replace();
    QString errorText() const { return m_error; }

private:
    FormulaTables m_tables;
    QString m_connectionName;
    FormulaRows m_rows;
    QList<FormulaFileFault> m_faults;
    bool m_prepared = false;
    QString m_error;
};

// Writing one formula set into a formula file.
namespace FormulaExport {

// Reads both tables and writes them to `path` through WholeFileWriter (the file
// whole or not at all). False and *error when the tables cannot be read or the
// file cannot be written ("無法寫入公式檔 path: the system's reason").
bool write(const FormulaTables &tables, const QString &path, FormulaRows *written, QString *error,
           const QString &connectionName = Database::connectionName());

} // namespace FormulaExport
