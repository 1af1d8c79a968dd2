#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Moves a declaration database into a new, empty one: an SQLite file to a
// server database that several desks will share (or to another file). The
// target is made with every table (no reference data: every row comes from the
// source), then every table of the schema is copied in the source's stored
// order inside one transaction on the target, and read back before the commit:
// its row count and checksum must equal the source's. Anything short of that
// rolls back and removes what the copy made, so the target is left as it was.
//
// The source is read inside one read transaction, so a desk still writing to it
// meanwhile does not tear the copy.
class DatabaseCopy
{
public:
    enum class Status {
        Copied,    // every table copied and verified, committed
        Refused,   // nothing done: the source is no database, the target cannot be made
        Failed,    // a copy or its verification failed; the target is as it was
    };

    struct Table
    {
        QString name;
        qint64 rows = 0;
        int insertStatements = 0;   // round trips of the inserts
        QByteArray checksum;        // SHA-256 of the rows in stored order, hex
    };

    struct Result
    {
        Status status = Status::Failed;
        QString message;        // why it was refused or failed (Traditional Chinese)
        QList<Table> tables;    // in the schema's order, when copied
    };

    // Rows sent in one insert statement at most; fewer for wide tables, so that a
    // statement stays well inside either engine's limit of bound values.
    static constexpr int RowsPerStatement = 500;
    static constexpr int ValuesPerStatement = 30000;

    static Result run(const QString &source, const QString &target);
};
