#pragma once

#include "platform/core/money.h"

#include <QString>
#include <QVariant>

namespace qv {

enum class Dbms { Unknown, SQLite, PostgreSQL, ODBC };

// What differs between the databases the ledger runs on, in one place.
class Dialect
{
public:
    explicit Dialect(Dbms dbms = Dbms::Unknown) : m_dbms(dbms) {}

    // "SQLite", "PostgreSQL" and "ODBC", in any case; anything else is Unknown.
    static Dbms parseDbms(const QString& value);
    static QString qtDriver(Dbms dbms);

    Dbms dbms() const { return m_dbms; }
    QString name() const;

    // A condition "column LIKE ?" that ignores the case of ASCII letters, so
    // that zs and ZS find the same contacts on every database.
    QString likeIgnoringCase(const QString& column) const;

    // A statement that makes the writers holding one key (bound as its one
    // value) take turns until their transactions end. Empty where the write
    // transaction already does (SQLite takes the write lock as it begins) or
    // the server is not known (ODBC): there a clash is tried again.
    QString takeTurns() const;

    // The DDL file in the resources for this database.
    QString schemaResource() const;

    // A SELECT expression summing a money column as whole cents, 0 over no
    // rows, exact on every database: SQLite adds NUMERIC values as doubles,
    // which drift by cents over large ledgers, so each amount is made an
    // integer of cents before it is added. Read the result with sumFromCents.
    QString sumInCents(const QString& column) const;
    static Money sumFromCents(const QVariant& cents);

private:
    Dbms m_dbms;
};

} // namespace qv
