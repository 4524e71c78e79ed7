#include "reportgrid.h"

#include "celleditors.h"
#include "platform/core/gbktext.h"
#include "platform/core/messagebox.h"
#include "platform/database/transaction.h"
#include "platform/reports/report.h"
#include "platform/reports/units.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDate>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QToolTip>
#include <QValidator>

namespace qv {

namespace {

// Refuses any text that would not fit the column once stored.
class GbkValidator : public QValidator
{
public:
    GbkValidator(int width, QObject* parent) : QValidator(parent), m_width(width) {}
    State validate(QString& input, int&) const override
    {
        if (!gbk::firstUnencodable(input).isEmpty())
            return Invalid;
        if (m_width > 0 && gbk::len(input) > m_width)
            return Invalid;
        return Acceptable;
    }

private:
    int m_width;
};

// The row header shows no numbers, only the hand at the current row: the
// operator's eye follows one mark, not a column of digits.
class RowIndicatorHeader : public QHeaderView
{
public:
    explicit RowIndicatorHeader(ReportGrid* grid) : QHeaderView(Qt::Vertical, grid), m_grid(grid)
    {
        setSectionResizeMode(QHeaderView::Fixed);
    }

    bool showHand = false;

protected:
    QSize sizeHint() const override
    {
        QSize s = QHeaderView::sizeHint();
        s.setWidth(showHand ? 22 : 8);
        return s;
    }

    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        QStyleOptionHeader opt;
        initStyleOption(&opt);
        opt.rect = rect;
        opt.section = logicalIndex;
        opt.text.clear();
        painter->save();
        style()->drawControl(QStyle::CE_Header, &opt, painter, this);
        painter->restore();
        if (showHand && logicalIndex == m_grid->getRow() - 1)
            drawHand(painter, rect);
    }

private:
    // A right-pointing hand drawn as a path, so that it looks the same
    // whatever fonts the machine has.
    static void drawHand(QPainter* painter, const QRect& cell)
    {
        // Drawn in a 16 x 12 grid: cuff, palm, the stretched index finger,
        // three curled fingers under it and the thumb over it.
        const qreal scale = std::min<qreal>((cell.width() - 4) / 16.0, (cell.height() - 4) / 12.0);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(cell.center().x() - 8 * scale, cell.center().y() - 6 * scale);
        painter->scale(scale, scale);
        painter->setPen(QPen(Qt::black, 1.0 / scale + 0.3));
        painter->setBrush(Qt::white);
        painter->drawRect(QRectF(0, 3, 3, 8));
        painter->drawRoundedRect(QRectF(3, 2.5, 6, 8.5), 2, 2);
        painter->drawRoundedRect(QRectF(7.5, 2.5, 8.5, 2.6), 1.3, 1.3);
        painter->drawRoundedRect(QRectF(7.5, 5.1, 4.2, 2), 1, 1);
        painter->drawRoundedRect(QRectF(7.5, 7.1, 3.8, 2), 1, 1);
        painter->drawRoundedRect(QRectF(7.5, 9.1, 3.2, 2), 1, 1);
        painter->drawRoundedRect(QRectF(4, 0.5, 4.5, 2.4), 1.2, 1.2);
        painter->restore();
    }

    ReportGrid* m_grid;
};

// The totals under the rows, aligned with the columns they sum. A label of
// the grid's parent rather than a child of the grid: a table's accessible
// children are its cells, so a screen reader would never reach a line inside
// it. It lies over the strip the grid keeps free below its rows, follows the
// grid wherever the window puts it and carries the line as its text.
class TotalsFooter : public QLabel
{
public:
    explicit TotalsFooter(ReportGrid* grid) : QLabel(host(grid) ? host(grid) : grid), m_grid(grid)
    {
        setObjectName(QStringLiteral("totals"));
        // The window's layout leaves it alone; it places itself by the grid.
        setProperty("placedByOwner", true);
        setFont(grid->font());
        setPalette(grid->palette());
        grid->installEventFilter(this);
        if (grid->parentWidget() && grid->parentWidget() != host(grid))
            grid->parentWidget()->installEventFilter(this);
        refresh();
    }

