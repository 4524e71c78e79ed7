#include "importvalues.h"

#include "platform/core/capitals.h"

#include <QRegularExpression>

namespace qv {

std::optional<Money> decimalToMoney(QStringView text)
{
    QString t = text.trimmed().toString();
    t.remove(u',');
    if (t.isEmpty())
        return std::nullopt;
    bool negative = false;
    if (t.front() == u'-' || t.front() == u'+') {
        negative = t.front() == u'-';
        t.remove(0, 1);
    }
    int exponent = 0;
    const qsizetype e = t.indexOf(u'e', 0, Qt::CaseInsensitive);
    if (e >= 0) {
        bool ok = false;
        exponent = t.mid(e + 1).toInt(&ok);
        if (!ok || exponent > 20 || exponent < -20)
            return std::nullopt;
        t.truncate(e);
    }
    QString digits;
    int pointAt = -1;
    for (const QChar c : t) {
        if (c == u'.' && pointAt < 0)
            pointAt = int(digits.size());
        else if (c.isDigit() && c.unicode() < 128)
            digits += c;
        else
            return std::nullopt;
    }
    if (digits.isEmpty())
        return std::nullopt;
    if (pointAt < 0)
        pointAt = int(digits.size());
    // Whole cents are the digits up to two places after the point; the
    // third decides the rounding.
    pointAt += exponent;
    const int centsEnd = pointAt + 2;
    qint64 cents = 0;
    for (int i = 0; i < centsEnd; ++i) {
        const int d = i < digits.size() ? digits[i].digitValue() : 0;
        if (cents > Money::maxCents)
            return std::nullopt;
        cents = cents * 10 + d;
    }
    if (centsEnd >= 0 && centsEnd < digits.size() && digits[centsEnd].digitValue() >= 5)
        ++cents;
    if (cents > Money::maxCents)
        return std::nullopt;
    return Money::fromCents(negative ? -cents : cents);
}

std::optional<Money> importAmount(const SheetCell& cell)
{
    if (cell.kind == SheetCell::Kind::Number)
        return decimalToMoney(cell.text);
    if (cell.kind != SheetCell::Kind::Text)
        return std::nullopt;
    QString t = cell.text.trimmed();
    t.remove(u' ');
    if (t.isEmpty())
        return std::nullopt;
    // Capitals first: "伍佰元整" ends in 元 as "200元" does.
    if (auto capitals = parseCapitals(t))
        return capitals;
    for (const QChar sign : {QChar(0xFFE5), QChar(0x00A5), QChar(u'$')}) // ￥ ¥
        if (t.startsWith(sign))
            t.remove(0, 1);
    if (t.startsWith(QStringLiteral("RMB"), Qt::CaseInsensitive))
        t.remove(0, 3);
    if (t.endsWith(u'元'))
        t.chop(1);
    // Full-width digits and separators as an input method may type them.
    for (QChar& c : t) {
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
            c = QChar(u'0' + (c.unicode() - 0xFF10));
        else if (c == QChar(0xFF0C))
            c = u',';
        else if (c == QChar(0xFF0E))
            c = u'.';
    }
    if (t.isEmpty() || t.contains(u'e', Qt::CaseInsensitive))
        return std::nullopt;
    // Thousands separators, when there are any, stand in groups of three.
    const QString whole = t.section(u'.', 0, 0);
    if (whole.contains(u',')) {
        static const QRegularExpression grouped(QStringLiteral("^[-+]?\\d{1,3}(,\\d{3})*$"));
        if (!grouped.match(whole).hasMatch())
            return std::nullopt;
    }
    return decimalToMoney(t);
}

namespace {

std::optional<QDate> validDate(int y, int m, int d)
{
    const QDate date(y, m, d);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace

std::optional<QDate> importDate(const SheetCell& cell, bool system1904)
{
    if (cell.kind == SheetCell::Kind::Date)
        return cell.date.isValid() ? std::optional<QDate>(cell.date) : std::nullopt;
    const QString t = cell.text.trimmed();
    if (cell.kind == SheetCell::Kind::Number) {
        if (t.size() == 8 && !t.contains(u'.'))
            return validDate(t.left(4).toInt(), t.mid(4, 2).toInt(), t.mid(6, 2).toInt());
        bool ok = false;
        const double serial = t.toDouble(&ok);
        if (!ok || serial < 1)
            return std::nullopt;
        const QDate date = excelSerialDate(serial, system1904);
        return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
    }
    if (cell.kind != SheetCell::Kind::Text || t.isEmpty())
        return std::nullopt;
    static const QRegularExpression eight(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    static const QRegularExpression parts(
        QStringLiteral("^(\\d{4})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})\\s*日?"
                       "(\\s+\\d{1,2}:\\d{2}(:\\d{2})?)?$"));
    for (const auto* pattern : {&eight, &parts}) {
        const auto m = pattern->match(t);
        if (m.hasMatch())
            return validDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    }
    return std::nullopt;
}

std::optional<QString> importKind(const QString& text)
{
    static const QString received = QStringLiteral("收情");
    static const QString given = QStringLiteral("送情");
    const QString t = text.trimmed();
    if (t == u"收" || t == received || t == u"收礼" || t == u"收到")
        return received;
    if (t == u"送" || t == given || t == u"送礼" || t == u"随礼" || t == u"送出")
        return given;
    return std::nullopt;
}

} // namespace qv
