#include "giftform.h"

#include "amountedit.h"
#include "gifthistory.h"

#include "data/contactpicker.h"
#include "data/giftstore.h"
#include "data/lookups.h"
#include "data/personname.h"
#include "platform/core/messagebox.h"
#include "platform/database/transaction.h"
#include "platform/reports/datastore.h"
#include "platform/reports/units.h"
#include "platform/widgets/dateedit.h"
#include "platform/widgets/named.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace qv {

namespace {

const QString kTitle = QStringLiteral("提示");
const QString kDefaultReason = QStringLiteral("升职");
const QString kDefaultObject = QStringLiteral("本人");

// The forms were drawn in 宋体; where it is missing, a Song-style CJK face
// keeps the look, and any Chinese face keeps the captions readable.
QFont formFont()
{
    const QStringList families = QFontDatabase::families();
    for (const char* wanted : {"宋体", "SimSun", "NSimSun", "Noto Serif CJK SC", "Noto Sans CJK SC",
                               "WenQuanYi Zen Hei", "WenQuanYi Micro Hei"}) {
        const QString name = QString::fromUtf8(wanted);
        if (families.contains(name))
            return QFont(name, 9);
    }
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    if (!chinese.isEmpty())
        return QFont(chinese.front(), 9);
    QFont font;
    font.setPointSize(9);
    return font;
}

QRect at(int x, int y, int width, int height)
{
    return units::toPixels(x, y, width, height);
}

QString storedDate(const DateEdit* edit)
{
    return edit->storedText();
}

} // namespace

const GiftFormConfig& giftFormConfig(GiftKind kind)
{
    static const GiftFormConfig received = [] {
        GiftFormConfig c;
        c.kind = GiftKind::Received;
        c.objectName = QStringLiteral("w_lwdj");
        c.title = QStringLiteral("收情登记");
        c.reasonLabel = QStringLiteral("收情事由");
        c.amountLabel = QStringLiteral("收情金额");
        c.giftDateLabel = QStringLiteral("收情时间");
        c.kindText = QStringLiteral("收情");
        c.sign = 1;
        c.zeroMessage = QStringLiteral("收情金额不能为零！");
        c.pickerHeightUnits = 460;
        c.downArrowEvent = QStringLiteral("u_keydown");
        return c;
    }();
    static const GiftFormConfig given = [] {
        GiftFormConfig c;
        c.kind = GiftKind::Given;
        c.objectName = QStringLiteral("w_fwng");
        c.title = QStringLiteral("送情登记");
        c.reasonLabel = QStringLiteral("送情事由");
        c.amountLabel = QStringLiteral("送情金额");
        c.giftDateLabel = QStringLiteral("送情时间");
        c.kindText = QStringLiteral("送情");
        c.sign = -1;
        c.zeroMessage = QStringLiteral("送情金额不能为零！");
        c.pickerHeightUnits = 512;
        c.downArrowEvent = QStringLiteral("u_down");
        return c;
    }();
    return kind == GiftKind::Received ? received : given;
}

GiftForm::GiftForm(const GiftFormConfig& config, Transaction& transaction, QWidget* parent, Clock clock)
    : EditableWindow(parent), m_config(config), m_transaction(transaction),
      m_clock(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); })),
      m_store(transaction, m_clock)
{
    setObjectName(m_config.objectName);
    setWindowTitle(m_config.title);
    setFont(formFont());
    resize(units::toPixels(3465, 1652));

    buildControls();
    placeControls();
    setTabOrderAsDesigned();

    connect(m_picker, &ContactPicker::picked, this, &GiftForm::onPicked);
    // After the picker's own handler, so that a search it starts is known.
    connect(m_name, &QLineEdit::editingFinished, this, [this] { showHistory(); });
    connect(m_save, &QPushButton::clicked, this, [this] { save(); });
    connect(m_next, &QPushButton::clicked, this, &GiftForm::nextRecord);
    connect(m_exit, &QPushButton::clicked, this, &QWidget::close);

    uf_get_sy(*m_reason, m_transaction);
    uf_get_dx(*m_object, m_transaction);
    m_picker->grid()->hide();
    resetInput();
}

