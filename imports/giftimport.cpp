#include "giftimport.h"

#include "importvalues.h"

#include "data/ledgerschema.h"
#include "data/personname.h"
#include "data/pinyin.h"
#include "platform/core/gbktext.h"
#include "platform/database/transaction.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace qv {

namespace {

// The key imports take turns on, so that two desks importing at once on a
// server number their imports one after the other.
constexpr qint64 kImportTurn = 0x71766472; // "qvdr"

const QString kReceived = QStringLiteral("收情");
const QString kGiven = QStringLiteral("送情");

// Column widths of rqwlb in GBK bytes, as the ledger checks them.
struct TextField
{
    ImportField field;
    int width;
};
const TextField kTextFields[] = {
    {ImportField::Category, GiftStore::kCategoryWidth},
    {ImportField::Reason, GiftStore::kReasonWidth},
    {ImportField::Object, GiftStore::kObjectWidth},
    {ImportField::Goods, GiftStore::kGoodsWidth},
};
constexpr int kNameWidth = GiftStore::kNameWidth;

QString normalisedHeader(QString text)
{
    text.remove(u' ');
    text.remove(QChar(0x3000));
    text.remove(u':');
    text.remove(QChar(0xFF1A)); // ：
    text.remove(u'*');
    return text.trimmed();
}

// Headers as they are written: this program's captions first, then what
// people put over a column of a handwritten list.
ImportField fieldOfHeader(const QString& header)
{
    static const QHash<QString, ImportField> exact = {
        {QStringLiteral("系统编号"), ImportField::Number},
        {QStringLiteral("编号"), ImportField::Number},
        {QStringLiteral("姓名"), ImportField::Name},
        {QStringLiteral("名字"), ImportField::Name},
        {QStringLiteral("来宾"), ImportField::Name},
        {QStringLiteral("宾客"), ImportField::Name},
        {QStringLiteral("人名"), ImportField::Name},
        {QStringLiteral("金额"), ImportField::Amount},
        {QStringLiteral("礼金"), ImportField::Amount},
        {QStringLiteral("钱"), ImportField::Amount},
        {QStringLiteral("收情金额"), ImportField::Amount},
        {QStringLiteral("送情金额"), ImportField::Amount},
        {QStringLiteral("日期"), ImportField::GiftDate},
        {QStringLiteral("时间"), ImportField::GiftDate},
        {QStringLiteral("收礼日期"), ImportField::GiftDate},
        {QStringLiteral("送礼日期"), ImportField::GiftDate},
        {QStringLiteral("收情时间"), ImportField::GiftDate},
        {QStringLiteral("送情时间"), ImportField::GiftDate},
        {QStringLiteral("发生时间"), ImportField::OccasionDate},
        {QStringLiteral("发生日期"), ImportField::OccasionDate},
        {QStringLiteral("收/送"), ImportField::Kind},
        {QStringLiteral("收送"), ImportField::Kind},
        {QStringLiteral("收"), ImportField::Kind},
        {QStringLiteral("送"), ImportField::Kind},
        {QStringLiteral("类别"), ImportField::Kind},
        {QStringLiteral("类型"), ImportField::Kind},
        {QStringLiteral("事由"), ImportField::Reason},
        {QStringLiteral("事件"), ImportField::Reason},
        {QStringLiteral("原因"), ImportField::Reason},
        {QStringLiteral("关系"), ImportField::Category},
        {QStringLiteral("分类"), ImportField::Category},
        {QStringLiteral("关系分类"), ImportField::Category},
        {QStringLiteral("对象"), ImportField::Object},
        {QStringLiteral("发生对象"), ImportField::Object},
        {QStringLiteral("礼品"), ImportField::Goods},
        {QStringLiteral("物品"), ImportField::Goods},
        {QStringLiteral("备注"), ImportField::Goods},
        {QStringLiteral("等价物品"), ImportField::Goods},
    };
    const QString h = normalisedHeader(header);
    if (h.isEmpty())
        return ImportField::Ignore;
    if (auto it = exact.constFind(h); it != exact.constEnd())
        return *it;
    // Longer headers by the word in them: 礼金（元）, 收礼时间, 来宾姓名.
    const struct
    {
        const char16_t* word;
        ImportField field;
    } words[] = {
        {u"编号", ImportField::Number}, {u"姓名", ImportField::Name},     {u"金额", ImportField::Amount},
        {u"礼金", ImportField::Amount}, {u"日期", ImportField::GiftDate}, {u"时间", ImportField::GiftDate},
        {u"事由", ImportField::Reason}, {u"关系", ImportField::Category}, {u"礼品", ImportField::Goods},
        {u"物品", ImportField::Goods},  {u"备注", ImportField::Goods},
    };
    for (const auto& w : words)
        if (h.contains(QStringView(w.word)))
            return w.field;
    return ImportField::Ignore;
}

QString cellText(const SheetCell& cell)
{
    if (cell.kind == SheetCell::Kind::Date && cell.date.isValid())
        return cell.date.toString(QStringLiteral("yyyy-MM-dd"));
    return cell.text;
}

QString storedDate(const QDate& d)
{
    return d.toString(QStringLiteral("yyyyMMdd"));
}

QString duplicateKey(const Gift& g)
{
    return g.name + QChar(0x1f) + g.kind + QChar(0x1f) + QString::number(g.amount.cents()) + QChar(0x1f) +
           g.giftDate;
}

bool isTotalsLine(const QList<SheetCell>& row)
{
    for (const SheetCell& cell : row) {
        const QString t = cell.text.trimmed();
        if (cell.kind == SheetCell::Kind::Text &&
            (t.startsWith(u"共计") || t.startsWith(u"合计") || t.startsWith(u"总计")))
            return true;
    }
    return false;
}

} // namespace

