#pragma once

#include <QString>
#include <QStringList>

namespace qv {

// An INI file edited the way a person would edit it: reading never changes
// it, and writing one key keeps every other line, comment, blank line, key
// order and the file's own encoding (GBK or UTF-8) and line endings.
// Section and key names match without regard to case.
class ProfileFile
{
public:
    enum class Status { Ok, Missing, Unreadable, Damaged };

    explicit ProfileFile(QString path);

    // Reads the file. A missing file is not an error for reading (every key
    // then takes its default) but is reported as Missing.
    Status load();
    Status status() const { return m_status; }
    QString errorString() const { return m_error; }
    QString path() const { return m_path; }

    bool contains(const QString& section, const QString& key) const;
    QString value(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    bool save();

private:
    qsizetype findSection(const QString& section) const;
    qsizetype findKey(qsizetype sectionLine, const QString& key, QString* value) const;

    QString m_path;
    Status m_status = Status::Missing;
    QString m_error;
    QStringList m_lines;
    bool m_gbk = false;
    bool m_crlf = false;
    bool m_bom = false;
    bool m_trailingNewline = true;
};

// Single-value reads and writes on a file path. A missing file or key gives the
// default; setprofilestring returns 1 on success and -1 on failure.
QString profilestring(const QString& file, const QString& section, const QString& key,
                      const QString& defaultValue);
int setprofilestring(const QString& file, const QString& section, const QString& key, const QString& value);

} // namespace qv
