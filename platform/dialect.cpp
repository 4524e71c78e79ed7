#include "dialect.h"

namespace qv {

Dbms Dialect::parseDbms(const QString& value)
{
    const QString v = value.trimmed();
    if (v.compare(u"SQLite", Qt::CaseInsensitive) == 0)
        return Dbms::SQLite;
    if (v.compare(u"PostgreSQL", Qt::CaseInsensitive) == 0)
        return Dbms::PostgreSQL;
    if (v.compare(u"ODBC", Qt::CaseInsensitive) == 0)
        return Dbms::ODBC;
    return Dbms::Unknown;
}

QString Dialect::qtDriver(Dbms dbms)
{
    switch (dbms) {
    case Dbms::SQLite:
        return QStringLiteral("QSQLITE");
    case Dbms::PostgreSQL:
        return QStringLiteral("QPSQL");
    case Dbms::ODBC:
        return QStringLiteral("QODBC");
    case Dbms::Unknown:
        break;
    }
    return {};
}

QString Dialect::name() const
{
    switch (m_dbms) {
    case Dbms::SQLite:
        return QStringLiteral("SQLite");
    case Dbms::PostgreSQL:
        return QStringLiteral("PostgreSQL");
    case Dbms::ODBC:
        return QStringLiteral("ODBC");
    case Dbms::Unknown:
        break;
    }
    return {};
}

QString Dialect::likeIgnoringCase(const QString& column) const
{
    switch (m_dbms) {
    case Dbms::SQLite: // LIKE already ignores ASCII case
        return column + QStringLiteral(" LIKE ?");
    case Dbms::PostgreSQL:
        return column + QStringLiteral(" ILIKE ?");
    default:
        return QStringLiteral("UPPER(") + column + QStringLiteral(") LIKE UPPER(?)");
    }
}

QString Dialect::schemaResource() const
{
    switch (m_dbms) {
    case Dbms::SQLite:
        return QStringLiteral(":/schema/sqlite.sql");
    case Dbms::PostgreSQL:
        return QStringLiteral(":/schema/postgresql.sql");
    default:
        return {};
    }
}

} // namespace qv
