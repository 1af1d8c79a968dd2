#pragma once

#include <QString>

// One field of a dBASE table as the file's header describes it.
struct DbfField
{
    QString name;      // as stored, upper case in most files, at most 10 characters
    char type = 'C';   // C character, N numeric, F float, D date (YYYYMMDD), L logical, ...
    int offset = 0;    // of its bytes in the record, counting the flag byte
    int length = 0;    // bytes
    int decimals = 0;

    // The types whose bytes are plain text that can be converted; the others
    // (memo, binary numbers) point into other files or need a layout of their own.
    bool isReadable() const { return type == 'C' || type == 'N' || type == 'F' || type == 'D' || type == 'L'; }
};
