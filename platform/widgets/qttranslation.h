#pragma once

#include <QString>

class QCoreApplication;

namespace qv {

// Qt's own texts (the file and print dialogs, the print preview, the edit
// menu of a text field, the usage line of --help) in Chinese, like the rest
// of the program, whatever the machine's locale. Reads Qt's catalogue from
// `directory`; false when it is not there, and the texts stay in English.
bool installQtTranslation(QCoreApplication& app, const QString& directory);
// The same from the directory where Qt keeps its translations.
bool installQtTranslation(QCoreApplication& app);

} // namespace qv
