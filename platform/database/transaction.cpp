#include "transaction.h"

#include "platform/core/money.h"
#include "platform/core/variants.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>
#include <QThread>

#include <QSqlDriver>

#ifdef QUORVEL_SQLITE_NATIVE_READ
#include <sqlite3.h>
#endif

#ifdef QUORVEL_ODBC_CONNECTION_CHECK
#include <sql.h>
#include <sqlext.h>
#endif

#include <atomic>

namespace qv {

namespace {

std::atomic<int> g_connectionCounter{0};

QString errorText(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    return text;
}

QVariant sqlValue(const QVariant& v)
{
    if (v.userType() == qMetaTypeId<Money>())
        return v.value<Money>().toSqlValue();
    return v;
}

// "host", "host:port", "/socket/dir" or "/socket/dir:port".
void applyServerName(QSqlDatabase& db, const QString& serverName)
{
    QString host = serverName.trimmed();
    const qsizetype colon = host.lastIndexOf(u':');
    if (colon > 0) {
        bool ok = false;
        const int port = host.mid(colon + 1).toInt(&ok);
        if (ok) {
            db.setPort(port);
            host = host.left(colon);
        }
    }
    if (!host.isEmpty())
        db.setHostName(host);
}

// ConnectString='DSN=ledger;UID=me;PWD=secret' among other DBParm entries.
QString odbcConnectString(const QString& dbparm)
{
    static const QRegularExpression re(QStringLiteral(R"(ConnectString\s*=\s*'([^']*)')"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(dbparm);
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

Transaction::Transaction()
    : m_connectionName(QStringLiteral("sqlca_%1").arg(g_connectionCounter.fetch_add(1)))
{
}

Transaction::~Transaction()
{
    // The global connection is destroyed among the program's last statics,
    // after Qt's registry of connections may be gone; the program closes it
    // while the application object still lives, so nothing is left to do.
    if (!QCoreApplication::instance())
        return;
    disconnect();
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase Transaction::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool Transaction::isConnected() const
{
    return QSqlDatabase::contains(m_connectionName) && (database().isOpen() || m_lost);
}

namespace {

QString lostText(const QString& driverText)
{
    QString text =
        QStringLiteral("与数据库服务器的连接已断开（服务器重启或网络中断），下一次操作时将重新连接");
    if (!driverText.isEmpty())
        text += u'\n' + driverText;
    return text;
}

bool connectionGone(const QSqlDatabase& db)
{
    // The PostgreSQL driver closes its side when it finds the server gone.
    if (!db.isOpen())
        return true;
#ifdef QUORVEL_ODBC_CONNECTION_CHECK
    // ODBC keeps the handle open; the driver manager knows whether it died.
    if (db.driverName() == QLatin1String("QODBC")) {
        const QVariant handle = db.driver()->handle();
        if (handle.isValid() && qstrcmp(handle.typeName(), "void*") == 0) {
            SQLHDBC hdbc = *static_cast<SQLHDBC const*>(handle.constData());
            SQLUINTEGER dead = SQL_CD_FALSE;
            if (hdbc && SQL_SUCCEEDED(SQLGetConnectAttr(hdbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)))
                return dead == SQL_CD_TRUE;
        }
    }
#endif
    return false;
}

} // namespace

void Transaction::noteIfLost(const QString& driverText)
{
    if (!QSqlDatabase::contains(m_connectionName) || m_dialect.dbms() == Dbms::SQLite)
        return;
    if (!connectionGone(database()))
        return;
    m_lost = true;
    if (m_inTransaction) {
        m_inTransaction = false;
        m_transactionCut = true;
    }
    SQLErrText = lostText(driverText);
}

bool Transaction::ensureOpen(const QString& statement)
{
    if (!QSqlDatabase::contains(m_connectionName))
        return fail(QStringLiteral("数据库没有连接"), statement);
    const QString cut =
        QStringLiteral("与数据库服务器的连接在事务进行中断开，这个事务已经作废：请先回滚，再重做");
    if (m_transactionCut)
        return fail(cut, statement);
    QSqlDatabase db = database();
    if (!m_lost) {
        if (db.isOpen())
            return true;
        // Only this object closes the connection it opened, and then removes
        // it: closed and still here means the driver met the server gone, in
        // a statement whose failure did not show it (one without values) or
        // later. It is a loss like any other.
        m_lost = true;
        if (m_inTransaction) {
            m_inTransaction = false;
            m_transactionCut = true;
            return fail(cut, statement);
        }
    }
    m_prepared.clear();
    db.close();
    if (!db.open())
        return fail(lostText(errorText(db.lastError())), statement);
    afterOpen(db);
    m_lost = false;
    return true;
}

bool Transaction::lastFailureWasBusy() const
{
    if (SQLCode != -1 || SQLState.isEmpty())
        return false;
    if (m_dialect.dbms() == Dbms::SQLite) {
        // SQLITE_BUSY and SQLITE_LOCKED, plain or extended.
        bool ok = false;
        const int code = SQLState.toInt(&ok) & 0xff;
        return ok && (code == 5 || code == 6);
    }
    // Serialisation failure, deadlock, lock not available.
    return SQLState.startsWith(QLatin1String("40")) || SQLState == QLatin1String("55P03");
}

#ifdef QUORVEL_SQLITE_NATIVE_READ
namespace {

sqlite3* nativeSqlite(const QSqlDatabase& db);

// SQLite's own wait sleeps longer the longer a writer has waited, up to a
// tenth of a second, while a desk that just saved asks again at once: under
// steady saving the longest waiter kept losing until its time was up. Asking
// every millisecond gives every waiter the same chance.
int waitForTheLedger(void*, int calls)
{
    if (calls >= 3000)
        return 0;
    QThread::usleep(1000);
    return 1;
}

} // namespace
#endif

void Transaction::afterOpen(QSqlDatabase& db)
{
#ifdef QUORVEL_SQLITE_NATIVE_READ
    if (sqlite3* handle = nativeSqlite(db))
        sqlite3_busy_handler(handle, waitForTheLedger, nullptr);
#endif
    if (m_dialect.dbms() == Dbms::PostgreSQL) {
        // The ledger's texts are Unicode on the wire whatever the server's
        // locale; GBK limits are checked by the program.
        QSqlQuery q(db);
        q.exec(QStringLiteral("SET client_encoding TO 'UTF8'"));
    }
}

bool Transaction::fail(const QString& text, const QString& statement)
{
    SQLCode = -1;
    SQLErrText = text;
    SQLState.clear();
    SQLNRows = 0;
    lastStatement = statement;
    return false;
}

bool Transaction::fail(const QSqlError& error, const QString& statement)
{
    fail(errorText(error), statement);
    SQLState = error.nativeErrorCode().trimmed();
    return false;
}

void Transaction::succeed(const QString& statement)
{
    SQLCode = 0;
    SQLErrText.clear();
    SQLState.clear();
    lastStatement = statement;
}

bool Transaction::connectSQLite(QSqlDatabase& db, OpenMode mode)
{
    if (Database.trimmed().isEmpty())
        return fail(QStringLiteral("没有指定数据库文件：请在 pb.ini 的 [database] 中填写 database"));
    const QFileInfo file(QDir::current(), Database);
    if (mode == OpenMode::ExistingOnly) {
        if (!file.exists())
            return fail(
                QStringLiteral("找不到数据库文件 %1").arg(QDir::toNativeSeparators(file.absoluteFilePath())));
        if (!file.isFile())
            return fail(
                QStringLiteral("%1 不是数据库文件").arg(QDir::toNativeSeparators(file.absoluteFilePath())));
    }
    db.setDatabaseName(file.absoluteFilePath());
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
    if (!db.open())
        return fail(errorText(db.lastError()));
    // Opening is lazy in SQLite; read the catalogue so that a file that is not
    // a database, or one locked by another program, is caught now.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        const QString text = errorText(probe.lastError());
        probe = QSqlQuery();
        db.close();
        return fail(QStringLiteral("%1：%2").arg(QDir::toNativeSeparators(file.absoluteFilePath()), text));
    }
    afterOpen(db);
    return true;
}

bool Transaction::connect(OpenMode mode)
{
    if (isConnected())
        disconnect();
    const Dbms dbms = Dialect::parseDbms(DBMS);
    if (dbms == Dbms::Unknown) {
        if (DBMS.trimmed().isEmpty())
            return fail(QStringLiteral(
                "没有指定数据库接口：pb.ini 的 [database] 中缺少 dbms（可用 SQLite、PostgreSQL 或 ODBC）"));
        return fail(QStringLiteral("不认识的数据库接口“%1”：dbms 应为 SQLite、PostgreSQL 或 ODBC").arg(DBMS));
    }
    const QString driver = Dialect::qtDriver(dbms);
    if (!QSqlDatabase::isDriverAvailable(driver))
        return fail(QStringLiteral("本机没有安装 %1 的数据库驱动（%2）").arg(Dialect(dbms).name(), driver));

    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, m_connectionName);
    m_dialect = Dialect(dbms);
    m_inTransaction = false;
    m_lost = false;
    m_transactionCut = false;

    bool ok = false;
    switch (dbms) {
    case Dbms::SQLite:
        ok = connectSQLite(db, mode);
        break;
    case Dbms::PostgreSQL: {
        db.setDatabaseName(Database);
        applyServerName(db, ServerName);
        db.setUserName(LogID.isEmpty() ? UserID : LogID);
        db.setPassword(LogID.isEmpty() ? DBPass : LogPass);
        db.setConnectOptions(QStringLiteral("connect_timeout=5"));
        ok = db.open() || fail(errorText(db.lastError()));
        if (ok)
            afterOpen(db);
        break;
    }
    case Dbms::ODBC: {
        const QString cs = odbcConnectString(DBParm);
        db.setDatabaseName(cs.isEmpty() ? Database : cs);
        if (!UserID.isEmpty())
            db.setUserName(UserID);
        if (!DBPass.isEmpty())
            db.setPassword(DBPass);
        ok = db.open() || fail(errorText(db.lastError()));
        break;
    }
    case Dbms::Unknown:
        break;
    }
    if (!ok) {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        return false;
    }
    succeed({});
    return true;
}

bool Transaction::disconnect()
{
    if (!QSqlDatabase::contains(m_connectionName))
        return true;
    m_prepared.clear(); // before the connection they were prepared on
    {
        QSqlDatabase db = database();
        if (db.isOpen()) {
            if (m_inTransaction)
                db.rollback();
            db.close();
        }
    }
    m_inTransaction = false;
    m_lost = false;
    m_transactionCut = false;
    QSqlDatabase::removeDatabase(m_connectionName);
    succeed({});
    return true;
}

bool Transaction::begin()
{
    if (m_inTransaction)
        return true;
    if (runBegin())
        return true;
    // Nothing had begun, so nothing is lost by beginning on a new connection.
    return !m_transactionCut && (m_lost || !database().isOpen()) && runBegin();
}

bool Transaction::runBegin()
{
    const QString statement = QStringLiteral("BEGIN");
    if (!ensureOpen(statement))
        return false;
    QSqlDatabase db = database();
    bool ok = false;
    QSqlError error;
    if (m_dialect.dbms() == Dbms::SQLite) {
        // A deferred transaction reads first and asks for the write lock
        // later; when another desk holds it then, SQLite refuses at once
        // instead of waiting, as reading under a lock it cannot upgrade would
        // deadlock. Asking at the start waits in the busy timeout instead.
        QSqlQuery query(db);
        ok = query.exec(QStringLiteral("BEGIN IMMEDIATE"));
        error = query.lastError();
    } else {
        ok = db.transaction();
        error = db.lastError();
    }
    if (!ok) {
        fail(error, statement);
        noteIfLost(SQLErrText);
        return false;
    }
    m_inTransaction = true;
    ++m_transactionSerial;
    m_statementsInTransaction = 0;
    return true;
}

bool Transaction::commit()
{
    if (m_transactionCut)
        return ensureOpen(QStringLiteral("COMMIT"));
    if (!QSqlDatabase::contains(m_connectionName))
        return fail(QStringLiteral("数据库没有连接"));
    if (!m_inTransaction) {
        succeed(QStringLiteral("COMMIT"));
        return true;
    }
    QSqlDatabase db = database();
    const bool answered = m_loseCommitAnswer < 0 ? db.rollback() : db.commit();
    if (!answered) {
        fail(db.lastError(), QStringLiteral("COMMIT"));
        noteIfLost(SQLErrText);
        return false;
    }
    if (m_loseCommitAnswer != 0) {
        m_loseCommitAnswer = 0;
        db.close();
        m_lost = true;
        m_inTransaction = false;
        m_transactionCut = true;
        fail(lostText(QStringLiteral("(no answer to COMMIT)")), QStringLiteral("COMMIT"));
        return false;
    }
    m_inTransaction = false;
    succeed(QStringLiteral("COMMIT"));
    return true;
}

bool Transaction::rollback()
{
    if (!QSqlDatabase::contains(m_connectionName))
        return fail(QStringLiteral("数据库没有连接"));
    // A transaction the loss cut off was undone by the server already.
    m_transactionCut = false;
    if (!m_inTransaction) {
        succeed(QStringLiteral("ROLLBACK"));
        return true;
    }
    QSqlDatabase db = database();
    m_inTransaction = false;
    if (!db.rollback()) {
        fail(db.lastError(), QStringLiteral("ROLLBACK"));
        noteIfLost(SQLErrText);
        // Either way nothing of the transaction remains.
        if (m_lost) {
            succeed(QStringLiteral("ROLLBACK"));
            return true;
        }
        return false;
    }
    succeed(QStringLiteral("ROLLBACK"));
    return true;
}

std::optional<QSqlQuery> Transaction::run(const QString& sql, const QVariantList& values)
{
    // A statement outside a transaction, or the first of one, left nothing
    // behind when it failed, so it may run once more on a new connection.
    // (ODBC begins without a word to the server: its first statement is
    // where a loss shows.)
    const bool began = m_inTransaction;
    const bool alone = !began || m_statementsInTransaction == 0;
    auto query = runOnce(sql, values);
    if (!query && alone && (m_lost || !database().isOpen())) {
        if (began)
            m_transactionCut = false;
        if (!m_transactionCut && (!began || begin()))
            query = runOnce(sql, values);
    }
    if (m_inTransaction)
        ++m_statementsInTransaction;
    return query;
}

std::optional<QSqlQuery> Transaction::runOnce(const QString& sql, const QVariantList& values)
{
    if (!ensureOpen(sql))
        return std::nullopt;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    // Decimals arrive as text so that money is read exactly.
    query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    // Statements without values run directly: PostgreSQL cannot prepare DDL.
    bool ok = false;
    if (values.isEmpty()) {
        ok = query.exec(sql);
    } else if (query.prepare(sql)) {
        for (const QVariant& v : values)
            query.addBindValue(sqlValue(v));
        ok = query.exec();
    }
    if (!ok) {
        const QSqlError error = query.lastError();
        // The driver may close a connection it found dead only as the failed
        // query is let go.
        query = QSqlQuery();
        fail(error, sql);
        noteIfLost(SQLErrText);
        return std::nullopt;
    }
    succeed(sql);
    return query;
}

QSqlQuery* Transaction::runReused(const QString& sql, const QVariantList& values)
{
    if (!ensureOpen(sql))
        return nullptr;
    auto& query = m_prepared[sql];
    bool ok = true;
    if (!query) {
        query = std::make_unique<QSqlQuery>(database());
        query->setForwardOnly(true);
        query->setNumericalPrecisionPolicy(QSql::HighPrecision);
        ok = query->prepare(sql);
    }
    if (ok) {
        for (int i = 0; i < values.size(); ++i)
            query->bindValue(i, sqlValue(values[i]));
        ok = query->exec();
    }
    ++m_statementsInTransaction;
    if (!ok) {
        const QSqlError error = query->lastError();
        m_prepared.erase(sql);
        fail(error, sql);
        noteIfLost(SQLErrText);
        return nullptr;
    }
    succeed(sql);
    return query.get();
}

int Transaction::execute(const QString& sql, const QVariantList& values)
{
    if (!begin())
        return -1;
    if (reuses(values)) {
        QSqlQuery* query = runReused(sql, values);
        if (!query)
            return -1;
        SQLNRows = query->numRowsAffected();
        return 0;
    }
    auto query = run(sql, values);
    if (!query)
        return -1;
    SQLNRows = query->numRowsAffected();
    return 0;
}

int Transaction::selectInto(const QString& sql, const QVariantList& values, QVariantList& into)
{
    into.clear();
    if (reuses(values)) {
        QSqlQuery* query = runReused(sql, values);
        if (!query)
            return -1;
        const bool found = query->next();
        for (int i = 0; found && i < query->record().count(); ++i)
            into.append(query->value(i));
        query->finish(); // no cursor left open between two runs
        SQLCode = found ? 0 : 100;
        SQLNRows = found ? 1 : 0;
        return int(SQLCode);
    }
    auto query = run(sql, values);
    if (!query)
        return -1;
    if (!query->next()) {
        SQLCode = 100;
        SQLNRows = 0;
        return 100;
    }
    const QSqlRecord record = query->record();
    for (int i = 0; i < record.count(); ++i)
        into.append(query->value(i));
    SQLNRows = 1;
    return 0;
}

std::optional<QSqlQuery> Transaction::open(const QString& sql, const QVariantList& values)
{
    return run(sql, values);
}

#ifdef QUORVEL_SQLITE_NATIVE_READ
namespace {

// The library handle behind Qt's SQLite connection. Only valid because Qt's
// plugin and this program share the system's libsqlite3.
sqlite3* nativeSqlite(const QSqlDatabase& db)
{
    if (db.driverName() != QLatin1String("QSQLITE"))
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

bool bindNative(sqlite3_stmt* stmt, const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i) {
        const QVariant v = sqlValue(values[i]);
        int rc = SQLITE_OK;
        if (v.isNull() || !v.isValid()) {
            rc = sqlite3_bind_null(stmt, i + 1);
        } else if (holdsInteger(v)) {
            rc = sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
        } else if (v.typeId() == QMetaType::Double) {
            rc = sqlite3_bind_double(stmt, i + 1, v.toDouble());
        } else {
            const QByteArray utf8 = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, i + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK)
            return false;
    }
    return true;
}

} // namespace
#endif

int Transaction::selectRows(const QString& sql, const QVariantList& values,
                            const std::function<void(const ResultRow&)>& onRow)
{
    return selectRowsWhile(sql, values, [&onRow](const ResultRow& row) {
        onRow(row);
        return true;
    });
}

int Transaction::selectRowsWhile(const QString& sql, const QVariantList& values,
                                 const std::function<bool(const ResultRow&)>& onRow)
{
    if (!ensureOpen(sql))
        return -1;
#ifdef QUORVEL_SQLITE_NATIVE_READ
    if (sqlite3* db = nativeSqlite(database())) {
        // Cells are read where SQLite keeps them; nothing is copied unless
        // the caller asks for a value.
        class NativeRow final : public ResultRow
        {
        public:
            sqlite3_stmt* stmt = nullptr;
            int columns = 0;
            int count() const override { return columns; }
            Kind kind(int c) const override
            {
                switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_NULL:
                    return Kind::Null;
                case SQLITE_INTEGER:
                    return Kind::Integer;
                case SQLITE_FLOAT:
                    return Kind::Real;
                case SQLITE_TEXT:
                    return Kind::Text;
                default:
                    return Kind::Other;
                }
            }
            qint64 integer(int c) const override { return sqlite3_column_int64(stmt, c); }
            double real(int c) const override { return sqlite3_column_double(stmt, c); }
            QByteArrayView utf8(int c) const override
            {
                const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                return QByteArrayView(chars, sqlite3_column_bytes(stmt, c));
            }
            QVariant value(int c) const override
            {
                switch (kind(c)) {
                case Kind::Null:
                    return {};
                case Kind::Integer:
                    return QVariant(qlonglong(integer(c)));
                case Kind::Real:
                    return QVariant(real(c));
                case Kind::Text:
                    return QVariant(QString::fromUtf8(utf8(c)));
                case Kind::Other:
                    break;
                }
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, c));
                return QVariant(QByteArray(bytes, sqlite3_column_bytes(stmt, c)));
            }
        };
        NativeRow row;
        const QByteArray text = sql.toUtf8();
        auto nativeFail = [&] {
            fail(QString::fromUtf8(sqlite3_errmsg(db)), sql);
            sqlite3_finalize(row.stmt);
            return -1;
        };
        if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &row.stmt, nullptr) != SQLITE_OK)
            return nativeFail();
        if (!bindNative(row.stmt, values))
            return nativeFail();
        row.columns = sqlite3_column_count(row.stmt);
        qint64 rows = 0;
        int rc;
        while ((rc = sqlite3_step(row.stmt)) == SQLITE_ROW) {
            ++rows;
            if (!onRow(row)) {
                rc = SQLITE_DONE;
                break;
            }
        }
        if (rc != SQLITE_DONE)
            return nativeFail();
        sqlite3_finalize(row.stmt);
        succeed(sql);
        SQLNRows = rows;
        return 0;
    }
