#include "importfiles.h"

#include <QDate>
#include <QFile>
#include <QStringEncoder>

#include <xlsxwriter.h>
#include <zip.h>

#include <list>

namespace qv::test {

bool writeXlsx(const QString& fileName, const QList<QPair<QString, QList<WriteRow>>>& sheets,
               bool inlineStrings)
{
    lxw_workbook_options options = {};
    options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
    const QByteArray path = QFile::encodeName(fileName);
    lxw_workbook* book = workbook_new_opt(path.constData(), &options);
    if (!book)
        return false;
    std::list<QByteArray> keep; // texts libxlsxwriter points at until it closes
    auto utf8 = [&keep](const QString& s) {
        keep.push_back(s.toUtf8());
        return keep.back().constData();
    };
    for (const auto& [name, rows] : sheets) {
        lxw_worksheet* sheet = workbook_add_worksheet(book, utf8(name));
        for (int r = 0; r < rows.size(); ++r) {
            for (int c = 0; c < rows[r].size(); ++c) {
                const QVariant& v = rows[r][c];
                if (v.userType() == qMetaTypeId<FormulaCell>()) {
                    const auto f = v.value<FormulaCell>();
                    worksheet_write_formula_num(sheet, r, c, utf8(f.formula), nullptr, f.value);
                } else if (v.userType() == qMetaTypeId<DateCell>()) {
                    const auto d = v.value<DateCell>();
                    lxw_format* format = workbook_add_format(book);
                    if (d.builtInId)
                        format_set_num_format_index(format, uint8_t(d.builtInId));
                    else
                        format_set_num_format(
                            format, utf8(d.format.isEmpty() ? QStringLiteral("yyyy-mm-dd") : d.format));
                    lxw_datetime when = {
                        d.date.year(), uint8_t(d.date.month()), uint8_t(d.date.day()), 0, 0, 0};
                    worksheet_write_datetime(sheet, r, c, &when, format);
                } else if (v.typeId() == QMetaType::QString) {
                    worksheet_write_string(sheet, r, c, utf8(v.toString()), nullptr);
                } else if (v.isValid()) {
                    worksheet_write_number(sheet, r, c, v.toDouble(), nullptr);
                }
            }
        }
    }
    return workbook_close(book) == LXW_NO_ERROR;
}

bool patchZip(const QString& fileName, const QMap<QString, QByteArray>& members)
{
    int code = 0;
    zip_t* zip = zip_open(QFile::encodeName(fileName).constData(), 0, &code);
    if (!zip)
        return false;
    std::list<QByteArray> keep;
    for (auto it = members.begin(); it != members.end(); ++it) {
        keep.push_back(it.value());
        zip_source_t* source = zip_source_buffer(zip, keep.back().constData(), keep.back().size(), 0);
        if (!source || zip_file_add(zip, it.key().toUtf8().constData(), source, ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(source);
            zip_discard(zip);
            return false;
        }
    }
    return zip_close(zip) == 0;
}

bool writeGbkCsv(const QString& fileName, const QList<QStringList>& rows)
{
    QStringEncoder gbk("GBK");
    QFile file(fileName);
    if (!gbk.isValid() || !file.open(QIODevice::WriteOnly))
        return false;
    for (const QStringList& row : rows)
        file.write(QByteArray(gbk(row.join(u',') + QStringLiteral("\r\n"))));
    return true;
}

} // namespace qv::test
