#pragma once

#include <QByteArrayView>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace belva::score {

// Windows-1252 to and from UTF-8 by table, for every field of a large file.
// The tables are built once from the platform's converter (scoring's
// DecodeWindows1252): they convert exactly as it does, the five bytes the
// code page leaves undefined included.
class Windows1252
{
public:
    static const Windows1252 &instance();

    // Writes the UTF-8 of the bytes at `out`, which has room for three bytes
    // each; returns the end of what it wrote.
    char *toUtf8(QByteArrayView bytes, char *out) const;
    // Writes the Windows-1252 of valid UTF-8 at `out`, which has room for as
    // many bytes; returns the end of what it wrote, or nullptr when a
    // character has no byte in the code page.
    [[nodiscard]] char *fromUtf8(QByteArrayView utf8, char *out) const;

private:
    Windows1252();

    std::array<std::array<char, 3>, 256> m_utf8{};
    std::array<std::uint8_t, 256> m_utf8Size{};
    // The byte of each character: below U+0100 by index (-1: none), above
    // in pairs sorted by character.
    std::array<std::int16_t, 256> m_byteOfLatin1{};
    std::vector<std::pair<char16_t, char>> m_byteOfOther;
};

} // namespace belva::score
