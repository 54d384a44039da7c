#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace belva {

struct EncodedText
{
    QByteArray bytes;                  // one byte per character; '?'-like substitutes where it failed
    qsizetype firstUnencodable = -1;   // index of the first character Windows-1252 cannot hold

    [[nodiscard]] bool ok() const { return firstUnencodable < 0; }
};

// The bytes a saved report holds: Windows-1252, no byte-order mark.
[[nodiscard]] EncodedText EncodeWindows1252(const QString &text);

[[nodiscard]] bool IsWindows1252Encodable(const QString &text);

// Text from Windows-1252 bytes, one character per byte; the five bytes the
// code page leaves undefined become the control characters of the same code.
[[nodiscard]] QString DecodeWindows1252(QByteArrayView bytes);

} // namespace belva
