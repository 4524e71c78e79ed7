#include "firststart.h"

#include "initdb.h"
#include "app/pack.h"

#include "platform/core/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace qv {

namespace {

// The embedded ledger, in the ledger home, with the flags of a fresh
// installation: data not yet initialised, program version 1.0.0.
const QByteArray kFirstProfile = "[database]\ndbms=SQLite\ndatabase=ledger.db\n\n[other]\ncsh=0\nver=1.0.0\n";

} // namespace

QString ledgerHome()
{
    const QString chosen = qEnvironmentVariable("QUORVEL_HOME");
    if (!chosen.isEmpty())
        return QDir(chosen).absolutePath();
    return QDir::home().filePath(QStringLiteral("Quorvel"));
}

bool enterLedgerHome(QString& error)
{
    if (QFileInfo::exists(QDir::current().filePath(Pack::profileFileName())))
        return true;

    const QString home = ledgerHome();
    if (!QDir().mkpath(home)) {
        error = QStringLiteral("不能建立账本目录 %1").arg(QDir::toNativeSeparators(home));
        return false;
    }
    const QString profilePath = QDir(home).filePath(Pack::profileFileName());
    // NewOnly: a pb.ini that appeared in the meantime is kept, not replaced.
    QFile profileFile(profilePath);
    if (profileFile.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (profileFile.write(kFirstProfile) != kFirstProfile.size() || !profileFile.flush()) {
            error = QStringLiteral("不能写入配置文件 %1\n%2")
                        .arg(QDir::toNativeSeparators(profilePath), profileFile.errorString());
            profileFile.close();
            profileFile.remove();
            return false;
        }
        profileFile.close();
    } else if (!profileFile.exists()) {
        error = QStringLiteral("不能建立配置文件 %1\n%2")
                    .arg(QDir::toNativeSeparators(profilePath), profileFile.errorString());
        return false;
    }
    if (!QDir::setCurrent(home)) {
        error = QStringLiteral("不能进入账本目录 %1").arg(QDir::toNativeSeparators(home));
        return false;
    }

    // An embedded ledger that is not there yet is made as --init-db makes it;
    // one that is there is the household's and stays as it is. Any other
    // database is the user's to set up.
    ProfileFile profile(profilePath);
    profile.load();
    const QString database = profile.value(QStringLiteral("database"), QStringLiteral("database"));
    if (profile.value(QStringLiteral("database"), QStringLiteral("dbms"))
                .compare(QStringLiteral("SQLite"), Qt::CaseInsensitive) != 0 ||
        database.isEmpty() || QFileInfo::exists(database))
        return true;
    QString report, failure;
    QTextStream out(&report), err(&failure);
    if (runInitDb(out, err) != 0) {
        error =
            QStringLiteral("不能在 %1 中建立账本\n%2").arg(QDir::toNativeSeparators(home), failure.trimmed());
        return false;
    }
    QTextStream(stderr) << QStringLiteral("已在 %1 建立账本。\n").arg(QDir::toNativeSeparators(home));
    return true;
}

} // namespace qv
