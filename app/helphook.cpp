#include "helphook.h"

namespace belva {

void CloseAllHelpWindows()
{
    // No help viewer yet: nothing to close.
}

} // namespace belva
