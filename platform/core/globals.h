#pragma once

#include <QString>

namespace qv {

// The process-wide variables through which the login, the frame, the about
// box, the data initialisation and the query windows exchange state. They
// live for the run and are never saved.
struct Globals
{
    qint16 input_cc = 0; // login attempts counted so far
    QString bh_str;      // operator code as typed, trimmed
    QString g_operater;  // name of that operator
    QString g_password;  // that operator's stored password
    QString ls_dir;      // working directory captured by the main frame
    QString lls_dir;     // buffer through which the directory is obtained
    QString g_lb;        // kind of gift for the query windows: 收情 or 送情
};

Globals& globals();

} // namespace qv
