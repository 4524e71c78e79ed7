#include "bookwindow.h"

#include "amountedit.h"
#include "bookdialogs.h"
#include "gifthistory.h"

#include "data/contactpicker.h"
#include "data/personname.h"
#include "platform/core/capitals.h"
#include "platform/core/messagebox.h"
#include "platform/database/transaction.h"
#include "platform/output/exportbutton.h"
#include "platform/reports/datastore.h"
#include "platform/widgets/named.h"
#include "platform/widgets/sheetfit.h"
#include "platform/widgets/songfont.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>

namespace qv {

namespace {

const QString kNote = QStringLiteral("提示");

QString money(Money m)
{
    return m.format(u"#,##0.00");
}

QStringList lineCaptions()
{
    return {QStringLiteral("序号"), QStringLiteral("姓名"), QStringLiteral("金额"), QStringLiteral("大写"),
            QStringLiteral("礼品"), QStringLiteral("关系"), QStringLiteral("备注")};
}

} // namespace

BookWindow::BookWindow(Transaction& transaction, QWidget* parent, GiftStore::Clock clock)
    : EditableWindow(parent), m_transaction(transaction), m_store(transaction, std::move(clock))
{
    setObjectName(QStringLiteral("w_lbdj"));
    setWindowTitle(QStringLiteral("礼簿登记"));
    setFont(songFont(font(), 10));
    buildControls();

    connect(m_picker, &ContactPicker::picked, this, &BookWindow::onPicked);
    // After the picker's own handler, so that a search it started is known.
    connect(m_name, &QLineEdit::editingFinished, this, &BookWindow::afterName);
    connect(m_name, &QLineEdit::textEdited, this, [this] { m_guestNote->clear(); });
    connect(m_new, &QPushButton::clicked, this, &BookWindow::newBook);
    connect(m_switch, &QPushButton::clicked, this, &BookWindow::switchBook);
    connect(m_rename, &QPushButton::clicked, this, &BookWindow::renameBook);
    connect(m_close, &QPushButton::clicked, this, &BookWindow::toggleClosed);
    connect(m_delete, &QPushButton::clicked, this, &BookWindow::deleteBook);
    connect(m_top, &QPushButton::clicked, this, [this] { moveLine(BookMove::Top); });
    connect(m_up, &QPushButton::clicked, this, [this] { moveLine(BookMove::Up); });
    connect(m_down, &QPushButton::clicked, this, [this] { moveLine(BookMove::Down); });
    connect(m_correct, &QPushButton::clicked, this, &BookWindow::correctLine);
    connect(m_remove, &QPushButton::clicked, this, &BookWindow::removeLine);
    connect(m_print, &QPushButton::clicked, this, &BookWindow::print);
    connect(m_exit, &QPushButton::clicked, this, &QWidget::close);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, &BookWindow::correctLine);
    addExportButton(m_print, [this]() -> ReportRows {
        ReportTable table;
        table.title = m_book ? m_book->name : QStringLiteral("礼簿");
        table.captions = lineCaptions();
        Money total;
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            const BookLine& l = m_lines[i];
            table.rows << QVariantList{
                qlonglong(i + 1), l.name,     money(l.amount), amountInCapitals(l.amount),
                l.goods,          l.category, l.remark};
            total = total + l.amount;
        }
        table.totals = {QStringLiteral("合计"), QStringLiteral("%1 人").arg(m_lines.size()), money(total),
                        amountInCapitals(total)};
        return table;
    });

    // The list takes the room of a larger sheet; fitted here, the frame's
    // own fitting finds it done.
    fitContents(this, m_list);

    const auto books = m_store.books();
    if (!books)
        messagebox(kNote, m_store.error(), Icon::StopSign);
    open(books && !books->isEmpty() ? std::optional<Book>(books->front()) : std::nullopt);
}

BookWindow::~BookWindow()
{
    // Going, the name field loses the focus: the look-ups that would start
    // must not run in a window half torn down.
    m_name->disconnect(this);
}

