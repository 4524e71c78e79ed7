#pragma once

#include <QString>

namespace qv {

// A database's or library's reason as the operator reads it: a common cause
// gets one Chinese sentence with the original text after it in brackets
// ("磁盘已满（database or disk is full）"), for whoever has to look further.
// A text that already speaks Chinese, or one without a known cause, is
// returned as it came.
QString explainReason(const QString& reason);

} // namespace qv
