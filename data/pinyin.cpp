#include "pinyin.h"

#include "platform/core/gbktext.h"
#include "platform/database/transaction.h"
#include "platform/reports/datastore.h"

namespace qv {

namespace {

ReportDef pymDef()
{
    ReportDef def;
    def.name = QStringLiteral("dw_pym");
    def.select = QStringLiteral("SELECT xh, hz, py FROM pym");
    def.columns = {ColumnDef{QStringLiteral("xh")}, ColumnDef{QStringLiteral("hz")},
                   ColumnDef{QStringLiteral("py")}};
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
    // One sign per character of the name: a Chinese character gives the
    // initial of its reading, a Latin letter or digit stands for itself, so
    // that "Tom" and "张A" can be found by what they are typed as.
    QString result;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            result += u'?';
            ++i;
            continue;
        }
        const char16_t u = c.unicode();
        if ((u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9')) {
            result += c;
        } else if (u >= u'A' && u <= u'Z') {
            result += QChar(u - u'A' + u'a');
        } else if (u < 0x80) {
            result += u'?';
        } else {
            const auto bytes = gbk::encode(QStringView(&c, 1));
            const auto it = bytes ? m_first.constFind(*bytes) : m_first.constEnd();
            result += it == m_first.constEnd() ? QChar(u'?') : *it;
        }
    }
    return result;
}

} // namespace qv
