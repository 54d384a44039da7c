// The help modules around the application's life, on every platform: the
// viewer binding first, then the probe; at the end the other way round.
#include "hh.h"

#include "hh_funcs.h"
#include "viewerlibrary.h"

namespace belva {

HelpModules::HelpModules(int argc, const char *const *argv)
{
    hh::LoadViewerLibrary();
    hh_funcs::InitializeModule(argc, argv);
}

HelpModules::~HelpModules()
{
    hh_funcs::FinalizeModule();
    hh::UnloadViewerLibrary();
}

} // namespace belva
