#include "ledgergen.h"

#include "data/ledgerschema.h"
#include "data/pinyin.h"
#include "platform/core/money.h"
#include "platform/database/transaction.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <QVariant>

#include <algorithm>
#include <random>

namespace qv::bench {

namespace {

// Qt's SQLite driver asks SQLite for the name of every placeholder it binds,
// and SQLite finds each name by walking the whole list, so binding costs grow
// with the square of the values in one statement: twenty rows of ten values
// was the fastest batch measured, several times faster than a few hundred.
// A commit every fifty thousand rows keeps the journal small without paying
// for many syncs.
constexpr int kRowsPerInsert = 20;
constexpr qint64 kRowsPerCommit = 50'000;

// Record numbers are the registration moment as yymmddhhmmss, so the made-up
// history has to stay inside one century.
const QDate kCentury(2000, 1, 1);
const QDate kFirstDay(2005, 1, 1);
constexpr qint64 kSecondsPerDay = 86'400;
constexpr qint64 kSpanDays = 7'305; // twenty years

const QStringList& surnames()
{
    static const QStringList list =
        QStringLiteral(
            "王 李 张 刘 陈 杨 黄 赵 吴 周 徐 孙 马 朱 胡 郭 何 高 林 罗 郑 梁 谢 宋 唐 许 韩 冯 邓 曹 彭 曾 "
            "肖 田 "
            "董 袁 潘 于 蒋 蔡 余 杜 叶 程 苏 魏 吕 丁 任 沈 姚 卢 姜 崔 钟 谭 陆 汪 范 金 石 廖 贾 夏 韦 付 "
            "方 白 "
            "邹 孟 熊 秦 邱 江 尹 薛 闫 段 雷 侯 龙 史 陶 黎 贺 顾 毛 郝 龚 邵 万 钱 严 覃 武 戴 莫 孔 向 汤")
            .split(u' ', Qt::SkipEmptyParts);
    return list;
}

const QStringList& givenNameCharacters()
{
    static const QStringList list =
        QStringLiteral(
            "伟 芳 娜 秀 英 敏 静 丽 强 磊 军 洋 勇 艳 杰 娟 涛 明 超 兰 霞 平 刚 桂 华 文 辉 建 国 红 玉 春 "
            "梅 林 "
            "海 波 宇 鹏 飞 斌 志 新 亮 俊 峰 兵 琴 云 凤 成 德 福 生 龙 元 全 金 荣 庆 祥 东 晓 小 丹 萍 玲 "
            "燕 雪 "
            "慧 婷 颖 佳 嘉 欣 怡 子 浩 然 宏 忠 义 礼 智 信 安 康 宁 泽 瑞 博 睿 思 雨 晨 阳 光 一 凯 彬 鑫 "
            "帅 旭 "
            "昊 天 力 永 长 山 水 秋 冬 贵 珍 翠 花 香 月 琳 莉 洁 蕾 倩 璐 露 媛 雅 薇 妍 茜 悦 可 馨")
            .split(u' ', Qt::SkipEmptyParts);
    return list;
}

const QStringList& goods()
{
    static const QStringList list =
        QStringLiteral("烟酒 水果 礼盒 被面 花篮 营养品 茶叶 月饼 蛋糕 毛毯").split(u' ', Qt::SkipEmptyParts);
    return list;
}

struct Contact
{
    QString name;
    QString category;
};

class Generator
{
public:
    Generator(Transaction& t, quint64 seed, QTextStream& progress) : m_t(t), m_rng(seed), m_progress(progress)
    {
    }

    bool run(qint64 count, GeneratedLedger& result, QString& error);

private:
    quint64 pick(quint64 n) { return m_rng() % n; }
    const QString& pickFrom(const QStringList& list) { return list[qsizetype(pick(quint64(list.size())))]; }

    bool readColumn(const QString& sql, QStringList& out, QString& error);
    bool readLookups(QString& error);
    bool addContacts(qint64 wanted, qint64& added, QString& error);
    bool addRecords(qint64 count, QString& error);
    bool insertBatch(const QString& table, const QString& columns, int width, const QVariantList& values,
                     QString& error);
    QString newContactName(const QSet<QString>& taken);
    Money amount();
    std::optional<qint64> firstFreeMoment(QString& error);

