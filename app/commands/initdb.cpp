#include "initdb.h"

#include "app/pack.h"

#include "data/ledgerschema.h"
#include "platform/database/transaction.h"

namespace qv {

int runInitDb(QTextStream& out, QTextStream& err)
{
    Transaction t;
    if (!readProfileConnection(t, err))
        return 2;
    if (!t.connect(Transaction::OpenMode::CreateSQLiteFile)) {
        err << QStringLiteral("不能连接数据库：") << t.SQLErrText << Qt::endl;
        return 2;
    }
    const QStringList present = LedgerSchema::existingTables(t);
    if (!present.isEmpty()) {
        err << QStringLiteral("数据库里已经有账本的表（%1），没有改动任何内容。")
                   .arg(present.join(QStringLiteral("、")))
            << Qt::endl;
        return 3;
    }
    QStringList report;
    QString error;
    if (!LedgerSchema::create(t, report, error)) {
        err << QStringLiteral("初始化失败，没有写入任何内容：") << error << Qt::endl;
        return 4;
    }
    out << QStringLiteral("已在 %1 数据库 %2 中建立账本：").arg(t.dialect().name(), t.Database) << Qt::endl;
    for (const QString& line : report)
        out << QStringLiteral("  ") << line << Qt::endl;
    return 0;
}

} // namespace qv
