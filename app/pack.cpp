#include "pack.h"

#include "loginwindow.h"

#include "data/ledgerfile.h"
#include "data/ledgerschema.h"
#include "data/ledgerupgrade.h"
#include "platform/database/ledgerbackup.h"

#include "platform/core/messagebox.h"
#include "platform/core/profile.h"
#include "platform/database/transaction.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace qv {

namespace {

// The first line of a failed connection: what could not be reached, named so
// that the operator knows which file or server to look at. Passwords are
// never shown.
QString unreachable(const Transaction& t, const ProfileFile& profile)
{
    const QString user = t.LogID.isEmpty() ? t.UserID : t.LogID;
    switch (Dialect::parseDbms(t.DBMS)) {
    case Dbms::SQLite:
        if (t.Database.trimmed().isEmpty())
            break;
        return QStringLiteral("不能打开账本文件 %1")
            .arg(QDir::toNativeSeparators(QFileInfo(QDir::current(), t.Database).absoluteFilePath()));
    case Dbms::PostgreSQL:
        return QStringLiteral("不能连接数据库服务器 %1 上的数据库“%2”（用户 %3）")
            .arg(t.ServerName.trimmed().isEmpty() ? QStringLiteral("本机") : t.ServerName.trimmed(),
                 t.Database, user.isEmpty() ? QStringLiteral("未指定") : user);
    case Dbms::ODBC:
        return t.Database.isEmpty() ? QStringLiteral("不能通过 ODBC 连接 pb.ini 的 dbparm 所指的数据库")
                                    : QStringLiteral("不能通过 ODBC 连接数据库“%1”").arg(t.Database);
    case Dbms::Unknown:
        break;
    }
    return QStringLiteral("配置文件 %1 中的数据库设置不能使用").arg(QDir::toNativeSeparators(profile.path()));
}

} // namespace

Pack::Pack(Transaction& transaction) : m_sqlca(transaction)
{
    m_openLogin = [](Transaction& t) { return openLoginWindow(t); };
}

QWidget* Pack::open()
{
    const QString title = QStringLiteral("不能连接数据库");
    ProfileFile profile(QDir::current().absoluteFilePath(profileFileName()));
    // A missing, unreadable or damaged profile would only show the driver's
    // "no dbms" text; say what is really wrong instead.
    if (profile.load() != ProfileFile::Status::Ok) {
        const QString hint =
            profile.status() == ProfileFile::Status::Missing
                ? QStringLiteral("它应在启动程序的目录中，[database] 一节写明 dbms 和 database。")
                : QString();
        messagebox(title, withReason(profile.errorString(), hint), Icon::StopSign);
        return nullptr;
    }
    readConnectionSettings(m_sqlca, profile);
    m_sqlca.connect();
    if (m_sqlca.SQLCode != 0) {
        messagebox(title, withReason(unreachable(m_sqlca, profile), m_sqlca.SQLErrText), Icon::StopSign);
        return nullptr;
    }
    // SQLite opens any file, and an empty one or another program's database
    // would only fail at the login as a wrong password.
    if (const auto refusal = refuseNonLedger(m_sqlca)) {
        m_sqlca.disconnect();
        messagebox(title, withReason(refusal->what, refusal->reason), Icon::StopSign);
        return nullptr;
    }
    const LedgerUpgrade upgrade = upgradeLedger(m_sqlca);
    switch (upgrade.outcome) {
    case LedgerUpgrade::Outcome::Failed:
    case LedgerUpgrade::Outcome::TooNew:
        m_sqlca.disconnect();
        messagebox(QStringLiteral("不能打开账本"), upgrade.message(), Icon::StopSign);
        return nullptr;
    case LedgerUpgrade::Outcome::Upgraded:
        messagebox(QStringLiteral("账本升级"), upgrade.message(), Icon::Information);
        break;
    case LedgerUpgrade::Outcome::Current:
    case LedgerUpgrade::Outcome::NotPossible:
        break;
    }
    return m_openLogin(m_sqlca);
}

std::optional<LedgerRefusal> refuseNonLedger(Transaction& transaction)
{
    switch (transaction.dialect().dbms()) {
    case Dbms::SQLite: {
        const QString file = sqliteLedgerPath(transaction);
        // The tables only: reading every page of a large ledger at each
        // start would take seconds.
        if (auto reason = checkLedgerFile(file, SqliteCheck::TablesOnly))
            return LedgerRefusal{
                QStringLiteral("账本文件 %1 不是本程序的账本").arg(QDir::toNativeSeparators(file)), *reason};
        return std::nullopt;
    }
    case Dbms::PostgreSQL: {
        const QStringList present = LedgerSchema::existingTables(transaction);
        QStringList missing;
        for (const QString& table : LedgerSchema::tableNames())
            if (!present.contains(table))
                missing << table;
        if (missing.isEmpty())
            return std::nullopt;
        const QString server = transaction.ServerName.trimmed();
        return LedgerRefusal{
            QStringLiteral("数据库服务器 %1 上的数据库“%2”不是本程序的账本")
                .arg(server.isEmpty() ? QStringLiteral("本机") : server, transaction.Database),
            QStringLiteral("缺少账本的表 %1").arg(missing.join(QStringLiteral("、")))};
    }
    // A data source's catalogue is not reliable enough to refuse it by.
    case Dbms::ODBC:
    case Dbms::Unknown:
        break;
    }
    return std::nullopt;
}

bool readProfileConnection(Transaction& transaction, QTextStream& err)
{
    ProfileFile profile(QDir::current().filePath(Pack::profileFileName()));
    if (profile.load() != ProfileFile::Status::Ok) {
        err << profile.errorString() << Qt::endl;
        return false;
    }
    readConnectionSettings(transaction, profile);
    return true;
}

} // namespace qv
