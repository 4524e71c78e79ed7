#include "bookdialogs.h"

#include "amountedit.h"
#include "gifthistory.h"

#include "data/lookups.h"
#include "data/personname.h"
#include "platform/core/messagebox.h"
#include "platform/widgets/dateedit.h"
#include "platform/widgets/named.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv {

namespace {

BookDialogRunner& runner()
{
    static BookDialogRunner r;
    return r;
}

QDialogButtonBox* okCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    // Enter in a field accepts through the default button.
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QLineEdit* lineEdit(QWidget* parent, const char* name, const QString& text = {})
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

} // namespace

void setBookDialogRunner(BookDialogRunner r)
{
    runner() = std::move(r);
}

int runBookDialog(QDialog& dialog)
{
    return runner() ? runner()(dialog) : dialog.exec();
}

QString describeBook(const Book& book)
{
    return QStringLiteral("%1　%2　%3%4")
        .arg(book.name, displayDate(book.date), book.kind,
             book.closed ? QStringLiteral("（已封簿）") : QString());
}

NewBookDialog::NewBookDialog(Transaction& transaction, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("w_lbxj"));
    setWindowTitle(QStringLiteral("新建礼簿"));
    m_name = lineEdit(this, "sle_1");
    m_date = named<DateEdit>(this, "em_1");
    m_date->setDate(QDate::currentDate());
    m_kind = named<QComboBox>(this, "ddlb_1");
    m_kind->addItems({BookStore::kWedding, BookStore::kFuneral});
    m_reason = named<QComboBox>(this, "ddlb_2");
    m_reason->setEditable(true);
    m_reason->setInsertPolicy(QComboBox::NoInsert);
    uf_get_sy(*m_reason, transaction);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("名称"), m_name);
    form->addRow(QStringLiteral("日期"), m_date);
    form->addRow(QStringLiteral("类型"), m_kind);
    form->addRow(QStringLiteral("事由"), m_reason);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));

    connect(m_kind, &QComboBox::currentIndexChanged, this, &NewBookDialog::followKind);
    connect(m_reason, &QComboBox::activated, this, [this] { m_reasonChosen = true; });
    followKind();
    m_name->setFocus(Qt::OtherFocusReason);
}

void NewBookDialog::followKind()
{
    if (m_reasonChosen)
        return;
    const QString wanted =
        m_kind->currentText() == BookStore::kFuneral ? QStringLiteral("丧事") : QStringLiteral("结婚");
    // Only a reason the list holds: the statistics group by the list.
    const int at = m_reason->findText(wanted);
    if (at >= 0)
        m_reason->setCurrentIndex(at);
}

Book NewBookDialog::book() const
{
    Book b;
    b.name = m_name->text().trimmed();
    b.date = m_date->storedText();
    b.kind = m_kind->currentText();
    b.reason = m_reason->currentText().trimmed();
    return b;
}

void NewBookDialog::accept()
{
    if (auto problem = BookStore::check(book())) {
        messagebox(QStringLiteral("提示"), *problem, Icon::StopSign);
        m_name->setFocus(Qt::OtherFocusReason);
        return;
    }
    QDialog::accept();
}

BookListDialog::BookListDialog(const QList<Book>& books, qint64 current, QWidget* parent)
    : QDialog(parent), m_books(books)
{
    setObjectName(QStringLiteral("w_lblb"));
    setWindowTitle(QStringLiteral("切换礼簿"));
    m_list = named<QListWidget>(this, "dw_1");
    for (const Book& b : books) {
        m_list->addItem(describeBook(b));
        if (b.id == current)
            m_list->setCurrentRow(m_list->count() - 1);
    }
    if (m_list->currentRow() < 0 && m_list->count() > 0)
        m_list->setCurrentRow(0);
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(okCancel(this));
    resize(420, 320);
    m_list->setFocus(Qt::OtherFocusReason);
}

std::optional<Book> BookListDialog::chosen() const
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_books.size())
        return std::nullopt;
    return m_books[row];
}

BookLineDialog::BookLineDialog(const BookLine& line, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("w_lbxg"));
    setWindowTitle(QStringLiteral("修改"));
    m_name = lineEdit(this, "sle_1", line.name);
    m_amount = named<AmountEdit>(this, "em_1");
    m_amount->setAmount(line.amount);
    m_goods = lineEdit(this, "sle_2", line.goods);
    m_category = lineEdit(this, "sle_3", line.category);
    m_remark = lineEdit(this, "sle_4", line.remark);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("姓名"), m_name);
    form->addRow(QStringLiteral("金额"), m_amount);
    form->addRow(QStringLiteral("礼品"), m_goods);
    form->addRow(QStringLiteral("关系"), m_category);
    form->addRow(QStringLiteral("备注"), m_remark);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
    m_amount->setFocus(Qt::OtherFocusReason);
}

std::optional<BookEntry> BookLineDialog::entry() const
{
    const auto amount = m_amount->amount();
    if (!amount)
        return std::nullopt;
    return BookEntry{personName(m_name->text()), *amount, m_goods->text(), m_category->text(),
                     m_remark->text()};
}

void BookLineDialog::accept()
{
    if (!m_amount->amount()) {
        messagebox(
            QStringLiteral("提示"),
            Money::inputProblem(m_amount->text(), QStringLiteral("金额")).value_or(QStringLiteral("金额")),
            Icon::StopSign);
        m_amount->setFocus(Qt::OtherFocusReason);
        return;
    }
    QDialog::accept();
}

std::optional<QString> askBookName(const QString& current, QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("w_lbgm"));
    dialog.setWindowTitle(QStringLiteral("改名"));
    auto* name = lineEdit(&dialog, "sle_1", current);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("名称"), name);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(okCancel(&dialog));
    name->selectAll();
    name->setFocus(Qt::OtherFocusReason);
    if (runBookDialog(dialog) != QDialog::Accepted)
        return std::nullopt;
    return name->text().trimmed();
}

} // namespace qv
