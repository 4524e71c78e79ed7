#include "contactpicker.h"

#include "platform/core/messagebox.h"
#include "platform/database/dialect.h"
#include "platform/database/transaction.h"
#include "platform/reports/datastore.h"
#include "platform/reports/datastoremodel.h"
#include "platform/reports/units.h"

#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

#include <algorithm>
#include <atomic>
#include <string_view>

namespace qv {

namespace {

std::atomic<quint64> g_contactsGeneration = 1;

// LIKE on SQLite ignores the case of ASCII letters only; PostgreSQL's ILIKE
// would fold more, but codes are pinyin letters.
QByteArray foldedUtf8(QByteArray bytes)
{
    for (char& c : bytes)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return bytes;
}

std::string_view view(const QByteArray& bytes, qsizetype from = 0)
{
    return std::string_view(bytes.constData() + from, size_t(bytes.size() - from));
}

} // namespace

void contactsChanged()
{
    ++g_contactsGeneration;
}

bool ContactIndex::isCurrent() const
{
    return m_built && m_generation == g_contactsGeneration;
}

bool ContactIndex::build(Transaction& transaction)
{
    m_built = false;
    m_contacts.clear();
    m_codes.clear();
    m_suffixes.clear();
    const quint64 generation = g_contactsGeneration;
    const int rc = transaction.selectRowsWhile(
        QStringLiteral("SELECT xm, xb, py, fw FROM wlryb"), {}, [this](const ResultRow& row) {
            Contact contact;
            for (int c = 0; c < 4; ++c) {
                if (row.kind(c) == ResultRow::Kind::Null)
                    contact.nulls |= quint8(1 << c);
                else if (row.kind(c) == ResultRow::Kind::Text)
                    contact.cells[c] = row.utf8(c).toByteArray();
                else
                    contact.cells[c] = row.value(c).toString().toUtf8();
            }
            m_contacts.push_back(std::move(contact));
            return true;
        });
    if (rc != 0) {
        m_contacts.clear();
        return false;
    }
    m_codes.resize(m_contacts.size());
    for (quint32 i = 0; i < m_contacts.size(); ++i) {
        if (m_contacts[i].nulls & (1 << 2))
            continue;
        m_codes[i] = foldedUtf8(m_contacts[i].cells[2]);
        const QByteArray& code = m_codes[i];
        // Suffixes start on whole characters, so that a match is one of
        // characters as LIKE's is.
        for (qsizetype at = 0; at < code.size(); ++at)
            if ((uchar(code[at]) & 0xC0) != 0x80)
                m_suffixes.emplace_back(i, quint32(at));
    }
    std::sort(m_suffixes.begin(), m_suffixes.end(), [this](const auto& a, const auto& b) {
        return view(m_codes[a.first], a.second) < view(m_codes[b.first], b.second);
    });
    m_generation = generation;
    m_built = true;
    return true;
}

std::vector<quint32> ContactIndex::containing(const QString& text) const
{
    std::vector<quint32> found;
    const QByteArray typed = foldedUtf8(text.toUtf8());
    if (typed.isEmpty()) {
        // "%%": every contact that has a code, an empty one included.
        for (quint32 i = 0; i < m_contacts.size(); ++i)
            if (!(m_contacts[i].nulls & (1 << 2)))
                found.push_back(i);
        return found;
    }
    const std::string_view wanted = view(typed);
    auto it = std::lower_bound(m_suffixes.begin(), m_suffixes.end(), wanted,
                               [this](const auto& suffix, std::string_view key) {
                                   return view(m_codes[suffix.first], suffix.second) < key;
                               });
    for (; it != m_suffixes.end() && view(m_codes[it->first], it->second).starts_with(wanted); ++it)
        found.push_back(it->first);
    // A code holding the letters twice is found once, and in the order read.
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

int ContactIndex::read(const std::vector<quint32>& contacts,
                       const std::function<bool(const ResultRow& row)>& onRow) const
{
    class IndexRow final : public ResultRow
    {
    public:
        const Contact* contact = nullptr;
        int count() const override { return 4; }
        Kind kind(int c) const override { return contact->nulls & (1 << c) ? Kind::Null : Kind::Text; }
        qint64 integer(int) const override { return 0; }
        double real(int) const override { return 0; }
        QByteArrayView utf8(int c) const override { return contact->cells[c]; }
        QVariant value(int c) const override
        {
            return kind(c) == Kind::Null ? QVariant() : QVariant(QString::fromUtf8(contact->cells[c]));
        }
    };
    IndexRow row;
    for (quint32 i : contacts) {
        row.contact = &m_contacts[i];
        if (!onRow(row))
            break;
    }
    return 0;
}

ReportDef dddwWlyrDefinition(const Dialect& dialect)
{
    // Operators type zs as often as ZS; the dialect makes LIKE ignore case on
    // every database.
    QString condition = dialect.likeIgnoringCase(QStringLiteral("py"));
    condition.replace(u'?', QStringLiteral(":gs_pym"));

    ReportDef def;
    def.name = QStringLiteral("dddw_wlyr");
    def.select = QStringLiteral("SELECT xm, xb, py, fw FROM wlryb WHERE ") + condition;
    def.arguments = {QStringLiteral("gs_pym")};
    auto column = [](const char* name, const char* caption, int widthUnits) {
        ColumnDef c;
        c.name = QString::fromLatin1(name);
        c.caption = QString::fromLatin1(caption);
        c.widthUnits = widthUnits;
        return c;
    };
    def.columns = {column("xm", "xm", 251), column("xb", "Xb", 119), column("py", "Py", 219),
                   column("fw", "Fw", 233)};
    return def;
}

ContactPicker::ContactPicker(QLineEdit* nameField, Transaction& transaction, QWidget* window,
                             const QRect& geometryUnits)
    : QObject(window), m_name(nameField), m_transaction(transaction)
{
    m_store = new DataStore(dddwWlyrDefinition(transaction.dialect()), this);
    m_store->setTransObject(&transaction);
    m_model = new DataStoreModel(m_store, this);

    m_grid = new QTableView(window);
    m_grid->setObjectName(QStringLiteral("dw_1"));
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_grid->verticalHeader()->hide();
    // Rows as tall as the text, so the drop-down shows several matches.
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setHighlightSections(false);
    const auto& columns = m_store->definition().columns;
    for (int c = 0; c < columns.size(); ++c)
        m_grid->setColumnWidth(c, units::toPixelsX(columns[c].widthUnits));
    m_grid->setGeometry(
        units::toPixels(geometryUnits.x(), geometryUnits.y(), geometryUnits.width(), geometryUnits.height()));
    m_grid->hide();

    m_name->installEventFilter(this);
    m_grid->installEventFilter(this);
    connect(m_name, &QLineEdit::editingFinished, this, &ContactPicker::onEditingFinished);
    connect(m_grid, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            m_grid->setCurrentIndex(index);
        pick();
    });
}

ContactPicker::~ContactPicker() = default;

void ContactPicker::onEditingFinished()
{
    // Enter and leaving the field both finish editing; only a change the
    // operator typed since the last search is worth a query.
    if (!m_name->isModified() || m_composing)
        return;
    m_name->setModified(false);
    search();
}

void ContactPicker::search()
{
    const QString text = m_name->text();
    if (text.isEmpty())
        return;
    // Letters, digits and punctuation up to 'z' start a pinyin code; anything
    // above is the start of a name typed in full.
    if (text.front().unicode() > 122)
        return;

    m_pattern = QStringLiteral("%") + text.trimmed() + QStringLiteral("%");
    m_grid->show();
    m_grid->raise();
    const long rows = retrieveMatches(text.trimmed());
    if (rows <= 0) {
        m_grid->hide();
        return;
    }
    // The first match is current, so that Enter right after the Down arrow
    // takes it.
    m_grid->setCurrentIndex(m_model->index(0, 0));
}

long ContactPicker::retrieveMatches(const QString& typed)
{
    // LIKE's own wildcards typed into the field mean what the database makes
    // of them; so does everything when the contacts cannot be read at once.
    if (typed.contains(u'%') || typed.contains(u'_'))
        return m_store->retrieve({m_pattern});
    if (!m_index.isCurrent() && !m_index.build(m_transaction))
        return m_store->retrieve({m_pattern});
    const std::vector<quint32> matches = m_index.containing(typed);
    return m_store->retrieveFrom(
        [this, &matches](const DataStore::RowSink& onRow) { return m_index.read(matches, onRow); });
}

bool ContactPicker::pick()
{
    // A name field that takes no input takes no pick either.
    const QModelIndex current = m_grid->currentIndex();
    if (m_name->isReadOnly() || !current.isValid() || current.row() >= m_model->rowCount())
        return false;
    const long row = current.row() + 1;
    PickedContact contact;
    contact.xm = m_store->getItemString(row, QStringLiteral("xm"));
    contact.xb = m_store->getItemString(row, QStringLiteral("xb"));
    contact.py = m_store->getItemString(row, QStringLiteral("py"));
    contact.fw = m_store->getItemString(row, QStringLiteral("fw"));
    m_grid->hide();
    emit picked(contact);
    return true;
}

void ContactPicker::dismiss()
{
    // The typed text stays as it is; the operator goes on from the name field.
    const bool hadFocus = m_grid->hasFocus();
    m_grid->hide();
    if (hadFocus)
        m_name->setFocus(Qt::OtherFocusReason);
}

void ContactPicker::moveIntoGrid()
{
    // A change typed but not yet committed is searched first, so that the
    // arrow lands in the matches for what the field shows.
    if (m_name->isReadOnly())
        return;
    if (m_name->isModified() && !m_composing) {
        m_name->setModified(false);
        search();
    }
    if (m_grid->isVisible())
        m_grid->setFocus(Qt::OtherFocusReason);
}

bool ContactPicker::eventFilter(QObject* watched, QEvent* event)
{
    // While the input method still composes, the field holds only part of
    // what the operator is typing; a search on it would list the wrong people.
    if (watched == m_name && event->type() == QEvent::InputMethod)
        m_composing = !static_cast<QInputMethodEvent*>(event)->preeditString().isEmpty();
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape && (watched == m_name || watched == m_grid) && m_grid->isVisible()) {
        dismiss();
        return true;
    }
    if (watched == m_name && key == Qt::Key_Down) {
        moveIntoGrid();
        return true;
    }
    if (watched == m_grid && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        pick();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

ContactPicker* attachNamePicker(QLineEdit* nameField, Transaction& transaction, QWidget* window,
                                int leftUnits)
{
    auto* picker = new ContactPicker(nameField, transaction, window, QRect(leftUnits, 236, 512, 448));
    picker->grid()->setObjectName(QStringLiteral("dw_2"));
    QObject::connect(picker, &ContactPicker::picked, nameField, [nameField](const PickedContact& contact) {
        nameField->setText(contact.xm);
        focusFieldAfter(nameField);
    });
    return picker;
}

void focusFieldAfter(QWidget* field)
{
    QWidget* window = field->window();
    for (QWidget* w = field->nextInFocusChain(); w && w != field; w = w->nextInFocusChain()) {
        if (w->isEnabled() && w->isVisibleTo(window) && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

bool ContactPicker::acceptTypedName(const QString& name, const QString& title) const
{
    if (!m_grid->isVisible())
        return true;
    if (m_store->findText(QStringLiteral("xm"), name, 1, m_store->rowCount()) > 0)
        return true;
    const QString text =
        QStringLiteral(
            "“%1”像是拼音首码：名单里有 %2 人与之相符，还没有选人。\n不选人，就以“%1”为姓名存档吗？")
            .arg(name)
            .arg(m_store->rowCount());
    return messagebox(title, text, Icon::Question, Buttons::YesNo, 2) == 1;
}

} // namespace qv
