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
    std::string historyOld;                  // insert-select of the rows deleted
    std::string historyNew;                  // insert-select of the rows inserted
    std::string historyOperation;
};

// The kind's fields and statements, taken once before timing.
PlainKind plainKind(const DeclarationKind &kind);

// Reads the lines of `bytes` as the import does (length, printable bytes, year
// and month against `month`, codes, numbers, repeated keys): each row taken into
// *rows, the code of each name it shows into *names. False on a refused line.
bool plainCheck(const PlainKind &k, const std::string &bytes, const Period &month,
                std::vector<std::vector<PlainValue>> *rows, std::vector<std::string> *names);