    Transaction& m_t;
    std::mt19937_64 m_rng;
    QTextStream& m_progress;
    QStringList m_reasons, m_objects, m_categories;
    QList<Contact> m_contacts;
};

bool Generator::readColumn(const QString& sql, QStringList& out, QString& error)
{
    out.clear();
    auto query = m_t.open(sql);
    if (!query) {
        error = m_t.SQLErrText;
        return false;
    }
    while (query->next())
        out << query->value(0).toString();
    return true;
}

bool Generator::readLookups(QString& error)
{
    // Sorted so that the same seed picks the same texts whatever order the
    // database returns them in.
    if (!readColumn(QStringLiteral("SELECT sy FROM syb WHERE sy IS NOT NULL ORDER BY sy"), m_reasons,
                    error) ||
        !readColumn(QStringLiteral("SELECT dx FROM dxb WHERE dx IS NOT NULL ORDER BY dx"), m_objects,
                    error) ||
        !readColumn(QStringLiteral("SELECT fwz FROM fwfz ORDER BY fwz"), m_categories, error))
        return false;
    if (m_reasons.isEmpty() || m_objects.isEmpty() || m_categories.isEmpty()) {
        error = QStringLiteral("the lookup tables syb, dxb and fwfz must not be empty");
        return false;
    }
    return true;
}

QString Generator::newContactName(const QSet<QString>& taken)
{
    for (;;) {
        QString name = pickFrom(surnames()) + pickFrom(givenNameCharacters());
        // Two given characters are the more common form.
        if (pick(10) < 7)
            name += pickFrom(givenNameCharacters());
        if (!taken.contains(name))
            return name;
    }
}

bool Generator::insertBatch(const QString& table, const QString& columns, int width,
                            const QVariantList& values, QString& error)
{
    const qsizetype rows = values.size() / width;
    const QString oneRow = u'(' + QStringList(width, QStringLiteral("?")).join(u',') + u')';
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                            .arg(table, columns, QStringList(rows, oneRow).join(u','));
    if (m_t.execute(sql, values) != 0) {
        error = QStringLiteral("insert into %1 failed: %2").arg(table, m_t.SQLErrText);
        return false;
    }
    return true;
}

bool Generator::addContacts(qint64 wanted, qint64& added, QString& error)
{
    added = 0;
    QSet<QString> taken;
    {
        auto query = m_t.open(QStringLiteral("SELECT xm, fw FROM wlryb ORDER BY xm"));
        if (!query) {
            error = m_t.SQLErrText;
            return false;
        }
        while (query->next()) {
            Contact c{query->value(0).toString(), query->value(1).toString()};
            if (c.category.isEmpty())
                c.category = pickFrom(m_categories);
            taken.insert(c.name);
            m_contacts << c;
        }
    }
    PinyinTable pinyin;
    if (!pinyin.load(m_t)) {
        error = m_t.SQLErrText;
        return false;
    }
    // The name space (a hundred surnames, one or two of ~150 characters) is
    // over two million names; stop well before it gets crowded.
    wanted = std::min<qint64>(wanted, 500'000);
    QVariantList values;
    const QString columns = QStringLiteral("xm, xb, py, fw");
    while (m_contacts.size() < wanted) {
        Contact c{newContactName(taken), pickFrom(m_categories)};
        taken.insert(c.name);
        values << c.name << (pick(2) ? QStringLiteral("男") : QStringLiteral("女")) << pinyin.initials(c.name)
               << c.category;
        m_contacts << c;
        ++added;
        if (values.size() == kRowsPerInsert * 4) {
            if (!insertBatch(QStringLiteral("wlryb"), columns, 4, values, error))
                return false;
            values.clear();
        }
    }
    if (!values.isEmpty() && !insertBatch(QStringLiteral("wlryb"), columns, 4, values, error))
        return false;
    if (!m_t.commit()) {
        error = m_t.SQLErrText;
        return false;
    }
    return true;
}

Money Generator::amount()
{
    const quint64 r = pick(100);
    if (r < 70)
        return Money::fromCents(qint64(10 * (1 + pick(100))) * 100); // 10 … 1,000
    if (r < 90)
        return Money::fromCents(qint64(100 * (10 + pick(91))) * 100); // 1,000 … 10,000
    return Money::fromCents(qint64(100 + pick(50'000)));              // 1.00 … 500.99
}

// Seconds since the first day of the century of the first record number to
// use: after the newest one already in the ledger, so that a second run on the
// same file never repeats a key.
std::optional<qint64> Generator::firstFreeMoment(QString& error)
{
    QVariantList newest;
    if (m_t.selectInto(QStringLiteral("SELECT max(xtbh) FROM rqwlb"), {}, newest) < 0) {
        error = m_t.SQLErrText;
        return std::nullopt;
    }
    const QString xtbh = newest.value(0).toString();
    if (xtbh.isEmpty())
        return kCentury.daysTo(kFirstDay) * kSecondsPerDay;
    const QDate day(2000 + xtbh.left(2).toInt(), xtbh.mid(2, 2).toInt(), xtbh.mid(4, 2).toInt());
    if (xtbh.size() != 12 || !day.isValid()) {
        error = QStringLiteral("the newest record number %1 is not yymmddhhmmss").arg(xtbh);
        return std::nullopt;
    }
    return kCentury.daysTo(day) * kSecondsPerDay + xtbh.mid(6, 2).toInt() * 3600 +
           xtbh.mid(8, 2).toInt() * 60 + xtbh.mid(10, 2).toInt() + 1;
}

QString digits(int value, int width)
{
    return QString::number(value).rightJustified(width, u'0');
}

QString yyyymmdd(const QDate& d)
{
    return digits(d.year(), 4) + digits(d.month(), 2) + digits(d.day(), 2);
}

bool Generator::addRecords(qint64 count, QString& error)
{
    const auto start = firstFreeMoment(error);
    if (!start)
        return false;
    // Each record gets its own slot of the twenty years and a random second
    // inside it: the dates spread evenly and the record numbers never clash.
    const qint64 slot = kSpanDays * kSecondsPerDay / count;
    if (slot < 1) {
        error = QStringLiteral("at most %1 records fit twenty years of one-second record numbers")
                    .arg(kSpanDays * kSecondsPerDay);
        return false;
    }
    if (kCentury.addDays((*start + kSpanDays * kSecondsPerDay) / kSecondsPerDay).year() > 2099) {
        error = QStringLiteral("the ledger's record numbers already reach too far to add twenty more years");
        return false;
    }

    const QString columns = QStringLiteral("xtbh, xm, fw, lx, sy, dx, je, wp, sj, sq");
    const QString received = QStringLiteral("收情"), given = QStringLiteral("送情");
    QVariantList values;
    values.reserve(kRowsPerInsert * 10);
    QElapsedTimer clock;
    clock.start();
    qint64 lastReport = 0;
    for (qint64 i = 0; i < count; ++i) {
        const qint64 moment = *start + i * slot + qint64(pick(quint64(slot)));
        const QDate day = kCentury.addDays(moment / kSecondsPerDay);
        const int second = int(moment % kSecondsPerDay);
        const QString xtbh = digits(day.year() - 2000, 2) + digits(day.month(), 2) + digits(day.day(), 2) +
                             digits(second / 3600, 2) + digits(second / 60 % 60, 2) + digits(second % 60, 2);
        const Contact& who = m_contacts[qsizetype(pick(quint64(m_contacts.size())))];
        const bool isReceived = pick(100) < 56;
        const Money je = amount();
        values << xtbh << who.name << who.category << (isReceived ? received : given) << pickFrom(m_reasons)
               << pickFrom(m_objects) << QVariant::fromValue(isReceived ? je : -je)
               << (pick(100) < 15 ? pickFrom(goods()) : QString()) << yyyymmdd(day.addDays(-qint64(pick(31))))
               << yyyymmdd(day);
        if (values.size() == kRowsPerInsert * 10 || i + 1 == count) {
            if (!insertBatch(QStringLiteral("rqwlb"), columns, 10, values, error))
                return false;
            values.clear();
        }
        if ((i + 1) % kRowsPerCommit == 0 || i + 1 == count) {
            if (!m_t.commit()) {
                error = m_t.SQLErrText;
                return false;
            }
            const double seconds = clock.nsecsElapsed() / 1e9;
            m_progress << QStringLiteral("  %1 / %2 records, %3 rows/s")
                              .arg(i + 1)
                              .arg(count)
                              .arg(qint64((i + 1 - lastReport) / std::max(seconds, 1e-9)))
                       << Qt::endl;
            lastReport = i + 1;
            clock.restart();
        }
    }
    return true;
}

bool Generator::run(qint64 count, GeneratedLedger& result, QString& error)
{
    if (!readLookups(error))
        return false;
    QElapsedTimer clock;
    clock.start();
    // About forty records per contact, as a family ledger of many years has.
    const qint64 wantedContacts = count == 0 ? 0 : std::clamp<qint64>(count / 40, 20, 50'000);
    if (!addContacts(wantedContacts, result.contacts, error))
        return false;
    m_progress
        << QStringLiteral("  %1 contacts added, %2 in the ledger").arg(result.contacts).arg(m_contacts.size())
        << Qt::endl;
    if (count > 0 && !addRecords(count, error))
        return false;
    result.records = count;
    result.seconds = clock.nsecsElapsed() / 1e9;
    return true;
}

} // namespace

bool generateLedger(const QString& file, qint64 count, quint64 seed, QTextStream& progress,
                    GeneratedLedger& result, QString& error)
{
    result = {};
    if (count < 0) {
        error = QStringLiteral("the number of records must not be negative");
        return false;
    }
    Transaction t;
    t.DBMS = QStringLiteral("SQLite");
    t.Database = file;
    const bool existed = QFileInfo::exists(file);
    if (!t.connect(Transaction::OpenMode::CreateSQLiteFile)) {
        error = t.SQLErrText;
        return false;
    }
    const QStringList present = LedgerSchema::existingTables(t);
    if (present.isEmpty()) {
        QStringList report;
        if (!LedgerSchema::create(t, report, error))
            return false;
        progress << QStringLiteral("%1 ledger %2")
                        .arg(existed ? QStringLiteral("initialised") : QStringLiteral("created"), file)
                 << Qt::endl;
    } else if (present.size() != LedgerSchema::tableNames().size()) {
        error =
            QStringLiteral("%1 holds only some of the ledger's tables (%2)").arg(file, present.join(u','));
        return false;
    }
    Generator generator(t, seed, progress);
    if (!generator.run(count, result, error)) {
        t.rollback();
        return false;
    }
    return t.disconnect();
}

} // namespace qv::bench
