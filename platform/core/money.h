#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>

#include <compare>
#include <optional>

namespace qv {

// An amount of money held as whole cents. Databases store decimals, doubles or
// text depending on the driver; every amount passes through this type so that
// sums over years of records come out to the cent.
class Money
{
public:
    constexpr Money() = default;
    static constexpr Money fromCents(qint64 cents) { return Money(cents); }

    // The largest amount a decimal(14,2) column holds.
    static constexpr qint64 maxCents = 99999999999999LL;

    // Parses what a person types or what a display format produced:
    // "1,250.00", "-5", "300", ".5", " 12.30 ". Thousands separators must
    // stand in groups of three. More than two decimals, stray characters or an
    // amount beyond maxCents yield nothing.
    static std::optional<Money> parse(QStringView text);
    // The same; `tooLarge` tells an amount beyond maxCents from text that is
    // no amount at all.
    static std::optional<Money> parse(QStringView text, bool& tooLarge);

    // Why a typed text is no amount, in the words the operator reads, naming
    // the field: an amount beyond the column says so with the limit, anything
    // else that it is not an amount. Nothing when the text parses.
    static std::optional<QString> inputProblem(QStringView text, const QString& fieldCaption);

    // Converts a value read from any SQL driver (integer, double, decimal
    // text), rounding to the nearest cent. An amount beyond maxCents yields
    // nothing, as text that is no amount does.
    static std::optional<Money> fromVariant(const QVariant& value);

    constexpr qint64 cents() const { return m_cents; }
    constexpr bool isZero() const { return m_cents == 0; }

    // Text bound to SQL statements: plain "-1234.50", exact on every driver.
    QString toSqlText() const;
    QVariant toSqlValue() const { return toSqlText(); }

    // Display formats in the style of the report definitions: "0.00",
    // "000.00", "#,##0.00", "###,###.00". Zeros before the point give the
    // minimum number of integer digits; a comma asks for thousands groups;
    // the digits after the point give the number of decimals (0 to 2).
    QString format(QStringView pattern = u"#,##0.00") const;

    constexpr Money operator-() const { return Money(-m_cents); }
    constexpr Money operator+(Money o) const { return Money(m_cents + o.m_cents); }
    constexpr Money operator-(Money o) const { return Money(m_cents - o.m_cents); }
    constexpr Money& operator+=(Money o)
    {
        m_cents += o.m_cents;
        return *this;
    }
    constexpr Money& operator-=(Money o)
    {
        m_cents -= o.m_cents;
        return *this;
    }
    constexpr auto operator<=>(const Money&) const = default;

private:
    constexpr explicit Money(qint64 cents) : m_cents(cents) {}
    qint64 m_cents = 0;
};

} // namespace qv

// Eight plain bytes: QVariant keeps it inline, without a heap cell per amount.
Q_DECLARE_TYPEINFO(qv::Money, Q_PRIMITIVE_TYPE);
Q_DECLARE_METATYPE(qv::Money)
