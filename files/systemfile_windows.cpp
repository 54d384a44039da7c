#include "systemfile.h"

#include "outputfile_p.h"

#include "errors.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <optional>

// Newer than the MinGW-w64 headers: "An operation is not supported on a directory."
#ifndef ERROR_DIRECTORY_NOT_SUPPORTED
#define ERROR_DIRECTORY_NOT_SUPPORTED 336L
#endif

namespace belva {

QString SystemErrorText(int errnum, const char *)
{
    // Language 0: the thread's, then the user's, then the system's language.
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, DWORD(errnum), 0, reinterpret_cast<wchar_t *>(&buffer), 0,
                                        nullptr);
    QString text = length && buffer ? QString::fromWCharArray(buffer, int(length)) : QString();
    LocalFree(buffer);
    if (text.trimmed().isEmpty())
        text = QStringLiteral("Erreur système %1").arg(errnum);
    return WithoutTrailingStops(text);
}

namespace {

const wchar_t *nativePath(const QString &path)
{
    return reinterpret_cast<const wchar_t *>(path.utf16());
}


[[noreturn]] void throwCreateError(const QString &path, DWORD error)
{
    throw Error(QStringLiteral("Impossible de créer le fichier \"%1\". %2").arg(path, SystemErrorText(int(error))));
}

// Opens the file for reading and writing, shared with nobody, created if
// missing, without emptying it yet; throws the creation message.
HANDLE openTarget(const QString &path, bool *created)
{
    const QString native = QDir::toNativeSeparators(path);
    HANDLE h = CreateFileW(nativePath(native), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    *created = h != INVALID_HANDLE_VALUE;
    if (!*created && GetLastError() == ERROR_FILE_EXISTS)
        h = CreateFileW(nativePath(native), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throwCreateError(path, GetLastError());
    return h;
}

bool writeAll(HANDLE h, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const DWORD chunk = DWORD(std::min<qsizetype>(left, 1 << 30));
        DWORD written = 0;
        if (!WriteFile(h, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

// An ordinary file on a disk with no second name: one that may be replaced.
bool isReplaceable(HANDLE h)
{
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info)
           && !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
           && info.nNumberOfLinks == 1;
}

enum class Replacement { Done, Failed, NotPossible };

// Writes a new file beside the earlier one and puts it in place once whole:
// a failure leaves the earlier file untouched. NotPossible when the folder
// takes no new file or the new one cannot be renamed over the earlier one.
Replacement replaceWhole(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Replacement::NotPossible;
    if (file.write(bytes) == bytes.size() && file.commit())
        return Replacement::Done;
    return file.error() == QFileDevice::RenameError ? Replacement::NotPossible : Replacement::Failed;
}

} // namespace

void WriteWholeFile(const QString &path, const QByteArray &bytes)
{
    bool created = false;
    HANDLE h = openTarget(path, &created);

    // The earlier file is held, shared with nobody, until the new one is
    // ready to go in its place; it is let go only for the rename.
    if (!created && isReplaceable(h)) {
        CloseHandle(h);
        const Replacement r = replaceWhole(path, bytes);
        if (r == Replacement::Done)
            return;
        if (r == Replacement::Failed)
            ThrowWriteError();
        h = openTarget(path, &created);
    }

    bool written;
    LARGE_INTEGER earlier{};
    if (!created && GetFileType(h) == FILE_TYPE_DISK && GetFileSizeEx(h, &earlier)) {
        // A file that keeps its place (a second name, a folder that takes no
        // new file): the room for the new content is taken first, so that a
        // full disk leaves the earlier content whole.
        LARGE_INTEGER size{};
        size.QuadPart = bytes.size();
        LARGE_INTEGER start{};
        bool room = true;
        if (size.QuadPart > earlier.QuadPart) {
            room = SetFilePointerEx(h, size, nullptr, FILE_BEGIN) && SetEndOfFile(h);
            if (!room && SetFilePointerEx(h, earlier, nullptr, FILE_BEGIN))
                SetEndOfFile(h);
        }
        written = room && SetFilePointerEx(h, start, nullptr, FILE_BEGIN) && writeAll(h, bytes)
                  && SetFilePointerEx(h, size, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    } else {
        LARGE_INTEGER start{};
        written = SetFilePointerEx(h, start, nullptr, FILE_BEGIN) && SetEndOfFile(h) && writeAll(h, bytes);
    }
    const bool closed = CloseHandle(h);
    // A new file that could not be written whole is not left behind; shared
    // with nobody, it was still ours.
    if ((!written || !closed) && created)
        DeleteFileW(nativePath(QDir::toNativeSeparators(path)));
    if (!written || !closed)
        ThrowWriteError();
}

namespace {

// The handle, open for reading, as the file's own, closed with it.
bool adopt(HANDLE h, QFile &file, int *error)
{
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        *error = ERROR_INVALID_HANDLE;
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        *error = ERROR_READ_FAULT;
        return false;
    }
    return true;
}

} // namespace

bool OpenRegularFile(const QString &path, QFile &file, int *error)
{
    const QString native = QDir::toNativeSeparators(path);
    const DWORD attributes = GetFileAttributesW(nativePath(native));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *error = ERROR_DIRECTORY_NOT_SUPPORTED;
        return false;
    }
    HANDLE h = CreateFileW(nativePath(native), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *error = int(GetLastError());
        return false;
    }
    // Only a file on a disk: never a pipe, console or device that could hang.
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        *error = ERROR_INVALID_PARAMETER;
        return false;
    }
    return adopt(h, file, error);
}

bool OpenForReading(const QString &path, QFile &file, int *error)
{
    const QString native = QDir::toNativeSeparators(path);
    HANDLE h = CreateFileW(nativePath(native), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *error = int(GetLastError());
        return false;
    }
    return adopt(h, file, error);
}

int LastSystemError()
{
    return int(GetLastError());
}

void ClearSystemError()
{
    SetLastError(0);
}

namespace {

FileId regularFileId(HANDLE h)
{
    FileId id;
    BY_HANDLE_FILE_INFORMATION info{};
    if (h == INVALID_HANDLE_VALUE || GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info)
        || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return id;
    id.valid = true;
    id.device = info.dwVolumeSerialNumber;
    id.number = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return id;
}

} // namespace

FileId RegularFileId(const QString &path)
{
    const QString native = QDir::toNativeSeparators(path);
    HANDLE h = CreateFileW(nativePath(native), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const FileId id = regularFileId(h);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return id;
}

FileId StandardInputFileId()
{
    return regularFileId(GetStdHandle(STD_INPUT_HANDLE));
}

namespace {

HANDLE openExisting(const QString &path)
{
    return CreateFileW(nativePath(QDir::toNativeSeparators(path)), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Opens a new file beside the earlier one, to be put in its place by commit().
bool beginReplacement(QSaveFile &file, int *error)
{
    SetLastError(0);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return true;
    *error = GetLastError() ? int(GetLastError()) : ERROR_ACCESS_DENIED;
    return false;
}

} // namespace

bool OthersMayRead(const QFile &)
{
    return false;
}

Qt::CaseSensitivity FileNameCase()
{
    return Qt::CaseInsensitive;
}

bool OutputFile::open(const QString &path, NewFile)
{
    cancel();
    HANDLE h = openExisting(path);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            d->error = int(error);
            return false;
        }
        // A new file: it appears whole.
        d->replacement.emplace(path);
        if (!beginReplacement(*d->replacement, &d->error)) {
            d->replacement.reset();
            return false;
        }
        d->way = OutputWay::Replace;
        return true;
    }
    if (isReplaceable(h)) {
        CloseHandle(h);
        d->replacement.emplace(path);
        int error = 0;
        if (beginReplacement(*d->replacement, &error)) {
            d->way = OutputWay::Replace;
            return true;
        }
        d->replacement.reset();
        h = openExisting(path);
        if (h == INVALID_HANDLE_VALUE) {
            d->error = int(GetLastError());
            return false;
        }
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
        if (fd < 0) {
            CloseHandle(h);
            d->error = ERROR_INVALID_HANDLE;
            return false;
        }
        if (!d->into.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
            _close(fd);
            d->error = ERROR_WRITE_FAULT;
            return false;
        }
        d->way = OutputWay::Into;
        return true;
    }
    d->aside.emplace(QDir::tempPath() + QStringLiteral("/belvamg-XXXXXX"));
    SetLastError(0);
    if (!d->aside->open()) {
        d->error = GetLastError() ? int(GetLastError()) : ERROR_ACCESS_DENIED;
        d->aside.reset();
        CloseHandle(h);
        return false;
    }
    d->target = reinterpret_cast<qintptr>(h);
    d->way = OutputWay::Rewrite;
    return true;
}

bool RewindOutputTarget(qintptr target)
{
    const auto h = reinterpret_cast<HANDLE>(target);
    LARGE_INTEGER start{};
    return SetFilePointerEx(h, start, nullptr, FILE_BEGIN) && SetEndOfFile(h);
}

bool WriteOutputTarget(qintptr target, const char *data, qint64 size)
{
    return writeAll(reinterpret_cast<HANDLE>(target), QByteArray::fromRawData(data, qsizetype(size)));
}

bool CloseOutputTarget(qintptr target)
{
    return CloseHandle(reinterpret_cast<HANDLE>(target));
}

int WriteFailedCode()
{
    return ERROR_WRITE_FAULT;
}

} // namespace belva
