#include "systemfile.h"

#include "errors.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace belva {

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
    return WithoutTrailingStops(text);
}

namespace {

// Opens the file for reading and writing, created if missing, without
// emptying it yet; throws the creation message with the system's text.
int openTarget(const QString &path, bool *created)
{
    const QByteArray native = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(native.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    *created = fd >= 0;
    // Already there (or a link, which O_EXCL does not follow).
    while (fd < 0 && (errno == EEXIST || errno == EINTR))
        fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int err = errno;
        throw Error(QStringLiteral("Impossible de créer le fichier \"%1\". %2")
                        .arg(path, SystemErrorText(err)));
    }
    return fd;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

enum class Replacement { Done, Failed, NotPossible };

// Writes a new file beside the earlier one, with its owner and mode, and puts
// it in place once whole: a failure leaves the earlier file untouched.
// NotPossible when the folder takes no new file, the owner cannot be kept or
// the new file cannot be renamed over the earlier one.
Replacement replaceWhole(const QString &path, const struct stat &earlier, const QByteArray &bytes)
{
    QSaveFile file(path); // through a symbolic link, beside the file it names
    // Unbuffered: a failed write is then seen by commit(), which drops the
    // new file instead of putting a short one in place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Replacement::NotPossible;
    const int fd = file.handle();
    struct stat fresh;
    if (fd < 0 || ::fstat(fd, &fresh) != 0)
        return Replacement::NotPossible;
    if ((fresh.st_uid != earlier.st_uid || fresh.st_gid != earlier.st_gid)
        && ::fchown(fd, earlier.st_uid, earlier.st_gid) != 0)
        return Replacement::NotPossible;
    if (::fchmod(fd, earlier.st_mode & 07777) != 0)
        return Replacement::NotPossible;
    if (file.write(bytes) == bytes.size() && file.commit())
        return Replacement::Done;
    return file.error() == QFileDevice::RenameError ? Replacement::NotPossible : Replacement::Failed;
}

} // namespace

void WriteWholeFile(const QString &path, const QByteArray &bytes)
{
    bool created = false;
    const int fd = openTarget(path, &created);

    // An earlier file is replaced only once the new one is whole. A new file,
    // a device, or a file with a second name is written in place.
    struct stat st;
    if (!created && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1) {
        const Replacement r = replaceWhole(path, st, bytes);
        if (r != Replacement::NotPossible) {
            ::close(fd);
            if (r == Replacement::Failed)
                ThrowWriteError();
            return;
        }
    }

    // Devices cannot be truncated, and need not be.
    const bool written = (::ftruncate(fd, 0) == 0 || errno == EINVAL) && writeAll(fd, bytes);
    // A failing close can be the first sign of a failed write (NFS, quotas).
    const bool closed = ::close(fd) == 0 || errno == EINTR;
    if (!written || !closed)
        ThrowWriteError();
}

bool OpenRegularFile(const QString &path, QFile &file, int *error)
{
    // Non-blocking, so that a named pipe chosen by mistake cannot hang the
    // program; only a regular file is read.
    int fd;
    do {
        fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        *error = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = EIO;
        return false;
    }
    return true;
}

} // namespace belva