const QList<ImportField>& importFields()
{
    static const QList<ImportField> all = {
        ImportField::Ignore,   ImportField::Name,         ImportField::Amount, ImportField::Kind,
        ImportField::GiftDate, ImportField::OccasionDate, ImportField::Reason, ImportField::Category,
        ImportField::Object,   ImportField::Goods,        ImportField::Number};
    return all;
}

QString importFieldCaption(ImportField field)
{
    switch (field) {
    case ImportField::Ignore:
        return QStringLiteral("（不导入）");
    case ImportField::Number:
        return QStringLiteral("系统编号");
    case ImportField::Name:
        return QStringLiteral("姓名");
    case ImportField::Kind:
        return QStringLiteral("收/送");
    case ImportField::Amount:
        return QStringLiteral("金额");
    case ImportField::GiftDate:
        return QStringLiteral("日期");
    case ImportField::OccasionDate:
        return QStringLiteral("发生时间");
    case ImportField::Reason:
        return QStringLiteral("事由");
    case ImportField::Category:
        return QStringLiteral("关系分类");
    case ImportField::Object:
        return QStringLiteral("对象");
    case ImportField::Goods:
        return QStringLiteral("物品");
    }
    return {};
}

void ColumnMapping::setField(int column, ImportField field)
{
    if (column < 0)
        return;
    while (fields.size() <= column)
        fields << ImportField::Ignore;
    // A field comes from one column: choosing it for another frees the first.
    if (field != ImportField::Ignore)
        for (ImportField& f : fields)
            if (f == field)
                f = ImportField::Ignore;
    fields[column] = field;
}

