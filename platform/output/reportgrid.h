#pragma once

#include "platform/reports/datastore.h"
#include "platform/reports/datastoremodel.h"

#include <QHash>
#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

#include <memory>
#include <optional>

class QComboBox;

namespace qv {

class Transaction;

// The line editor of a text cell: it holds at most `width` GBK bytes and only
// characters GBK can encode. A keystroke that would break either is refused
// with a beep and a tip under the cell saying why (a masked password shows no
// characters, so a refused key would look like a lost one); a refused paste
// says why in a message, naming the column, because a paste that silently
// does nothing looks like a broken clipboard.
class GbkLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    GbkLineEdit(int gbkWidth, QString caption, QWidget* parent = nullptr);

    int gbkWidth() const { return m_width; }
    const QString& caption() const { return m_caption; }
    // Inserts the clipboard's text at the cursor, or refuses it with a
    // message; true when inserted.
    bool pasteChecked();
    // Why the last refused key was refused, as the tip showed it.
    const QString& refusal() const { return m_refusal; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void explainRefusal();

    int m_width;
    QString m_caption;
    QString m_typed; // the text of the key being handled
    QString m_refusal;
};

class ReportGrid;

// Why a typed cell cannot be taken (not a number, not a date, too wide for
// its column...), or nothing when it can.
std::optional<QString> cellRefusal(const ColumnDef& column, const QString& typed);

// Editors of a ReportGrid's cells: GBK-limited lines for text, a choice of
// display values for code tables, and the rows of a drop-down definition.
class ReportGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit ReportGridDelegate(ReportGrid* owner);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    QWidget* openEditor() const { return m_editor; }
    // Whether the store took the last committed text.
    bool lastCommitAccepted() const { return m_lastCommitOk; }

private:
    ReportGrid* m_owner;
    mutable QPointer<QWidget> m_editor;
    mutable bool m_lastCommitOk = true;
};

// The visual grid of the report engine: a table view over a DataStore bound
// to one definition. It speaks in rows (current row 0 when
// none, setRow, scrollToRow, acceptText, itemChanged) so that window code
// reads like the handlers it implements. Editable grids commit each cell
// into the store as it is left; read-only report grids can show the
// definition's totals in a line below the rows.
class ReportGrid : public QTableView
{
    Q_OBJECT
public:
    enum class FocusIndicator { Off, Hand };

    explicit ReportGrid(ReportDef definition, QWidget* parent = nullptr);
    ~ReportGrid() override;

    DataStore& store() { return *m_store; }
    const DataStore& store() const { return *m_store; }
    DataStoreModel* dataModel() const { return m_model.get(); }

    // Binds the grid and its drop-down definitions to a connection.
    void setTransObject(Transaction* transaction);
    // Registers the definition a column's `dropDown` names; its rows are read
    // when the grid is bound (or registered on a bound grid). Its first column is both the shown
    // and the stored value.
    void setDropDownDefinition(ReportDef definition);
    // The rows a drop-down column offers (empty when none).
    QStringList dropDownValues(const QString& column) const;
    // Re-reads every drop-down definition; -1 when one failed.
    long retrieveDropDowns();

    long retrieve(const QVariantList& arguments = {});
    // With progress after every batch of rows, as DataStore::retrieve.
    long retrieve(const QVariantList& arguments, const std::function<bool(long rowsRead)>& progress);

    long rowCount() const { return m_store->rowCount(); }
    // The current row, 1-based; 0 when there is none.
    long getRow() const;
    // Makes `row` current without moving the keyboard focus; false when out
    // of range.
    bool setRow(long row);
    void scrollToRow(long row);
    // Commits the open editor's text into the store and closes it. 1, or -1
    // when the store refused the text (the editor then stays open).
    int acceptText();

    void setRowFocusIndicator(FocusIndicator indicator);
    FocusIndicator rowFocusIndicator() const { return m_indicator; }

    // Report grids: no editing, and the definition's totals under the rows.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }
    void setTotalsVisible(bool visible);
    bool totalsVisible() const { return m_totalsVisible; }
    // The height of the totals line kept free below the rows.
    int footerHeight() const;
    // The totals line as shown: (view column, text) for each total.
    QList<QPair<int, QString>> totalsTexts() const;
    // How each of those texts sits in its cell.
    QList<Qt::Alignment> totalsAlignments() const;

    // A column's on-screen width: its designed width, widened so that the
    // caption and a short text are never cut.
    int readableWidth(const ColumnDef& column) const;

    // The view column of a definition column name (-1 when hidden).
    int viewColumn(const QString& column) const;
    // The width the grid needs to show every column beside a vertical scroll
    // bar: a window whose columns came out wider than designed (captions and
    // names in today's CJK faces) grows by what it lacks.
    int widthShowingAllColumns() const;
    QModelIndex cellIndex(long row, const QString& column) const;

    // Rows inserted or changed whose cell in one of `columns` is empty: the
    // first one becomes current and is named ("第2行的“性别”是空的").
    std::optional<QString> checkRequired(const QStringList& columns);

    // Called by the delegate when the store could not take a typed cell:
    // tells the operator why, naming the column.
    void reportRefusedCell(const ColumnDef& column, const QString& typed);
    // Called by the delegate after a user's edit reached the store.
    void notifyEdited(long row, int storeColumn, const QVariant& before);
    ReportGridDelegate* cellDelegate() const { return m_delegate; }

signals:
    // A user's edit was committed into the store and changed the value.
    void itemChanged(long row, const QString& column, const QVariant& value);
    void rowFocusChanged(long row);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;

private:
    // Text columns up to this many bytes are shown whole.
    static constexpr int kWholeTextBytes = 16;
    void applyColumnWidths();
    void placeFooter();
    void refreshFooter();
    void afterReset();

    std::unique_ptr<DataStore> m_store;
    std::unique_ptr<DataStoreModel> m_model;
    ReportGridDelegate* m_delegate;
    Transaction* m_tr = nullptr;
    QHash<QString, std::shared_ptr<DataStore>> m_dropDowns; // by definition name
    FocusIndicator m_indicator = FocusIndicator::Off;
    bool m_readOnly = false;
    bool m_totalsVisible = false;
    bool m_accepting = false;
    QPointer<QWidget> m_footer; // the totals line, a sibling of the grid
};

} // namespace qv