GiftForm::~GiftForm()
{
    // Going, the form hides and the name field loses the focus; the history
    // look-up that would start must not run in a form half torn down.
    m_name->disconnect(this);
}

void GiftForm::buildControls()
{
    // The group box is only a frame behind the fields; the fields belong to
    // the window, so the picker can drop over them.
    m_group = named<QGroupBox>(this, "gb_1");

    auto label = [this](const QString& text, const char* name) {
        auto* l = namedLabel(this, name, text);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    auto list = [this](const char* name) {
        auto* c = named<QComboBox>(this, name);
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setMaxVisibleItems(12);
        return c;
    };
    auto button = [this](const QString& text, const char* name) {
        auto* b = namedButton(this, name, text);
        b->setAutoDefault(false);
        return b;
    };

    label(QStringLiteral("系统编号"), "st_1");
    label(QStringLiteral("姓名或拼音首码"), "st_2");
    label(QStringLiteral("关系分类"), "st_3");
    label(QStringLiteral("发生对象"), "st_4");
    label(m_config.reasonLabel, "st_5");
    label(m_config.amountLabel, "st_6");
    label(QStringLiteral("等价物品"), "st_7");
    label(QStringLiteral("发生时间"), "st_8");
    label(m_config.giftDateLabel, "st_9");

    m_number = named<QLineEdit>(this, "sle_1");
    m_number->setReadOnly(true);
    m_name = named<QLineEdit>(this, "sle_2");
    m_name->setProperty("downArrowEvent", m_config.downArrowEvent);
    m_category = named<QLineEdit>(this, "sle_3");
    m_goods = named<QLineEdit>(this, "sle_6");
    m_reason = list("ddlb_1");
    m_object = list("ddlb_2");
    m_amount = named<AmountEdit>(this, "em_2");
    m_amount->setSpinStep(Money::fromCents(5000));
    m_amount->setSpinRange(Money::fromCents(1000), Money::fromCents(10000000000LL));
    m_occasionDate = named<DateEdit>(this, "em_1");
    m_giftDate = named<DateEdit>(this, "em_3");
    m_history = named<QLabel>(this, "st_10");
    m_history->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_save = button(QStringLiteral("存档"), "cb_1");
    m_next = button(QStringLiteral("下一个"), "cb_2");
    m_exit = button(QStringLiteral("退出"), "cb_3");

    m_picker =
        new ContactPicker(m_name, m_transaction, this, QRect(1550, 308, 512, m_config.pickerHeightUnits));
}

void GiftForm::placeControls()
{
    m_group->setGeometry(at(91, 68, 3113, 996));

    const struct
    {
        const char* name;
        QRect units;
    } labels[] = {
        {"st_1", {183, 228, 251, 76}}, {"st_2", {1102, 228, 430, 76}},  {"st_3", {2153, 220, 251, 88}},
        {"st_4", {174, 524, 251, 76}}, {"st_5", {1161, 504, 251, 76}},  {"st_6", {2117, 504, 251, 76}},
        {"st_7", {178, 816, 251, 76}}, {"st_8", {1184, 812, 251, 104}}, {"st_9", {2135, 828, 251, 80}},
    };
    for (const auto& l : labels) {
        // Captions sit on the middle line of the field beside them.
        auto* w = findChild<QLabel*>(QString::fromLatin1(l.name), Qt::FindDirectChildrenOnly);
        w->setGeometry(at(l.units.x(), l.units.y(), l.units.width(), l.units.height()));
    }

    m_number->setGeometry(at(471, 212, 562, 92));
    m_name->setGeometry(at(1545, 208, 480, 92));
    m_category->setGeometry(at(2437, 208, 517, 92));
    m_goods->setGeometry(at(485, 808, 576, 96));
    // The lists' designed heights include the open list; closed they are as
    // tall as the other fields.
    m_reason->setGeometry(at(1531, 484, 521, 96));
    m_object->setGeometry(at(475, 504, 498, 96));
    m_amount->setGeometry(at(2437, 476, 553, 100));
    m_giftDate->setGeometry(at(2437, 816, 562, 100));
    m_occasionDate->setGeometry(at(1536, 812, 539, 100));
    m_history->setGeometry(at(183, 950, 2950, 84));
    m_save->setGeometry(at(1019, 1256, 434, 108));
    m_next->setGeometry(at(1454, 1256, 434, 108));
    m_exit->setGeometry(at(1888, 1256, 434, 108));

    m_group->lower();
    m_picker->grid()->raise();
}

void GiftForm::setTabOrderAsDesigned()
{
    m_tabOrder = {m_number, m_picker->grid(), m_name,         m_category, m_goods, m_reason, m_amount,
                  m_object, m_giftDate,       m_occasionDate, m_save,     m_next,  m_exit};
    for (qsizetype i = 1; i < m_tabOrder.size(); ++i)
        setTabOrder(m_tabOrder[i - 1], m_tabOrder[i]);
}

void GiftForm::focusAfterName()
{
    // The grid that had the keyboard is hidden now; keys typed on must land
    // in the next field, never in a widget no one can see.
    for (qsizetype i = m_tabOrder.indexOf(m_name) + 1; i < m_tabOrder.size(); ++i) {
        QWidget* w = m_tabOrder[i];
        if (w->isEnabled() && w->isVisibleTo(this) && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void GiftForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_focusedOnce) {
        m_focusedOnce = true;
        m_name->setFocus(Qt::OtherFocusReason);
    }
}

QString GiftForm::pattern() const
{
    return m_picker->pattern();
}

QString GiftForm::newRecordNumber() const
{
    return recordNumber(m_clock());
}

QString GiftForm::recordNumber(const QDateTime& moment)
{
    return GiftStore::numberAt(moment);
}

void GiftForm::onPicked(const PickedContact& contact)
{
    m_name->setText(contact.xm);
    m_category->setText(contact.fw);
    showHistory();
    focusAfterName();
}

void GiftForm::showHistory(bool force)
{
    const QString name = personName(m_name->text());
    if (name == m_historyName && !force)
        return;
    // Letters that list matches in the picker are a pinyin code, not yet a
    // name: the pick will tell whose exchanges to show.
    if (name.isEmpty() || m_picker->grid()->isVisible()) {
        m_history->clear();
        m_historyName.clear();
        return;
    }
    const auto history = readGiftHistory(m_transaction, name);
    m_history->setText(history ? describeGiftHistory(*history) : QString());
    m_historyName = history ? name : QString();
}

bool GiftForm::confirmNotADuplicate(const Gift& gift)
{
    const auto same = m_store.findSame(gift);
    if (!same)
        return true;
    const QString text =
        QStringLiteral("可能重复：%1已有一笔同样的%2 %3 元（系统编号 %4，%5 %6）。\n仍要存档吗？")
            .arg(gift.name, m_config.kindText, same->amount.format(u"#,##0.00"), same->xtbh,
                 m_config.giftDateLabel, displayDate(same->sq));
    return messagebox(kTitle, text, Icon::Question, Buttons::YesNo, 2) == 1;
}

bool GiftForm::refuse(const QString& text)
{
    messagebox(kTitle, text, Icon::StopSign);
    return false;
}

int GiftForm::save()
{
    Gift gift;
    gift.name = personName(m_name->text());
    gift.category = m_category->text();
    gift.kind = m_config.kindText;
    gift.reason = m_reason->currentText();
    gift.object = m_object->currentText();
    gift.goods = m_goods->text();
    gift.occasionDate = storedDate(m_occasionDate);
    gift.giftDate = storedDate(m_giftDate);

    const auto entered = m_amount->amount();
    if (!entered) {
        refuse(Money::inputProblem(m_amount->text(), m_config.amountLabel).value_or(m_config.amountLabel));
        return 0;
    }
    // A minus sign typed into a given gift would turn it into money received;
    // the kind of the form carries the sign, never the operator.
    if (*entered < Money()) {
        refuse(QStringLiteral("%1不能为负数！").arg(m_config.amountLabel));
        return 0;
    }
    gift.amount = m_config.sign < 0 ? -*entered : *entered;
    // The name first, then the amount, then the widths: the ledger's own
    // checks, before any question is asked about a gift it would refuse.
    if (const auto problem = GiftStore::check(gift)) {
        refuse(*problem);
        return 0;
    }
    if (!m_picker->acceptTypedName(gift.name, kTitle))
        return 0;

    // The field shows the name as it is stored.
    if (m_name->text() != gift.name)
        m_name->setText(gift.name);
    if (!confirmNotADuplicate(gift))
        return 0;
    const GiftSaveResult result = m_store.save(gift);
    if (result.status == GiftSaveResult::Status::Refused) {
        refuse(result.error);
        return 0;
    }
    if (!result.saved()) {
        messagebox(kTitle, withReason(QStringLiteral("数据保存出错!"), result.error), Icon::StopSign);
        return -1;
    }
    // The number proposed on opening was the moment then; the record holds
    // the one chosen as it was stored.
    m_number->setText(result.number);
    messagebox(kTitle, QStringLiteral("数据保存成功!"), Icon::Information);
    setSaved(true);
    showHistory(true);
    return 1;
}

QStringList GiftForm::typedFields() const
{
    // The amount by its value: its text changes with the focus (separators
    // come and go) while nothing was typed.
    const auto amount = m_amount->amount();
    return {m_name->text(),
            m_category->text(),
            m_goods->text(),
            m_reason->currentText(),
            m_object->currentText(),
            amount ? QString::number(amount->cents()) : m_amount->text(),
            storedDate(m_occasionDate),
            storedDate(m_giftDate)};
}

bool GiftForm::hasUnsavedChanges()
{
    return !m_saved && typedFields() != m_blank;
}

bool GiftForm::saveBeforeClose()
{
    // The question's 是 stores the gift with every check of 存档; a refusal
    // keeps the form open with what was typed.
    return save() == 1;
}

void GiftForm::setSaved(bool saved)
{
    m_saved = saved;
    // A stored record cannot be changed from here: fields that still took
    // keys would show an edit that looks stored and is not.
    // Read-only fields take the window's colour, so the stored record does
    // not look like one still being typed.
    QPalette stored = palette();
    stored.setColor(QPalette::Base, stored.color(QPalette::Window));
    auto look = [&](QWidget* w) { w->setPalette(saved ? stored : QPalette()); };
    for (QLineEdit* e : {m_name, m_category, m_goods}) {
        e->setReadOnly(saved);
        look(e);
    }
    for (QAbstractSpinBox* s :
         std::initializer_list<QAbstractSpinBox*>{m_amount, m_occasionDate, m_giftDate}) {
        s->setReadOnly(saved);
        look(s);
    }
    m_reason->setEnabled(!saved);
    m_object->setEnabled(!saved);
    if (saved)
        m_picker->grid()->hide();
    m_next->setEnabled(saved);
    m_save->setEnabled(!saved);
    // Enter goes on to the next record, and from there into its name.
    (saved ? static_cast<QWidget*>(m_next) : m_name)->setFocus(Qt::OtherFocusReason);
}

void GiftForm::resetInput()
{
    m_number->setText(newRecordNumber());
    m_name->clear();
    m_category->clear();
    m_goods->clear();
    m_reason->setEditText(kDefaultReason);
    m_object->setEditText(kDefaultObject);
    m_amount->setAmount(Money());
    const QDate today = m_clock().date();
    m_occasionDate->setDate(today);
    m_giftDate->setDate(today);
    showHistory();
    setSaved(false);
    m_blank = typedFields();
}

void GiftForm::nextRecord()
{
    resetInput();
}

QWidget* createGiftForm(GiftKind kind, Transaction& transaction, QWidget* parent)
{
    return new GiftForm(giftFormConfig(kind), transaction, parent);
}

} // namespace qv
