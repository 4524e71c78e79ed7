#include "printsetup.h"

#include "printing.h"

#include <QPointer>
#include <QPrintDialog>

namespace qv {

void printsetup(QWidget* parent)
{
    // On the heap and watched, as every dialog with a parent that could go.
    QPointer<QPrintDialog> dialog = new QPrintDialog(&sharedPrinter(), parent);
    dialog->setWindowTitle(QStringLiteral("打印设置"));
    dialog->exec();
    delete dialog.data();
}

} // namespace qv
