#include "datastorecolumns.h"

#include "platform/core/money.h"
#include "platform/database/transaction.h"

#include <QStringEncoder>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace qv {

QVariant normaliseValue(ColumnType type, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (type) {
    case ColumnType::Money: {
        if (value.userType() == qMetaTypeId<Money>())
            return value;
        if (auto m = Money::fromVariant(value))
            return QVariant::fromValue(*m);
        return {};
    }
    case ColumnType::Integer: {
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        return ok ? QVariant(n) : QVariant();
    }
    case ColumnType::Text:
    case ColumnType::Date:
        if (value.typeId() == QMetaType::QString)
            return value;
        break;
    }
    return value.toString();
}

namespace {

// A column keeps looking for repeats until it holds this many distinct
// texts and more than half of its rows brought a new one: a few dozen kinds
// or tens of thousands of names are worth it, a million record numbers not.
constexpr size_t kInternUpTo = 65'536;

size_t hashOf(QByteArrayView bytes)
{
    quint64 h = 14695981039346656037ULL;
    for (const char c : bytes) {
        h ^= uchar(c);
        h *= 1099511628211ULL;
    }
    return size_t(h ^ (h >> 32));
}

bool sameBytes(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && (a.isEmpty() || std::memcmp(a.data(), b.data(), size_t(a.size())) == 0);
}

} // namespace

bool TextColumn::append(QByteArrayView utf8)
{
    const size_t length = size_t(utf8.size());
    if (m_bytes.size() + length > 0xFFFFFFFFu)
        return false;
    if (m_interning) {
        if (m_index.empty())
            m_index.assign(1024, 0);
        const size_t mask = m_index.size() - 1;
        size_t at = hashOf(utf8) & mask;
        while (const quint32 slot = m_index[at]) {
            if (sameBytes(entry(slot - 1), utf8)) {
                m_codes.push_back(slot - 1);
                return true;
            }
            at = (at + 1) & mask;
        }
        m_index[at] = quint32(m_ends.size()) + 1;
    }
    m_codes.push_back(quint32(m_ends.size()));
    m_bytes.insert(m_bytes.end(), utf8.data(), utf8.data() + length);
    m_ends.push_back(quint32(m_bytes.size()));
    if (m_interning) {
        if (m_ends.size() > kInternUpTo && m_ends.size() * 2 > m_codes.size()) {
            m_interning = false;
            std::vector<quint32>().swap(m_index);
        } else if (m_ends.size() * 2 > m_index.size()) {
            growIndex();
        }
    }
    return true;
}

void TextColumn::growIndex()
{
    m_index.assign(m_index.size() * 2, 0);
    const size_t mask = m_index.size() - 1;
    for (quint32 code = 0; code < entryCount(); ++code) {
        size_t at = hashOf(entry(code)) & mask;
        while (m_index[at])
            at = (at + 1) & mask;
        m_index[at] = code + 1;
    }
}

void NumberColumn::appendNull()
{
    if (m_nulls.empty())
        m_nulls.assign(m_values.size(), false);
    m_values.push_back(0);
    m_nulls.push_back(true);
}

void RetrievedColumns::reset(const QList<ColumnDef>& columns)
{
    m_types.clear();
    m_slots.clear();
    // Swapped out rather than cleared: a smaller retrieve must not keep the
    // memory of a larger one.
    std::vector<TextColumn>().swap(m_texts);
    std::vector<NumberColumn>().swap(m_numbers);
    m_rows = 0;
    for (const ColumnDef& column : columns) {
        m_types.push_back(column.type);
        if (column.type == ColumnType::Text || column.type == ColumnType::Date) {
            m_slots.push_back(int(m_texts.size()));
            m_texts.emplace_back();
        } else {
            m_slots.push_back(int(m_numbers.size()));
            m_numbers.emplace_back();
        }
    }
}

