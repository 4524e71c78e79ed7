#include "sheets.h"

#include "aboutwindow.h"

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

// The task windows, one line each, by the name the menu uses:
//   sheets      w_lwdj w_ldpy w_dbcl w_gwgd w_fwng w_sgsh w_wjfx w_wjgd
//               w_lwcx w_fwcx w_tjfx w_wlrywh w_jlk_wh w_lsk_wh
//   modal       w_ndtj (w_about is the shell's own, above)
//   top-level   w_czrsz
//   command     datainit (registerCommand)
// e.g. registerWindow(QStringLiteral("w_lwdj"), [](Transaction& t) { return new GiftForm(t, …); });
void registerTaskWindows() {}

} // namespace qv