void BookWindow::buildControls()
{
    auto button = [this](const QString& text, const char* name) {
        auto* b = namedButton(this, name, text);
        b->setAutoDefault(false);
        return b;
    };

    m_title = named<QLabel>(this, "st_1");
    QFont titleFont = songFont(font(), 14);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_new = button(QStringLiteral("新建礼簿"), "cb_1");
    m_switch = button(QStringLiteral("切换礼簿"), "cb_2");
    m_rename = button(QStringLiteral("改名"), "cb_3");
    m_close = button(QStringLiteral("封簿"), "cb_4");
    m_delete = button(QStringLiteral("删除礼簿"), "cb_5");

    m_name = named<QLineEdit>(this, "sle_2");
    m_amount = named<AmountEdit>(this, "em_2");
    m_amount->setSpinStep(Money::fromCents(10000));
    // Blank, as after every line stored: the amount is typed, not edited.
    m_amount->setAmountText(QString());
    m_goods = named<QLineEdit>(this, "sle_6");
    m_category = named<QLineEdit>(this, "sle_3");
    m_remark = named<QLineEdit>(this, "sle_7");
    m_guestNote = named<QLabel>(this, "st_2");
    m_guestNote->setStyleSheet(QStringLiteral("color: #b00000"));
    m_lastStored = named<QLabel>(this, "st_3");

    m_list = new QTableWidget(0, int(lineCaptions().size()), this);
    m_list->setObjectName(QStringLiteral("dw_2"));
    m_list->setHorizontalHeaderLabels(lineCaptions());
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);

    QFont big = songFont(font(), 16);
    big.setBold(true);
    m_count = named<QLabel>(this, "st_4");
    m_total = named<QLabel>(this, "st_5");
    m_capitals = named<QLabel>(this, "st_6");
    for (QLabel* l : {m_count, m_total, m_capitals})
        l->setFont(big);

    m_top = button(QStringLiteral("置顶"), "cb_6");
    m_up = button(QStringLiteral("上移"), "cb_7");
    m_down = button(QStringLiteral("下移"), "cb_8");
    m_correct = button(QStringLiteral("修改"), "cb_9");
    m_remove = button(QStringLiteral("删除"), "cb_10");
    m_print = button(QStringLiteral("打印"), "cb_11");
    m_exit = button(QStringLiteral("退出"), "cb_12");

    m_picker = new ContactPicker(m_name, m_transaction, this, QRect(0, 0, 512, 460));
    m_picker->grid()->installEventFilter(this);

    // Placed by hand at the designed size, like every sheet: the frame lets
    // the controls scroll on a small screen, and the list takes the room of
    // a larger one, with what lies below it moving along.
    const struct
    {
        QWidget* widget;
        QRect at;
    } places[] = {
        {m_title, {8, 8, 430, 30}},
        {m_new, {446, 8, 84, 30}},
        {m_switch, {534, 8, 84, 30}},
        {m_rename, {622, 8, 62, 30}},
        {m_close, {688, 8, 62, 30}},
        {m_delete, {754, 8, 84, 30}},
        {namedLabel(this, "st_7", QStringLiteral("姓名")), {8, 48, 36, 28}},
        {m_name, {46, 48, 130, 28}},
        {namedLabel(this, "st_8", QStringLiteral("金额")), {184, 48, 36, 28}},
        {m_amount, {222, 48, 110, 28}},
        {namedLabel(this, "st_9", QStringLiteral("礼品")), {340, 48, 36, 28}},
        {m_goods, {378, 48, 100, 28}},
        {namedLabel(this, "st_10", QStringLiteral("关系")), {486, 48, 36, 28}},
        {m_category, {524, 48, 90, 28}},
        {namedLabel(this, "st_11", QStringLiteral("备注")), {622, 48, 36, 28}},
        {m_remark, {660, 48, 180, 28}},
        {m_guestNote, {46, 80, 400, 22}},
        {m_lastStored, {452, 80, 440, 22}},
        {m_list, {8, 106, 884, 336}},
        {m_count, {8, 448, 150, 34}},
        {m_total, {166, 448, 270, 34}},
        {m_capitals, {444, 448, 448, 34}},
        {m_top, {8, 490, 70, 30}},
        {m_up, {82, 490, 70, 30}},
        {m_down, {156, 490, 70, 30}},
        {m_correct, {230, 490, 70, 30}},
        {m_remove, {304, 490, 70, 30}},
        {m_print, {378, 490, 70, 30}},
        {m_exit, {820, 490, 72, 30}},
    };
    for (const auto& place : places)
        place.widget->setGeometry(place.at);

    // Name, amount, then the optional fields: Tab reaches them, Enter after
    // the amount never has to pass them.
    setTabOrder(m_name, m_amount);
    setTabOrder(m_amount, m_goods);
    setTabOrder(m_goods, m_category);
    setTabOrder(m_category, m_remark);
    setTabOrder(m_remark, m_list);
    for (QWidget* w : std::initializer_list<QWidget*>{m_amount, m_goods, m_category, m_remark})
        w->installEventFilter(this);
    resize(900, 530);
}

