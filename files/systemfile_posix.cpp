#include "systemfile.h"

#include "outputfile_p.h"

#include "errors.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

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

[[noreturn]] void throwCreateError(const QString &path, int err)
{
    throw Error(QStringLiteral("Impossible de créer le fichier \"%1\". %2").arg(path, SystemErrorText(err)));
}

// While alive, a write past the process's file size limit (ulimit -f) fails
// with EFBIG in this thread instead of ending the program with SIGXFSZ.
class FileSizeSignalHeld
{
public:
    FileSizeSignalHeld()
    {
        sigemptyset(&m_signal);
        sigaddset(&m_signal, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &m_signal, &m_saved);
    }
    ~FileSizeSignalHeld()
    {
        // The signal a failed write raised is taken before it can be delivered.
        const int saved = errno;
        sigset_t pending;
        if (sigismember(&m_saved, SIGXFSZ) != 1 && sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ) == 1) {
            const timespec now{0, 0};
            while (sigtimedwait(&m_signal, nullptr, &now) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_saved, nullptr);
        errno = saved;
    }
    FileSizeSignalHeld(const FileSizeSignalHeld &) = delete;
    FileSizeSignalHeld &operator=(const FileSizeSignalHeld &) = delete;

private:
    sigset_t m_signal;
    sigset_t m_saved;
};

// Opens the file for reading and writing, created if missing, without
// emptying it yet; throws the creation message with the system's text. A
// named pipe is opened for writing only, and only when something reads it:
// without a reader what is written would be lost.
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
    if (fd < 0)
        throwCreateError(path, errno);

    struct stat st;
    if (!*created && ::fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode)) {
        // Opened for reading too, the pipe would be its own reader.
        ::close(fd);
        do {
            fd = ::open(native.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0)
            throwCreateError(path, errno);
        // The reader takes the report at its own pace.
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    return fd;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(std::min<qsizetype>(left, 1 << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

// The rule of every writer: only a regular file with one name is replaced by
// a new one; anything else is written in place.
bool isReplaceable(const struct stat &st)
{
    return S_ISREG(st.st_mode) && st.st_nlink == 1;
}

// Opens a new file beside the earlier one (through a symbolic link, beside
// the file it names), with the earlier one's owner and mode, to be put in its
// place by commit(). false when the folder takes no new file or the owner
// cannot be kept. Unbuffered: a failed write is then seen by commit(), which
// drops the new file instead of putting a short one in place.
bool beginReplacement(QSaveFile &file, const struct stat &earlier)
{
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const int fd = file.handle();
    struct stat fresh;
    if (fd < 0 || ::fstat(fd, &fresh) != 0)
        return false;
    if ((fresh.st_uid != earlier.st_uid || fresh.st_gid != earlier.st_gid)
        && ::fchown(fd, earlier.st_uid, earlier.st_gid) != 0)
        return false;
    return ::fchmod(fd, earlier.st_mode & 07777) == 0;
}

enum class Replacement { Done, Failed, NotPossible };

// Writes a new file beside the earlier one and puts it in place once whole:
// a failure leaves the earlier file untouched. NotPossible when the new file
// cannot be made or renamed over the earlier one.
Replacement replaceWhole(const QString &path, const struct stat &earlier, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!beginReplacement(file, earlier))
        return Replacement::NotPossible;
    if (file.write(bytes) == bytes.size() && file.commit())
        return Replacement::Done;
    return file.error() == QFileDevice::RenameError ? Replacement::NotPossible : Replacement::Failed;
}

// Rewrites a file that must keep its place (a second name, a folder that
// takes no new file): the room for the new content is taken first, so that
// a full disk or the file size limit leaves the earlier content whole.
bool rewriteInPlace(int fd, const struct stat &earlier, const QByteArray &bytes)
{
    const off_t size = off_t(bytes.size());
    if (size > earlier.st_size) {
        const int err = ::posix_fallocate(fd, 0, size);
        if (err != 0 && err != EOPNOTSUPP && err != EINVAL) {
            // Whatever was added goes; the earlier bytes were not touched.
            while (::ftruncate(fd, earlier.st_size) != 0 && errno == EINTR) {
            }
            return false;
        }
    }
    return writeAll(fd, bytes) && ::ftruncate(fd, size) == 0;
}

// The new file at `path` is still the one `fd` created: it goes.
void removeCreated(const QString &path, int fd)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat mine;
    struct stat named;
    if (::fstat(fd, &mine) == 0 && ::lstat(native.constData(), &named) == 0 && mine.st_dev == named.st_dev
        && mine.st_ino == named.st_ino)
        ::unlink(native.constData());
}

} // namespace

void WriteWholeFile(const QString &path, const QByteArray &bytes)
{
    const FileSizeSignalHeld held;
    bool created = false;
    const int fd = openTarget(path, &created);

    // An earlier file is replaced only once the new one is whole. A new file,
    // a device, or a file with a second name is written in place.
    struct stat st;
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!created && isReplaceable(st)) {
        const Replacement r = replaceWhole(path, st, bytes);
        if (r != Replacement::NotPossible) {
            ::close(fd);
            if (r == Replacement::Failed)
                ThrowWriteError();
            return;
        }
    }

    bool written;
    if (created || !regular) {
        // Devices cannot be truncated, and need not be.
        written = (::ftruncate(fd, 0) == 0 || errno == EINVAL) && writeAll(fd, bytes);
    } else {
        written = rewriteInPlace(fd, st, bytes);
    }
    // A new file that could not be written whole is not left behind.
    if (!written && created)
        removeCreated(path, fd);
    // A failing close can be the first sign of a failed write (NFS, quotas).
    const bool closed = ::close(fd) == 0 || errno == EINTR;
    if (written && !closed && created)
        ::unlink(QFile::encodeName(path).constData());
    if (!written || !closed)
        ThrowWriteError();
}

