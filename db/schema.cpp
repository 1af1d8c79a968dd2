#include "db/schema.h"

#include "db/dialect.h"

#include <QHash>

const FieldDef *TableDef::field(const QString &name) const
{
    for (const FieldDef &f : fields) {
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

QStringList TableDef::fieldNames() const
{
    QStringList names;
    names.reserve(fields.size());
    for (const FieldDef &f : fields)
        names << f.name;
    return names;
}

namespace {

FieldDef smallInt(const char *name) { return {QString::fromLatin1(name), FieldType::SmallInt, 0}; }
FieldDef flt(const char *name) { return {QString::fromLatin1(name), FieldType::Float, 0}; }
FieldDef date(const char *name) { return {QString::fromLatin1(name), FieldType::Date, 0}; }
FieldDef text(const char *name, int width) { return {QString::fromLatin1(name), FieldType::Text, width}; }

QStringList names(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *n : list)
        out << QString::fromLatin1(n);
    return out;
}

QList<TableDef> buildTables()
{
    QList<TableDef> t;

    // The five kinds of monthly declaration data.
    t.append({QStringLiteral("MPBANK"),
              {smallInt("M_YEAR"), smallInt("M_MONTH"), text("BANK_CODE", 7), text("ACC_CODE", 5),
               flt("AMT"), smallInt("SERIAL")},
              names({"M_YEAR", "M_MONTH", "BANK_CODE", "ACC_CODE"})});
    t.append({QStringLiteral("EM03"),
              {smallInt("M_YEAR"), smallInt("M_MONTH"), text("BANK_CODE", 7), text("BANK_CODE1", 7),
               flt("M_RATE")},
              names({"M_YEAR", "M_MONTH", "BANK_CODE", "BANK_CODE1"})});
    t.append({QStringLiteral("EM08"),
              {text("BANK_CODE", 7), smallInt("M_YEAR"), smallInt("M_MONTH"), text("FLAG1", 1),
               text("FLAG2", 1), text("FLAG3", 2), text("FLAG4", 1), flt("RATE")},
              names({"BANK_CODE", "M_YEAR", "M_MONTH", "FLAG1", "FLAG2", "FLAG3", "FLAG4"})});
    t.append({QStringLiteral("EM09"),
              {text("BANK_CODE", 7), smallInt("M_YEAR"), smallInt("M_MONTH"), text("FLAG1", 1),
               text("FLAG2", 1), text("FLAG3", 2), flt("AMT"), flt("AMT1")},
              names({"BANK_CODE", "M_YEAR", "M_MONTH", "FLAG1", "FLAG2", "FLAG3"})});
    t.append({QStringLiteral("HMPBANK"),
              {smallInt("M_YEAR"), smallInt("M_MONTH"), text("BANK_CODE", 7), text("HSIEN_ID", 1),
               text("ACC_CODE", 5), flt("AMT")},
              names({"M_YEAR", "M_MONTH", "BANK_CODE", "HSIEN_ID", "ACC_CODE"})});

    // Reference tables.
    t.append({QStringLiteral("BN01"),
              {text("BANK_NO", 7), text("BANK_NAME", 30), date("BN_DATE"), text("BN_ADDRESS", 60),
               text("BN_TYPE", 1), text("BANK_TYPE", 1), text("ADD_USER", 5), text("ADD_DEPT", 3),
               date("ADD_DATE"), text("HSIEN_ID", 1), text("AREA_ID", 3), text("BANK_B_NAM", 10),
               text("EMAIL", 30), text("SMTPHOST", 30), text("POP3HOST", 30), text("ACCOUNT", 20),
               text("PASSWORD", 20)},
              names({"BANK_NO"})});
    const QList<FieldDef> accountFields{text("ACC_CODE", 5), text("ACC_NAME", 40), text("ACC_B_NAME", 20),
                                        text("UACNO", 5), text("DACNO", 5)};
    t.append({QStringLiteral("CACNO"), accountFields, names({"ACC_CODE"})});
    t.append({QStringLiteral("HCACNO"), accountFields, names({"ACC_CODE"})});
    t.append({QStringLiteral("CD01"), {text("HSIEN_ID", 1), text("HSIEN_NAME", 8)}, names({"HSIEN_ID"})});
    t.append({QStringLiteral("Customer"), {text("CUST_NO", 10), text("CUST_NAME", 40)}, names({"CUST_NO"})});

    // Balance formulas and account browse tables.
    const QList<FieldDef> ruleHeader{text("acc_type", 1), text("cano", 3), text("quop", 2), text("remark", 40)};
    const QList<FieldDef> ruleTerms{text("acc_type", 1), text("cano", 3), text("left_flag", 1),
                                    smallInt("nserial"), text("acc_code", 5), text("noop", 1),
                                    text("TCURR", 1)};
    t.append({QStringLiteral("RuleNo1"), ruleHeader, names({"cano"})});
    t.append({QStringLiteral("RuleNo2"), ruleTerms, names({"cano", "left_flag", "nserial"})});
    t.append({QStringLiteral("HRuleNo1"), ruleHeader, names({"cano"})});
    t.append({QStringLiteral("HRuleNo2"), ruleTerms, names({"cano", "left_flag", "nserial"})});
    t.append({QStringLiteral("CACNONO"), {text("CANO", 3), text("REMARK", 40)}, names({"CANO"})});
    t.append({QStringLiteral("CACNONO1"),
              {text("CANO", 3), text("ACC_CODE", 5), text("NOOP", 1), text("QUOP", 2), text("ACCNAME", 47)},
              names({"CANO", "ACC_CODE"})});
    t.append({QStringLiteral("CACNONO2"),
              {text("CANO", 3), text("ACC_CODE", 5), text("NOOP", 1), text("ACCNAME", 47)},
              names({"CANO", "ACC_CODE"})});
    // The layout of the check result rows; the table itself stays empty.
    t.append({QStringLiteral("CACNONO3"), {text("REMARK", 120), flt("MONEY1"), flt("MONEY2")}, {}});

    // What the system records of its own work. Identifiers and counts are whole
    // numbers beyond a small integer, kept in Float fields (exact up to 2^53);
    // times are 'YYYY-MM-DD HH:MM:SS' text; texts without a width are not
    // declaration fields and hold what they are given.
    // Every declaration file written (ExportRecord).
    t.append({QString::fromLatin1(Schema::ExportLog),
              {flt("EXPORT_ID"), text("FILE_NAME", 0), text("FOLDER", 0), text("KIND", 3), text("BANK_CODE", 7),
               smallInt("M_YEAR"), smallInt("M_MONTH"), flt("RECORDS"), text("SHA256", 64), text("DONE_AT", 19),
               text("DONE_BY", 0)},
              names({"EXPORT_ID"}), true});
    // Every change of declaration rows: one operation (ChangeOperation) ...
    t.append({QString::fromLatin1(Schema::ChangeLog),
              {flt("OP_ID"), text("DONE_AT", 19), text("DONE_BY", 0), text("OPERATION", 1), text("KIND", 3),
               text("BANK_CODE", 7), smallInt("M_YEAR"), smallInt("M_MONTH"), flt("ROWS_CHANGED")},
              names({"OP_ID"}), true});
    // ... and the rows it changed, packed (ChangePack): a row of this table
    // holds ROW_COUNT rows' keys and values before and after as one text.
    t.append({QString::fromLatin1(Schema::ChangeRow),
              {flt("OP_ID"), flt("ROW_COUNT"), text("ROWS_TEXT", 0)}, {}, true});

    return t;
}

// Extra indexes for the queries whose conditions do not start with the key's
// leading fields, so that no plan depends on gathered statistics. Only ever
// appended to: an index is named by its place in its table's list.
QHash<QString, QList<QStringList>> extraIndexes()
{
    return {
        // Operating data and county data of one institution over every period.
        {QStringLiteral("MPBANK"), {names({"BANK_CODE", "M_YEAR", "M_MONTH", "SERIAL"})}},
        // ...; the counties that hold county data (one look-up per county);
        // a month of every year on the county tab.
        {QStringLiteral("HMPBANK"),
         {names({"BANK_CODE", "M_YEAR", "M_MONTH"}), names({"HSIEN_ID"}), names({"M_MONTH", "M_YEAR"})}},
        // The overdue-ratio duplicate check: a unit once per year and month.
        {QStringLiteral("EM03"), {names({"M_YEAR", "M_MONTH", "BANK_CODE1"}), names({"BANK_CODE"})}},
        // The bills exports and reports read a month of every institution; the
        // keys start with BANK_CODE.
        {QStringLiteral("EM08"), {names({"M_YEAR", "M_MONTH"})}},
        {QStringLiteral("EM09"), {names({"M_YEAR", "M_MONTH"})}},
        // The records: a file looked up by its fingerprint, the exports and
        // operations of a month, an operation's packed rows.
        {QString::fromLatin1(Schema::ExportLog), {names({"SHA256"}), names({"M_YEAR", "M_MONTH"})}},
        {QString::fromLatin1(Schema::ChangeLog), {names({"M_YEAR", "M_MONTH"})}},
        // A row's history is read from its month's operations (CHANGE_LOG's
        // index), their packed rows by the operation.
        {QString::fromLatin1(Schema::ChangeRow), {names({"OP_ID"})}},
    };
}

// How a modify or delete finds the stored row: by its key and by every other
// value as the dataset read it, so that a row another writer changed (or
// deleted) since it was read matches nothing and the save is refused instead of
// overwriting that change. The comparisons are NULL-safe and portable:
//   key fields      K = :OLD_K          (the primary key's index finds the row)
//   texts           coalesce(F, '') = :OLD_F
//                   (a text the dataset holds as NULL is written as '', and a
//                   NULL read back is bound as '': both are the same empty text)
//   numbers, dates  F is not distinct from :OLD_F
// A table without a key is found by all its values the same way.
QString whereAsRead(const TableDef &table)
{
    QStringList terms;
    for (const FieldDef &f : table.fields) {
        if (table.key.contains(f.name, Qt::CaseInsensitive))
            terms << QStringLiteral("%1 = :OLD_%1").arg(f.name);
        else if (f.type == FieldType::Text)
            terms << QStringLiteral("coalesce(%1, '') = :OLD_%1").arg(f.name);
        else
            terms << QStringLiteral("%1 is not distinct from :OLD_%1").arg(f.name);
    }
    return terms.join(QStringLiteral(" and "));
}

} // namespace

namespace Schema {

const QList<TableDef> &tables()
{
    static const QList<TableDef> all = buildTables();
    return all;
}

const TableDef *table(const QString &name)
{
    for (const TableDef &t : tables()) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

QString createStatement(const TableDef &table, const Dialect &dialect)
{
    QStringList columns;
    for (const FieldDef &f : table.fields)
        columns << dialect.columnDefinition(f);
    columns += dialect.extraColumns();
    if (!table.key.isEmpty())
        columns << QStringLiteral("PRIMARY KEY (%1)").arg(table.key.join(QStringLiteral(", ")));
    return QStringLiteral("create table %1 (%2)").arg(table.name, columns.join(QStringLiteral(", ")));
}

QStringList indexStatements(const TableDef &table)
{
    QStringList out;
    const auto extra = extraIndexes().value(table.name);
    int n = 0;
    for (const QStringList &fields : extra) {
        ++n;
        out << QStringLiteral("create index if not exists %1_IX%2 on %1 (%3)")
                   .arg(table.name)
                   .arg(n)
                   .arg(fields.join(QStringLiteral(", ")));
    }
    return out;
}

QString insertStatement(const TableDef &table)
{
    const QStringList fields = table.fieldNames();
    QStringList params;
    for (const QString &f : fields)
        params << u':' + f;
    return QStringLiteral("insert into %1 (%2) values (%3)")
        .arg(table.name, fields.join(QStringLiteral(", ")), params.join(QStringLiteral(", ")));
}

QString modifyStatement(const TableDef &table)
{
    QStringList sets;
    for (const FieldDef &f : table.fields)
        sets << QStringLiteral("%1 = :%1").arg(f.name);
    return QStringLiteral("update %1 set %2 where %3")
        .arg(table.name, sets.join(QStringLiteral(", ")), whereAsRead(table));
}

QString deleteStatement(const TableDef &table)
{
    return QStringLiteral("delete from %1 where %2").arg(table.name, whereAsRead(table));
}

} // namespace Schema
