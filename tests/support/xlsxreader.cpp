#include "xlsxreader.h"

#include "imports/ziparchive.h"

#include <QFile>
#include <QXmlStreamReader>

namespace qv::test {

namespace {

// Column letters of a reference like "AB12", 0-based.
int columnOf(const QString& ref)
{
    int c = 0;
    for (const QChar ch : ref) {
        if (!ch.isLetter())
            break;
        c = c * 26 + (ch.toLatin1() - 'A' + 1);
    }
    return c - 1;
}

} // namespace

std::optional<QMap<QString, QByteArray>> readZip(const QString& fileName)
{
    ZipArchive zip;
    QString error;
    if (!zip.open(fileName, error))
        return std::nullopt;
    QMap<QString, QByteArray> members;
    for (const QString& name : zip.names()) {
        auto content = zip.member(name);
        if (!content)
            return std::nullopt;
        members.insert(name, *content);
    }
    return members;
}

std::optional<XlsxSheet> readFirstSheet(const QString& fileName)
{
    const auto zip = readZip(fileName);
    if (!zip || !zip->contains(QStringLiteral("xl/worksheets/sheet1.xml")))
        return std::nullopt;

    QStringList shared;
    {
        QXmlStreamReader x(zip->value(QStringLiteral("xl/sharedStrings.xml")));
        while (!x.atEnd())
            if (x.readNext() == QXmlStreamReader::StartElement && x.name() == u"si")
                shared << x.readElementText(QXmlStreamReader::IncludeChildElements);
    }
    // Number formats by style index: cellXfs order, numFmtId to its code.
    QMap<int, QString> codes{{2, QStringLiteral("0.00")}};
    QList<int> styleFormats;
    {
        QXmlStreamReader x(zip->value(QStringLiteral("xl/styles.xml")));
        bool inCellXfs = false;
        while (!x.atEnd()) {
            const auto t = x.readNext();
            if (t == QXmlStreamReader::StartElement) {
                if (x.name() == u"numFmt")
                    codes.insert(x.attributes().value(QLatin1String("numFmtId")).toInt(),
                                 x.attributes().value(QLatin1String("formatCode")).toString());
                else if (x.name() == u"cellXfs")
                    inCellXfs = true;
                else if (inCellXfs && x.name() == u"xf")
                    styleFormats << x.attributes().value(QLatin1String("numFmtId")).toInt();
            } else if (t == QXmlStreamReader::EndElement && x.name() == u"cellXfs") {
                inCellXfs = false;
            }
        }
    }

    XlsxSheet sheet;
    QXmlStreamReader x(zip->value(QStringLiteral("xl/worksheets/sheet1.xml")));
    XlsxCell cell;
    int column = 0;
    QString type;
    while (!x.atEnd()) {
        const auto t = x.readNext();
        if (t != QXmlStreamReader::StartElement) {
            if (t == QXmlStreamReader::EndElement && x.name() == u"c") {
                auto& row = sheet.rows.last();
                while (row.size() < column)
                    row.append(XlsxCell{});
                row.append(cell);
            }
            continue;
        }
        if (x.name() == u"col") {
            const int min = x.attributes().value(QLatin1String("min")).toInt();
            const int max = x.attributes().value(QLatin1String("max")).toInt();
            for (int c = min; c <= max; ++c) {
                while (sheet.columnWidths.size() < c)
                    sheet.columnWidths << 0;
                sheet.columnWidths[c - 1] = x.attributes().value(QLatin1String("width")).toDouble();
            }
        } else if (x.name() == u"row") {
            const int r = x.attributes().value(QLatin1String("r")).toInt();
            while (sheet.rows.size() < r)
                sheet.rows.append(QList<XlsxCell>());
        } else if (x.name() == u"c") {
            cell = XlsxCell{};
            column = columnOf(x.attributes().value(QLatin1String("r")).toString());
            type = x.attributes().value(QLatin1String("t")).toString();
            cell.isNumber = type.isEmpty() || type == u"n";
            const int style = x.attributes().value(QLatin1String("s")).toInt();
            if (cell.isNumber && style < styleFormats.size())
                cell.numberFormat = codes.value(styleFormats[style]);
        } else if (x.name() == u"v") {
            const QString v = x.readElementText();
            cell.text = type == u"s" ? shared.value(v.toInt()) : v;
        } else if (x.name() == u"is") {
            cell.text = x.readElementText(QXmlStreamReader::IncludeChildElements);
        }
    }
    return sheet;
}

} // namespace qv::test
