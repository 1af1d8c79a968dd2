#pragma once

#include "db/added_field.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// What the import of one declaration kind does besides reading the file's
// layout: the statement that gives the tab's dataset its fields and no rows, the
// statement of the rows stored for an institution and month, the key of a row
// within the file, what a repeated key means, and the fields it adds to each row.
struct DeclarationImport
{
    // What happens to a line whose key an earlier line of the file already had.
    enum class Repeats {
        FirstLineWins,   // the later line is skipped
        Refused,         // the file is refused with the format message
    };

    // The tab's own select (with its look-up columns) under a condition that
    // selects nothing, and the parameters bound to it.
    QString targetStatement;
    QVariantMap targetParams;
    // The rows stored for one institution and month, with the names of the
    // institution (text), year and month (integers) parameters.
    QString storedStatement;
    QString institutionParam;
    QString yearParam;
    QString monthParam;
    QStringList keyFields;
    Repeats repeats = Repeats::Refused;
    QList<AddedField> addedFields;

    // The reference tables whose names the added fields show, each once.
    QList<NameList> nameLists() const;

    // The rows storedStatement selects (an institution's month of `table`),
    // counted, and deleted in one statement, with the same parameters.
    QString monthCountStatement(const QString &table) const;
    QString monthDeleteStatement(const QString &table) const;
};
