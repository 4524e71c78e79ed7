#include "sheettable.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace qv {

QString decodeCsvBytes(const QByteArray& bytes)
{
    QByteArrayView data(bytes);
    if (data.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(data.sliced(3));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(data);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GBK");
    if (!gbk.isValid()) // no GBK codec in this Qt build: read what UTF-8 gives
        return text;
    return gbk(data);
}

namespace {

// This program's exports write a text that a spreadsheet would run as a
// formula with an apostrophe before it; read back, the apostrophe goes.
QString undefused(const QString& text)
{
    static const QString starters = QStringLiteral("=+-@\t\r");
    if (text.size() > 1 && text.front() == u'\'' && starters.contains(text.at(1)))
        return text.mid(1);
    return text;
}

} // namespace

std::optional<SheetTable> readCsv(const QString& fileName, QString& error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("读不出文件 %1：%2").arg(fileName, file.errorString());
        return std::nullopt;
    }
    const QString text = decodeCsvBytes(file.readAll());
    // A list saved as "text, tab separated" has tabs and no commas in its
    // first line.
    const qsizetype firstEnd = text.indexOf(u'\n');
    const QStringView first = QStringView(text).left(firstEnd < 0 ? text.size() : firstEnd);
    const QChar separator = first.contains(u'\t') && !first.contains(u',') ? u'\t' : u',';

    SheetTable table;
    table.name = QFileInfo(fileName).completeBaseName();
    QList<SheetCell> row;
    QString field;
    bool quoted = false;
    auto endField = [&] {
        SheetCell cell;
        if (!field.isEmpty()) {
            cell.kind = SheetCell::Kind::Text;
            cell.text = undefused(field);
        }
        row << cell;
        field.clear();
    };
    auto endRow = [&] {
        endField();
        table.rows << row;
        row.clear();
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && text.at(i + 1) == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == u'"' && field.isEmpty()) {
            quoted = true;
        } else if (c == separator) {
            endField();
        } else if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') {
            continue;
        } else if (c == u'\n' || c == u'\r') {
            endRow();
        } else {
            field += c;
        }
    }
    if (!field.isEmpty() || !row.isEmpty())
        endRow();
    return table;
}

} // namespace qv
