#include "db/reference_lists.h"

#include "common/field_text.h"
#include "db/cached_dataset.h"
#include "db/engine_message.h"
#include "db/sqlite_statement.h"
#include "db/table_cursor.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

using FieldText::withoutTrailingBlanks;

namespace {

QHash<QString, QString> namesOf(const CachedDataset &list, const QString &codeField,
                                const QString &textField)
{
    QHash<QString, QString> names;
    if (!list.isOpen())
        return names;
    const int count = list.recordCount();
    names.reserve(count);
    for (int row = 0; row < count; ++row)
        names.insert(withoutTrailingBlanks(list.value(row, codeField).toString()),
                     list.value(row, textField).toString());
    return names;
}

} // namespace

QString ReferenceLists::accountStatement()
{
    return QStringLiteral("select A.ACC_CODE, A.ACC_NAME, (A.ACC_CODE || '  ' || A.ACC_NAME) AS ACCNAME "
                          "FROM CACNO A ORDER BY A.rowid");
}

QString ReferenceLists::countyAccountStatement()
{
    return QStringLiteral("select A.ACC_CODE, A.ACC_NAME, (A.ACC_CODE || '  ' || A.ACC_NAME) AS ACCNAME "
                          "FROM HCACNO A ORDER BY A.ACC_CODE");
}

QString ReferenceLists::countyStatement()
{
    return QStringLiteral("select HSIEN_ID, HSIEN_NAME, (HSIEN_ID || '  ' || HSIEN_NAME) AS HSIENNAME "
                          "from CD01 order by HSIEN_ID");
}

ReferenceLists::ReferenceLists(const QString &connectionName)
    : m_connectionName(connectionName)
    , m_tblBN01(std::make_unique<TableCursor>(QStringLiteral("BN01"), connectionName))
    , m_tblCustomer(std::make_unique<TableCursor>(QStringLiteral("Customer"), connectionName))
    , m_tblCD01(std::make_unique<TableCursor>(QStringLiteral("CD01"), connectionName))
    , m_qryCD01(std::make_unique<CachedDataset>(connectionName))
    , m_qryCACNO(std::make_unique<CachedDataset>(connectionName))
    , m_qryHCACNO(std::make_unique<CachedDataset>(connectionName))
{
    m_qryCACNO->setObjectName(QStringLiteral("qryCACNO"));
    m_qryCACNO->setSql(accountStatement());
    m_qryHCACNO->setObjectName(QStringLiteral("qryHCACNO"));
    m_qryHCACNO->setSql(countyAccountStatement());
    m_qryCD01->setObjectName(QStringLiteral("qryCD01"));
    m_qryCD01->setSql(countyStatement());
    m_qryCD01->setUpdateTable(QStringLiteral("CD01"));
}

ReferenceLists::~ReferenceLists() = default;

bool ReferenceLists::open()
{
    m_errors.clear();
    for (TableCursor *cursor : {m_tblBN01.get(), m_tblCustomer.get(), m_tblCD01.get()}) {
        if (!cursor->open())
            m_errors << cursor->lastError();
    }
    for (CachedDataset *list : {m_qryCACNO.get(), m_qryCD01.get(), m_qryHCACNO.get()}) {
        if (!list->open())
            m_errors << list->lastError();
    }
    return m_errors.isEmpty();
}

QString ReferenceLists::declaringBankCode()
{
    if (!m_tblBN01->isOpen() || m_tblBN01->isEmpty())
        return {};
    return m_tblBN01->value(0, QStringLiteral("BANK_NO")).toString().trimmed();
}

QString ReferenceLists::declaringBankName()
{
    if (!m_tblBN01->isOpen() || m_tblBN01->isEmpty())
        return {};
    return m_tblBN01->value(0, QStringLiteral("BANK_NAME")).toString().trimmed();
}

bool ReferenceLists::refreshInstitutions()
{
    return m_tblBN01->refresh();
}

bool ReferenceLists::refreshCounties()
{
    const bool cursor = m_tblCD01->refresh();
    const bool list = m_qryCD01->open();
    return cursor && list;
}

QHash<QString, QString> ReferenceLists::accountNames() const
{
    return namesOf(*m_qryCACNO, QStringLiteral("ACC_CODE"), QStringLiteral("ACCNAME"));
}

QHash<QString, QString> ReferenceLists::countyAccountNames() const
{
    return namesOf(*m_qryHCACNO, QStringLiteral("ACC_CODE"), QStringLiteral("ACCNAME"));
}

QHash<QString, QString> ReferenceLists::countyNames() const
{
    return namesOf(*m_qryCD01, QStringLiteral("HSIEN_ID"), QStringLiteral("HSIENNAME"));
}

QHash<QString, QString> ReferenceLists::institutionNames() const
{
    QHash<QString, QString> names;
    if (!m_tblBN01->isOpen())
        return names;
    const int count = m_tblBN01->recordCount();
    names.reserve(count);
    for (int row = 0; row < count; ++row) {
        const QString code = m_tblBN01->value(row, QStringLiteral("BANK_NO")).toString();
        names.insert(withoutTrailingBlanks(code),
                     code + QStringLiteral("  ") + m_tblBN01->value(row, QStringLiteral("BANK_NAME")).toString());
    }
    return names;
}

QHash<QString, QString> ReferenceLists::names(NameList list) const
{
    switch (list) {
    case NameList::Accounts: return accountNames();
    case NameList::Institutions: return institutionNames();
    case NameList::Counties: return countyNames();
    case NameList::CountyAccounts: return countyAccountNames();
    }
    return {};
}

bool ReferenceLists::isOpen(NameList list) const
{
    switch (list) {
    case NameList::Accounts: return m_qryCACNO->isOpen();
    case NameList::Institutions: return m_tblBN01->isOpen();
    case NameList::Counties: return m_qryCD01->isOpen();
    case NameList::CountyAccounts: return m_qryHCACNO->isOpen();
    }
    return false;
}

bool ReferenceLists::readNames(NameList list, const QString &connectionName, QHash<QString, QString> *out,
                               QString *error)
{
    const char *sql = "select ACC_CODE, ACC_NAME from CACNO";
    switch (list) {
    case NameList::Accounts: break;
    case NameList::Institutions: sql = "select BANK_NO, BANK_NAME from BN01"; break;
    case NameList::Counties: sql = "select HSIEN_ID, HSIEN_NAME from CD01"; break;
    case NameList::CountyAccounts: sql = "select ACC_CODE, ACC_NAME from HCACNO"; break;
    }
    auto add = [out](const QString &code, const QString &name) {
        out->insert(withoutTrailingBlanks(code), code + QStringLiteral("  ") + name);
    };
    // On SQLite read without a QVariant a value: an import reads a list of
    // some thousand names each time.
    if (sqlite3 *handle = SqliteStatement::handleOf(QSqlDatabase::database(connectionName, false))) {
        SqliteStatement names(handle);
        if (!names.prepare(QString::fromLatin1(sql))) {
            *error = names.error();
            return false;
        }
        while (names.next())
            add(QString::fromUtf8(names.text(0)), QString::fromUtf8(names.text(1)));
        if (names.failed())
            *error = names.error();
        return !names.failed();
    }
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    q.setForwardOnly(true);
    if (!q.exec(QString::fromLatin1(sql))) {
        *error = EngineMessage::of(q.lastError());
        return false;
    }
    while (q.next())
        add(q.value(0).toString(), q.value(1).toString());
    return true;
}
