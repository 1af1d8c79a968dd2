#pragma once

#include "tests/support/test_database.h"

#include <QObject>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The base of a test class whose every test starts on an empty database of its
// own, opened as the application connection, and an empty folder; both go after
// the test. A class that sets up more calls DatabaseTest::init() from its own.
class DatabaseTest : public QObject
{
    Q_OBJECT

protected slots:
    void init()
    {
        m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Empty);
        QVERIFY2(m_db->isValid(), qPrintable(m_db->lastError()));
        m_out = std::make_unique<QTemporaryDir>();
        QVERIFY(m_out->isValid());
    }
    void cleanup()
    {
        m_out.reset();
        m_db.reset();
    }

protected:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<QTemporaryDir> m_out;
};
