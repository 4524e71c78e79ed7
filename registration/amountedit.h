#pragma once

#include "platform/core/money.h"

#include <QAbstractSpinBox>

#include <optional>

namespace qv {

// The amount field of a gift: shows "1,250.00", steps by 50 with its spin
// buttons. The spin range bounds only the buttons; a typed amount outside it
// stands as typed. The text is never corrected behind the operator's back:
// what cannot be read as an amount stays visible and the save refuses it.
//
// Entering the field, by Tab or by a click, selects its whole text, so that
// typing replaces the amount instead of running into it. While the field has
// the focus the amount reads "1250.00", without separators, so that a digit
// typed or deleted inside it never leaves the groups of three broken.
class AmountEdit : public QAbstractSpinBox
{
    Q_OBJECT
public:
    explicit AmountEdit(QWidget* parent = nullptr);

    // The typed amount; nothing when the text is not an amount. A blank text
    // reads as zero, as an empty numeric mask does.
    std::optional<Money> amount() const;
    void setAmount(Money amount);
    void setAmountText(const QString& text);

    void setSpinRange(Money minimum, Money maximum);
    void setSpinStep(Money step) { m_step = step; }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

    static QString display(Money amount);

protected:
    StepEnabled stepEnabled() const override;
    void focusInEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tidyText();
    QString shown(Money amount) const;
    void selectAfterClick();

    bool m_selectOnRelease = false;

    Money m_minimum = Money::fromCents(1000);
    Money m_maximum = Money::fromCents(10000000000LL);
    Money m_step = Money::fromCents(5000);
};

} // namespace qv
