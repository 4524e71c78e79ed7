#pragma once

#include <QDateEdit>
#include <QString>

namespace qv {

// The one date field of the program: shown as yyyy年MM月dd日, stored as the
// eight-digit text yyyymmdd that the gift table compares with BETWEEN.
//
// Keys: Tab and Shift+Tab leave the field for the next or previous control,
// as in every other field. Inside it, Left and Right move between year,
// month and day, Up and Down change the selected part, and digits typed
// straight through fill year, month and day in turn; a Right pressed after a
// part typed in full stays on the part the typing moved on to. Entering the field from
// the keyboard selects the year; a click selects the part clicked.
class DateEdit : public QDateEdit
{
    Q_OBJECT
public:
    explicit DateEdit(QWidget* parent = nullptr);

    // The date as stored in the ledger, e.g. "20031231".
    QString storedText() const;
    // Accepts "yyyymmdd"; false (and no change) for anything else.
    bool setStoredText(const QString& yyyymmdd);

    static QString displayFormat() { return QStringLiteral("yyyy年MM月dd日"); }

protected:
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void selectPart(int index);
    int partAt(int position) const;

    // The last digit typed filled its part and moved on to the next one.
    bool m_movedOnByTyping = false;
};

} // namespace qv
