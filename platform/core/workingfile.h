#pragma once

#include <QString>

namespace qv {

// A file is written under a working name beside its target and takes the
// target's name only once it is complete, so that the name never holds half
// a file. Claims such a name ("<target>.xxxxxx.part") by creating it empty;
// an empty string, with the reason in `error`, when none can be created.
QString claimWorkingFile(const QString& target, QString* error = nullptr);

} // namespace qv