    // Where the line lives: beside the grid, or beside the stack of grids
    // that take turns in one place (a stack shows its current page only,
    // to the eye and to a screen reader alike).
    static QWidget* host(const QWidget* grid)
    {
        QWidget* host = grid->parentWidget();
        while (host && qobject_cast<QStackedWidget*>(host) && host->parentWidget())
            host = host->parentWidget();
        return host;
    }

    void refresh()
    {
        QStringList parts;
        for (const auto& [column, text] : m_grid->totalsTexts())
            if (!text.trimmed().isEmpty())
                parts << text.trimmed();
        setText(parts.join(u' '));
        update();
    }

    void place()
    {
        QWidget* const home = host(m_grid);
        if (home && parentWidget() != home) {
            setParent(home);
            setVisible(m_grid->totalsVisible() && !m_grid->isHidden());
        }
        const QRect vp = m_grid->viewport()->geometry();
        setGeometry(QRect(m_grid->mapTo(parentWidget(), QPoint(m_grid->frameWidth(), vp.bottom() + 1)),
                          QSize(m_grid->width() - 2 * m_grid->frameWidth(), m_grid->footerHeight())));
        // Just above the grid, and under whatever lies over the grid (a
        // contact picker's list).
        const QWidget* beside = m_grid;
        while (beside->parentWidget() && beside->parentWidget() != parentWidget())
            beside = beside->parentWidget();
        const QObjectList siblings = parentWidget()->children();
        const qsizetype at = siblings.indexOf(const_cast<QWidget*>(beside));
        for (qsizetype i = at + 1; at >= 0 && i < siblings.size(); ++i) {
            auto* above = qobject_cast<QWidget*>(siblings[i]);
            if (above && above != this) {
                stackUnder(above);
                return;
            }
        }
        raise();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_grid && (event->type() == QEvent::Move || event->type() == QEvent::ParentChange))
            place();
        if (watched == m_grid) {
            switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::ParentChange:
                place();
                break;
            case QEvent::ShowToParent:
                setVisible(m_grid->totalsVisible());
                break;
            case QEvent::HideToParent:
                hide();
                break;
            case QEvent::FontChange:
                setFont(m_grid->font());
                break;
            case QEvent::PaletteChange:
                setPalette(m_grid->palette());
                break;
            default:
                break;
            }
        }
        return QLabel::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().window());
        p.setPen(palette().color(QPalette::WindowText));
        p.drawLine(0, 0, width(), 0);
        const int offset = m_grid->verticalHeader()->isVisible() ? m_grid->verticalHeader()->width() : 0;
        const QList<Qt::Alignment> alignments = m_grid->totalsAlignments();
        const auto texts = m_grid->totalsTexts();
        for (int i = 0; i < texts.size(); ++i) {
            const auto& [column, text] = texts[i];
            const QHeaderView* header = m_grid->horizontalHeader();
            const int x = offset + m_grid->frameWidth() + header->sectionViewportPosition(column);
            const QRect cell(x + 2, 0, header->sectionSize(column) - 4, height());
            p.drawText(cell, int(alignments.value(i, Qt::AlignRight | Qt::AlignVCenter) | Qt::TextDontClip),
                       text);
        }
    }

private:
    ReportGrid* m_grid;
};

QString captionOf(const ColumnDef& column)
{
    return column.caption.isEmpty() ? column.name : column.caption;
}

} // namespace

