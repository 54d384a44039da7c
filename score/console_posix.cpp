#include "console.h"

#include <unistd.h>

namespace belva::score {

void UseBinaryStandardStreams()
{
}

bool StandardErrorIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

} // namespace belva::score
