#pragma once

#include "common/period.h"
#include "db/declaration_field.h"

#include <string>
#include <vector>

class DeclarationKind;

// A field of the kind as the plain reading takes it.
struct PlainField
{
    std::string name;
    int offset = 0;
    int width = 0;
    DeclarationField::Rendering rendering;
    int factor = 1;
    bool accountFactor = false;
    bool key = false;
};

// One line's values as bound to the insert.
struct PlainValue
{
    bool number = false;
    long long integer = 0;
    double amount = 0;
    std::string text;
    bool isInteger = false;
};

// The kind, the statements and the look-ups, prepared before timing.
struct PlainKind
{
    std::vector<PlainField> fields;
    int recordLength = 0;
    int bankField = 2;
    bool storesLineNumber = false;
    bool firstLineWins = false;
    std::string insertSql;
    std::vector<std::string> nameSql;        // one per name list the rows show
    std::vector<int> nameCodeField;          // the field each is looked up by
    // The history, packed in plain C++ as the program packs it (ChangePack):
    // the stored rows of the month read by `storedRows` (bank, year, month
    // bound), the file's rows from memory, each the key fields and then the
    // others, of the kind's table.
    std::string storedRows;
    std::vector<int> packColumns;            // each packed field's place in a row of values
    std::vector<int> packKinds;              // ChangeValues::Kind of each
    int keyColumns = 0;                      // the first of them are the key
    std::string historyRows;                 // insert of one packed row
    std::string historyOperation;
};

// One row packed as a line of the history, appended to `packed` (after a line
// end when it holds lines already): from a row of values (the file's), or
// from the current row of `storedRows` (the month's).
void plainPackLine(const PlainKind &k, const std::vector<PlainValue> &row, bool before, std::string &packed);
struct sqlite3_stmt;
void plainPackLine(const PlainKind &k, sqlite3_stmt *stored, bool before, std::string &packed);

// The kind's fields and statements, taken once before timing.
PlainKind plainKind(const DeclarationKind &kind);

// Reads the lines of `bytes` as the import does (length, printable bytes, year
// and month against `month`, codes, numbers, repeated keys): each row taken into
// *rows, the code of each name it shows into *names. False on a refused line.
bool plainCheck(const PlainKind &k, const std::string &bytes, const Period &month,
                std::vector<std::vector<PlainValue>> *rows, std::vector<std::string> *names);
