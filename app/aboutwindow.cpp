#include "aboutwindow.h"

#include "centerwindows.h"
#include "shipped.h"

#include "platform/core/globals.h"
#include "platform/core/profile.h"
#include "platform/reports/units.h"
#include "platform/widgets/named.h"
#include "platform/widgets/songfont.h"

#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace qv {

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("w_about"));
    setWindowTitle(QStringLiteral("关于本软件"));
    setWindowIcon(QIcon(shippedFile(QStringLiteral("rqwl.ico"))));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(silver);
    setFixedSize(units::toPixels(1609, 892));

    m_title = new QLabel(QStringLiteral("Quorvel"), this);
    m_title->setObjectName(QStringLiteral("st_3"));
    QFont bold;
    bold.setBold(true);
    m_title->setFont(songFont(bold, 16));
    m_title->setStyleSheet(QStringLiteral("color: rgb(0, 0, 128);"));
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setGeometry(units::toPixels(370, 76, 750, 84));

    m_version = named<QLabel>(this, "st_1");
    m_version->setFont(songFont(QFont(), 11));
    m_version->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
    m_version->setGeometry(units::toPixels(571, 368, 549, 72));

    m_ok = new QPushButton(QStringLiteral("确定"), this);
    m_ok->setObjectName(QStringLiteral("cb_1"));
    m_ok->setFont(songFont(QFont(), 10));
    m_ok->setGeometry(units::toPixels(539, 624, 457, 92));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::close);

    uf_centerwindows(this);
    m_version->setText(versionText(profilePath()));
}

QString AboutWindow::profilePath()
{
    return globals().ls_dir + QDir::separator() + QStringLiteral("pb.ini");
}

QString AboutWindow::versionText(const QString& path)
{
    return QStringLiteral("版本 ") +
           profilestring(path, QStringLiteral("other"), QStringLiteral("ver"), QStringLiteral("1.0.0"));
}

} // namespace qv
