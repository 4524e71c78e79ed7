#include "ledgerupgrade.h"

#include "ledgerschema.h"

#include "platform/database/ledgerbackup.h"
#include "platform/database/transaction.h"

#include <QDir>
#include <QFile>

namespace qv {

namespace {
// The key upgrades take turns on; any number no other writer uses.
constexpr qint64 kUpgradeTurn = 0x51560001;
} // namespace

QString LedgerUpgrade::message() const
{
    switch (outcome) {
    case Outcome::Current:
    case Outcome::NotPossible:
        return {};
    case Outcome::Upgraded:
        return backupFile.isEmpty()
                   ? QStringLiteral("账本已从第 %1 版升级到第 %2 版（只增加了新表，原有记录没有改动）。")
                         .arg(from)
                         .arg(to)
                   : QStringLiteral("账本已从第 %1 版升级到第 %2 版（只增加了新表，原有记录没有改动）。\n"
                                    "升级前的账本已备份为 %3")
                         .arg(from)
                         .arg(to)
                         .arg(QDir::toNativeSeparators(backupFile));
    case Outcome::TooNew:
        return QStringLiteral("账本是较新版本的程序建立的（第 %1 版），本程序只认识到第 %2 版。"
                              "请使用新版本的程序，以免损坏账本。")
            .arg(from)
            .arg(to);
    case Outcome::Failed:
        return QStringLiteral("账本升级失败，账本没有改动：%1").arg(error);
    }
    return {};
}

namespace {

LedgerUpgrade run(Transaction& t, bool backupFirst, const QDateTime& when);

} // namespace

LedgerUpgrade upgradeLedger(Transaction& t, bool backupFirst, const QDateTime& when)
{
    LedgerUpgrade result = run(t, backupFirst, when);
    // Nothing changed, so the copy holds nothing the ledger does not; a
    // start tried again and again must not fill the folder with them.
    if (result.outcome != LedgerUpgrade::Outcome::Upgraded && !result.backupFile.isEmpty()) {
        QFile::remove(result.backupFile);
        result.backupFile.clear();
    }
    return result;
}

namespace {

LedgerUpgrade run(Transaction& t, bool backupFirst, const QDateTime& when)
{
    LedgerUpgrade result;
    result.to = LedgerSchema::newestVersion();
    const std::optional<int> version = LedgerSchema::version(t, result.error);
    if (!version)
        return result;
    result.from = *version;
    if (result.from == result.to) {
        result.outcome = LedgerUpgrade::Outcome::Current;
        return result;
    }
    if (result.from > result.to) {
        result.outcome = LedgerUpgrade::Outcome::TooNew;
        return result;
    }
    if (t.dialect().schemaResource().isEmpty()) {
        result.outcome = LedgerUpgrade::Outcome::NotPossible;
        return result;
    }
    if (backupFirst && t.dialect().dbms() == Dbms::SQLite) {
        const BackupResult copy = backupBesideLedger(t, when);
        if (!copy.ok) {
            result.error = QStringLiteral("升级前不能备份账本：%1").arg(copy.error);
            return result;
        }
        result.backupFile = copy.file;
    }
    // Two desks starting together on an old server ledger: the second waits
    // for the first and then finds the ledger current.
    QStringList report;
    const QString turns = t.dialect().takeTurns();
    QVariantList ignored;
    if (!t.begin() || (!turns.isEmpty() && t.selectInto(turns, {kUpgradeTurn}, ignored) != 0)) {
        result.error = t.SQLErrText;
        t.rollback();
        return result;
    }
    const std::optional<int> again = LedgerSchema::version(t, result.error);
    if (!again) {
        t.rollback();
        return result;
    }
    if (*again >= result.to) {
        t.rollback();
        result.outcome =
            *again == result.to ? LedgerUpgrade::Outcome::Current : LedgerUpgrade::Outcome::TooNew;
        result.from = *again;
        return result;
    }
    if (!LedgerSchema::addVersions(t, result.from, report, result.error)) {
        if (result.error.isEmpty())
            result.error = t.SQLErrText;
        t.rollback();
        return result;
    }
    if (!t.commit()) {
        result.error = t.SQLErrText;
        t.rollback();
        return result;
    }
    result.outcome = LedgerUpgrade::Outcome::Upgraded;
    return result;
}

} // namespace

} // namespace qv