std::optional<QString> cellRefusal(const ColumnDef& column, const QString& typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    switch (column.type) {
    case ColumnType::Money:
        if (bool tooLarge = false; !Money::parse(text, tooLarge)) {
            // Digits past what the column holds are an amount too large, and
            // saying "not an amount" would send the operator looking for a typo.
            if (tooLarge)
                return QStringLiteral("金额太大，最多为 %1")
                    .arg(Money::fromCents(Money::maxCents).format(u"#,##0.00"));
            return QStringLiteral("不是金额（例如 1,250.00）");
        }
        break;
    case ColumnType::Integer: {
        bool ok = false;
        text.toLongLong(&ok);
        if (!ok)
            return QStringLiteral("不是整数");
        break;
    }
    case ColumnType::Date:
        if (text.size() != 8 || !QDate::fromString(text, QStringLiteral("yyyyMMdd")).isValid())
            return QStringLiteral("不是日期（八位数字，例如 20240131）");
        break;
    case ColumnType::Text:
        if (auto message = gbk::checkField(typed, column.gbkWidth, captionOf(column)))
            return message;
        break;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------- GbkLineEdit

GbkLineEdit::GbkLineEdit(int gbkWidth, QString caption, QWidget* parent)
    : QLineEdit(parent), m_width(gbkWidth), m_caption(std::move(caption))
{
    setValidator(new GbkValidator(m_width, this));
    connect(this, &QLineEdit::inputRejected, this, &GbkLineEdit::explainRefusal);
}

void GbkLineEdit::explainRefusal()
{
    beep(1);
    QString result = text();
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    result.replace(start, hasSelectedText() ? int(selectedText().size()) : 0, m_typed);
    const auto message = gbk::checkField(result, m_width, m_caption);
    m_refusal = message ? *message : QStringLiteral("“%1”不能输入这个字符").arg(m_caption);
    QToolTip::showText(mapToGlobal(QPoint(0, height())), m_refusal, this);
}

bool GbkLineEdit::pasteChecked()
{
    const QString clip = QGuiApplication::clipboard()->text();
    if (clip.isEmpty())
        return false;
    QString result = text();
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int removed = hasSelectedText() ? int(selectedText().size()) : 0;
    result.replace(start, removed, clip);
    if (auto message = gbk::checkField(result, m_width, m_caption)) {
        messagebox(QStringLiteral("提示"), *message, Icon::Exclamation);
        return false;
    }
    insert(clip);
    return true;
}

void GbkLineEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        pasteChecked();
        event->accept();
        return;
    }
    m_typed = event->text();
    QLineEdit::keyPressEvent(event);
    m_typed.clear();
}

void GbkLineEdit::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    if (auto* pasteAction = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
        pasteAction->disconnect();
        connect(pasteAction, &QAction::triggered, this, [this] { pasteChecked(); });
    }
    menu->exec(event->globalPos());
}

// --------------------------------------------------------- ReportGridDelegate

ReportGridDelegate::ReportGridDelegate(ReportGrid* owner) : QStyledItemDelegate(owner), m_owner(owner) {}

QWidget* ReportGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const
{
    const int column = m_owner->dataModel()->storeColumn(index.column());
    const ColumnDef& def = m_owner->store().definition().columns[column - 1];
    QWidget* editor = nullptr;
    if (!def.codeTable.isEmpty() || !def.dropDown.isEmpty()) {
        auto* combo = new QComboBox(parent);
        if (!def.codeTable.isEmpty()) {
            for (const CodeValue& code : def.codeTable)
                combo->addItem(code.display, code.data);
        } else {
            for (const QString& value : m_owner->dropDownValues(def.name))
                combo->addItem(value, value);
        }
        // A choice is a finished edit: commit it at once, as a typed cell is
        // committed when it is left.
        connect(combo, &QComboBox::activated, this, [this, combo] {
            emit const_cast<ReportGridDelegate*>(this)->commitData(combo);
            emit const_cast<ReportGridDelegate*>(this)->closeEditor(combo);
        });
        editor = combo;
    } else if (def.type == ColumnType::Text) {
        auto* line = new GbkLineEdit(def.gbkWidth, def.caption.isEmpty() ? def.name : def.caption, parent);
        line->setFrame(false);
        // What is drawn masked is typed masked too.
        if (isMaskedColumn(def))
            line->setEchoMode(QLineEdit::Password);
        editor = line;
    } else if (QWidget* typed = createTypedCellEditor(def, parent)) {
        editor = typed;
    } else {
        editor = QStyledItemDelegate::createEditor(parent, option, index);
    }
    m_editor = editor;
    return editor;
}

void ReportGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(combo->findData(index.data(Qt::EditRole).toString()));
        return;
    }
    if (auto* line = qobject_cast<GbkLineEdit*>(editor)) {
        line->setText(index.data(Qt::EditRole).toString());
        return;
    }
    if (setTypedEditorData(editor, m_owner->store().getItem(
                                       index.row() + 1, m_owner->dataModel()->storeColumn(index.column()))))
        return;
    QStyledItemDelegate::setEditorData(editor, index);
}

void ReportGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                      const QModelIndex& index) const
{
    const long row = index.row() + 1;
    const int column = m_owner->dataModel()->storeColumn(index.column());
    const ColumnDef& def = m_owner->store().definition().columns[column - 1];
    const QVariant before = m_owner->store().getItem(row, column);
    QString typed;
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        if (combo->currentIndex() < 0)
            return;
        typed = combo->currentText();
        m_lastCommitOk = model->setData(index, combo->currentData(), Qt::EditRole);
    } else if (isTypedCellEditor(editor)) {
        const std::optional<QVariant> value = typedEditorValue(editor);
        if (!value) {
            m_lastCommitOk = true;
            return;
        }
        typed = value->toString();
        m_lastCommitOk = !cellRefusal(def, typed) && model->setData(index, *value, Qt::EditRole);
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        typed = line->text();
        const std::optional<QString> reason = cellRefusal(def, typed);
        m_lastCommitOk = !reason && model->setData(index, typed, Qt::EditRole);
    } else {
        QStyledItemDelegate::setModelData(editor, model, index);
        m_lastCommitOk = true;
    }
    if (!m_lastCommitOk) {
        m_owner->reportRefusedCell(def, typed);
        return;
    }
    m_owner->notifyEdited(row, column, before);
}

void ReportGridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    if (m_editor == editor)
        m_editor.clear();
    QStyledItemDelegate::destroyEditor(editor, index);
}

// ----------------------------------------------------------------- ReportGrid

ReportGrid::ReportGrid(ReportDef definition, QWidget* parent)
    : QTableView(parent), m_store(std::make_unique<DataStore>(std::move(definition))),
      m_model(std::make_unique<DataStoreModel>(m_store.get())), m_delegate(new ReportGridDelegate(this))
{
    setVerticalHeader(new RowIndicatorHeader(this));
    setModel(m_model.get());
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWordWrap(false);
    horizontalHeader()->setHighlightSections(false);
    // The designed widths go down to a narrow margin column; the style's
    // minimum would widen it.
    horizontalHeader()->setMinimumSectionSize(4);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    applyColumnWidths();

    connect(m_model.get(), &QAbstractItemModel::modelReset, this, &ReportGrid::afterReset);
    connect(m_store.get(), &DataStore::itemChanged, this, &ReportGrid::refreshFooter);
    connect(m_store.get(), &DataStore::rowInserted, this, &ReportGrid::refreshFooter);
    connect(m_store.get(), &DataStore::rowRemoved, this, [this] {
        verticalHeader()->viewport()->update();
        refreshFooter();
    });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (m_footer)
            m_footer->update();
    });
}

ReportGrid::~ReportGrid()
{
    // The view must let go of the model before the model dies.
    setModel(nullptr);
    delete m_footer.data();
}

void ReportGrid::refreshFooter()
{
    if (m_footer)
        static_cast<TotalsFooter*>(m_footer.data())->refresh();
}

int ReportGrid::readableWidth(const ColumnDef& column) const
{
    int width = units::toPixelsX(column.widthUnits);
    if (column.type != ColumnType::Text)
        return width;
    // Designed widths assumed a smaller face than the CJK fonts of today's
    // desktops; a caption or a name cut in half is unreadable, so a text
    // column is never narrower than its caption, and a short one (a name,
    // a code, a category: up to 16 bytes) shows its whole width of Chinese.
    const QStyle* s = style();
    const int headerMargin = 2 * s->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader()) + 4;
    width =
        std::max(width, horizontalHeader()->fontMetrics().horizontalAdvance(column.caption) + headerMargin);
    if (column.gbkWidth > 0 && column.gbkWidth <= kWholeTextBytes) {
        const int cellMargin = 2 * (s->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 4;
        const QString widest(column.gbkWidth / 2, QChar(0x6C49)); // 汉, a full-width character
        width = std::max(width, fontMetrics().horizontalAdvance(widest) + cellMargin);
    }
    return width;
}

void ReportGrid::applyColumnWidths()
{
    const auto& columns = m_store->definition().columns;
    for (int vc = 0; vc < m_model->columnCount(); ++vc)
        horizontalHeader()->resizeSection(vc, readableWidth(columns[m_model->storeColumn(vc) - 1]));
}

void ReportGrid::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
        applyColumnWidths();
    }
}

