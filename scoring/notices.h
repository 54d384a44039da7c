#pragma once

#include <QString>

namespace belva {

inline constexpr char16_t AppTitle[] = u"BELVA MG 1.0";
inline constexpr char16_t MainWindowCaption[] =
    u"BELVA MG 1.0 - Qualité de vie dans l'insuffisance veineuse chronique.";

// The maker's notice: end of line 4 of the test report and status panel 0.
inline constexpr char16_t MakerNotice[] = u"Équipe BELVA MG, évaluation de l'insuffisance veineuse";

// The About box's default copyright line (30 characters).
inline constexpr char16_t CopyrightNotice[] = u"Copyright © 2026 Équipe BELVA.";

} // namespace belva
