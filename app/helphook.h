#pragma once

namespace belva {

// Closes every help window still open. The main window calls it when it is
// destroyed, so that no help window outlives the program.
void CloseAllHelpWindows();

} // namespace belva