void ReportGrid::afterReset()
{
    // A retrieve makes the first row current, so keyboard work starts at the top.
    if (m_store->rowCount() > 0)
        setRow(1);
    verticalHeader()->viewport()->update();
    refreshFooter();
}

void ReportGrid::setTransObject(Transaction* transaction)
{
    m_tr = transaction;
    m_store->setTransObject(transaction);
    for (auto& dropDown : m_dropDowns)
        dropDown->setTransObject(transaction);
    retrieveDropDowns();
}

void ReportGrid::setDropDownDefinition(ReportDef definition)
{
    auto store = std::make_shared<DataStore>(definition);
    store->setTransObject(m_tr);
    if (m_tr)
        store->retrieve();
    m_dropDowns.insert(definition.name, std::move(store));
}

QStringList ReportGrid::dropDownValues(const QString& column) const
{
    const int c = m_store->definition().columnIndex(column);
    if (!c)
        return {};
    const auto dropDown = m_dropDowns.value(m_store->definition().columns[c - 1].dropDown);
    if (!dropDown)
        return {};
    QStringList values;
    for (long r = 1; r <= dropDown->rowCount(); ++r)
        values << dropDown->getItemString(r, 1);
    return values;
}

long ReportGrid::retrieveDropDowns()
{
    long result = 0;
    for (auto& dropDown : m_dropDowns)
        if (dropDown->transObject() && dropDown->retrieve() < 0)
            result = -1;
    return result;
}

long ReportGrid::retrieve(const QVariantList& arguments)
{
    return retrieve(arguments, {});
}

long ReportGrid::retrieve(const QVariantList& arguments, const std::function<bool(long rowsRead)>& progress)
{
    if (auto* editor = m_delegate->openEditor())
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    return m_store->retrieve(arguments, progress);
}

long ReportGrid::getRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

bool ReportGrid::setRow(long row)
{
    if (row < 1 || row > m_store->rowCount() || m_model->columnCount() == 0)
        return false;
    int column = currentIndex().isValid() ? currentIndex().column() : -1;
    if (column < 0) {
        // Land on the first cell the operator may type into.
        column = 0;
        for (int vc = 0; vc < m_model->columnCount(); ++vc)
            if (m_model->flags(m_model->index(0, vc)) & Qt::ItemIsEditable) {
                column = vc;
                break;
            }
    }
    setCurrentIndex(m_model->index(int(row - 1), column));
    return true;
}

void ReportGrid::scrollToRow(long row)
{
    if (row < 1 || row > m_store->rowCount())
        return;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    scrollTo(m_model->index(int(row - 1), column));
}

int ReportGrid::acceptText()
{
    QWidget* editor = m_delegate->openEditor();
    // An itemChanged handler may ask again while the same edit is being
    // committed; that edit is already on its way into the store.
    if (!editor || m_accepting)
        return 1;
    m_accepting = true;
    commitData(editor);
    m_accepting = false;
    if (!m_delegate->lastCommitAccepted())
        return -1;
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    return 1;
}

void ReportGrid::notifyEdited(long row, int storeColumn, const QVariant& before)
{
    const QVariant after = m_store->getItem(row, storeColumn);
    const bool same =
        (before.isNull() && after.isNull()) || (!before.isNull() && !after.isNull() && before == after);
    if (same)
        return;
    const bool wasAccepting = m_accepting;
    m_accepting = true;
    emit itemChanged(row, m_store->definition().columns[storeColumn - 1].name, after);
    m_accepting = wasAccepting;
}

void ReportGrid::reportRefusedCell(const ColumnDef& column, const QString& typed)
{
    const QString caption = captionOf(column);
    QString text = QStringLiteral("“%1”一栏不能填“%2”").arg(caption, typed);
    if (auto reason = cellRefusal(column, typed))
        text = withReason(text, *reason);
    // Asked for by a save, the message comes before the save gives up; when
    // the operator merely left the cell, after the view has finished with it.
    if (m_accepting) {
        messagebox(QStringLiteral("提示"), text, Icon::Exclamation);
        return;
    }
    QTimer::singleShot(0, this, [text] { messagebox(QStringLiteral("提示"), text, Icon::Exclamation); });
}

