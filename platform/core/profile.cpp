#include "profile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace qv {

namespace {

bool isSectionLine(const QString& trimmed)
{
    return trimmed.startsWith(u'[') && trimmed.contains(u']');
}

QString sectionName(const QString& trimmed)
{
    return trimmed.mid(1, trimmed.indexOf(u']') - 1).trimmed();
}

bool isComment(const QString& trimmed)
{
    return trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

} // namespace

ProfileFile::ProfileFile(QString path) : m_path(std::move(path)) {}

ProfileFile::Status ProfileFile::load()
{
    m_lines.clear();
    m_error.clear();
    QFileInfo info(m_path);
    if (!info.exists()) {
        m_status = Status::Missing;
        m_error = QStringLiteral("找不到配置文件 %1").arg(info.absoluteFilePath());
        return m_status;
    }
    QFile file(m_path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        m_status = Status::Unreadable;
        m_error = QStringLiteral("无法读取配置文件 %1：%2")
                      .arg(info.absoluteFilePath(),
                           info.isDir() ? QStringLiteral("这是一个目录") : file.errorString());
        return m_status;
    }
    QByteArray bytes = file.readAll();
    if (bytes.contains('\0')) {
        m_status = Status::Damaged;
        m_error = QStringLiteral("配置文件 %1 已损坏：它不是文本文件").arg(info.absoluteFilePath());
        return m_status;
    }
    m_bom = bytes.startsWith("\xEF\xBB\xBF");
    if (m_bom)
        bytes.remove(0, 3);

    // Files written by hand on a Chinese Windows are GBK; newer ones UTF-8.
    // Valid UTF-8 is almost never valid-looking GBK text by accident, so try
    // UTF-8 first.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    m_gbk = false;
    if (utf8.hasError()) {
        QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
        text = gbk.decode(bytes);
        if (gbk.hasError()) {
            m_status = Status::Damaged;
            m_error =
                QStringLiteral("配置文件 %1 已损坏：无法按 GBK 或 UTF-8 读取").arg(info.absoluteFilePath());
            return m_status;
        }
        m_gbk = true;
    }
    m_crlf = text.contains(QStringLiteral("\r\n"));
    m_trailingNewline = text.isEmpty() || text.endsWith(u'\n');
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_lines = text.split(u'\n');
    if (m_trailingNewline && !m_lines.isEmpty() && m_lines.back().isEmpty())
        m_lines.removeLast();
    m_status = Status::Ok;
    return m_status;
}

qsizetype ProfileFile::findSection(const QString& section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QString t = m_lines[i].trimmed();
        if (isSectionLine(t) && sectionName(t).compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype ProfileFile::findKey(qsizetype sectionLine, const QString& key, QString* value) const
{
    for (qsizetype i = sectionLine + 1; i < m_lines.size(); ++i) {
        const QString t = m_lines[i].trimmed();
        if (isSectionLine(t))
            break;
        if (t.isEmpty() || isComment(t))
            continue;
        const qsizetype eq = t.indexOf(u'=');
        if (eq < 0)
            continue;
        if (t.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            if (value)
                *value = t.mid(eq + 1).trimmed();
            return i;
        }
    }
    return -1;
}

bool ProfileFile::contains(const QString& section, const QString& key) const
{
    const qsizetype s = findSection(section);
    return s >= 0 && findKey(s, key, nullptr) >= 0;
}

QString ProfileFile::value(const QString& section, const QString& key, const QString& defaultValue) const
{
    const qsizetype s = findSection(section);
    QString v;
    if (s < 0 || findKey(s, key, &v) < 0)
        return defaultValue;
    return v;
}

void ProfileFile::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString line = key + u'=' + value;
    qsizetype s = findSection(section);
    if (s < 0) {
        if (!m_lines.isEmpty() && !m_lines.back().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines.append(u'[' + section + u']');
        m_lines.append(line);
        return;
    }
    const qsizetype k = findKey(s, key, nullptr);
    if (k >= 0) {
        // Keep the spelling of the key already in the file.
        const QString old = m_lines[k];
        const qsizetype eq = old.indexOf(u'=');
        m_lines[k] = old.left(eq + 1) + value;
        return;
    }
    // Append after the section's last key, before any blank lines that
    // separate it from the next section.
    qsizetype insertAt = s + 1;
    for (qsizetype i = s + 1; i < m_lines.size(); ++i) {
        const QString t = m_lines[i].trimmed();
        if (isSectionLine(t))
            break;
        if (!t.isEmpty())
            insertAt = i + 1;
    }
    m_lines.insert(insertAt, line);
}

bool ProfileFile::save()
{
    const QString newline = m_crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text = m_lines.join(newline);
    if (m_trailingNewline && !m_lines.isEmpty())
        text += newline;
    QByteArray bytes;
    if (m_gbk) {
        QStringEncoder gbk("GBK", QStringConverter::Flag::Stateless);
        bytes = gbk.encode(text);
        if (gbk.hasError()) {
            // A value GBK cannot hold: keep every character by switching the
            // whole file to UTF-8 rather than writing question marks.
            bytes = text.toUtf8();
            m_gbk = false;
        }
    } else {
        bytes = text.toUtf8();
    }
    if (m_bom && !m_gbk)
        bytes.prepend("\xEF\xBB\xBF");
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = file.errorString();
        return false;
    }
    file.write(bytes);
    if (!file.commit()) {
        m_error = file.errorString();
        return false;
    }
    m_status = Status::Ok;
    return true;
}

QString profilestring(const QString& file, const QString& section, const QString& key,
                      const QString& defaultValue)
{
    ProfileFile profile(file);
    if (profile.load() != ProfileFile::Status::Ok)
        return defaultValue;
    return profile.value(section, key, defaultValue);
}

int setprofilestring(const QString& file, const QString& section, const QString& key, const QString& value)
{
    ProfileFile profile(file);
    const auto status = profile.load();
    if (status != ProfileFile::Status::Ok && status != ProfileFile::Status::Missing)
        return -1; // never overwrite a file we could not read
    profile.setValue(section, key, value);
    return profile.save() ? 1 : -1;
}

} // namespace qv
