#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace qv {

class Transaction;

// The character table of pinyin initials, loaded once per window opening.
// A name is walked character by character: a Chinese character gives the
// first letter of the first matching row's pinyin ("?" when it has none), an
// ASCII letter or digit gives itself in lower case, anything else "?". The
// hash keeps the first row of each character in load order, so the result
// equals a linear search.
class PinyinTable
{
public:
    // Rows as (hz, py) in load order.
    void addRow(const QString& hz, const QString& py);
    // Reads every row of pym ("dw_pym": xh, hz, py, no ordering). False when
    // the query fails; the table then yields "?" for every character.
    bool load(Transaction& transaction);

    int size() const { return m_rows; }
    QString initials(const QString& name) const;

private:
    QHash<QByteArray, QChar> m_first;
    int m_rows = 0;
};

} // namespace qv
