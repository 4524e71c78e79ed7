#include "personquery.h"

#include "mainwindow.h"
#include "sheets.h"

#include "queries/balanceswindow.h"

#include <QAbstractButton>
#include <QDateEdit>
#include <QLineEdit>

namespace qv {

QWidget* openPersonQuery(QWidget* sheet, const QString& name, const QDate& from, const QDate& to)
{
    auto* frame = sheet ? dynamic_cast<MainWindow*>(sheet->window()) : nullptr;
    QWidget* query = frame ? frame->openSheet(QStringLiteral("w_lwcx")) : nullptr;
    if (!query)
        return nullptr;
    // The per-person window is driven through its controls, by the names every
    // query window of its family carries, so it needs no second way in.
    auto* nameBox = query->findChild<QLineEdit*>(QStringLiteral("sle_1"));
    auto* fromDate = query->findChild<QDateEdit*>(QStringLiteral("em_1"));
    auto* toDate = query->findChild<QDateEdit*>(QStringLiteral("em_2"));
    auto* run = query->findChild<QAbstractButton*>(QStringLiteral("cb_1"));
    if (!nameBox || !fromDate || !toDate || !run)
        return query;
    nameBox->setText(name);
    fromDate->setDate(from);
    toDate->setDate(to);
    run->click();
    return query;
}

void registerBalancesWindow()
{
    registerWindow(QStringLiteral("w_wlye"), [](Transaction& t) -> QWidget* {
        auto* window = new BalancesWindow(t);
        QObject::connect(window, &BalancesWindow::personRequested, window,
                         [window](const QString& name, const QDate& from, const QDate& to) {
                             openPersonQuery(window, name, from, to);
                         });
        return window;
    });
}

} // namespace qv
