#pragma once

#include "db/database.h"

#include <QList>
#include <QString>

// The declaration rows that still refer to an institution code (BANK_CODE,
// BANK_CODE1) or a county code (HSIEN_ID). Deleting such a code would hide its
// rows from every tab, check and report, so the maintenance windows refuse it.
namespace ReferenceUsage {

enum class Kind { Institution, County };

struct Use
{
    QString table;      // "MPBANK"
    QString kindName;   // "營運資料"
    int rows = 0;
};

// The tables whose rows refer to `code`, in declaration-kind order, each with its
// count (tables without such rows are left out). False and *error when the
// engine failed.
bool count(Kind kind, const QString &code, QList<Use> *uses, QString *error,
           const QString &connectionName = Database::connectionName());

// "金融機構代碼 995 仍有申報資料 (營運資料 MPBANK 44 筆),無法刪除!!!"
QString refusal(Kind kind, const QString &code, const QList<Use> &uses);

} // namespace ReferenceUsage
