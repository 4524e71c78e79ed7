#include "pack.h"

#include "loginwindow.h"

#include "platform/messagebox.h"
#include "platform/profile.h"
#include "platform/transaction.h"

#include <QDir>

namespace qv {

Pack::Pack(Transaction& transaction) : m_sqlca(transaction)
{
    m_openLogin = [](Transaction& t) { return openLoginWindow(t); };
}

QWidget* Pack::open()
{
    const QString title = QStringLiteral("不能连接数据库");
    ProfileFile profile(QDir::current().filePath(profileFileName()));
    // A missing, unreadable or damaged profile would only show the driver's
    // "no dbms" text; say what is really wrong instead.
    if (profile.load() != ProfileFile::Status::Ok) {
        messagebox(title, profile.errorString());
        return nullptr;
    }
    readConnectionSettings(m_sqlca, profile);
    m_sqlca.connect();
    if (m_sqlca.SQLCode != 0) {
        messagebox(title, m_sqlca.SQLErrText);
        return nullptr;
    }
    return m_openLogin(m_sqlca);
}

} // namespace qv
