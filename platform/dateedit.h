#pragma once

#include <QDateEdit>
#include <QString>

namespace qv {

// The one date field of the program: shown as yyyy年MM月dd日, stored as the
// eight-digit text yyyymmdd that the gift table compares with BETWEEN.
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
};

} // namespace qv
