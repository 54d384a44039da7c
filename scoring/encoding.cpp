#include "encoding.h"

#include "codepage1252.h"

namespace belva {

namespace {

bool encodes(QStringView text)
{
    QByteArray bytes;
    return cp1252::Encode(text, &bytes);
}

} // namespace

EncodedText EncodeWindows1252(const QString &text)
{
    EncodedText out;
    if (cp1252::Encode(text, &out.bytes))
        return out;
    // Find the first character (a surrogate pair counts as one) that fails.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        if (!encodes(QStringView(text).mid(i, len))) {
            out.firstUnencodable = i;
            break;
        }
        i += len - 1;
    }
    if (out.firstUnencodable < 0)
        out.firstUnencodable = 0;
    return out;
}

bool IsWindows1252Encodable(const QString &text)
{
    return encodes(text);
}

QString DecodeWindows1252(QByteArrayView bytes)
{
    return cp1252::Decode(bytes);
}

} // namespace belva
