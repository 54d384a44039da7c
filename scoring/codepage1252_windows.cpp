#include "codepage1252.h"

#include <windows.h>

#include <algorithm>
#include <limits>

namespace belva::cp1252 {

namespace {

constexpr UINT CodePage = 1252;

} // namespace

bool Encode(QStringView text, QByteArray *bytes)
{
    bytes->clear();
    if (text.isEmpty())
        return true;
    if (text.size() > std::numeric_limits<int>::max())
        return false;
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int length = int(text.size());
    // No best-fit mapping ("Ł" is no "L"): a character without a byte of its
    // own takes the default character, which the flag reports.
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(CodePage, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr,
                                         &usedDefault);
    if (size <= 0)
        return false;
    bytes->resize(size);
    usedDefault = FALSE;
    if (WideCharToMultiByte(CodePage, WC_NO_BEST_FIT_CHARS, wide, length, bytes->data(), size, nullptr,
                            &usedDefault)
        != size)
        return false;
    // One byte per character, and the bytes read back as the same text.
    return !usedDefault && size == length && Decode(*bytes) == text;
}

QString Decode(QByteArrayView bytes)
{
    // A single-byte code page: any cut between bytes is one between characters.
    constexpr qsizetype Chunk = qsizetype(1) << 30;
    QString text(bytes.size(), Qt::Uninitialized);
    qsizetype done = 0;
    for (qsizetype at = 0; at < bytes.size(); at += Chunk) {
        const int length = int(std::min(Chunk, bytes.size() - at));
        const int size = MultiByteToWideChar(CodePage, 0, bytes.data() + at, length,
                                             reinterpret_cast<wchar_t *>(text.data()) + done, length);
        done += std::max(size, 0);
    }
    text.resize(done);
    return text;
}

} // namespace belva::cp1252
