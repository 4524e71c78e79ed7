#include "celleditors.h"

#include "platform/core/money.h"
#include "platform/widgets/dateedit.h"

#include <QDate>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace qv {

namespace {

// A date cell that held no valid date opens at today's date; unless the
// operator changes it, the cell keeps what it held.
const char* const kOpenedDate = "qv_openedDate";
const char* const kHadDate = "qv_hadDate";

class MoneyValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        static const QRegularExpression partial(QStringLiteral(R"(^\s*-?[0-9,]*(\.[0-9]{0,2})?\s*$)"));
        if (input.trimmed().isEmpty() || Money::parse(input))
            return Acceptable;
        if (!partial.match(input).hasMatch())
            return Invalid;
        // Too many digits for the column stays refused, not half-typed.
        QString digits = input;
        digits.remove(QRegularExpression(QStringLiteral("[^0-9]")));
        return digits.size() > 16 ? Invalid : Intermediate;
    }
};

} // namespace

MoneyLineEdit::MoneyLineEdit(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new MoneyValidator(this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

QWidget* createTypedCellEditor(const ColumnDef& column, QWidget* parent)
{
    switch (column.type) {
    case ColumnType::Date: {
        auto* edit = new DateEdit(parent);
        edit->setFrame(false);
        return edit;
    }
    case ColumnType::Money: {
        auto* edit = new MoneyLineEdit(parent);
        edit->setFrame(false);
        return edit;
    }
    case ColumnType::Text:
    case ColumnType::Integer:
        break;
    }
    return nullptr;
}

bool isTypedCellEditor(const QWidget* editor)
{
    return qobject_cast<const DateEdit*>(editor) || qobject_cast<const MoneyLineEdit*>(editor);
}

bool setTypedEditorData(QWidget* editor, const QVariant& stored)
{
    if (auto* date = qobject_cast<DateEdit*>(editor)) {
        const bool had = !stored.isNull() && date->setStoredText(stored.toString());
        if (!had)
            date->setDate(QDate::currentDate());
        date->setProperty(kHadDate, had);
        date->setProperty(kOpenedDate, date->date());
        return true;
    }
    if (auto* money = qobject_cast<MoneyLineEdit*>(editor)) {
        // Plain digits to edit, without the separators of the display.
        const auto amount = stored.userType() == qMetaTypeId<Money>() ? std::optional(stored.value<Money>())
                                                                      : Money::fromVariant(stored);
        money->setText(amount && !stored.isNull() ? amount->format(u"0.00") : QString());
        money->selectAll();
        return true;
    }
    return false;
}

std::optional<QVariant> typedEditorValue(QWidget* editor)
{
    if (auto* date = qobject_cast<DateEdit*>(editor)) {
        if (!date->property(kHadDate).toBool() && date->date() == date->property(kOpenedDate).toDate())
            return std::nullopt;
        return date->storedText();
    }
    if (auto* money = qobject_cast<MoneyLineEdit*>(editor))
        return money->text().trimmed();
    return std::nullopt;
}

} // namespace qv
