#include "windows1252.h"

#include "encoding.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace belva::score {

Windows1252::Windows1252()
{
    m_byteOfLatin1.fill(-1);
    for (int b = 0; b < 256; ++b) {
        const char c = char(b);
        const QString text = DecodeWindows1252(QByteArrayView(&c, 1));
        const char16_t codePoint = text.isEmpty() ? u'\uFFFD' : text[0].unicode();
        if (codePoint < 0x100)
            m_byteOfLatin1[codePoint] = std::int16_t(b);
        else
            m_byteOfOther.emplace_back(codePoint, c);
        const QByteArray utf8 = text.toUtf8();
        m_utf8Size[size_t(b)] = std::uint8_t(qMin<qsizetype>(utf8.size(), 3));
        std::memcpy(m_utf8[size_t(b)].data(), utf8.constData(), m_utf8Size[size_t(b)]);
    }
    std::sort(m_byteOfOther.begin(), m_byteOfOther.end());
}

const Windows1252 &Windows1252::instance()
{
    static const Windows1252 table;
    return table;
}

char *Windows1252::toUtf8(QByteArrayView bytes, char *out) const
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            *out++ = c;
            continue;
        }
        const char *utf8 = m_utf8[b].data();
        for (int k = 0; k < m_utf8Size[b]; ++k)
            *out++ = utf8[k];
    }
    return out;
}

char *Windows1252::fromUtf8(QByteArrayView utf8, char *out) const
{
    const auto *p = reinterpret_cast<const unsigned char *>(utf8.data());
    const auto *end = p + utf8.size();
    while (p < end) {
        char32_t c = *p++;
        if (c < 0x80) {
            *out++ = char(c);
            continue;
        }
        // Valid UTF-8: the lead byte tells how many follow.
        const int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
        c &= 0x3Fu >> more;
        for (int k = 0; k < more && p < end; ++k)
            c = (c << 6) | (*p++ & 0x3Fu);
        int byte = -1;
        if (c < 0x100) {
            byte = m_byteOfLatin1[c];
        } else if (c <= 0xFFFF) {
            const auto at = std::lower_bound(m_byteOfOther.begin(), m_byteOfOther.end(), c,
                                             [](const std::pair<char16_t, char> &e, char32_t v) { return e.first < v; });
            if (at != m_byteOfOther.end() && at->first == c)
                byte = static_cast<unsigned char>(at->second);
        }
        if (byte < 0)
            return nullptr;
        *out++ = char(byte);
    }
    return out;
}

} // namespace belva::score
