#include "reportexport.h"

#include "encoding.h"
#include "errors.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

namespace belva {

QString ReportDateText(const QDate &date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

QString SystemErrorText(int errnum, const char *localeName)
{
    // A locale of our own: the text follows the user's language even where
    // the process runs in another one, and decodes by that locale's codeset.
    locale_t loc = newlocale(LC_MESSAGES_MASK | LC_CTYPE_MASK, localeName, locale_t(nullptr));
    if (!loc)
        loc = newlocale(LC_MESSAGES_MASK | LC_CTYPE_MASK, "C", locale_t(nullptr));
    QString text;
    if (loc) {
        const QByteArray raw(strerror_l(errnum, loc));
        QStringDecoder decoder(nl_langinfo_l(CODESET, loc));
        text = decoder.isValid() ? decoder.decode(raw) : QString::fromLocal8Bit(raw);
        freelocale(loc);
    } else {
        text = QString::fromLocal8Bit(std::strerror(errnum));
    }
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

namespace {

[[noreturn]] void throwWriteError()
{
    throw Error(QStringLiteral("Erreur d'écriture dans le flux"));
}

} // namespace

void WriteReportFile(const QString &path, const QString &text)
{
    // A report that holds a character Windows-1252 cannot hold is not
    // written: no file is created or changed, no substitute byte written.
    const EncodedText encoded = EncodeWindows1252(text);
    if (!encoded.ok()) {
        const qsizetype at = encoded.firstUnencodable;
        const bool pair = text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate();
        throw Error(QStringLiteral("Le caractère \"%1\" ne peut pas être enregistré dans un fichier texte Windows.")
                        .arg(text.mid(at, pair ? 2 : 1)));
    }
    const QByteArray &bytes = encoded.bytes;

    const QByteArray native = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(native.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int err = errno;
        throw Error(QStringLiteral("Impossible de créer le fichier \"%1\". %2")
                        .arg(path, SystemErrorText(err)));
    }

    bool written = true;
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            written = false;
            break;
        }
        data += n;
        left -= n;
    }
    // A failing close can be the first sign of a failed write (NFS, quotas).
    const bool closed = ::close(fd) == 0 || errno == EINTR;
    if (!written || !closed)
        throwWriteError();
}

void CopyToClipboard(const QString &text)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    auto *mime = new QMimeData;
    mime->setText(text);
    clipboard->setMimeData(mime, QClipboard::Clipboard);
}

} // namespace belva