ColumnMapping guessMapping(const SheetTable& sheet)
{
    ColumnMapping mapping;
    // Title rows above the header ("2024年婚礼礼单") are passed over; a
    // header is looked for among the first rows only. Without a row naming
    // both, the first naming either is taken, so that the operator is told
    // which one is missing.
    const int last = std::min<int>(int(sheet.rows.size()), 30);
    auto fieldsOf = [&sheet](int r) {
        QList<ImportField> fields;
        for (const SheetCell& cell : sheet.rows[r])
            fields << (cell.kind == SheetCell::Kind::Text ? fieldOfHeader(cell.text) : ImportField::Ignore);
        return fields;
    };
    int header = -1;
    for (int r = 0; r < last && header < 0; ++r) {
        const QList<ImportField> fields = fieldsOf(r);
        if (fields.contains(ImportField::Name) && fields.contains(ImportField::Amount))
            header = r;
    }
    for (int r = 0; r < last && header < 0; ++r) {
        const QList<ImportField> fields = fieldsOf(r);
        if (fields.contains(ImportField::Name) || fields.contains(ImportField::Amount))
            header = r;
    }
    if (header >= 0) {
        const int r = header;
        const QList<SheetCell>& row = sheet.rows[r];
        const QList<ImportField> fields = fieldsOf(r);
        mapping.headerRow = r;
        for (int c = 0; c < row.size(); ++c) {
            mapping.headers << cellText(row[c]).trimmed();
            // The first column of a field keeps it.
            mapping.fields << (fields.indexOf(fields[c]) == c ? fields[c] : ImportField::Ignore);
        }
        return mapping;
    }
    // No header found: the columns are shown for the operator to choose.
    int widest = 0;
    for (int r = 0; r < last; ++r)
        widest = std::max<int>(widest, int(sheet.rows[r].size()));
    for (int c = 0; c < widest; ++c) {
        mapping.headers << QStringLiteral("第%1列").arg(c + 1);
        mapping.fields << ImportField::Ignore;
    }
    return mapping;
}

std::optional<QString> mappingProblem(const ColumnMapping& mapping)
{
    QStringList missing;
    if (mapping.columnOf(ImportField::Name) < 0)
        missing << QStringLiteral("姓名");
    if (mapping.columnOf(ImportField::Amount) < 0)
        missing << QStringLiteral("金额");
    if (missing.isEmpty())
        return std::nullopt;
    return QStringLiteral("表中没有找到「%1」列：礼单至少要有姓名和金额两列。"
                          "请在表头写上“姓名”“金额”，或者在下面为各列选择内容。")
        .arg(missing.join(QStringLiteral("」和「")));
}

int ImportPreview::count(ImportRow::Verdict verdict) const
{
    return int(std::count_if(rows.begin(), rows.end(),
                             [verdict](const ImportRow& r) { return r.verdict == verdict; }));
}

int ImportPreview::toImport() const
{
    return int(std::count_if(rows.begin(), rows.end(), [](const ImportRow& r) {
        return r.included && r.verdict != ImportRow::Verdict::Refused;
    }));
}

bool ImportPreview::blocked() const
{
    return std::any_of(rows.begin(), rows.end(), [](const ImportRow& r) {
        return r.included && r.verdict == ImportRow::Verdict::Refused;
    });
}

QStringList ImportPreview::summary(int listAtMost) const
{
    QStringList lines;
    const int refused = count(ImportRow::Verdict::Refused);
    const int duplicates = count(ImportRow::Verdict::Duplicate);
    lines << QStringLiteral("读入 %1 行，可导入 %2 行，拒收 %3 行，可能重复 %4 行。")
                 .arg(rowsRead)
                 .arg(toImport())
                 .arg(refused)
                 .arg(duplicates);
    auto list = [&](ImportRow::Verdict verdict, const QString& title) {
        int shown = 0;
        for (const ImportRow& r : rows) {
            if (r.verdict != verdict)
                continue;
            if (shown == 0)
                lines << title;
            if (shown++ == listAtMost) {
                lines << QStringLiteral("  ……");
                break;
            }
            lines << QStringLiteral("  ") + r.reason;
        }
    };
    list(ImportRow::Verdict::Refused, QStringLiteral("拒收的行："));
    list(ImportRow::Verdict::Duplicate, QStringLiteral("可能重复的行（不导入，除非勾选）："));
    return lines;
}