namespace {

// The descriptor, open for reading, as the file's own, closed with it.
bool adopt(int fd, QFile &file, int *error)
{
    if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    *error = EIO;
    return false;
}

} // namespace

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
    return adopt(fd, file, error);
}

bool OpenForReading(const QString &path, QFile &file, int *error)
{
    int fd;
    do {
        fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        fd = -1;
        errno = EISDIR;
    }
    if (fd < 0) {
        *error = errno;
        return false;
    }
    return adopt(fd, file, error);
}

int LastSystemError()
{
    return errno;
}

void ClearSystemError()
{
    errno = 0;
}

namespace {

FileId regularFileId(const struct stat &st)
{
    FileId id;
    id.valid = S_ISREG(st.st_mode);
    id.device = quint64(st.st_dev);
    id.number = quint64(st.st_ino);
    return id;
}

} // namespace

FileId RegularFileId(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? regularFileId(st) : FileId();
}

FileId StandardInputFileId()
{
    struct stat st;
    return ::fstat(STDIN_FILENO, &st) == 0 ? regularFileId(st) : FileId();
}

bool OthersMayRead(const QFile &file)
{
    struct stat st;
    return ::fstat(file.handle(), &st) == 0 && (st.st_mode & (S_IRGRP | S_IROTH)) != 0;
}

Qt::CaseSensitivity FileNameCase()
{
    return Qt::CaseSensitive;
}

bool OutputFile::open(const QString &path, NewFile newFile)
{
    cancel();
    int fd;
    do {
        fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 && errno != ENOENT) {
        d->error = errno;
        return false;
    }
    if (fd < 0) {
        // A new file (or the missing file a link names): it appears whole.
        d->replacement.emplace(path);
        errno = 0;
        if (!d->replacement->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            d->error = errno ? errno : EACCES;
            d->replacement.reset();
            return false;
        }
        if (newFile == NewFile::OwnerOnly && ::fchmod(d->replacement->handle(), S_IRUSR | S_IWUSR) != 0) {
            d->error = errno;
            d->replacement->cancelWriting();
            d->replacement.reset();
            return false;
        }
        d->way = OutputWay::Replace;
        return true;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        d->error = errno;
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        if (!d->into.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            d->error = EIO;
            return false;
        }
        d->way = OutputWay::Into;
        return true;
    }
    if (isReplaceable(st)) {
        d->replacement.emplace(path);
        if (beginReplacement(*d->replacement, st)) {
            ::close(fd);
            d->way = OutputWay::Replace;
            return true;
        }
        d->replacement.reset();
    }
    d->aside.emplace(QDir::tempPath() + QStringLiteral("/belvamg-XXXXXX"));
    errno = 0;
    if (!d->aside->open()) {
        d->error = errno ? errno : EACCES;
        d->aside.reset();
        ::close(fd);
        return false;
    }
    d->target = fd;
    d->way = OutputWay::Rewrite;
    return true;
}

bool RewindOutputTarget(qintptr target)
{
    return ::ftruncate(int(target), 0) == 0 && ::lseek(int(target), 0, SEEK_SET) == 0;
}

bool WriteOutputTarget(qintptr target, const char *data, qint64 size)
{
    return writeAll(int(target), QByteArray::fromRawData(data, qsizetype(size)));
}

bool CloseOutputTarget(qintptr target)
{
    // A failing close can be the first sign of a failed write (NFS, quotas).
    return ::close(int(target)) == 0 || errno == EINTR;
}

int WriteFailedCode()
{
    return EIO;
}

} // namespace belva
