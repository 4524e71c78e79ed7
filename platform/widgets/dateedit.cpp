#include "dateedit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace qv {

DateEdit::DateEdit(QWidget* parent) : QDateEdit(parent)
{
    setDisplayFormat(displayFormat());
    setCalendarPopup(false);
    // Gift dates go back to the household's oldest records and forward to
    // planned occasions; the default range ends in 9999 anyway.
    setMinimumDate(QDate(1900, 1, 1));
    // Clicks land on the inner line edit, which places the cursor itself.
    lineEdit()->installEventFilter(this);
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

bool DateEdit::focusNextPrevChild(bool next)
{
    // A date edit would walk its own parts with Tab and keep the operator in
    // the field; here Tab means the next control, as it does everywhere else.
    return QWidget::focusNextPrevChild(next);
}

void DateEdit::selectPart(int index)
{
    setCurrentSectionIndex(std::clamp(index, 0, sectionCount() - 1));
    setSelectedSection(currentSection());
}

int DateEdit::partAt(int position) const
{
    // The parts end at the separators that follow them: 年, 月 and 日.
    const QString shown = lineEdit()->text();
    int part = 0;
    for (const QChar separator : {u'年', u'月'}) {
        const qsizetype end = shown.indexOf(separator);
        if (end >= 0 && position > end)
            ++part;
    }
    return part;
}

void DateEdit::focusInEvent(QFocusEvent* event)
{
    m_movedOnByTyping = false;
    QDateEdit::focusInEvent(event);
    // Coming back with Shift+Tab starts at the year as well, so that typing
    // straight through always fills the date from the front.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        selectPart(0);
}

void DateEdit::keyPressEvent(QKeyEvent* event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const bool movedOnByTyping = m_movedOnByTyping;
    m_movedOnByTyping = false;
    if (plain && !isReadOnly() && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        // A part typed in full has already moved on to the next part; the
        // Right that operators press out of habit after it must not skip
        // that part as well.
        if (!(event->key() == Qt::Key_Right && movedOnByTyping))
            selectPart(currentSectionIndex() + (event->key() == Qt::Key_Right ? 1 : -1));
        event->accept();
        return;
    }
    const int part = currentSectionIndex();
    QDateEdit::keyPressEvent(event);
    const QString typed = event->text();
    m_movedOnByTyping = typed.size() == 1 && typed.front().isDigit() && currentSectionIndex() != part;
}

bool DateEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease) {
        lineEdit()->event(event);
        m_movedOnByTyping = false;
        if (!lineEdit()->hasSelectedText())
            selectPart(partAt(lineEdit()->cursorPosition()));
        return true;
    }
    return QDateEdit::eventFilter(watched, event);
}

} // namespace qv
