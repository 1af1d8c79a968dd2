#pragma once

#include "tests/support/test_database.h"

#include <QString>

// The engine's own words for a failure the program passes on unchanged, as the
// engine the tests run on says them (see TestDatabase::onServer). A test looks
// for these where it proves that the engine's reason reached the user.
namespace EngineWords {

// What the engine puts before its message: the server's severity word.
inline QString messageStart()
{
    return TestDatabase::onServer() ? QStringLiteral("ERROR:  ") : QString();
}

// A second row with a key already stored.
inline QString repeatedKey()
{
    return TestDatabase::onServer() ? QStringLiteral("duplicate key value violates unique constraint")
                                    : QStringLiteral("UNIQUE constraint failed");
}

// A statement naming a table the database does not have.
inline QString missingTable()
{
    return TestDatabase::onServer() ? QStringLiteral("does not exist") : QStringLiteral("no such table");
}

} // namespace EngineWords
