#pragma once

#include "reportdef.h"

#include <QByteArrayView>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace qv {

class ResultRow;

// The value a column of this type holds for what a driver or a caller gave:
// Money for money, qlonglong for integers, QString for texts and dates, an
// invalid QVariant for null and for what the type cannot hold.
QVariant normaliseValue(ColumnType type, const QVariant& value);

// The texts of one column as UTF-8 in one block of bytes. While values
// repeat (kinds, reasons, names, dates) each distinct text is kept once and
// a row holds its number; once most rows bring a text of their own (record
// numbers) texts are appended without looking for an earlier copy.
class TextColumn
{
public:
    static constexpr quint32 kNull = 0xFFFFFFFF;

    // False when the column's texts would pass 4 GiB.
    bool append(QByteArrayView utf8);
    void appendNull() { m_codes.push_back(kNull); }

    qsizetype size() const { return qsizetype(m_codes.size()); }
    quint32 code(qsizetype row) const { return m_codes[size_t(row)]; }
    bool isNull(qsizetype row) const { return code(row) == kNull; }
    // The bytes of a row's text; empty for null.
    QByteArrayView bytes(qsizetype row) const { return isNull(row) ? QByteArrayView() : entry(code(row)); }
    // An empty text is an empty QString, never a null one: drivers bind a
    // null QString as NULL.
    QString text(qsizetype row) const
    {
        const QByteArrayView b = bytes(row);
        return b.isEmpty() ? QStringLiteral("") : QString::fromUtf8(b);
    }

    quint32 entryCount() const { return quint32(m_ends.size()); }
    QByteArrayView entry(quint32 code) const
    {
        const quint32 begin = code ? m_ends[code - 1] : 0;
        return QByteArrayView(m_bytes.data() + begin, m_ends[code] - begin);
    }

private:
    void growIndex();

    std::vector<quint32> m_codes; // per row: an entry, or kNull
    std::vector<quint32> m_ends;  // per entry: where its bytes end
    std::vector<char> m_bytes;
    // Open addressing over the entries while interning: entry + 1, 0 = free.
    std::vector<quint32> m_index;
    bool m_interning = true;
};

// Whole numbers of one column (cents for money) with nulls marked apart, so
// that every value of the type stays available.
class NumberColumn
{
public:
    void append(qint64 value)
    {
        m_values.push_back(value);
        if (!m_nulls.empty())
            m_nulls.push_back(false);
    }
    void appendNull();
    bool isNull(qsizetype row) const { return !m_nulls.empty() && m_nulls[size_t(row)]; }
    qint64 value(qsizetype row) const { return m_values[size_t(row)]; }

private:
    std::vector<qint64> m_values;
    std::vector<bool> m_nulls; // empty while no null has come
};

// The rows of one retrieve, column by column, as they came from the
// database. Values become QString and QVariant only when asked for.
class RetrievedColumns
{
public:
    void reset(const QList<ColumnDef>& columns);
    // Appends one row; false when a column cannot take it (see TextColumn).
    bool append(const ResultRow& row);
    qsizetype rowCount() const { return m_rows; }

    ColumnType type(int column) const { return m_types[size_t(column)]; }
    bool isText(int column) const
    {
        return m_types[size_t(column)] == ColumnType::Text || m_types[size_t(column)] == ColumnType::Date;
    }
    // Columns count from 0 here.
    const TextColumn& texts(int column) const { return m_texts[size_t(m_slots[size_t(column)])]; }
    const NumberColumn& numbers(int column) const { return m_numbers[size_t(m_slots[size_t(column)])]; }
    bool isNull(qsizetype row, int column) const;
    QVariant value(qsizetype row, int column) const;

private:
    bool appendValue(int column, const QVariant& normalised);
    TextColumn& textsAt(int column) { return m_texts[size_t(m_slots[size_t(column)])]; }
    NumberColumn& numbersAt(int column) { return m_numbers[size_t(m_slots[size_t(column)])]; }

    std::vector<ColumnType> m_types;
    std::vector<int> m_slots; // per column: its place in m_texts or m_numbers
    std::vector<TextColumn> m_texts;
    std::vector<NumberColumn> m_numbers;
    qsizetype m_rows = 0;
};

// Orders texts as the ledger sorts them: in GBK byte order, which puts the
// common characters in pinyin order, the order Chinese household ledgers are
// read in. Texts GBK cannot encode follow all others, in code point order.
// Each text is encoded once, however many rows hold it.
class TextOrder
{
public:
    TextOrder();
    ~TextOrder();
    // Each returns the text's item number, counting from 0.
    quint32 addUtf8(QByteArrayView utf8);
    quint32 addText(QStringView text);
    // The rank of every item, from 1; equal texts share a rank.
    std::vector<quint32> ranks() const;

private:
    quint32 addKey(QByteArrayView key, bool encodable);

    struct Encoder;
    std::unique_ptr<Encoder> m_encoder;
    std::vector<char> m_keys;
    std::vector<quint32> m_ends;
    std::vector<bool> m_unencodable;
};

} // namespace qv
