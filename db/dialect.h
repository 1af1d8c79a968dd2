#pragma once

#include <QString>
#include <QStringList>

struct FieldDef;

// What differs between the two engines the declaration database can live in:
// an SQLite file (one desk, or several desks on one file) and a PostgreSQL
// server database shared by several desks. One Dialect per engine, chosen at
// open from the location (a file path or a "postgresql://" URL). Everything
// else, every statement the windows, imports, checks and reports run, is the
// same text on both engines.
//
// The stored order: SQLite keeps every row's insertion order in its rowid. A
// server table gets a real column of that name, "rowid", filled from an
// identity in insertion order, so that "order by A.rowid" and "delete ... where
// rowid in (...)" read the same on both engines. Named like SQLite's hidden
// column it needs no token expanded in the many statements that name it; being
// a real column it shows in "select *", so the datasets leave it out
// (isStoredOrderColumn) and no grid ever shows it.
class Dialect
{
public:
    enum class Engine { Sqlite, Postgres };

    static const Dialect &sqlite();
    static const Dialect &postgres();
    // The dialect of a location: a "postgresql://" (or "postgres://") URL names
    // a server database, anything else a file.
    static const Dialect &forLocation(const QString &location);
    static bool isServerLocation(const QString &location);
    // The dialect of an open connection's driver.
    static const Dialect &forDriver(const QString &driverName);

    Engine engine() const { return m_engine; }
    bool isServer() const { return m_engine == Engine::Postgres; }
    // Qt's driver for the engine.
    QString driverName() const;

    // A field's column in "create table": its type, and the checks the engine
    // needs so that a value of the wrong kind is refused as it is on the other.
    QString columnDefinition(const FieldDef &field) const;
    // Columns every table gets after its fields (the server's stored order).
    QStringList extraColumns() const;
    // The stored-order column's name on both engines.
    static QString storedOrderColumn() { return QStringLiteral("rowid"); }
    static bool isStoredOrderColumn(const QString &fieldName);
    // A result column's name as the program spells it. SQLite gives the names
    // as the statement wrote them; the server folds unquoted names to lower
    // case, so there a name is given as the tables define it, or in capitals
    // (the statements' own spelling of their computed columns).
    QString resultFieldName(const QString &engineName) const;

    // The layout: the names of the database's tables, and of one table's
    // fields, each as the first column of a query's rows.
    QString tablesQuery() const;
    QString fieldsQuery(const QString &table) const;

    // A select expression: the text of a float column that reads back as the
    // very number stored. SQLite's own text of a real keeps 15 significant
    // digits (an amount of 16 loses its last), so there 17 are asked for; the
    // server's text of a double is already the shortest that reads back exactly.
    QString exactNumberText(const QString &column) const;

    // "Begin a transaction and hold the write lock from its start".
    QString beginWrite() const;
    // The month lock taken inside the write transaction before a month is
    // checked and written, with the named parameter ":claimKey"; empty where
    // the write transaction already holds the whole database (SQLite).
    QString monthLockStatement() const;

    // Driver connect options (the bounded busy wait on SQLite).
    QString connectOptions() const;
    // Statements run once on a connection just opened.
    QStringList sessionSetup() const;
    // Statistics gathering after a bulk write and before closing; empty where
    // the server gathers them itself (autovacuum's analyze).
    QStringList statistics() const;

private:
    explicit Dialect(Engine engine) : m_engine(engine) {}
    Engine m_engine;
};
