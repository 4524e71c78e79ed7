#include "amountedit.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace qv {

AmountEdit::AmountEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setAccelerated(true);
    setAmount(Money());
    connect(this, &QAbstractSpinBox::editingFinished, this, &AmountEdit::tidyText);
    // A click lands on the inner line edit, which places the cursor after the
    // focus has arrived; the whole text is selected again when it is released.
    lineEdit()->installEventFilter(this);
}

QString AmountEdit::display(Money amount)
{
    return amount.format(u"#,##0.00");
}

std::optional<Money> AmountEdit::amount() const
{
    const QString typed = text();
    if (typed.trimmed().isEmpty())
        return Money();
    return Money::parse(typed);
}

QString AmountEdit::shown(Money amount) const
{
    return hasFocus() ? amount.format(u"0.00") : display(amount);
}

void AmountEdit::setAmount(Money amount)
{
    setAmountText(shown(amount));
}

void AmountEdit::setAmountText(const QString& text)
{
    lineEdit()->setText(text);
}

void AmountEdit::setSpinRange(Money minimum, Money maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
}

void AmountEdit::tidyText()
{
    // Only a readable, non-negative amount is redrawn in the display form; a
    // faulty text stays as typed so the operator sees what the save refuses.
    const auto value = amount();
    if (value && *value >= Money()) {
        if (shown(*value) != text())
            setAmount(*value);
    }
}

void AmountEdit::focusInEvent(QFocusEvent* event)
{
    QAbstractSpinBox::focusInEvent(event);
    tidyText();
    selectAll();
    m_selectOnRelease = event->reason() == Qt::MouseFocusReason;
}

void AmountEdit::selectAfterClick()
{
    // A drag that marked part of the text is the operator's own choice.
    if (m_selectOnRelease && !lineEdit()->hasSelectedText())
        selectAll();
    m_selectOnRelease = false;
}

void AmountEdit::mouseReleaseEvent(QMouseEvent* event)
{
    QAbstractSpinBox::mouseReleaseEvent(event);
    selectAfterClick();
}

bool AmountEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease) {
        lineEdit()->event(event);
        selectAfterClick();
        return true;
    }
    return QAbstractSpinBox::eventFilter(watched, event);
}

void AmountEdit::stepBy(int steps)
{
    const Money current = amount().value_or(Money());
    Money next = Money::fromCents(current.cents() + qint64(steps) * m_step.cents());
    next = std::clamp(next, m_minimum, m_maximum);
    setAmount(next);
    selectAll();
}

QAbstractSpinBox::StepEnabled AmountEdit::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    const auto value = amount();
    if (!value)
        return StepUpEnabled | StepDownEnabled;
    StepEnabled enabled = StepNone;
    if (*value < m_maximum)
        enabled |= StepUpEnabled;
    if (*value > m_minimum)
        enabled |= StepDownEnabled;
    return enabled;
}

QValidator::State AmountEdit::validate(QString& input, int& pos) const
{
    // Keys that can never be part of an amount are not taken; everything else
    // is judged as a whole when the record is saved.
    for (QChar c : input) {
        const bool allowed =
            (c >= u'0' && c <= u'9') || c == u',' || c == u'.' || c == u'-' || c == u'+' || c == u' ';
        if (!allowed)
            return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

} // namespace qv
