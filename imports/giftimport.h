#pragma once

#include "sheettable.h"

#include "data/giftstore.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace qv {

class Transaction;

// What a column of a gift list holds.
enum class ImportField {
    Ignore,
    Number,       // xtbh: a record number of this program's export
    Name,         // xm
    Kind,         // lx: 收情 / 送情
    Amount,       // je
    GiftDate,     // sq
    OccasionDate, // sj
    Reason,       // sy
    Category,     // fw
    Object,       // dx
    Goods,        // wp
};
// Every field in the order a choice lists them, and the words for each.
const QList<ImportField>& importFields();
QString importFieldCaption(ImportField field);

// Which field each column of a sheet holds, found from its header row.
struct ColumnMapping
{
    int headerRow = -1;        // index into SheetTable::rows; -1 when none was found
    QStringList headers;       // the header row's texts, by column
    QList<ImportField> fields; // by column

    int columnOf(ImportField field) const { return int(fields.indexOf(field)); }
    void setField(int column, ImportField field);
};

// The header row is the first row that names a person and an amount
// (title rows above it are skipped); each header is matched against this
// program's own captions and the words people use (姓名/名字/来宾,
// 金额/礼金/钱, 日期/时间, 收/送/类别, 事由, 关系/分类, 对象, 礼品/物品/备注).
ColumnMapping guessMapping(const SheetTable& sheet);
// Why a sheet cannot be imported with this mapping; nothing when it can.
std::optional<QString> mappingProblem(const ColumnMapping& mapping);

struct ImportRow
{
    enum class Verdict { Ok, Refused, Duplicate };
    int sheetRow = 0; // the spreadsheet's own row number, 1-based
    Verdict verdict = Verdict::Ok;
    QString reason; // a refusal or what the row repeats, naming the row
    Gift gift;      // as it would be stored: a given gift negative
    QString number; // a record number of the file, kept when free
    // Written by the import: ok rows are, duplicates only when ticked in, and
    // a refused row ticked in blocks the import until it is left out.
    bool included = true;
};

struct ImportPreview
{
    QString fileName;
    QString sheetName;
    int rowsRead = 0; // rows with something in them under the header
    QList<ImportRow> rows;

    int count(ImportRow::Verdict verdict) const;
    int toImport() const; // rows that will be written
    // A refused row that has not been left out: nothing may be written.
    bool blocked() const;
    // What the preview found, in lines for the operator: rows read, rows to
    // import, each refused row with its reason, the possible duplicates.
    QStringList summary(int listAtMost = 50) const;
};

struct ImportOptions
{
    QString defaultKind = QStringLiteral("收情"); // for a list without a kind column
    QDate today = QDate::currentDate();           // the gift date of a list without dates
};

struct ImportResult
{
    bool ok = false;
    int drid = 0;
    int written = 0;
    int contactsAdded = 0;
    QString error; // why nothing was written
};

struct ImportRecord // one row of drjl
{
    int drid = 0;
    QString fileName;
    QString time;
    QString operatorName;
    int count = 0;
    QString undoneAt; // empty while the import stands
};

struct UndoPlan
{
    int drid = 0;
    QStringList removable; // record numbers as imported
    QStringList changed;   // changed since the import: kept
    QStringList gone;      // deleted since the import
    bool alreadyUndone = false;
};

struct UndoResult
{
    bool ok = false;
    int removed = 0;
    QStringList kept; // numbers left because they changed or were gone
    QString error;
};

// A gift list brought into the ledger: previewed with a verdict per row,
// then written in one transaction, remembered in drjl / drmx so that it can
// be taken back.
class GiftImport
{
public:
    explicit GiftImport(Transaction& transaction);

    // Whether the ledger has the tables an import writes; the reason in
    // `error` when it has not (an older ledger over ODBC is not upgraded).
    bool ledgerReady(QString& error);

    // Reads every row under the header with the mapping and judges it
    // against the ledger and the rows before it. Nothing is written.
    std::optional<ImportPreview> preview(const SheetTable& sheet, const ColumnMapping& mapping,
                                         const ImportOptions& options, QString& error);

    // Writes the included rows of a preview that is not blocked, new names
    // as contacts, and the import's record, in one transaction: all or
    // nothing. `progress` (rows written, of how many) may stop it by
    // returning false, which rolls everything back.
    using Progress = std::function<bool(int done, int total)>;
    ImportResult run(const ImportPreview& preview, const QString& operatorName,
                     const Progress& progress = {});

    std::optional<QList<ImportRecord>> history(QString& error);
    std::optional<UndoPlan> planUndo(int drid, QString& error);
    // Deletes the records of one import that are as it wrote them, and marks
    // the import undone, in one transaction; a record changed or deleted
    // since is left and named in `kept`.
    UndoResult undo(int drid);

    // The fingerprint kept for each imported record: what it held when
    // written.
    static QString fingerprint(const Gift& gift);

private:
    bool takeTurn();

    Transaction& m_tr;
};

// The words of one summary line for a file and the number of rows written.
QString importDoneText(const ImportResult& result);

} // namespace qv
