#include "capitals.h"

#include <array>

namespace qv {

namespace {

constexpr std::array<char16_t, 10> kDigits = {u'零', u'壹', u'贰', u'叁', u'肆',
                                              u'伍', u'陆', u'柒', u'捌', u'玖'};
constexpr std::array<char16_t, 4> kPlaces = {0, u'拾', u'佰', u'仟'};

// One group of four places (0 < group < 10000), without its section's name:
// one 零 between digits where places are empty, none after the last digit.
QString groupInCapitals(int group)
{
    QString out;
    bool pendingZero = false;
    int divisor = 1000;
    for (int place = 3; place >= 0; --place, divisor /= 10) {
        const int digit = group / divisor % 10;
        if (digit == 0) {
            pendingZero = !out.isEmpty();
            continue;
        }
        if (pendingZero)
            out += kDigits[0];
        pendingZero = false;
        out += kDigits[digit];
        if (kPlaces[place])
            out += kPlaces[place];
    }
    return out;
}

int digitValue(QChar c)
{
    static const QString capitals = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    static const QString everyday = QStringLiteral("〇一二三四五六七八九");
    if (const qsizetype i = capitals.indexOf(c); i >= 0)
        return int(i);
    if (const qsizetype i = everyday.indexOf(c); i >= 0)
        return int(i);
    if (c == u'两')
        return 2;
    return -1;
}

int placeValue(QChar c)
{
    if (c == u'拾' || c == u'十')
        return 10;
    if (c == u'佰' || c == u'百')
        return 100;
    if (c == u'仟' || c == u'千')
        return 1000;
    return 0;
}

constexpr qint64 kYuanLimit = Money::maxCents / 100;

// The yuan before 元: sections of places under 亿 and 万.
std::optional<qint64> parseYuan(QStringView s)
{
    if (s.isEmpty())
        return std::nullopt;
    qint64 total = 0, section = 0;
    int digit = -1;         // a digit waiting for its place
    bool zeroSeen = false;  // a 零 since the last place
    int lastPlace = 10000;  // places fall within a section
    qint64 lastSection = 0; // 亿 before 万, each once
    for (const QChar c : s) {
        if (const int d = digitValue(c); d >= 0) {
            if (digit > 0)
                return std::nullopt; // two digits without a place between
            if (d == 0)
                zeroSeen = true;
            else
                digit = d;
            continue;
        }
        if (const int p = placeValue(c)) {
            int times = digit;
            if (times <= 0) {
                // 拾 alone opens a number: 拾伍元 is 15.
                if (p != 10 || section != 0 || total != 0 || zeroSeen)
                    return std::nullopt;
                times = 1;
            }
            if (p >= lastPlace)
                return std::nullopt;
            section += qint64(times) * p;
            lastPlace = p;
            digit = -1;
            zeroSeen = false;
            continue;
        }
        if (c == u'万' || c == u'亿') {
            const qint64 unit = c == u'万' ? 10000 : 100000000;
            const qint64 value = section + std::max(digit, 0);
            if (value == 0 || (lastSection != 0 && lastSection <= unit))
                return std::nullopt;
            total += value * unit;
            lastSection = unit;
            section = 0;
            digit = -1;
            zeroSeen = false;
            lastPlace = 10000;
            if (total > kYuanLimit)
                return std::nullopt;
            continue;
        }
        return std::nullopt;
    }
    const qint64 yuan = total + section + std::max(digit, 0);
    if (yuan > kYuanLimit)
        return std::nullopt;
    return yuan;
}

// What follows 元: [零] digit 角 [零] [digit 分], or nothing.
std::optional<int> parseCents(QStringView s)
{
    qsizetype i = 0;
    auto skipZeros = [&] {
        while (i < s.size() && digitValue(s[i]) == 0)
            ++i;
    };
    auto unit = [&](QChar name) {
        if (i + 1 < s.size() && digitValue(s[i]) > 0 && s[i + 1] == name) {
            i += 2;
            return digitValue(s[i - 2]);
        }
        return 0;
    };
    skipZeros();
    const int jiao = unit(u'角');
    skipZeros();
    const int fen = unit(u'分');
    if (i != s.size())
        return std::nullopt;
    return jiao * 10 + fen;
}

} // namespace

QString amountInCapitals(Money amount)
{
    qint64 cents = amount.cents();
    QString out;
    if (cents < 0) {
        out += u'负';
        cents = -cents;
    }
    const qint64 yuan = cents / 100;
    const int jiao = int(cents / 10 % 10);
    const int fen = int(cents % 10);

    if (yuan > 0) {
        // Below Money::maxCents the 亿 section has at most four places.
        const std::array<int, 3> groups = {int(yuan / 100000000), int(yuan / 10000 % 10000),
                                           int(yuan % 10000)};
        const std::array<QStringView, 3> names = {u"亿", u"万", u""};
        bool written = false, skipped = false;
        for (size_t i = 0; i < groups.size(); ++i) {
            if (groups[i] == 0) {
                skipped = skipped || written;
                continue;
            }
            // 壹亿零伍佰万, 壹万零伍元: a 零 for the places skipped before a group.
            if (written && (skipped || groups[i] < 1000))
                out += kDigits[0];
            out += groupInCapitals(groups[i]);
            out += names[i];
            written = true;
            skipped = false;
        }
        out += u'元';
    }
    if (jiao == 0 && fen == 0)
        return out + (yuan > 0 ? QStringLiteral("整") : QStringLiteral("零元整"));
    // 壹拾元零伍角, 壹元零捌分: a 零 for an empty place between 元 and the cents.
    if (yuan > 0 && (yuan % 10 == 0 || jiao == 0))
        out += kDigits[0];
    if (jiao > 0) {
        out += kDigits[jiao];
        out += u'角';
    }
    if (fen > 0) {
        out += kDigits[fen];
        out += u'分';
    }
    return out;
}

std::optional<Money> parseCapitals(QStringView text)
{
    QString s = text.toString();
    s.remove(u' ');
    s.remove(u'\u3000');
    QStringView v(s);
    if (v.startsWith(u"人民币"))
        v = v.mid(3);
    bool negative = false;
    if (v.startsWith(u'负')) {
        negative = true;
        v = v.mid(1);
    }
    if (v.endsWith(u'整') || v.endsWith(u'正'))
        v.chop(1);
    if (v.isEmpty())
        return std::nullopt;

    std::optional<qint64> yuan = 0;
    std::optional<int> cents = 0;
    qsizetype yuanAt = v.indexOf(u'元');
    if (yuanAt < 0)
        yuanAt = v.indexOf(u'圆');
    if (yuanAt >= 0) {
        yuan = parseYuan(v.left(yuanAt));
        cents = parseCents(v.mid(yuanAt + 1));
    } else if (v.contains(u'角') || v.contains(u'分')) {
        cents = parseCents(v);
        if (cents == 0)
            return std::nullopt;
    } else {
        yuan = parseYuan(v); // 伍佰, as some write it without 元
    }
    if (!yuan || !cents)
        return std::nullopt;
    const qint64 total = *yuan * 100 + *cents;
    if (total > Money::maxCents)
        return std::nullopt;
    return Money::fromCents(negative ? -total : total);
}

} // namespace qv
