#pragma once

#include <QByteArrayView>

// What the start of a CSV input tells of how it is written.
namespace belva::score {

// The delimiter that the first line holds most of: ';', ',' or tab (';' on a tie).
[[nodiscard]] char DetectDelimiter(QByteArrayView start);

// The line end of the first line, out of quotes: "\r\n", "\n" or "\r";
// "\r\n" when the start holds none.
[[nodiscard]] const char *DetectLineEnd(QByteArrayView start);

} // namespace belva::score
