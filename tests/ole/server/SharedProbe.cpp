#include "SharedProbe.h"

namespace probe {

LONG& SharedValue()
{
    static LONG value = 0;
    return value;
}

} // namespace probe
