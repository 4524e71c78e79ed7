#include "loginwindow.h"

#include <QWidget>

namespace qv {

QWidget* openLoginWindow(Transaction&)
{
    auto* w = new QWidget;
    w->setObjectName(QStringLiteral("w_login"));
    w->setWindowTitle(QStringLiteral("用户登陆"));
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->show();
    return w;
}

} // namespace qv