GiftImport::GiftImport(Transaction& transaction) : m_tr(transaction) {}

bool GiftImport::ledgerReady(QString& error)
{
    QString why;
    const auto version = LedgerSchema::version(m_tr, why);
    if (!version) {
        error = why;
        return false;
    }
    if (*version < 2) {
        error = QStringLiteral("账本还没有导入所需的表（导入记录 drjl 和 drmx，账本第 2 版），不能导入礼单。"
                               "经 ODBC 连接的账本不会自动升级：请先用 dbms=PostgreSQL 或 SQLite 连接，"
                               "启动一次本程序升级账本，再导入。");
        return false;
    }
    return true;
}

bool GiftImport::takeTurn()
{
    const QString sql = m_tr.dialect().takeTurns();
    QVariantList ignored;
    return sql.isEmpty() || m_tr.selectInto(sql, {kImportTurn}, ignored) == 0;
}

QString GiftImport::fingerprint(const Gift& g)
{
    const QStringList parts = {
        g.name.trimmed(),   g.category.trimmed(),     g.kind.trimmed(),
        g.reason.trimmed(), g.object.trimmed(),       QString::number(g.amount.cents()),
        g.goods.trimmed(),  g.occasionDate.trimmed(), g.giftDate.trimmed()};
    return QString::fromLatin1(
        QCryptographicHash::hash(parts.join(QChar(0x1f)).toUtf8(), QCryptographicHash::Sha256).toHex());
}