#endif
    class QueryRow final : public ResultRow
    {
    public:
        QVector<QVariant> cells;
        mutable QByteArray scratch;
        int count() const override { return int(cells.size()); }
        Kind kind(int c) const override
        {
            const QVariant& v = cells[c];
            if (v.isNull())
                return Kind::Null;
            if (holdsInteger(v))
                return Kind::Integer;
            if (v.typeId() == QMetaType::Double)
                return Kind::Real;
            if (v.typeId() == QMetaType::QString)
                return Kind::Text;
            return Kind::Other;
        }
        qint64 integer(int c) const override { return cells[c].toLongLong(); }
        double real(int c) const override { return cells[c].toDouble(); }
        QByteArrayView utf8(int c) const override
        {
            scratch = cells[c].toString().toUtf8();
            return scratch;
        }
        QVariant value(int c) const override { return cells[c]; }
    };
    auto query = run(sql, values);
    if (!query)
        return -1;
    QueryRow row;
    row.cells.resize(query->record().count());
    qint64 rows = 0;
    while (query->next()) {
        for (int c = 0; c < row.cells.size(); ++c)
            row.cells[c] = query->value(c);
        ++rows;
        if (!onRow(row))
            break;
    }
    // Frees the statement now rather than when the query goes, so that the
    // connection takes the next one.
    query->finish();
    SQLNRows = rows;
    return 0;
}

