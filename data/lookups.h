#pragma once

class QComboBox;

namespace qv {

class Transaction;

// Fill a drop-down list with the reasons of syb / the occasion objects of dxb.
// The rows are counted first and the cursor is fetched exactly that many
// times, each fetched text appended; the list is not emptied, so a second
// call appends the entries again. The list's text becomes the last fetched
// value (empty when the table is empty); the caller sets its own default
// afterwards. Returns 1 whatever happened: a failed count or cursor leaves
// the items fetched so far and shows no message.
int uf_get_sy(QComboBox& ddlb, Transaction& transaction);
int uf_get_dx(QComboBox& ddlb, Transaction& transaction);

// The same on the application's connection.
int uf_get_sy(QComboBox& ddlb);
int uf_get_dx(QComboBox& ddlb);

} // namespace qv
