#include "ledgerschema.h"

#include "platform/transaction.h"

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

} // namespace

const QStringList& LedgerSchema::tableNames()
{
    static const QStringList names = {QStringLiteral("rqwlb"), QStringLiteral("wlryb"), QStringLiteral("czr"),
                                      QStringLiteral("tjb"),   QStringLiteral("tjb_save"), QStringLiteral("pym"),
                                      QStringLiteral("syb"),   QStringLiteral("dxb"),   QStringLiteral("fwfz")};
    return names;
}

QStringList LedgerSchema::existingTables(Transaction& transaction)
{
    QStringList present;
    const QStringList tables = transaction.database().tables(QSql::Tables);
    for (const QString& name : tableNames())
        for (const QString& t : tables)
            if (t.compare(name, Qt::CaseInsensitive) == 0 ||
                t.endsWith(u'.' + name, Qt::CaseInsensitive)) {
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
    report << QStringLiteral("已建立 %1 张表和索引（%2 条语句）").arg(tableNames().size()).arg(statements.size());

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
            const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                                    .arg(table, seed.columns.join(u','),
                                         QStringList(count, oneRow).join(u','));
            if (t.execute(sql, values) != 0)
                return abort(QStringLiteral("写入 %1 的初始数据失败").arg(table));
        }
        report << QStringLiteral("%1：%2 行").arg(table).arg(seed.rows.size());
    }
    if (!t.commit())
        return abort(QStringLiteral("提交失败"));
    return true;
}

} // namespace qv
