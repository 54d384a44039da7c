#include "encoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace belva {

namespace {

// Qt reaches ICU's converter by name. A fresh encoder each time: once it has
// met an error, ICU's converter keeps reporting it.
QStringEncoder encoder()
{
    return QStringEncoder("windows-1252", QStringConverter::Flag::Stateless);
}

bool encodes(QStringView text)
{
    QStringEncoder enc = encoder();
    const QByteArray b = enc.encode(text);
    return !enc.hasError();
}

} // namespace

EncodedText EncodeWindows1252(const QString &text)
{
    EncodedText out;
    QStringEncoder enc = encoder();
    out.bytes = enc.encode(text);
    if (!enc.hasError())
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
    QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace belva
