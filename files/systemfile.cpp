#include "systemfile.h"

#include "errors.h"

#include <QIODevice>

namespace belva {

QString WithoutTrailingStops(QString text)
{
    qsizetype end = text.size();
    while (end > 0) {
        const QChar c = text.at(end - 1);
        if (!c.isSpace() && c != u'.')
            break;
        --end;
    }
    text.truncate(end);
    return text;
}

QString DeviceErrorText(const QIODevice &device, int systemError)
{
    return systemError ? SystemErrorText(systemError) : device.errorString();
}

void ThrowWriteError()
{
    throw Error(QStringLiteral("Erreur d'écriture dans le flux"));
}

} // namespace belva
