#include "qttranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qv {

bool installQtTranslation(QCoreApplication& app, const QString& directory)
{
    // The catalogue "qt" names those of Qt's modules, which load with it.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qt_zh_CN"), directory) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

bool installQtTranslation(QCoreApplication& app)
{
    return installQtTranslation(app, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

} // namespace qv
