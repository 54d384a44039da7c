#include "keyfile.h"

#include "failure.h"
#include "folder.h"
#include "systemfile.h"

#include <QFile>

namespace belva::score {

namespace {

// A key is a line of text; anything longer is not a key file.
constexpr qsizetype MaximumLine = 64 * 1024;

Failure refused(const QString &path, const QString &why)
{
    return Failure{QStringLiteral("%1 : fichier de la clé (--key-file) : %2").arg(path, why)};
}

} // namespace

QByteArray ReadKeyFile(const QString &path, QString *warning)
{
    const EntryInfo info = InspectEntry(path);
    switch (info.kind) {
    case EntryKind::File:
        break;
    case EntryKind::Missing:
    case EntryKind::DanglingLink:
        throw refused(path, QStringLiteral("introuvable"));
    case EntryKind::Folder:
    case EntryKind::LinkToFolder:
        throw refused(path, QStringLiteral("c'est un dossier"));
    case EntryKind::NamedPipe:
    case EntryKind::Special:
        throw refused(path, QStringLiteral("ce n'est pas un fichier ordinaire (tube, périphérique) : il n'est pas lu"));
    case EntryKind::LinkLoop:
    case EntryKind::Unreadable:
        throw refused(path, QStringLiteral("illisible : %1").arg(SystemErrorText(info.error)));
    }

    QFile file;
    int error = 0;
    if (!OpenRegularFile(path, file, &error))
        throw refused(path, QStringLiteral("illisible : %1").arg(SystemErrorText(error)));
    ClearSystemError();
    const QByteArray bytes = file.read(MaximumLine + 1);
    if (file.error() != QFileDevice::NoError)
        throw refused(path, QStringLiteral("illisible : %1").arg(DeviceErrorText(file, LastSystemError())));
    qsizetype end = 0;
    while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
        ++end;
    if (end > MaximumLine)
        throw refused(path, QStringLiteral("sa première ligne dépasse %1 Kio : ce n'est pas une clé").arg(MaximumLine / 1024));
    if (end < MinimumKeySize)
        throw refused(path, QStringLiteral("sa première ligne, la clé, a %1 octets, il en faut au moins %2 "
                                           "(une clé au hasard : python3 -c \"import secrets; print(secrets.token_hex(32))\" > cle.txt)")
                                .arg(end)
                                .arg(MinimumKeySize));
    if (warning && OthersMayRead(file))
        *warning = QStringLiteral("%1 : attention : d'autres utilisateurs peuvent lire le fichier de la clé (chmod 600 %1)").arg(path);
    return bytes.left(end);
}

} // namespace belva::score
