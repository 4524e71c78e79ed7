#pragma once

#include <QVariant>

namespace qv {

// Drivers hand back whole numbers in any of Qt's integer types.
inline bool holdsInteger(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

} // namespace qv
