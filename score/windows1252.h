#pragma once

#include <QByteArrayView>

#include <array>
#include <cstdint>
#include <string>
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

    // Appends the UTF-8 of the bytes.
    void toUtf8(QByteArrayView bytes, std::string &out) const;
    // Appends the Windows-1252 of valid UTF-8; false, with `out` as it was,
    // when a character has no byte in the code page.
    [[nodiscard]] bool fromUtf8(QByteArrayView utf8, std::string &out) const;

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
