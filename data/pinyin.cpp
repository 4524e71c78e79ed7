#include "pinyin.h"

#include "platform/datastore.h"
#include "platform/gbktext.h"
#include "platform/transaction.h"

namespace qv {

namespace {

ReportDef pymDef()
{
    ReportDef def;
    def.name = QStringLiteral("dw_pym");
    def.select = QStringLiteral("SELECT xh, hz, py FROM pym");
    def.columns = {ColumnDef{QStringLiteral("xh")}, ColumnDef{QStringLiteral("hz")}, ColumnDef{QStringLiteral("py")}};
    return def;
}

} // namespace

void PinyinTable::addRow(const QString& hz, const QString& py)
{
    ++m_rows;
    const auto key = gbk::encode(hz);
    if (!key || py.isEmpty() || m_first.contains(*key))
        return;
    m_first.insert(*key, py.front());
}

bool PinyinTable::load(Transaction& transaction)
{
    m_first.clear();
    m_rows = 0;
    DataStore rows(pymDef());
    rows.setTransObject(&transaction);
    if (rows.retrieve() < 0)
        return false;
    for (long r = 1; r <= rows.rowCount(); ++r)
        addRow(rows.getItemString(r, 2), rows.getItemString(r, 3));
    return true;
}

QString PinyinTable::initials(const QString& name) const
{
    // Characters without a GBK form cannot be stored in a name anyway; they
    // count as one unmatched unit each.
    QByteArray bytes;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const qsizetype n = (name[i].isHighSurrogate() && i + 1 < name.size()) ? 2 : 1;
        bytes += gbk::encode(QStringView(name).mid(i, n)).value_or(QByteArray("\xff\xff", 2));
        i += n - 1;
    }
    QString result;
    for (qsizetype p = 0; p < bytes.size(); p += 2) {
        const auto it = m_first.constFind(bytes.mid(p, 2));
        result += it == m_first.constEnd() ? QChar(u'?') : *it;
    }
    return result;
}

} // namespace qv