std::optional<ImportPreview> GiftImport::preview(const SheetTable& sheet, const ColumnMapping& mapping,
                                                 const ImportOptions& options, QString& error)
{
    if (auto problem = mappingProblem(mapping)) {
        error = *problem;
        return std::nullopt;
    }
    // What the ledger holds, read once: the look for a duplicate and for a
    // free record number is then a look in memory, for any size of list.
    QSet<QString> storedKeys;
    QSet<QString> storedNumbers;
    const int rc = m_tr.selectRows(
        QStringLiteral("SELECT xtbh, xm, lx, CAST(ROUND(je * 100) AS BIGINT), sq FROM rqwlb"), {},
        [&](const ResultRow& row) {
            storedNumbers.insert(QString::fromUtf8(row.utf8(0)).trimmed());
            Gift g;
            g.name = QString::fromUtf8(row.utf8(1)).trimmed();
            g.kind = QString::fromUtf8(row.utf8(2)).trimmed();
            g.amount = Money::fromCents(row.kind(3) == ResultRow::Kind::Integer ? row.integer(3)
                                                                                : row.value(3).toLongLong());
            g.giftDate = QString::fromUtf8(row.utf8(4)).trimmed();
            storedKeys.insert(duplicateKey(g));
        });
    if (rc != 0) {
        error = QStringLiteral("读不出账本中的记录：%1").arg(m_tr.SQLErrText);
        return std::nullopt;
    }

    ImportPreview preview;
    preview.sheetName = sheet.name;
    const int nameColumn = mapping.columnOf(ImportField::Name);
    const int amountColumn = mapping.columnOf(ImportField::Amount);
    const int kindColumn = mapping.columnOf(ImportField::Kind);
    const int dateColumn = mapping.columnOf(ImportField::GiftDate);
    const int occasionColumn = mapping.columnOf(ImportField::OccasionDate);
    const int numberColumn = mapping.columnOf(ImportField::Number);
    auto header = [&](int column) {
        const QString h = mapping.headers.value(column);
        return h.isEmpty() ? importFieldCaption(mapping.fields.value(column)) : h;
    };
    QHash<QString, int> keysInFile;
    QSet<QString> numbersInFile;
    preview.rows.reserve(sheet.rows.size());
    for (int r = mapping.headerRow + 1; r < sheet.rows.size(); ++r) {
        const QList<SheetCell>& cells = sheet.rows[r];
        bool any = false;
        for (int c = 0; c < cells.size() && !any; ++c)
            any = mapping.fields.value(c) != ImportField::Ignore && !cells[c].isEmpty();
        if (!any)
            continue;
        const QString name = personName(cellText(sheet.cell(r, nameColumn)));
        // The totals line under an exported list has no name.
        if (name.isEmpty() && isTotalsLine(cells))
            continue;
        ++preview.rowsRead;
        ImportRow row;
        row.sheetRow = r + 1;
        auto refuse = [&](int column, const QString& why) {
            row.verdict = ImportRow::Verdict::Refused;
            row.reason = column < 0
                             ? QStringLiteral("第%1行：%2").arg(row.sheetRow).arg(why)
                             : QStringLiteral("第%1行「%2」：%3").arg(row.sheetRow).arg(header(column), why);
        };
        Gift& g = row.gift;
        g.name = name;
        g.kind = options.defaultKind;
        for (const TextField& f : kTextFields) {
            const int c = mapping.columnOf(f.field);
            const QString text = cellText(sheet.cell(r, c)).trimmed();
            switch (f.field) {
            case ImportField::Category:
                g.category = text;
                break;
            case ImportField::Reason:
                g.reason = text;
                break;
            case ImportField::Object:
                g.object = text;
                break;
            default:
                g.goods = text;
                break;
            }
            if (row.verdict == ImportRow::Verdict::Ok)
                if (auto problem = gbk::checkField(text, f.width, header(c)))
                    refuse(-1, *problem);
        }
        const SheetCell& amountCell = sheet.cell(r, amountColumn);
        const auto amount = importAmount(amountCell);
        if (name.isEmpty()) {
            refuse(nameColumn, QStringLiteral("没有姓名"));
        } else if (auto problem = gbk::checkField(name, kNameWidth, header(nameColumn))) {
            refuse(-1, *problem);
        } else if (kindColumn >= 0 && !sheet.cell(r, kindColumn).isEmpty() &&
                   !importKind(cellText(sheet.cell(r, kindColumn)))) {
            refuse(kindColumn,
                   QStringLiteral("%1 不是收情或送情").arg(cellText(sheet.cell(r, kindColumn)).trimmed()));
        } else if (amountCell.isEmpty()) {
            refuse(amountColumn, QStringLiteral("没有金额"));
        } else if (!amount) {
            refuse(amountColumn, QStringLiteral("%1 不是金额").arg(cellText(amountCell).trimmed()));
        } else if (amount->isZero()) {
            refuse(amountColumn, QStringLiteral("金额不能为零"));
        }
        if (row.verdict == ImportRow::Verdict::Ok && kindColumn >= 0 && !sheet.cell(r, kindColumn).isEmpty())
            g.kind = *importKind(cellText(sheet.cell(r, kindColumn)));
        if (row.verdict == ImportRow::Verdict::Ok) {
            // A given gift is stored negative, whether the list writes it
            // as paid out (this program's export) or as an amount.
            if (g.kind == kGiven)
                g.amount = *amount < Money() ? *amount : -*amount;
            else if (*amount < Money())
                refuse(amountColumn,
                       QStringLiteral("收情金额不能为负数：%1").arg(cellText(amountCell).trimmed()));
            else
                g.amount = *amount;
        }
        auto readDate = [&](int column, QString& into, bool required) {
            if (row.verdict != ImportRow::Verdict::Ok || column < 0)
                return;
            const SheetCell& cell = sheet.cell(r, column);
            if (cell.isEmpty()) {
                if (required)
                    refuse(column, QStringLiteral("没有日期"));
                return;
            }
            const auto day = importDate(cell, sheet.system1904);
            if (!day)
                refuse(column, QStringLiteral("%1 不是日期").arg(cellText(cell).trimmed()));
            else
                into = storedDate(*day);
        };
        readDate(dateColumn, g.giftDate, true);
        readDate(occasionColumn, g.occasionDate, false);
        if (dateColumn < 0)
            g.giftDate = storedDate(options.today);
        if (g.occasionDate.isEmpty())
            g.occasionDate = g.giftDate;
        if (row.verdict == ImportRow::Verdict::Ok)
            if (auto problem = GiftStore::check(g))
                refuse(-1, *problem);
        if (numberColumn >= 0) {
            const QString number = cellText(sheet.cell(r, numberColumn)).trimmed();
            if (number.size() == 12 && !storedNumbers.contains(number) && !numbersInFile.contains(number)) {
                row.number = number;
                numbersInFile.insert(number);
            }
        }
        if (row.verdict == ImportRow::Verdict::Ok) {
            const QString key = duplicateKey(g);
            const auto earlier = keysInFile.constFind(key);
            if (storedKeys.contains(key)) {
                row.verdict = ImportRow::Verdict::Duplicate;
                row.reason =
                    QStringLiteral("第%1行：%2 %3 %4 %5 与账本中已有的记录相同")
                        .arg(row.sheetRow)
                        .arg(g.name, g.kind, (g.amount < Money() ? -g.amount : g.amount).format(u"#,##0.00"),
                             g.giftDate);
            } else if (earlier != keysInFile.constEnd()) {
                row.verdict = ImportRow::Verdict::Duplicate;
                row.reason =
                    QStringLiteral("第%1行：与第%2行相同（%3 %4 %5 %6）")
                        .arg(row.sheetRow)
                        .arg(*earlier)
                        .arg(g.name, g.kind, (g.amount < Money() ? -g.amount : g.amount).format(u"#,##0.00"),
                             g.giftDate);
            } else {
                keysInFile.insert(key, row.sheetRow);
            }
        }
        row.included = row.verdict != ImportRow::Verdict::Duplicate;
        preview.rows << row;
    }
    return preview;
}

