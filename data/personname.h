#pragma once

#include <QString>

namespace qv {

// A person's name as it is stored: blanks around a typed name would make
// " 张三 " a person of their own in every query and a second contact, so
// they are dropped; a name of blanks is no name (empty).
inline QString personName(const QString& typed)
{
    return typed.trimmed();
}

} // namespace qv