std::optional<QString> ReportGrid::checkRequired(const QStringList& columns)
{
    const ReportDef& def = m_store->definition();
    for (long row = 1; row <= m_store->rowCount(); ++row) {
        if (m_store->rowStatus(row) == RowStatus::NotModified || m_store->rowStatus(row) == RowStatus::New)
            continue;
        for (const QString& name : columns) {
            if (!m_store->getItemString(row, name).trimmed().isEmpty())
                continue;
            const int c = def.columnIndex(name);
            const QString caption = c ? captionOf(def.columns[c - 1]) : name;
            const QModelIndex cell = cellIndex(row, name);
            if (cell.isValid()) {
                setCurrentIndex(cell);
                scrollTo(cell);
            }
            return QStringLiteral("第%1行的“%2”是空的").arg(row).arg(caption);
        }
    }
    return std::nullopt;
}

void ReportGrid::setRowFocusIndicator(FocusIndicator indicator)
{
    m_indicator = indicator;
    auto* header = static_cast<RowIndicatorHeader*>(verticalHeader());
    header->showHand = indicator == FocusIndicator::Hand;
    header->updateGeometry();
    updateGeometries();
    header->viewport()->update();
}

void ReportGrid::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    if (readOnly)
        acceptText();
    setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                             : QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                   QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
}

void ReportGrid::setTotalsVisible(bool visible)
{
    m_totalsVisible = visible;
    if (visible && !m_footer)
        m_footer = new TotalsFooter(this);
    if (m_footer)
        m_footer->setVisible(visible && !isHidden());
    updateGeometries();
}

int ReportGrid::footerHeight() const
{
    return fontMetrics().height() + 8;
}

void ReportGrid::updateGeometries()
{
    QTableView::updateGeometries();
    // The table view sets its margins for the headers here and would take
    // back the room of the totals line.
    if (m_totalsVisible) {
        const QMargins m = viewportMargins();
        if (m.bottom() != footerHeight())
            setViewportMargins(m.left(), m.top(), m.right(), footerHeight());
    }
    placeFooter();
}

QList<QPair<int, QString>> ReportGrid::totalsTexts() const
{
    QList<QPair<int, QString>> texts;
    for (const TotalCell& cell : totalsLine(*m_store)) {
        const int vc = m_model->viewColumn(cell.column);
        if (vc >= 0)
            texts.append({vc, cell.text});
    }
    return texts;
}

QList<Qt::Alignment> ReportGrid::totalsAlignments() const
{
    QList<Qt::Alignment> alignments;
    for (const TotalCell& cell : totalsLine(*m_store))
        if (m_model->viewColumn(cell.column) >= 0)
            alignments.append(cell.alignment);
    return alignments;
}

void ReportGrid::placeFooter()
{
    if (!m_footer || !m_totalsVisible)
        return;
    static_cast<TotalsFooter*>(m_footer.data())->place();
}

int ReportGrid::widthShowingAllColumns() const
{
    return horizontalHeader()->length() +
           (verticalHeader()->isHidden() ? 0 : verticalHeader()->sizeHint().width()) + 2 * frameWidth() +
           style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
}

int ReportGrid::viewColumn(const QString& column) const
{
    const int c = m_store->definition().columnIndex(column);
    return c ? m_model->viewColumn(c) : -1;
}

QModelIndex ReportGrid::cellIndex(long row, const QString& column) const
{
    const int vc = viewColumn(column);
    if (vc < 0 || row < 1 || row > m_store->rowCount())
        return {};
    return m_model->index(int(row - 1), vc);
}

void ReportGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (current.row() != previous.row() || current.isValid() != previous.isValid()) {
        verticalHeader()->viewport()->update();
        emit rowFocusChanged(getRow());
    }
}

void ReportGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    // A cell made current while the grid was still small (a window being
    // laid out) scrolled it sideways; with room now, show the first columns
    // again as long as the current cell stays in view.
    if (horizontalScrollBar()->value() > 0) {
        const QModelIndex current = currentIndex();
        const int column = current.isValid() ? current.column() : 0;
        const QHeaderView* header = horizontalHeader();
        if (header->sectionPosition(column) + header->sectionSize(column) <= viewport()->width())
            horizontalScrollBar()->setValue(0);
    }
    placeFooter();
}

void ReportGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    if (m_footer && dx != 0)
        m_footer->update();
}

} // namespace qv
