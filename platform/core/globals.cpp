#include "globals.h"

namespace qv {

Globals& globals()
{
    static Globals g;
    return g;
}

} // namespace qv