ImportResult GiftImport::run(const ImportPreview& preview, const QString& operatorName,
                             const Progress& progress)
{
    ImportResult result;
    if (!ledgerReady(result.error))
        return result;
    if (preview.blocked()) {
        result.error = QStringLiteral("有 %1 行被拒收：请改正文件，或在预览中去掉这些行，再导入。")
                           .arg(preview.count(ImportRow::Verdict::Refused));
        return result;
    }
    const int total = preview.toImport();
    if (total == 0) {
        result.error = QStringLiteral("没有可导入的行。");
        return result;
    }
    auto fail = [&](const QString& what) {
        result.error = what;
        m_tr.rollback();
        result.written = 0;
        result.contactsAdded = 0;
        return result;
    };
    if (!m_tr.begin() || !takeTurn())
        return fail(QStringLiteral("导入失败，账本没有改动：%1").arg(m_tr.SQLErrText));
    const Transaction::ReusedStatements reuse(m_tr);

    // Contacts by name, with their category, read once.
    QHash<QString, QString> contacts;
    if (m_tr.selectRows(QStringLiteral("SELECT xm, fw FROM wlryb"), {}, [&](const ResultRow& row) {
            contacts.insert(QString::fromUtf8(row.utf8(0)).trimmed(),
                            QString::fromUtf8(row.utf8(1)).trimmed());
        }) != 0)
        return fail(QStringLiteral("导入失败，账本没有改动：%1").arg(m_tr.SQLErrText));
    PinyinTable pinyin;
    if (!pinyin.load(m_tr))
        return fail(QStringLiteral("导入失败，账本没有改动：读不出拼音表：%1").arg(m_tr.SQLErrText));

    QVariantList row;
    if (m_tr.selectInto(QStringLiteral("SELECT MAX(drid) FROM drjl"), {}, row) == -1)
        return fail(QStringLiteral("导入失败，账本没有改动：%1").arg(m_tr.SQLErrText));
    result.drid = row.value(0).toInt() + 1;

    GiftStore store(m_tr);
    // The contacts window's first choice of sex; the list does not say.
    const QString sex = QStringLiteral("男");
    int done = 0;
    for (const ImportRow& r : preview.rows) {
        if (!r.included || r.verdict == ImportRow::Verdict::Refused)
            continue;
        Gift gift = r.gift;
        const auto contact = contacts.constFind(gift.name);
        if (contact == contacts.constEnd()) {
            if (m_tr.execute(QStringLiteral("INSERT INTO wlryb (xm, xb, py, fw) VALUES (?, ?, ?, ?)"),
                             {gift.name, sex, pinyin.initials(gift.name), gift.category}) != 0)
                return fail(QStringLiteral("导入失败，账本没有改动：第%1行的姓名不能加入往来人员：%2")
                                .arg(r.sheetRow)
                                .arg(m_tr.SQLErrText));
            contacts.insert(gift.name, gift.category);
            ++result.contactsAdded;
        } else if (gift.category.isEmpty()) {
            gift.category = *contact; // as the gift form fills it from the contact
        }
        const GiftSaveResult saved = store.insert(gift, r.number);
        if (!saved.saved())
            return fail(
                QStringLiteral("导入失败，账本没有改动：第%1行：%2").arg(r.sheetRow).arg(saved.error));
        if (m_tr.execute(QStringLiteral("INSERT INTO drmx (drid, xtbh, zw) VALUES (?, ?, ?)"),
                         {result.drid, saved.number, fingerprint(gift)}) != 0)
            return fail(QStringLiteral("导入失败，账本没有改动：%1").arg(m_tr.SQLErrText));
        ++done;
        if (progress && (done % 1000 == 0 || done == total) && !progress(done, total))
            return fail(QStringLiteral("导入已取消，账本没有改动。"));
    }
    result.written = done;
    const QString fileName = QFileInfo(preview.fileName).fileName();
    if (m_tr.execute(QStringLiteral("INSERT INTO drjl (drid, wjm, drsj, czr, ts) VALUES (?, ?, ?, ?, ?)"),
                     {result.drid, gbk::left(fileName, 255),
                      QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                      gbk::left(operatorName, 10), done}) != 0)
        return fail(QStringLiteral("导入失败，账本没有改动：%1").arg(m_tr.SQLErrText));
    if (!m_tr.commit())
        return fail(QStringLiteral("导入失败，账本没有改动：%1").arg(m_tr.SQLErrText));
    result.ok = true;
    return result;
}

