#include "amountedit.h"

#include <QLineEdit>

namespace qv {

AmountEdit::AmountEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setAccelerated(true);
    setAmount(Money());
    connect(this, &QAbstractSpinBox::editingFinished, this, &AmountEdit::tidyText);
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

void AmountEdit::setAmount(Money amount)
{
    setAmountText(display(amount));
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
        const QString shown = display(*value);
        if (shown != text())
            setAmount(*value);
    }
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