bool RetrievedColumns::append(const ResultRow& row)
{
    using Kind = ResultRow::Kind;
    const int cells = row.count();
    for (int c = 0; c < int(m_types.size()); ++c) {
        const Kind kind = c < cells ? row.kind(c) : Kind::Null;
        if (kind == Kind::Null) {
            if (isText(c))
                textsAt(c).appendNull();
            else
                numbersAt(c).appendNull();
            continue;
        }
        bool ok = true;
        switch (m_types[size_t(c)]) {
        case ColumnType::Text:
        case ColumnType::Date:
            ok = kind == Kind::Text ? textsAt(c).append(row.utf8(c))
                                    : appendValue(c, normaliseValue(m_types[size_t(c)], row.value(c)));
            break;
        case ColumnType::Money: {
            std::optional<Money> amount;
            if (kind == Kind::Integer)
                amount = Money::fromVariant(QVariant(qlonglong(row.integer(c))));
            else if (kind == Kind::Real)
                amount = Money::fromVariant(QVariant(row.real(c)));
            else
                amount = Money::fromVariant(row.value(c));
            if (amount)
                numbersAt(c).append(amount->cents());
            else
                numbersAt(c).appendNull();
            break;
        }
        case ColumnType::Integer:
            if (kind == Kind::Integer)
                numbersAt(c).append(row.integer(c));
            else
                ok = appendValue(c, normaliseValue(ColumnType::Integer, row.value(c)));
            break;
        }
        if (!ok)
            return false;
    }
    ++m_rows;
    return true;
}

bool RetrievedColumns::appendValue(int column, const QVariant& normalised)
{
    if (isText(column)) {
        if (normalised.isNull()) {
            textsAt(column).appendNull();
            return true;
        }
        return textsAt(column).append(normalised.toString().toUtf8());
    }
    if (normalised.isNull())
        numbersAt(column).appendNull();
    else if (m_types[size_t(column)] == ColumnType::Money)
        numbersAt(column).append(normalised.value<Money>().cents());
    else
        numbersAt(column).append(normalised.toLongLong());
    return true;
}

bool RetrievedColumns::isNull(qsizetype row, int column) const
{
    return isText(column) ? texts(column).isNull(row) : numbers(column).isNull(row);
}

QVariant RetrievedColumns::value(qsizetype row, int column) const
{
    if (isNull(row, column))
        return {};
    switch (m_types[size_t(column)]) {
    case ColumnType::Text:
    case ColumnType::Date:
        return texts(column).text(row);
    case ColumnType::Money:
        return QVariant::fromValue(Money::fromCents(numbers(column).value(row)));
    case ColumnType::Integer:
        break;
    }
    return QVariant(qlonglong(numbers(column).value(row)));
}

} // namespace qv

namespace qv {

struct TextOrder::Encoder
{
    QStringEncoder gbk{"GBK", QStringConverter::Flag::Stateless};
};

TextOrder::TextOrder() : m_encoder(std::make_unique<Encoder>()) {}
TextOrder::~TextOrder() = default;

quint32 TextOrder::addUtf8(QByteArrayView utf8)
{
    // ASCII is its own GBK form: record numbers and dates need no encoding.
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return uchar(c) < 0x80; }))
        return addKey(utf8, true);
    return addText(QString::fromUtf8(utf8));
}

quint32 TextOrder::addText(QStringView text)
{
    const QByteArray bytes = m_encoder->gbk.encode(text);
    if (!m_encoder->gbk.hasError())
        return addKey(bytes, true);
    // resetState() leaves the error set: only a new encoder forgets it.
    m_encoder = std::make_unique<Encoder>();
    // UTF-16 units, high byte first, compare bytewise as the units do.
    QByteArray units;
    units.reserve(text.size() * 2);
    for (const QChar c : text) {
        units.append(char(c.unicode() >> 8));
        units.append(char(c.unicode() & 0xff));
    }
    return addKey(units, false);
}

quint32 TextOrder::addKey(QByteArrayView key, bool encodable)
{
    m_keys.insert(m_keys.end(), key.begin(), key.end());
    m_ends.push_back(quint32(m_keys.size()));
    m_unencodable.push_back(!encodable);
    return quint32(m_ends.size() - 1);
}

std::vector<quint32> TextOrder::ranks() const
{
    auto key = [this](quint32 item) {
        const quint32 begin = item ? m_ends[item - 1] : 0;
        return std::string_view(m_keys.data() + begin, m_ends[item] - begin);
    };
    // string_view compares its characters as unsigned bytes.
    auto less = [&](quint32 a, quint32 b) {
        if (m_unencodable[a] != m_unencodable[b])
            return !m_unencodable[a];
        return key(a) < key(b);
    };
    std::vector<quint32> items(m_ends.size());
    for (quint32 i = 0; i < items.size(); ++i)
        items[i] = i;
    std::sort(items.begin(), items.end(), less);
    std::vector<quint32> rank(items.size());
    quint32 current = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i == 0 || less(items[i - 1], items[i]))
            ++current;
        rank[items[i]] = current;
    }
    return rank;
}

} // namespace qv
