#pragma once

#include <QDate>
#include <QString>

class QWidget;

namespace qv {

// Opens "人情往来查询（单人）" (w_lwcx) in the frame that holds `sheet`, fills
// in the person and the period and runs its query, as if the operator had
// typed them and pressed 查询. An open w_lwcx is reused. Returns the window,
// or nullptr when there is no frame or no such window.
QWidget* openPersonQuery(QWidget* sheet, const QString& name, const QDate& from, const QDate& to);

// Registers "往来余额（按人）" (w_wlye), its rows opening the person's records.
void registerBalancesWindow();

} // namespace qv