void BookWindow::showEvent(QShowEvent* event)
{
    EditableWindow::showEvent(event);
    if (m_book && !m_book->closed)
        m_name->setFocus(Qt::OtherFocusReason);
    if (!m_book && !m_askedForFirstBook) {
        m_askedForFirstBook = true;
        // After the sheet is on screen, so that the dialog stands over it.
        QTimer::singleShot(0, this, [this] {
            if (!m_book && isVisible())
                newBook();
        });
    }
}

bool BookWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_picker->grid() && event->type() == QEvent::Show) {
        m_picker->grid()->move(m_name->mapTo(this, QPoint(0, m_name->height())));
        m_picker->grid()->raise();
    }
    if (event->type() == QEvent::KeyPress && watched != m_picker->grid()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & ~Qt::KeypadModifier)) {
            storeLine();
            return true;
        }
    }
    return EditableWindow::eventFilter(watched, event);
}

void BookWindow::open(const std::optional<Book>& book)
{
    m_book = book;
    m_lastStored->clear();
    reload();
    enableForBook();
}

void BookWindow::reload(const QString& keepCurrent)
{
    m_lines.clear();
    if (m_book) {
        if (auto read = m_store.lines(m_book->id))
            m_lines = *read;
        else
            messagebox(kNote, m_store.error(), Icon::StopSign);
    }
    m_list->setRowCount(int(m_lines.size()));
    int current = -1;
    for (int r = 0; r < int(m_lines.size()); ++r) {
        const BookLine& l = m_lines[r];
        const QStringList cells = {QString::number(r + 1),
                                   l.name,
                                   money(l.amount),
                                   amountInCapitals(l.amount),
                                   l.goods,
                                   l.category,
                                   l.remark};
        for (int c = 0; c < int(cells.size()); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 0 || c == 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_list->setItem(r, c, item);
        }
        if (l.xtbh == keepCurrent)
            current = r;
    }
    if (current >= 0)
        m_list->selectRow(current);
    else if (!m_lines.isEmpty())
        m_list->scrollToBottom();
    showTotals();
}

void BookWindow::showTotals()
{
    Money total;
    for (const BookLine& l : m_lines)
        total = total + l.amount;
    m_count->setText(QStringLiteral("人数：%1").arg(m_lines.size()));
    m_total->setText(QStringLiteral("合计：%1 元").arg(money(total)));
    m_capitals->setText(QStringLiteral("合计（大写）：%1").arg(amountInCapitals(total)));
}

void BookWindow::enableForBook()
{
    const bool open = m_book && !m_book->closed;
    m_title->setText(m_book ? describeBook(*m_book) : QStringLiteral("还没有礼簿：请按“新建礼簿”。"));
    for (QWidget* w : std::initializer_list<QWidget*>{m_name, m_amount, m_goods, m_category, m_remark, m_top,
                                                      m_up, m_down, m_correct, m_remove})
        w->setEnabled(open);
    for (QWidget* w : std::initializer_list<QWidget*>{m_rename, m_close, m_delete, m_print})
        w->setEnabled(m_book.has_value());
    m_close->setText(m_book && m_book->closed ? QStringLiteral("启用") : QStringLiteral("封簿"));
    if (open && isVisible())
        m_name->setFocus(Qt::OtherFocusReason);
}

void BookWindow::clearEntry()
{
    m_name->clear();
    m_amount->setAmountText(QString());
    m_goods->clear();
    m_category->clear();
    m_remark->clear();
    m_guestNote->clear();
    m_picker->grid()->hide();
    m_name->setFocus(Qt::OtherFocusReason);
}

void BookWindow::onPicked(const PickedContact& contact)
{
    m_name->setText(contact.xm);
    if (m_category->text().isEmpty())
        m_category->setText(contact.fw);
    showGuestNote();
    m_amount->setFocus(Qt::OtherFocusReason);
}

