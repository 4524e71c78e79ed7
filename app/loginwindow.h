#pragma once

class QWidget;

namespace qv {

class Transaction;

// Opens the operator login window over the connection; returns it shown.
QWidget* openLoginWindow(Transaction& transaction);

} // namespace qv
