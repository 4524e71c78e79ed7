#include "reasons.h"

#include <QList>
#include <QRegularExpression>

namespace qv {

namespace {

struct KnownReason
{
    QRegularExpression pattern; // matched anywhere in the text, in any case
    QString meaning;
};

// SQLite's, PostgreSQL's, ODBC drivers' and libxlsxwriter's words for the
// causes an operator meets. The first match wins, so a narrower cause stands
// before the wider one it is a case of.
const QList<KnownReason>& knownReasons()
{
    static const QList<KnownReason> reasons = [] {
        const struct
        {
            const char* pattern;
            const char* meaning;
        } table[] = {
            {R"(UNIQUE constraint failed: tjb_save\.|unique constraint "tjb_save_)", "这一年的数据已经存过"},
            {R"(UNIQUE constraint failed|duplicate key|Duplicate entry|PRIMARY KEY constraint)",
             "这条记录已经存在"},
            {R"(NOT NULL constraint failed|violates not-null constraint|Cannot insert the value NULL)",
             "有必须填写的项目是空的"},
            {R"(database (table )?is locked|could not obtain lock|lock timeout|deadlock detected)",
             "账本正被另一个程序写入，请稍后再试"},
            {R"(attempt to write a readonly database)", "账本文件是只读的"},
            {R"(read-only file system)", "这个磁盘只能读取，不能写入"},
            {R"(database or disk is full|No space left on device|disk (is )?full|could not extend file)",
             "磁盘已满"},
            {R"(permission denied for|must be owner of)", "数据库用户没有这项操作的权限"},
            {R"(password authentication failed|authentication failed|Login failed for user|Access denied for user)",
             "数据库的用户名或密码不对"},
            {R"(Usually a permissions error|Permission denied|Access is denied|Operation not permitted)",
             "没有写入这个位置的权限"},
            {R"(database ".*" does not exist|Unknown database)", "服务器上没有这个数据库"},
            {R"(could not connect to server|Connection refused|could not translate host name|)"
             R"(Name or service not known|timeout expired|Connection timed out|No route to host|)"
             R"(server closed the connection unexpectedly|no connection to the server)",
             "连不上数据库服务器，请检查服务器是否开着、网络是否通畅"},
            {R"(Data source name not found)", "找不到 ODBC 数据源，请检查 pb.ini 的 dbparm"},
            {R"(database disk image is malformed)", "账本文件已损坏"},
            {R"(file is not a database)", "这个文件不是数据库文件"},
            {R"(unable to open database file)", "打不开账本文件"},
            {R"(no such table|relation ".*" does not exist)", "账本里缺少需要的表"},
            {R"(no such column|column ".*" does not exist)", "账本里缺少需要的列"},
            {R"(value too long for type|String or binary data would be truncated|Data too long)",
             "有内容超过了栏目的长度"},
            {R"(disk I/O error|Input/output error)", "读写磁盘出错"},
        };
        QList<KnownReason> list;
        for (const auto& row : table)
            list.append({QRegularExpression(QString::fromUtf8(row.pattern),
                                            QRegularExpression::CaseInsensitiveOption),
                         QString::fromUtf8(row.meaning)});
        return list;
    }();
    return reasons;
}

bool speaksChinese(const QString& text)
{
    for (const QChar c : text)
        if (c.script() == QChar::Script_Han)
            return true;
    return false;
}

} // namespace

QString explainReason(const QString& reason)
{
    const QString text = reason.trimmed();
    if (text.isEmpty() || speaksChinese(text))
        return reason;
    for (const KnownReason& known : knownReasons())
        if (known.pattern.match(text).hasMatch())
            return QStringLiteral("%1（%2）").arg(known.meaning, text);
    return reason;
}

} // namespace qv
