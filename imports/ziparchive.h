#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace qv {

// A zip archive read whole through libzip: a workbook is one.
class ZipArchive
{
public:
    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // False, with the reason in Chinese, when the file is no zip archive.
    bool open(const QString& fileName, QString& error);
    QStringList names() const;
    // A member's content; nothing when there is no such member or it is
    // damaged.
    std::optional<QByteArray> member(const QString& name) const;

private:
    void* m_zip = nullptr; // zip_t*
};

} // namespace qv
