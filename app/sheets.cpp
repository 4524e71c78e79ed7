#include "sheets.h"

#include "aboutwindow.h"
#include "centerwindows.h"
#include "ledgermenu.h"
#include "personquery.h"

#include "maintenance/contactswindow.h"
#include "maintenance/datainit.h"
#include "maintenance/importwindow.h"
#include "maintenance/operatorswindow.h"
#include "maintenance/recordswindow.h"
#include "queries/analysiswindow.h"
#include "queries/giftquerywindow.h"
#include "registration/bookwindow.h"
#include "registration/giftform.h"
#include "statistics/annualstatisticswindow.h"
#include "statistics/archivemaintenancewindow.h"
#include "statistics/statisticalanalysiswindow.h"

#include <QHash>

namespace qv {

namespace {
QHash<QString, WindowFactory>& registry()
{
    static QHash<QString, WindowFactory> windows{
        {QStringLiteral("w_about"), [](Transaction&) -> QWidget* { return new AboutWindow; }},
    };
    return windows;
}
QHash<QString, MenuCommand>& commands()
{
    static QHash<QString, MenuCommand> registered;
    return registered;
}
} // namespace

void registerCommand(const QString& name, MenuCommand command)
{
    commands().insert(name, std::move(command));
}

MenuCommand menuCommand(const QString& name)
{
    return commands().value(name);
}

void registerWindow(const QString& name, WindowFactory factory)
{
    registry().insert(name, std::move(factory));
}

void unregisterWindow(const QString& name)
{
    registry().remove(name);
}

WindowFactory windowFactory(const QString& name)
{
    return registry().value(name);
}

// The task windows, one line each, by the name the menu uses.
void registerTaskWindows()
{
    registerWindow(QStringLiteral("w_lwdj"),
                   [](Transaction& t) { return createGiftForm(GiftKind::Received, t); });
    registerWindow(QStringLiteral("w_fwng"),
                   [](Transaction& t) { return createGiftForm(GiftKind::Given, t); });
    registerWindow(QStringLiteral("w_lbdj"), [](Transaction& t) -> QWidget* { return new BookWindow(t); });
    registerWindow(QStringLiteral("w_wlrywh"),
                   [](Transaction& t) -> QWidget* { return new ContactsWindow(t); });
    registerWindow(QStringLiteral("w_ldpy"), [](Transaction& t) { return createGiftQuery(u"w_ldpy", t); });
    registerWindow(QStringLiteral("w_sgsh"), [](Transaction& t) { return createGiftQuery(u"w_sgsh", t); });
    registerWindow(QStringLiteral("w_lwcx"), [](Transaction& t) { return createGiftQuery(u"w_lwcx", t); });
    registerWindow(QStringLiteral("w_dbcl"), [](Transaction& t) { return createGiftQuery(u"w_dbcl", t); });
    registerWindow(QStringLiteral("w_wjfx"), [](Transaction& t) { return createGiftQuery(u"w_wjfx", t); });
    registerWindow(QStringLiteral("w_fwcx"), [](Transaction& t) { return createGiftQuery(u"w_fwcx", t); });
    registerWindow(QStringLiteral("w_gwgd"), [](Transaction& t) { return createAnalysis(u"w_gwgd", t); });
    registerWindow(QStringLiteral("w_wjgd"), [](Transaction& t) { return createAnalysis(u"w_wjgd", t); });
    registerWindow(QStringLiteral("w_ndtj"), [](Transaction& t) -> QWidget* {
        auto* w = new AnnualStatisticsWindow(t);
        uf_centerwindows(w);
        return w;
    });
    registerWindow(QStringLiteral("w_tjfx"),
                   [](Transaction& t) -> QWidget* { return new StatisticalAnalysisWindow(t); });
    registerWindow(QStringLiteral("w_lsk_wh"),
                   [](Transaction& t) -> QWidget* { return new ArchiveMaintenanceWindow(t); });
    registerWindow(QStringLiteral("w_jlk_wh"),
                   [](Transaction& t) -> QWidget* { return new RecordsWindow(t); });
    registerWindow(QStringLiteral("w_czrsz"), [](Transaction& t) -> QWidget* {
        auto* w = new OperatorsWindow(t);
        uf_centerwindows(w);
        return w;
    });
    registerCommand(QStringLiteral("datainit"),
                    [](Transaction& t, QWidget* frame) { initialiseData(t, frame); });
    registerWindow(QStringLiteral("w_drld"), [](Transaction& t) -> QWidget* { return new ImportWindow(t); });
    registerBalancesWindow();
    registerLedgerCommands();
}

} // namespace qv
