#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Windows-1252 as the platform converts it: Qt's ICU converter on Linux
// (codepage1252_qt.cpp), the system's code page 1252 on Windows
// (codepage1252_windows.cpp).
namespace belva::cp1252 {

// The text's bytes; false when a character has no byte of its own in the
// code page, the bytes then holding the converter's substitutes.
[[nodiscard]] bool Encode(QStringView text, QByteArray *bytes);

// One character per byte; the five bytes the code page leaves undefined
// become the control characters of the same code.
[[nodiscard]] QString Decode(QByteArrayView bytes);

} // namespace belva::cp1252
