#pragma once

#include "migration/dbf_field.h"

#include <QByteArray>

// One record of a dBASE table: its bytes as stored, the flag byte first.
struct DbfRecord
{
    int number = 0;    // 1-based, in stored order, deleted records counted
    QByteArray bytes;

    bool isActive() const { return !bytes.isEmpty() && bytes.at(0) == ' '; }
    bool isDeleted() const { return !bytes.isEmpty() && bytes.at(0) == '*'; }
    QByteArray field(const DbfField &f) const { return bytes.mid(f.offset, f.length); }
};