std::optional<QList<ImportRecord>> GiftImport::history(QString& error)
{
    if (!ledgerReady(error))
        return std::nullopt;
    QList<ImportRecord> list;
    const int rc =
        m_tr.selectRows(QStringLiteral("SELECT drid, wjm, drsj, czr, ts, cxsj FROM drjl ORDER BY drid DESC"),
                        {}, [&](QVector<QVariant>&& row) {
                            ImportRecord r;
                            r.drid = row.value(0).toInt();
                            r.fileName = row.value(1).toString().trimmed();
                            r.time = row.value(2).toString().trimmed();
                            r.operatorName = row.value(3).toString().trimmed();
                            r.count = row.value(4).toInt();
                            r.undoneAt = row.value(5).toString().trimmed();
                            list << r;
                        });
    if (rc != 0) {
        error = QStringLiteral("读不出导入记录：%1").arg(m_tr.SQLErrText);
        return std::nullopt;
    }
    return list;
}

std::optional<UndoPlan> GiftImport::planUndo(int drid, QString& error)
{
    UndoPlan plan;
    plan.drid = drid;
    QVariantList row;
    const int found = m_tr.selectInto(QStringLiteral("SELECT cxsj FROM drjl WHERE drid = ?"), {drid}, row);
    if (found != 0) {
        error = found == 100 ? QStringLiteral("没有第 %1 次导入的记录。").arg(drid)
                             : QStringLiteral("读不出导入记录：%1").arg(m_tr.SQLErrText);
        return std::nullopt;
    }
    plan.alreadyUndone = !row.value(0).toString().trimmed().isEmpty();
    const int rc = m_tr.selectRows(
        QStringLiteral("SELECT m.xtbh, m.zw, r.xtbh, r.xm, r.fw, r.lx, r.sy, r.dx, "
                       "CAST(ROUND(r.je * 100) AS BIGINT), r.wp, r.sj, r.sq "
                       "FROM drmx m LEFT JOIN rqwlb r ON r.xtbh = m.xtbh WHERE m.drid = ? ORDER BY m.xtbh"),
        {drid}, [&](QVector<QVariant>&& v) {
            const QString number = v.value(0).toString().trimmed();
            if (v.value(2).isNull()) {
                plan.gone << number;
                return;
            }
            Gift g;
            g.name = v.value(3).toString();
            g.category = v.value(4).toString();
            g.kind = v.value(5).toString();
            g.reason = v.value(6).toString();
            g.object = v.value(7).toString();
            g.amount = Money::fromCents(v.value(8).toLongLong());
            g.goods = v.value(9).toString();
            g.occasionDate = v.value(10).toString();
            g.giftDate = v.value(11).toString();
            (fingerprint(g) == v.value(1).toString().trimmed() ? plan.removable : plan.changed) << number;
        });
    if (rc != 0) {
        error = QStringLiteral("读不出导入的记录：%1").arg(m_tr.SQLErrText);
        return std::nullopt;
    }
    return plan;
}

