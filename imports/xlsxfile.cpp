#include "sheettable.h"
#include "ziparchive.h"

#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

namespace qv {

namespace {

struct SheetEntry
{
    QString name;
    QString member; // "xl/worksheets/sheet1.xml"
};

struct WorkbookInfo
{
    QList<SheetEntry> sheets;
    bool system1904 = false;
};

bool isTrue(QStringView v)
{
    return v == u"1" || v == u"true";
}

QString memberPath(const QString& target)
{
    // Targets are relative to xl/ unless they start at the archive's root.
    if (target.startsWith(u'/'))
        return target.mid(1);
    QString path = QStringLiteral("xl/") + target;
    while (path.contains(QStringLiteral("/../"))) {
        const qsizetype at = path.indexOf(QStringLiteral("/../"));
        const qsizetype start = path.lastIndexOf(u'/', at - 1);
        path.remove(start + 1, at + 4 - start - 1);
    }
    return path;
}

std::optional<WorkbookInfo> readWorkbook(const ZipArchive& zip, QString& error)
{
    const auto workbook = zip.member(QStringLiteral("xl/workbook.xml"));
    if (!workbook) {
        error = QStringLiteral("不是 Excel 工作簿（缺少 xl/workbook.xml）");
        return std::nullopt;
    }
    QHash<QString, QString> targets;
    if (const auto rels = zip.member(QStringLiteral("xl/_rels/workbook.xml.rels"))) {
        QXmlStreamReader x(*rels);
        while (!x.atEnd())
            if (x.readNext() == QXmlStreamReader::StartElement && x.name() == u"Relationship")
                targets.insert(x.attributes().value(QLatin1String("Id")).toString(),
                               x.attributes().value(QLatin1String("Target")).toString());
    }
    WorkbookInfo info;
    QXmlStreamReader x(*workbook);
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (x.name() == u"workbookPr") {
            info.system1904 = isTrue(x.attributes().value(QLatin1String("date1904")));
        } else if (x.name() == u"sheet") {
            SheetEntry sheet;
            sheet.name = x.attributes().value(QLatin1String("name")).toString();
            QString id;
            for (const QXmlStreamAttribute& a : x.attributes())
                if (a.name() == u"id" && !a.prefix().isEmpty())
                    id = a.value().toString();
            const QString target = targets.value(id);
            sheet.member = target.isEmpty()
                               ? QStringLiteral("xl/worksheets/sheet%1.xml").arg(info.sheets.size() + 1)
                               : memberPath(target);
            info.sheets << sheet;
        }
    }
    if (x.hasError()) {
        error = QStringLiteral("工作簿已损坏（xl/workbook.xml：%1）").arg(x.errorString());
        return std::nullopt;
    }
    if (info.sheets.isEmpty()) {
        error = QStringLiteral("工作簿里没有工作表");
        return std::nullopt;
    }
    return info;
}

// The texts of a shared-strings table, without the phonetic guides
// (rPh) that a Chinese or Japanese Excel keeps beside a name.
QStringList readSharedStrings(const QByteArray& xml)
{
    QStringList strings;
    QXmlStreamReader x(xml);
    QString current;
    int phonetic = 0;
    while (!x.atEnd()) {
        const auto token = x.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (x.name() == u"si")
                current.clear();
            else if (x.name() == u"rPh")
                ++phonetic;
            else if (x.name() == u"t" && phonetic == 0)
                current += x.readElementText();
        } else if (token == QXmlStreamReader::EndElement) {
            if (x.name() == u"si")
                strings << current;
            else if (x.name() == u"rPh")
                --phonetic;
        }
    }
    return strings;
}

// A format code shows a date when it has a year or a day part outside
// quoted text, escapes and bracketed sections ([$-804], [Red]). A month
// alone could be minutes.
bool isDateFormatCode(const QString& code)
{
    bool inQuotes = false;
    bool inBrackets = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (inQuotes) {
            inQuotes = c != u'"';
        } else if (inBrackets) {
            inBrackets = c != u']';
        } else if (c == u'"') {
            inQuotes = true;
        } else if (c == u'[') {
            inBrackets = true;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'y' || c == u'Y' || c == u'd' || c == u'D' || c == u'e') {
            return true;
        }
    }
    return false;
}

bool isBuiltInDateFormat(int id)
{
    // 14-22 everywhere; 27-36 and 50-58 are the dates of the Chinese,
    // Japanese and Korean editions (年月日 forms).
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 50 && id <= 58);
}

// For each cell style (cellXfs, by index): whether it shows a date.
QList<bool> readDateStyles(const QByteArray& xml)
{
    QSet<int> customDates;
    QList<bool> styles;
    QXmlStreamReader x(xml);
    bool inCellXfs = false;
    while (!x.atEnd()) {
        const auto token = x.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (x.name() == u"numFmt") {
                if (isDateFormatCode(x.attributes().value(QLatin1String("formatCode")).toString()))
                    customDates.insert(x.attributes().value(QLatin1String("numFmtId")).toInt());
            } else if (x.name() == u"cellXfs") {
                inCellXfs = true;
            } else if (inCellXfs && x.name() == u"xf") {
                const int id = x.attributes().value(QLatin1String("numFmtId")).toInt();
                styles << (isBuiltInDateFormat(id) || customDates.contains(id));
            }
        } else if (token == QXmlStreamReader::EndElement && x.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    return styles;
}

// "AB12" → 27 (0-based column), -1 when there is no letter.
int columnOf(QStringView ref)
{
    int c = 0;
    for (const QChar ch : ref) {
        const char16_t u = ch.unicode();
        if (u >= u'A' && u <= u'Z')
            c = c * 26 + (u - u'A' + 1);
        else if (u >= u'a' && u <= u'z')
            c = c * 26 + (u - u'a' + 1);
        else
            break;
    }
    return c - 1;
}

std::optional<WorkbookInfo> openWorkbook(const QString& fileName, ZipArchive& zip, QString& error)
{
    QString why;
    if (!zip.open(fileName, why)) {
        error = QStringLiteral("读不出 Excel 文件 %1：%2").arg(fileName, why);
        return std::nullopt;
    }
    auto info = readWorkbook(zip, why);
    if (!info)
        error = QStringLiteral("读不出 Excel 文件 %1：%2").arg(fileName, why);
    return info;
}

} // namespace