int Transaction::selectRows(const QString& sql, const QVariantList& values,
                            const std::function<void(QVector<QVariant>&&)>& onRow)
{
    const std::function<void(const ResultRow&)> asValues = [&onRow](const ResultRow& row) {
        QVector<QVariant> cells(row.count());
        for (int c = 0; c < cells.size(); ++c)
            cells[c] = row.value(c);
        onRow(std::move(cells));
    };
    return selectRows(sql, values, asValues);
}

Transaction& sqlca()
{
    static Transaction global;
    return global;
}

std::optional<std::pair<QString, QVariantList>> bindNamed(const QString& sql, const QStringList& names,
                                                          const QVariantList& values)
{
    QString out;
    QVariantList ordered;
    out.reserve(sql.size());
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (c == u'\'') {
            const qsizetype end = sql.indexOf(u'\'', i + 1);
            const qsizetype stop = end < 0 ? sql.size() - 1 : end;
            out += QStringView(sql).mid(i, stop - i + 1);
            i = stop;
            continue;
        }
        if (c == u':' && i + 1 < sql.size() && sql[i + 1] == u':') {
            out += QStringLiteral("::");
            ++i;
            continue;
        }
        if (c == u':' && i + 1 < sql.size() && (sql[i + 1].isLetter() || sql[i + 1] == u'_')) {
            qsizetype j = i + 1;
            while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == u'_'))
                ++j;
            const QString name = sql.mid(i + 1, j - i - 1);
            const qsizetype index = names.indexOf(name, 0);
            if (index < 0)
                return std::nullopt;
            ordered.append(index < values.size() ? values[index] : QVariant());
            out += u'?';
            i = j - 1;
            continue;
        }
        out += c;
    }
    return std::make_pair(out, ordered);
}

} // namespace qv

#include "platform/core/profile.h"

namespace qv {

void readConnectionSettings(Transaction& t, const ProfileFile& profile)
{
    const QString section = QStringLiteral("database");
    t.DBMS = profile.value(section, QStringLiteral("dbms"), {});
    t.Database = profile.value(section, QStringLiteral("database"), {});
    t.UserID = profile.value(section, QStringLiteral("userid"), {});
    t.DBPass = profile.value(section, QStringLiteral("dbpass"), {});
    t.LogID = profile.value(section, QStringLiteral("logid"), {});
    t.LogPass = profile.value(section, QStringLiteral("LogPassWord"), {});
    t.ServerName = profile.value(section, QStringLiteral("servername"), {});
    t.DBParm = profile.value(section, QStringLiteral("dbparm"), {});
}

} // namespace qv
