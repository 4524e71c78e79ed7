#pragma once

#include <QString>

#include <functional>
#include <optional>

class QTextStream;
class QWidget;

namespace qv {

class Transaction;

// The application object: chooses the profile file, fills the connection
// from it, connects, and opens the login window. It owns no window itself.
class Pack
{
public:
    // The profile file of the connection settings. On Linux it is "pb.ini" in
    // the working directory, as on Windows, so that one file holds both the
    // [database] and the [other] keys.
    static QString profileFileName() { return QStringLiteral("pb.ini"); }

    explicit Pack(Transaction& transaction);

    // What the start-up opens after connecting; the login window by default.
    void setLoginOpener(std::function<QWidget*(Transaction&)> opener) { m_openLogin = std::move(opener); }

    // The open handler. Returns the window it opened, or nullptr when the
    // connection failed (the message has then been shown and the program
    // is to end).
    QWidget* open();

private:
    Transaction& m_sqlca;
    std::function<QWidget*(Transaction&)> m_openLogin;
};

// Why the database `transaction` is connected to is not a ledger of this
// program (an empty file, another program's database): `what` names the file
// or database, `reason` what it lacks. Nothing when it is a ledger.
struct LedgerRefusal
{
    QString what;
    QString reason;
};
std::optional<LedgerRefusal> refuseNonLedger(Transaction& transaction);

// For the commands that run without a window (--init-db, --backup): fills
// `transaction` from the profile file in the working directory. False, with
// the reason on `err`, when the file cannot be read.
bool readProfileConnection(Transaction& transaction, QTextStream& err);

} // namespace qv
