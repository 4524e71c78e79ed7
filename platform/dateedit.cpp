#include "dateedit.h"

namespace qv {

DateEdit::DateEdit(QWidget* parent) : QDateEdit(parent)
{
    setDisplayFormat(displayFormat());
    setCalendarPopup(false);
    // Gift dates go back to the household's oldest records and forward to
    // planned occasions; the default range ends in 9999 anyway.
    setMinimumDate(QDate(1900, 1, 1));
}

QString DateEdit::storedText() const
{
    return date().toString(QStringLiteral("yyyyMMdd"));
}

bool DateEdit::setStoredText(const QString& yyyymmdd)
{
    const QDate d = QDate::fromString(yyyymmdd, QStringLiteral("yyyyMMdd"));
    if (!d.isValid())
        return false;
    setDate(d);
    return true;
}

} // namespace qv
