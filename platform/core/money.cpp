#include "money.h"

#include "variants.h"

#include <cmath>

namespace qv {

std::optional<Money> Money::parse(QStringView text)
{
    bool tooLarge = false;
    return parse(text, tooLarge);
}

std::optional<Money> Money::parse(QStringView text, bool& tooLarge)
{
    tooLarge = false;
    QStringView s = text.trimmed();
    bool negative = false;
    if (!s.isEmpty() && (s.front() == u'-' || s.front() == u'+')) {
        negative = s.front() == u'-';
        s = s.mid(1).trimmed();
    }
    if (s.isEmpty())
        return std::nullopt;

    const qsizetype point = s.indexOf(u'.');
    QStringView whole = point < 0 ? s : s.left(point);
    QStringView fraction = point < 0 ? QStringView() : s.mid(point + 1);
    if (fraction.size() > 2 || (whole.isEmpty() && fraction.isEmpty()))
        return std::nullopt;

    // Groups after the first comma must be exactly three digits: "1,2,3" is
    // a typing slip, not one hundred and twenty-three.
    if (whole.contains(u',')) {
        const auto groups = whole.split(u',');
        if (groups.front().isEmpty() || groups.front().size() > 3)
            return std::nullopt;
        for (qsizetype i = 1; i < groups.size(); ++i)
            if (groups[i].size() != 3)
                return std::nullopt;
    }

    // The whole text is read before its size is judged, so that a slip in it
    // is reported as a slip and not as an amount too large.
    qint64 units = 0;
    int digits = 0;
    for (QChar c : whole) {
        if (c == u',')
            continue;
        if (!c.isDigit() || c.unicode() > 0x7f)
            return std::nullopt;
        if (units == 0 && c == u'0')
            continue;
        if (++digits <= 13)
            units = units * 10 + (c.unicode() - u'0');
    }
    qint64 cents = 0;
    for (qsizetype i = 0; i < 2; ++i) {
        cents *= 10;
        if (i < fraction.size()) {
            const QChar c = fraction[i];
            if (!c.isDigit() || c.unicode() > 0x7f)
                return std::nullopt;
            cents += c.unicode() - u'0';
        }
    }
    const qint64 total = units * 100 + cents;
    if (digits > 12 || total > maxCents) {
        tooLarge = true;
        return std::nullopt;
    }
    return Money(negative ? -total : total);
}

std::optional<QString> Money::inputProblem(QStringView text, const QString& fieldCaption)
{
    bool tooLarge = false;
    if (parse(text, tooLarge))
        return std::nullopt;
    if (tooLarge)
        return QStringLiteral("金额太大：%1最多为 %2，请重新输入。")
            .arg(fieldCaption, Money(maxCents).format(u"#,##0.00"));
    return QStringLiteral("%1“%2”不是有效的金额，请重新输入。").arg(fieldCaption, text.trimmed().toString());
}

std::optional<Money> Money::fromVariant(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return std::nullopt;
    // Whole units past the largest amount are refused before they are made
    // cents: multiplied first they would wrap into some other amount.
    constexpr qint64 maxUnits = maxCents / 100;
    if (holdsInteger(value)) {
        const bool isUnsigned = value.typeId() == QMetaType::UInt || value.typeId() == QMetaType::ULongLong ||
                                value.typeId() == QMetaType::ULong;
        if (isUnsigned) {
            const qulonglong units = value.toULongLong();
            if (units > qulonglong(maxUnits))
                return std::nullopt;
            return Money(qint64(units) * 100);
        }
        const qlonglong units = value.toLongLong();
        if (units > maxUnits || units < -maxUnits)
            return std::nullopt;
        return Money(units * 100);
    }
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double cents = std::round(value.toDouble() * 100.0);
        if (!std::isfinite(cents) || std::fabs(cents) > double(maxCents))
            return std::nullopt;
        return Money(qint64(cents));
    }
    default:
        break;
    }
    if (value.userType() == qMetaTypeId<Money>())
        return value.value<Money>();
    // Decimal text as drivers return it with high precision: "300", "-12.5",
    // "12.3400". Extra zero decimals are harmless; anything finer is rounded
    // half away from zero on the decimal digits themselves, as a double
    // would not: 1.005 is 1.01.
    const QString text = value.toString().trimmed();
    const qsizetype point = text.indexOf(u'.');
    if (point < 0 || text.size() - point - 1 <= 2)
        return parse(text);
    if (text.contains(u'e', Qt::CaseInsensitive)) {
        bool ok = false;
        const double d = text.toDouble(&ok);
        return ok ? fromVariant(QVariant(d)) : std::nullopt;
    }
    const QStringView finer = QStringView(text).mid(point + 3);
    for (const QChar c : finer)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    const std::optional<Money> cents = parse(QStringView(text).left(point + 3));
    if (!cents || finer.front() < u'5')
        return cents;
    const qint64 rounded = cents->cents() + (text.startsWith(u'-') ? -1 : 1);
    if (rounded > maxCents || rounded < -maxCents)
        return std::nullopt;
    return Money(rounded);
}

QString Money::toSqlText() const
{
    const qint64 a = m_cents < 0 ? -m_cents : m_cents;
    return QStringLiteral("%1%2.%3")
        .arg(m_cents < 0 ? QStringLiteral("-") : QString())
        .arg(a / 100)
        .arg(a % 100, 2, 10, QLatin1Char('0'));
}

QString Money::format(QStringView pattern) const
{
    const qsizetype point = pattern.indexOf(u'.');
    QStringView intPattern = point < 0 ? pattern : pattern.left(point);
    const int decimals = point < 0 ? 0 : int(std::min<qsizetype>(2, pattern.size() - point - 1));
    const bool grouping = intPattern.contains(u',');
    const int minIntDigits = int(intPattern.count(u'0'));

    const qint64 a = m_cents < 0 ? -m_cents : m_cents;
    qint64 scaled = a;
    if (decimals == 1)
        scaled = (a + 5) / 10;
    else if (decimals == 0)
        scaled = (a + 50) / 100;
    const qint64 divisor = decimals == 2 ? 100 : decimals == 1 ? 10 : 1;
    const qint64 whole = scaled / divisor;
    const qint64 frac = scaled % divisor;

    QString digits = whole == 0 ? QString() : QString::number(whole);
    while (digits.size() < minIntDigits)
        digits.prepend(u'0');
    if (grouping) {
        for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
            digits.insert(i, u',');
    }
    QString out;
    if (m_cents < 0 && scaled != 0)
        out += u'-';
    out += digits;
    if (decimals > 0)
        out += u'.' + QStringLiteral("%1").arg(frac, decimals, 10, QLatin1Char('0'));
    return out;
}

} // namespace qv
