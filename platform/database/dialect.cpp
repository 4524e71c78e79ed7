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

QString Dialect::takeTurns() const
{
    return m_dbms == Dbms::PostgreSQL ? QStringLiteral("SELECT pg_advisory_xact_lock(?)") : QString();
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

QString Dialect::sumInCents(const QString& column) const
{
    switch (m_dbms) {
    case Dbms::SQLite:
        return QStringLiteral("COALESCE(SUM(CAST(ROUND(%1 * 100) AS INTEGER)), 0)").arg(column);
    case Dbms::PostgreSQL: // numeric arithmetic is exact already
        return QStringLiteral("CAST(COALESCE(SUM(%1 * 100), 0) AS BIGINT)").arg(column);
    default:
        return QStringLiteral("COALESCE(SUM(CAST(ROUND(%1 * 100, 0) AS BIGINT)), 0)").arg(column);
    }
}

Money Dialect::sumFromCents(const QVariant& cents)
{
    // Some drivers hand a BIGINT back as text or as a whole double.
    bool ok = false;
    const qlonglong n = cents.toLongLong(&ok);
    if (ok)
        return Money::fromCents(n);
    return Money::fromCents(qRound64(cents.toDouble()));
}

} // namespace qv