void BookWindow::afterName()
{
    if (m_picker->grid()->isVisible())
        return; // letters that list people: the pick names the guest
    showGuestNote();
    // Enter in the name field goes on to the amount; Tab got there itself.
    if (m_name->hasFocus() && !personName(m_name->text()).isEmpty())
        m_amount->setFocus(Qt::OtherFocusReason);
}

void BookWindow::showGuestNote()
{
    const QString name = personName(m_name->text());
    if (!m_book || name.isEmpty()) {
        m_guestNote->clear();
        return;
    }
    const QList<BookLine> earlier = m_store.linesOf(m_book->id, name);
    if (earlier.isEmpty()) {
        m_guestNote->clear();
        return;
    }
    QStringList amounts;
    for (const BookLine& l : earlier)
        amounts << money(l.amount);
    m_guestNote->setText(
        QStringLiteral("已在礼簿中：%1 %2 元").arg(name, amounts.join(QStringLiteral(" 元、"))));
}

bool BookWindow::confirmRepeatedGuest(const QString& name)
{
    const QList<BookLine> earlier = m_store.linesOf(m_book->id, name);
    if (earlier.isEmpty())
        return true;
    QStringList amounts;
    for (const BookLine& l : earlier)
        amounts << money(l.amount) + QStringLiteral(" 元");
    const QString text =
        QStringLiteral("%1已在本礼簿中（%2），还要再记一笔吗?").arg(name, amounts.join(QStringLiteral("、")));
    return messagebox(kNote, text, Icon::Question, Buttons::YesNo, 2) == 1;
}

void BookWindow::refuse(const QString& text)
{
    messagebox(kNote, text, Icon::StopSign);
}

int BookWindow::storeLine()
{
    if (!m_book) {
        refuse(QStringLiteral("还没有礼簿：请先新建礼簿。"));
        return 0;
    }
    BookEntry entry;
    entry.name = personName(m_name->text());
    entry.goods = m_goods->text();
    entry.category = m_category->text();
    entry.remark = m_remark->text();
    const auto amount = m_amount->amount();
    if (!amount) {
        refuse(
            Money::inputProblem(m_amount->text(), QStringLiteral("金额")).value_or(QStringLiteral("金额")));
        m_amount->setFocus(Qt::OtherFocusReason);
        return 0;
    }
    entry.amount = *amount;
    if (auto problem = BookStore::checkEntry(*m_book, entry)) {
        refuse(*problem);
        (entry.name.isEmpty() ? static_cast<QWidget*>(m_name) : m_amount)->setFocus(Qt::OtherFocusReason);
        return 0;
    }
    if (!m_picker->acceptTypedName(entry.name, kNote))
        return 0;
    m_picker->grid()->hide();
    if (m_name->text() != entry.name)
        m_name->setText(entry.name);
    if (!confirmRepeatedGuest(entry.name)) {
        // 否: the guest was entered twice. The table goes on with the next
        // guest; left standing, the amount would pass to the next name.
        m_lastStored->setText(QStringLiteral("没有再记：%1 %2 元").arg(entry.name, money(entry.amount)));
        clearEntry();
        return 0;
    }
    const BookResult result = m_store.add(*m_book, entry);
    if (result.refused) {
        refuse(result.error);
        return 0;
    }
    if (!result.ok) {
        messagebox(kNote,
                   result.error.startsWith(QStringLiteral("数据保存出错!"))
                       ? result.error
                       : withReason(QStringLiteral("数据保存出错!"), result.error),
                   Icon::StopSign);
        return -1;
    }
    m_lastStored->setText(QStringLiteral("已记入：%1 %2 元（系统编号 %3）")
                              .arg(entry.name, money(entry.amount), result.number));
    reload();
    clearEntry();
    return 1;
}

bool BookWindow::hasUnsavedChanges()
{
    const auto amount = m_amount->amount();
    const bool typedAmount = !amount || !amount->isZero();
    return m_book && !m_book->closed &&
           (!m_name->text().trimmed().isEmpty() || typedAmount || !m_goods->text().isEmpty() ||
            !m_category->text().isEmpty() || !m_remark->text().isEmpty());
}

bool BookWindow::saveBeforeClose()
{
    return storeLine() == 1;
}

