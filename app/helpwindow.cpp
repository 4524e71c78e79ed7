#include "helpwindow.h"

#include "centerwindows.h"
#include "shipped.h"

#include "platform/reports/units.h"
#include "platform/widgets/sheetfit.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

namespace qv {

QString helpSource()
{
    return shippedFile(QStringLiteral("help/index.html"));
}

QWidget* openHelpWindow()
{
    const QString source = helpSource();
    if (source.isEmpty())
        return nullptr;
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(QStringLiteral("w_help"));
    window->setWindowTitle(QStringLiteral("系统帮助"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* browser = new QTextBrowser(window);
    browser->setObjectName(QStringLiteral("help_browser"));
    browser->setOpenExternalLinks(true);
    browser->setSource(source.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + source)
                                                           : QUrl::fromLocalFile(source));
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    window->resize(units::toPixels(3200, 2600));
    uf_centerwindows(window);
    fitToScreen(window);
    return window;
}

} // namespace qv
