#include "ledgerschema.h"

#include "platform/database/transaction.h"

#include <QFile>
#include <QSqlDatabase>

namespace qv {

namespace {

// Small batches keep the statement within every driver's limit on bound
// values while loading the 27,000 characters of pym in seconds.
constexpr int kRowsPerInsert = 200;

QStringList splitStatements(const QString& ddl)
{
    QStringList statements;
    QString current;
    for (const QString& line : ddl.split(u'\n')) {
        const QString t = line.trimmed();
        if (t.startsWith(QStringLiteral("--")) || t.isEmpty())
            continue;
        current += line + u'\n';
        if (t.endsWith(u';')) {
            current = current.trimmed();
            current.chop(1);
            statements << current;
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

// The DDL of one later version for the connection's database:
// ":/schema/sqlite-2.sql" beside ":/schema/sqlite.sql".
QString versionResource(const Dialect& dialect, int version)
{
    QString base = dialect.schemaResource();
    if (base.isEmpty())
        return {};
    base.chop(4); // ".sql"
    return base + QStringLiteral("-%1.sql").arg(version);
}

constexpr int kNewestVersion = 3;

} // namespace

int LedgerSchema::newestVersion()
{
    return kNewestVersion;
}

std::optional<int> LedgerSchema::version(Transaction& t, QString& error)
{
    QVariantList row;
    if (t.dialect().dbms() == Dbms::SQLite) {
        if (t.selectInto(QStringLiteral("PRAGMA user_version"), {}, row) != 0) {
            error = QStringLiteral("读不出账本的版本：%1").arg(t.SQLErrText);
            return std::nullopt;
        }
        return std::max(1, row.value(0).toInt());
    }
    // Before versions were kept there was no zbbb: that is the first design.
    bool kept = false;
    for (const QString& table : t.database().tables(QSql::Tables))
        if (table.compare(u"zbbb", Qt::CaseInsensitive) == 0 || table.endsWith(u".zbbb", Qt::CaseInsensitive))
            kept = true;
    if (!kept)
        return 1;
    const int rc = t.selectInto(QStringLiteral("SELECT MAX(bbh) FROM zbbb"), {}, row);
    if (rc == -1) {
        error = QStringLiteral("读不出账本的版本：%1").arg(t.SQLErrText);
        return std::nullopt;
    }
    return std::max(1, row.value(0).toInt());
}

bool LedgerSchema::addVersions(Transaction& t, int from, QStringList& report, QString& error)
{
    for (int v = from + 1; v <= kNewestVersion; ++v) {
        QFile ddl(versionResource(t.dialect(), v));
        if (ddl.fileName().isEmpty() || !ddl.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("没有 %1 账本第 %2 版的建表语句").arg(t.dialect().name()).arg(v);
            return false;
        }
        const QStringList statements = splitStatements(QString::fromUtf8(ddl.readAll()));
        for (const QString& sql : statements)
            if (t.execute(sql) != 0) {
                error = QStringLiteral("建立第 %1 版的表失败（%2）：%3")
                            .arg(v)
                            .arg(sql.section(u'\n', 0, 0), t.SQLErrText);
                return false;
            }
        report << QStringLiteral("第 %1 版：%2 条语句").arg(v).arg(statements.size());
    }
    // The version is our own number, never typed: SQLite's PRAGMA takes no
    // bound value. Written within the transaction, it changes with the tables.
    const bool recorded =
        t.dialect().dbms() == Dbms::SQLite
            ? t.execute(QStringLiteral("PRAGMA user_version = %1").arg(kNewestVersion)) == 0
            : t.execute(QStringLiteral("DELETE FROM zbbb")) == 0 &&
                  t.execute(QStringLiteral("INSERT INTO zbbb (bbh) VALUES (?)"), {kNewestVersion}) == 0;
    if (!recorded) {
        error = QStringLiteral("记不下账本的版本：%1").arg(t.SQLErrText);
        return false;
    }
    return true;
}

const QStringList& LedgerSchema::tableNames()
{
    static const QStringList names = {
        QStringLiteral("rqwlb"), QStringLiteral("wlryb"),    QStringLiteral("czr"),
        QStringLiteral("tjb"),   QStringLiteral("tjb_save"), QStringLiteral("pym"),
        QStringLiteral("syb"),   QStringLiteral("dxb"),      QStringLiteral("fwfz")};
    return names;
}

QStringList LedgerSchema::existingTables(Transaction& transaction)
{
    QStringList present;
    const QStringList tables = transaction.database().tables(QSql::Tables);
    for (const QString& name : tableNames())
        for (const QString& t : tables)
            if (t.compare(name, Qt::CaseInsensitive) == 0 || t.endsWith(u'.' + name, Qt::CaseInsensitive)) {
                present << name;
                break;
            }
    return present;
}

bool LedgerSchema::readSeed(const QString& table, Seed& seed, QString& error)
{
    QFile file(QStringLiteral(":/seed/%1.tsv").arg(table));
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("缺少种子数据 %1").arg(file.fileName());
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    if (lines.isEmpty()) {
        error = QStringLiteral("种子数据 %1 是空的").arg(file.fileName());
        return false;
    }
    seed.table = table;
    seed.columns = lines.front().trimmed().split(u'\t');
    seed.rows.clear();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        QStringList fields = line.split(u'\t');
        if (fields.size() != seed.columns.size()) {
            error = QStringLiteral("种子数据 %1 第 %2 行的列数不对").arg(file.fileName()).arg(i + 1);
            return false;
        }
        seed.rows << fields;
    }
    return true;
}

bool LedgerSchema::create(Transaction& t, QStringList& report, QString& error)
{
    QFile ddlFile(t.dialect().schemaResource());
    if (ddlFile.fileName().isEmpty() || !ddlFile.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("没有 %1 的建表语句").arg(t.dialect().name());
        return false;
    }
    auto abort = [&](const QString& what) {
        error = what + QStringLiteral("：") + t.SQLErrText;
        t.rollback();
        return false;
    };
    const QStringList statements = splitStatements(QString::fromUtf8(ddlFile.readAll()));
    for (const QString& sql : statements)
        if (t.execute(sql) != 0)
            return abort(QStringLiteral("建表失败（%1）").arg(sql.section(u'\n', 0, 0)));
    report << QStringLiteral("已建立 %1 张表和索引（%2 条语句）")
                  .arg(tableNames().size())
                  .arg(statements.size());

    for (const QString& table : {QStringLiteral("czr"), QStringLiteral("syb"), QStringLiteral("dxb"),
                                 QStringLiteral("fwfz"), QStringLiteral("pym")}) {
        Seed seed;
        if (!readSeed(table, seed, error)) {
            t.rollback();
            return false;
        }
        const QString oneRow = u'(' + QStringList(seed.columns.size(), QStringLiteral("?")).join(u',') + u')';
        for (qsizetype start = 0; start < seed.rows.size(); start += kRowsPerInsert) {
            const qsizetype count = std::min<qsizetype>(kRowsPerInsert, seed.rows.size() - start);
            QVariantList values;
            for (qsizetype r = start; r < start + count; ++r)
                for (const QString& v : seed.rows[r])
                    values << v;
            const QString sql =
                QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                    .arg(table, seed.columns.join(u','), QStringList(count, oneRow).join(u','));
            if (t.execute(sql, values) != 0)
                return abort(QStringLiteral("写入 %1 的初始数据失败").arg(table));
        }
        report << QStringLiteral("%1：%2 行").arg(table).arg(seed.rows.size());
    }
    if (!addVersions(t, 1, report, error)) {
        t.rollback();
        return false;
    }
    if (!t.commit())
        return abort(QStringLiteral("提交失败"));
    return true;
}

} // namespace qv
