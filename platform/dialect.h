#pragma once

#include <QString>

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

    // The DDL file in the resources for this database.
    QString schemaResource() const;

private:
    Dbms m_dbms;
};

} // namespace qv
