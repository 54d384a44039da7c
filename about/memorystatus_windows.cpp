#include "memorystatus.h"

#include <windows.h>

#include <algorithm>

namespace belva {

MemoryStatus ReadMemoryStatus()
{
    // The extended status: its total is 64-bit, right above 4 GB too.
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status))
        return MemoryStatus{};
    return MemoryStatus{status.ullTotalPhys, int(std::min<DWORD>(status.dwMemoryLoad, 100))};
}

} // namespace belva
