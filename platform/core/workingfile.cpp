#include "workingfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>

namespace qv {

QString claimWorkingFile(const QString& target, QString* error)
{
    const QFileInfo info(target);
    for (int attempt = 0;; ++attempt) {
        const QString candidate = info.absoluteDir().filePath(
            QStringLiteral("%1.%2.part")
                .arg(info.fileName())
                .arg(QRandomGenerator::global()->generate() & 0xffffff, 6, 16, QLatin1Char('0')));
        QFile claim(candidate);
        // NewOnly: a name another writer took between two looks stays theirs.
        if (claim.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return candidate;
        if (!QFileInfo::exists(candidate) || attempt > 100) {
            if (error)
                *error = QStringLiteral("不能建立文件（%1）").arg(claim.errorString());
            return {};
        }
    }
}

bool replaceWithWorkingFile(const QString& working, const QString& target, QString* error)
{
    const QFileInfo existing(target);
    // A replaced file keeps who may read it; a new one has the rights the
    // writer created it with.
    if (existing.exists())
        QFile::setPermissions(working, existing.permissions());
    std::error_code failure;
    std::filesystem::rename(QFileInfo(working).filesystemAbsoluteFilePath(),
                            existing.filesystemAbsoluteFilePath(), failure);
    if (!failure)
        return true;
    if (error)
        *error = QString::fromLocal8Bit(failure.message());
    return false;
}

} // namespace qv
