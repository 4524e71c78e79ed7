#include "ziparchive.h"

#include <QFile>

#include <zip.h>

namespace qv {

ZipArchive::~ZipArchive()
{
    if (m_zip)
        zip_discard(static_cast<zip_t*>(m_zip));
}

bool ZipArchive::open(const QString& fileName, QString& error)
{
    int code = 0;
    m_zip = zip_open(QFile::encodeName(fileName).constData(), ZIP_RDONLY, &code);
    if (!m_zip) {
        zip_error_t why;
        zip_error_init_with_code(&why, code);
        error =
            QStringLiteral("不是完好的 zip 文件（%1）").arg(QString::fromLocal8Bit(zip_error_strerror(&why)));
        zip_error_fini(&why);
        return false;
    }
    return true;
}

QStringList ZipArchive::names() const
{
    QStringList names;
    auto* zip = static_cast<zip_t*>(m_zip);
    if (!zip)
        return names;
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count; ++i)
        if (const char* name = zip_get_name(zip, zip_uint64_t(i), 0))
            names << QString::fromUtf8(name);
    return names;
}

std::optional<QByteArray> ZipArchive::member(const QString& name) const
{
    auto* zip = static_cast<zip_t*>(m_zip);
    if (!zip)
        return std::nullopt;
    const QByteArray utf8 = name.toUtf8();
    zip_stat_t stat;
    zip_stat_init(&stat);
    // Some writers name members with a different case than the rels say.
    if (zip_stat(zip, utf8.constData(), ZIP_FL_NOCASE, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        return std::nullopt;
    zip_file_t* file = zip_fopen_index(zip, stat.index, 0);
    if (!file)
        return std::nullopt;
    QByteArray content(qsizetype(stat.size), Qt::Uninitialized);
    const zip_int64_t read = zip_fread(file, content.data(), stat.size);
    zip_fclose(file);
    if (read < 0 || zip_uint64_t(read) != stat.size)
        return std::nullopt;
    return content;
}

} // namespace qv
