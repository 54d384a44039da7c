#pragma once

#include <QString>

namespace belva {

// Replaces the clipboard's content with the text, as plain text. Without a
// clipboard nothing happens and nothing is reported.
void CopyToClipboard(const QString &text);

} // namespace belva
