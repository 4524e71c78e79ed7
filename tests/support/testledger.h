#pragma once

#include "platform/database/transaction.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

#include <memory>

namespace qv::test {

// The databases the ledger tests run on: SQLite always, PostgreSQL when the
// test command has started a server and named it in QUORVEL_TEST_PG_HOST
// (with QUORVEL_TEST_PG_PORT and QUORVEL_TEST_PG_USER).
std::vector<std::string> ledgerBackends();
// ODBC to the same PostgreSQL server through the driver library named by
// QUORVEL_TEST_ODBC_DRIVER (a path; the test command finds it), with a
// connection string and no data source file. Empty when either is missing.
std::vector<std::string> odbcBackends();

// A fresh ledger, seeded like a real installation, in a temporary working
// directory that also holds a pb.ini naming it.
class TestLedger
{
public:
    explicit TestLedger(const QString& dbms);
    ~TestLedger();

    // Creates the database and connects `sqlca()` to it.
    bool create(QString& error);

    Transaction& sqlca() { return m_sqlca; }
    const QString& dbms() const { return m_dbms; }
    QString workDir() const { return m_dir.path(); }
    // Writes pb.ini in the working directory with the connection's settings.
    void writeProfile(const QString& extra = {}) const;
    // Fills another transaction with this ledger's settings.
    void configure(Transaction& t) const;

    // PostgreSQL: ends the server session behind `t` from a second
    // connection, as a server restart or a dropped network would, and waits
    // until it is gone. False on SQLite or when it could not be done.
    bool cutServerConnection(Transaction& t);

    // Test conveniences over the connection; they fail the test on SQL errors.
    QVariant scalar(const QString& sql, const QVariantList& values = {});
    void exec(const QString& sql, const QVariantList& values = {});

private:
    QString m_dbms;
    QTemporaryDir m_dir;
    QString m_pgDatabase;
    Transaction m_sqlca;
};

// Base of the tests that run once per backend.
class LedgerTest : public ::testing::TestWithParam<std::string>
{
protected:
    void SetUp() override;
    void TearDown() override;
    Transaction& sqlca() { return m_ledger->sqlca(); }
    TestLedger& ledger() { return *m_ledger; }

    std::unique_ptr<TestLedger> m_ledger;
};

} // namespace qv::test

// The same suite once more through ODBC, where the test command offers it.
#define QV_ODBC_TEST_SUITE(Suite)                                                                            \
    GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Suite);                                                    \
    INSTANTIATE_TEST_SUITE_P(Odbc, Suite, ::testing::ValuesIn(qv::test::odbcBackends()),                     \
                             [](const ::testing::TestParamInfo<std::string>& info) { return info.param; })

#define QV_LEDGER_TEST_SUITE(Suite)                                                                          \
    INSTANTIATE_TEST_SUITE_P(Db, Suite, ::testing::ValuesIn(qv::test::ledgerBackends()),                     \
                             [](const ::testing::TestParamInfo<std::string>& info) { return info.param; })
