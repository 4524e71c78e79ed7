#include "xlsxreader.h"

#include <QFile>
#include <QXmlStreamReader>

#include <zlib.h>

namespace qv::test {

namespace {

quint32 le(const QByteArray& b, qsizetype at, int bytes)
{
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}

std::optional<QByteArray> inflateRaw(const QByteArray& data, quint32 size)
{
    QByteArray out(qsizetype(size), '\0');
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return std::nullopt;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int rc = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    if (rc != Z_STREAM_END)
        return std::nullopt;
    return out;
}

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
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray zip = f.readAll();
    const qsizetype eocd = zip.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (eocd < 0)
        return std::nullopt;
    const quint32 entries = le(zip, eocd + 10, 2);
    qsizetype at = le(zip, eocd + 16, 4);
    QMap<QString, QByteArray> members;
    for (quint32 i = 0; i < entries; ++i) {
        if (le(zip, at, 4) != 0x02014b50)
            return std::nullopt;
        const quint32 method = le(zip, at + 10, 2);
        const quint32 packed = le(zip, at + 20, 4);
        const quint32 size = le(zip, at + 24, 4);
        const quint32 nameLength = le(zip, at + 28, 2);
        const quint32 extra = le(zip, at + 30, 2);
        const quint32 comment = le(zip, at + 32, 2);
        const quint32 local = le(zip, at + 42, 4);
        const QString name = QString::fromUtf8(zip.mid(at + 46, nameLength));
        const qsizetype data = local + 30 + le(zip, local + 26, 2) + le(zip, local + 28, 2);
        const QByteArray raw = zip.mid(data, packed);
        if (method == 0) {
            members.insert(name, raw);
        } else if (method == 8) {
            auto content = inflateRaw(raw, size);
            if (!content)
                return std::nullopt;
            members.insert(name, *content);
        } else {
            return std::nullopt;
        }
        at += 46 + nameLength + extra + comment;
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