UndoResult GiftImport::undo(int drid)
{
    UndoResult result;
    auto fail = [&](const QString& what) {
        result.error = what;
        m_tr.rollback();
        result.removed = 0;
        return result;
    };
    if (!ledgerReady(result.error))
        return result;
    if (!m_tr.begin() || !takeTurn())
        return fail(QStringLiteral("撤销导入失败，账本没有改动：%1").arg(m_tr.SQLErrText));
    const Transaction::ReusedStatements reuse(m_tr);
    // Planned again inside the transaction: what another desk changed since
    // the question was asked is kept as well.
    QString why;
    const auto plan = planUndo(drid, why);
    if (!plan)
        return fail(QStringLiteral("撤销导入失败，账本没有改动：%1").arg(why));
    if (plan->alreadyUndone)
        return fail(QStringLiteral("这次导入已经撤销过了。"));
    for (const QString& number : plan->removable) {
        if (m_tr.execute(QStringLiteral("DELETE FROM rqwlb WHERE xtbh = ?"), {number}) != 0)
            return fail(QStringLiteral("撤销导入失败，账本没有改动：%1").arg(m_tr.SQLErrText));
        ++result.removed;
    }
    if (m_tr.execute(QStringLiteral("UPDATE drjl SET cxsj = ? WHERE drid = ?"),
                     {QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), drid}) !=
        0)
        return fail(QStringLiteral("撤销导入失败，账本没有改动：%1").arg(m_tr.SQLErrText));
    if (!m_tr.commit())
        return fail(QStringLiteral("撤销导入失败，账本没有改动：%1").arg(m_tr.SQLErrText));
    result.kept = plan->changed + plan->gone;
    result.ok = true;
    return result;
}

QString importDoneText(const ImportResult& result)
{
    QString text = QStringLiteral("已导入 %1 条记录").arg(result.written);
    if (result.contactsAdded > 0)
        text += QStringLiteral("，新增往来人员 %1 人").arg(result.contactsAdded);
    return text + QStringLiteral("（第 %1 次导入，可以在“导入礼单”窗口中撤销）。").arg(result.drid);
}

} // namespace qv
