#include "shipped.h"

#include <QDir>
#include <QFile>

// Resources compiled into a static library are registered only when asked.
static void registerBuiltInFiles()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(quorvel);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace qv {

QString shippedFile(const QString& name)
{
    const QString local = QDir::current().filePath(name);
    if (QFile::exists(local))
        return local;
    registerBuiltInFiles();
    const QString builtIn = QStringLiteral(":/") + name;
    return QFile::exists(builtIn) ? builtIn : QString();
}

} // namespace qv
