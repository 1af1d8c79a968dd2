#pragma once

#include "db/database.h"
#include "db/name_list.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

class CachedDataset;
class TableCursor;

// The reference lists that stay open for the whole run: the institutions
// (tblBN01), the customers (tblCustomer), the counties (tblCD01 and the editable
// qryCD01), the operating accounts (qryCACNO) and the county accounts
// (qryHCACNO). The main window, velq8-cli and the import share this one service;
// nothing here shows a window.
//
// The account and county lists carry the computed display column the tabs show
// ("11000  現金": code, two blanks, name) as ACCNAME or HSIENNAME. The cursors and
// the operating accounts are in stored order; the counties (qryCD01) and the
// county accounts are in code order, as the county tab, its check and the
// counties window list them.
class ReferenceLists
{
public:
    explicit ReferenceLists(const QString &connectionName = Database::connectionName());
    ~ReferenceLists();
    ReferenceLists(const ReferenceLists &) = delete;
    ReferenceLists &operator=(const ReferenceLists &) = delete;

    // Opens every list. False when any failed; errors() then names each failure
    // (the lists that did open stay usable).
    bool open();
    QStringList errors() const { return m_errors; }
    QString connectionName() const { return m_connectionName; }

    TableCursor &tblBN01() { return *m_tblBN01; }
    TableCursor &tblCustomer() { return *m_tblCustomer; }
    TableCursor &tblCD01() { return *m_tblCD01; }
    CachedDataset &qryCD01() { return *m_qryCD01; }
    CachedDataset &qryCACNO() { return *m_qryCACNO; }
    CachedDataset &qryHCACNO() { return *m_qryHCACNO; }

    // The declaring institution: the first BN01 record in stored order; empty
    // texts when BN01 is empty.
    QString declaringBankCode();
    QString declaringBankName();
    // Re-reads BN01 (after the institutions window changed it).
    bool refreshInstitutions();
    // Re-reads CD01 into tblCD01 and qryCD01 (after the counties window).
    bool refreshCounties();

    // Display texts by code without trailing blanks, built from the lists as they
    // are now: "code  name". Empty hash when the list is not open.
    QHash<QString, QString> accountNames() const;        // CACNO -> ACCNAME
    QHash<QString, QString> countyAccountNames() const;  // HCACNO -> ACCNAME
    QHash<QString, QString> countyNames() const;         // CD01 -> HSIENNAME
    QHash<QString, QString> institutionNames() const;    // BN01 -> "code  name"
    // The same texts by list, and whether that list is open.
    QHash<QString, QString> names(NameList list) const;
    bool isOpen(NameList list) const;
    // The texts of a list read straight from its table, for a caller that keeps
    // no lists open (velq8-cli): one query. False + *error when it fails.
    static bool readNames(NameList list, const QString &connectionName, QHash<QString, QString> *out,
                          QString *error);

    // The statements of the computed lists, for datasets that want the same rows.
    static QString accountStatement();        // qryCACNO
    static QString countyAccountStatement();  // qryHCACNO
    static QString countyStatement();         // qryCD01

private:
    QString m_connectionName;
    std::unique_ptr<TableCursor> m_tblBN01;
    std::unique_ptr<TableCursor> m_tblCustomer;
    std::unique_ptr<TableCursor> m_tblCD01;
    std::unique_ptr<CachedDataset> m_qryCD01;
    std::unique_ptr<CachedDataset> m_qryCACNO;
    std::unique_ptr<CachedDataset> m_qryHCACNO;
    QStringList m_errors;
};