std::optional<QStringList> xlsxSheetNames(const QString& fileName, QString& error)
{
    ZipArchive zip;
    const auto info = openWorkbook(fileName, zip, error);
    if (!info)
        return std::nullopt;
    QStringList names;
    for (const SheetEntry& sheet : info->sheets)
        names << sheet.name;
    return names;
}

std::optional<SheetTable> readXlsxSheet(const QString& fileName, int sheetIndex, QString& error)
{
    ZipArchive zip;
    const auto info = openWorkbook(fileName, zip, error);
    if (!info)
        return std::nullopt;
    if (sheetIndex < 0 || sheetIndex >= info->sheets.size()) {
        error = QStringLiteral("工作簿里没有第 %1 张工作表").arg(sheetIndex + 1);
        return std::nullopt;
    }
    const SheetEntry& entry = info->sheets[sheetIndex];
    const auto xml = zip.member(entry.member);
    if (!xml) {
        error = QStringLiteral("读不出 Excel 文件 %1：缺少工作表“%2”（%3）")
                    .arg(fileName, entry.name, entry.member);
        return std::nullopt;
    }
    const QStringList shared =
        readSharedStrings(zip.member(QStringLiteral("xl/sharedStrings.xml")).value_or(QByteArray()));
    const QList<bool> dateStyles =
        readDateStyles(zip.member(QStringLiteral("xl/styles.xml")).value_or(QByteArray()));

    SheetTable table;
    table.name = entry.name;
    table.system1904 = info->system1904;
    QXmlStreamReader x(*xml);
    QList<SheetCell>* row = nullptr;
    SheetCell cell;
    int column = -1;
    QString type;
    bool dateStyle = false;
    QString value;
    bool hasValue = false;
    while (!x.atEnd()) {
        const auto token = x.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = x.name();
            if (name == u"row") {
                const int r = x.attributes().value(QLatin1String("r")).toInt();
                const int at = r > 0 ? r - 1 : int(table.rows.size());
                while (table.rows.size() <= at)
                    table.rows.append(QList<SheetCell>());
                row = &table.rows[at];
            } else if (name == u"c" && row) {
                const QXmlStreamAttributes a = x.attributes();
                const int c = columnOf(a.value(QLatin1String("r")));
                column = c >= 0 ? c : int(row->size());
                type = a.value(QLatin1String("t")).toString();
                const int style = a.value(QLatin1String("s")).toInt();
                dateStyle = style >= 0 && style < dateStyles.size() && dateStyles[style];
                value.clear();
                hasValue = false;
                cell = SheetCell{};
            } else if (name == u"v") {
                value = x.readElementText();
                hasValue = true;
            } else if (name == u"is") {
                // An inline string: its runs, without phonetic guides.
                QString text;
                int phonetic = 0;
                while (!x.atEnd()) {
                    const auto t = x.readNext();
                    if (t == QXmlStreamReader::StartElement && x.name() == u"rPh")
                        ++phonetic;
                    else if (t == QXmlStreamReader::EndElement && x.name() == u"rPh")
                        --phonetic;
                    else if (t == QXmlStreamReader::StartElement && x.name() == u"t" && phonetic == 0)
                        text += x.readElementText();
                    else if (t == QXmlStreamReader::EndElement && x.name() == u"is")
                        break;
                }
                value = text;
                hasValue = true;
            }
        } else if (token == QXmlStreamReader::EndElement && x.name() == u"c" && row) {
            if (hasValue) {
                if (type == u"s") {
                    bool ok = false;
                    const int index = value.toInt(&ok);
                    cell.kind = SheetCell::Kind::Text;
                    cell.text = ok ? shared.value(index) : QString();
                } else if (type == u"inlineStr" || type == u"str" || type == u"e") {
                    cell.kind = SheetCell::Kind::Text;
                    cell.text = value;
                } else if (type == u"b") {
                    cell.kind = SheetCell::Kind::Text;
                    cell.text = value == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
                } else if (type == u"d") {
                    cell.kind = SheetCell::Kind::Date;
                    cell.text = value;
                    cell.date = QDate::fromString(value.left(10), Qt::ISODate);
                } else {
                    cell.kind = dateStyle ? SheetCell::Kind::Date : SheetCell::Kind::Number;
                    cell.text = value.trimmed();
                    if (dateStyle) {
                        bool ok = false;
                        const double serial = cell.text.toDouble(&ok);
                        if (ok)
                            cell.date = excelSerialDate(serial, info->system1904);
                    }
                }
            }
            if (cell.kind != SheetCell::Kind::Empty) {
                while (row->size() < column)
                    row->append(SheetCell{});
                if (row->size() == column)
                    row->append(cell);
                else
                    (*row)[column] = cell;
            }
        }
    }
    if (x.hasError()) {
        error = QStringLiteral("读不出 Excel 文件 %1：工作表“%2”已损坏（%3）")
                    .arg(fileName, entry.name, x.errorString());
        return std::nullopt;
    }
    return table;
}

} // namespace qv
