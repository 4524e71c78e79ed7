#pragma once

#include <QString>

namespace qv {

// A file is written under a working name beside its target and takes the
// target's name only once it is complete, so that the name never holds half
// a file. Claims such a name ("<target>.xxxxxx.part") by creating it empty;
// an empty string, with the reason in `error`, when none can be created.
QString claimWorkingFile(const QString& target, QString* error = nullptr);

// Gives a complete working file the target's name, replacing what was there
// (the operator agreed to that when choosing the name); false, with the
// reason in `error`, when it cannot.
bool replaceWithWorkingFile(const QString& working, const QString& target, QString* error = nullptr);

} // namespace qv
