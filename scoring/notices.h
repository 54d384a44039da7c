#pragma once

#include "version.h"

namespace belva {

inline constexpr char16_t AppTitle[] = u"BELVA MG " BELVA_VERSION;
inline constexpr char16_t MainWindowCaption[] =
    u"BELVA MG " BELVA_VERSION u" - Qualité de vie dans l'insuffisance veineuse chronique.";

// The About box's version line.
inline constexpr char16_t AboutVersion[] = u"Version " BELVA_VERSION u" Win9x - WinXP";

// The beginning of line 4 of the test report, before the maker's notice.
inline constexpr char16_t PrintedBy[] = u"Imprimé sur BelvaMG " BELVA_VERSION u" ";

// The maker's notice: end of line 4 of the test report and status panel 0.
inline constexpr char16_t MakerNotice[] = u"Équipe BELVA MG, évaluation de l'insuffisance veineuse";

// The About box's default copyright line (30 characters).
inline constexpr char16_t CopyrightNotice[] = u"Copyright © 2026 Équipe BELVA.";

} // namespace belva
