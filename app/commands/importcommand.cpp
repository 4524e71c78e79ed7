#include "importcommand.h"

#include "app/pack.h"

#include "data/ledgerupgrade.h"
#include "imports/giftimport.h"
#include "platform/database/transaction.h"

#include <QDir>
#include <QFileInfo>

namespace qv {

int runImport(const QString& file, bool dryRun, QTextStream& out, QTextStream& err)
{
    Transaction t;
    if (!readProfileConnection(t, err))
        return 2;
    if (!t.connect()) {
        err << QStringLiteral("不能连接数据库：%1").arg(t.SQLErrText) << Qt::endl;
        return 1;
    }
    if (const auto refusal = refuseNonLedger(t)) {
        err << refusal->what << QStringLiteral("：") << refusal->reason << Qt::endl;
        return 1;
    }
    const LedgerUpgrade upgrade = upgradeLedger(t);
    if (upgrade.outcome == LedgerUpgrade::Outcome::Failed ||
        upgrade.outcome == LedgerUpgrade::Outcome::TooNew) {
        err << upgrade.message() << Qt::endl;
        return 1;
    }
    if (!upgrade.message().isEmpty())
        out << upgrade.message() << Qt::endl;

    GiftImport import(t);
    QString error;
    if (!import.ledgerReady(error)) {
        err << error << Qt::endl;
        return 1;
    }
    const QString shown = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
    const auto sheet = readSheet(file, 0, error);
    if (!sheet) {
        err << error << Qt::endl;
        return 1;
    }
    const ColumnMapping mapping = guessMapping(*sheet);
    auto preview = import.preview(*sheet, mapping, {}, error);
    if (!preview) {
        err << QStringLiteral("%1：%2").arg(shown, error) << Qt::endl;
        return 1;
    }
    preview->fileName = file;
    QStringList columns;
    for (int c = 0; c < mapping.fields.size(); ++c)
        if (mapping.fields[c] != ImportField::Ignore)
            columns << QStringLiteral("%1←「%2」")
                           .arg(importFieldCaption(mapping.fields[c]), mapping.headers.value(c));
    out << QStringLiteral("文件：%1（工作表“%2”，表头在第 %3 行）")
               .arg(shown, sheet->name)
               .arg(mapping.headerRow + 1)
        << Qt::endl
        << QStringLiteral("各列：%1").arg(columns.join(QStringLiteral("，"))) << Qt::endl;
    for (const QString& line : preview->summary())
        out << line << Qt::endl;
    if (preview->blocked()) {
        err << QStringLiteral("有 %1 行被拒收，没有导入：请改正文件后再导入。")
                   .arg(preview->count(ImportRow::Verdict::Refused))
            << Qt::endl;
        return 1;
    }
    if (preview->toImport() == 0) {
        err << QStringLiteral("没有可导入的行，没有导入。") << Qt::endl;
        return 1;
    }
    if (dryRun) {
        out << QStringLiteral("试运行（--dry-run）：账本没有改动。") << Qt::endl;
        return 0;
    }
    const QString who = qEnvironmentVariable("USER", QStringLiteral("命令行"));
    const ImportResult result = import.run(*preview, who, [&out](int done, int total) {
        if (done < total)
            out << QStringLiteral("已写入 %1 / %2 条……").arg(done).arg(total) << Qt::endl;
        return true;
    });
    if (!result.ok) {
        err << result.error << Qt::endl;
        return 1;
    }
    out << importDoneText(result) << Qt::endl;
    return 0;
}

} // namespace qv
