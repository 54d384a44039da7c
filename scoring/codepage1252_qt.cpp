#include "codepage1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace belva::cp1252 {

// Qt reaches ICU's converter by name. A fresh encoder each time: once it has
// met an error, ICU's converter keeps reporting it.
bool Encode(QStringView text, QByteArray *bytes)
{
    QStringEncoder encoder("windows-1252", QStringConverter::Flag::Stateless);
    *bytes = encoder.encode(text);
    return !encoder.hasError();
}

QString Decode(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace belva::cp1252