void BookWindow::newBook()
{
    if (hasUnsavedChanges() && !confirmUnsavedChanges(true, [this] { return storeLine() == 1; }))
        return;
    NewBookDialog dialog(m_transaction, this);
    if (runBookDialog(dialog) != QDialog::Accepted)
        return;
    Book book = dialog.book();
    const BookResult result = m_store.create(book);
    if (!result.ok) {
        refuse(result.error);
        return;
    }
    clearEntry();
    open(book);
}

void BookWindow::switchBook()
{
    if (hasUnsavedChanges() && !confirmUnsavedChanges(true, [this] { return storeLine() == 1; }))
        return;
    const auto books = m_store.books();
    if (!books) {
        refuse(m_store.error());
        return;
    }
    BookListDialog dialog(*books, m_book ? m_book->id : 0, this);
    if (runBookDialog(dialog) != QDialog::Accepted)
        return;
    if (auto chosen = dialog.chosen()) {
        clearEntry();
        open(chosen);
    }
}

void BookWindow::renameBook()
{
    if (!m_book)
        return;
    const auto name = askBookName(m_book->name, this);
    if (!name || *name == m_book->name)
        return;
    const BookResult result = m_store.rename(m_book->id, *name);
    if (!result.ok) {
        refuse(result.error);
        return;
    }
    m_book->name = *name;
    enableForBook();
}

void BookWindow::toggleClosed()
{
    if (!m_book)
        return;
    const bool closing = !m_book->closed;
    if (closing && hasUnsavedChanges() && !confirmUnsavedChanges(true, [this] { return storeLine() == 1; }))
        return;
    const BookResult result = m_store.setClosed(m_book->id, closing);
    if (!result.ok) {
        refuse(result.error);
        return;
    }
    m_book->closed = closing;
    if (closing)
        clearEntry();
    enableForBook();
}

void BookWindow::deleteBook()
{
    if (!m_book)
        return;
    const QString text = QStringLiteral("确实删除礼簿“%1”吗？其中有 %2 笔收情记录。\n"
                                        "是：删除记录　否：保留记录（作为普通收情记录）　取消：不删除")
                             .arg(m_book->name)
                             .arg(m_lines.size());
    const int answer = messagebox(QStringLiteral("删除！"), text, Icon::Question, Buttons::YesNoCancel, 3);
    if (answer != 1 && answer != 2)
        return;
    const BookResult result = m_store.remove(m_book->id, answer == 1);
    if (!result.ok) {
        refuse(result.error);
        return;
    }
    clearEntry();
    const auto books = m_store.books();
    open(books && !books->isEmpty() ? std::optional<Book>(books->front()) : std::nullopt);
}

std::optional<BookLine> BookWindow::currentLine() const
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_lines.size())
        return std::nullopt;
    return m_lines[row];
}

void BookWindow::correctLine()
{
    const auto line = currentLine();
    if (!m_book || !line || m_book->closed)
        return;
    BookLineDialog dialog(*line, this);
    if (runBookDialog(dialog) != QDialog::Accepted)
        return;
    const auto entry = dialog.entry();
    if (!entry)
        return;
    const BookResult result = m_store.correct(*m_book, line->xtbh, *entry);
    if (!result.ok) {
        refuse(result.error);
        return;
    }
    reload(line->xtbh);
}

void BookWindow::removeLine()
{
    const auto line = currentLine();
    if (!m_book || !line || m_book->closed)
        return;
    const QString text = QStringLiteral("确实删除%1 %2 元吗?").arg(line->name, money(line->amount));
    if (messagebox(QStringLiteral("删除！"), text, Icon::Question, Buttons::OKCancel, 2) != 1)
        return;
    const BookResult result = m_store.removeLine(*m_book, line->xtbh);
    if (!result.ok) {
        refuse(result.error);
        return;
    }
    reload();
}

void BookWindow::moveLine(BookMove where)
{
    const auto line = currentLine();
    if (!m_book || !line)
        return;
    const BookResult result = m_store.move(*m_book, line->xtbh, where);
    if (!result.ok) {
        refuse(result.error);
        return;
    }
    reload(line->xtbh);
}

BookPrint BookWindow::printout() const
{
    return BookPrint(m_book.value_or(Book{}), m_lines);
}

void BookWindow::print()
{
    if (!m_book)
        return;
    BookPrint book = printout();
    previewBook(book, this);
}

} // namespace qv
