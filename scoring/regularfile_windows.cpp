#include "regularfile.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

// Newer than the MinGW-w64 headers: "An operation is not supported on a directory."
#ifndef ERROR_DIRECTORY_NOT_SUPPORTED
#define ERROR_DIRECTORY_NOT_SUPPORTED 336L
#endif

namespace belva {

namespace {

const wchar_t *nativePath(const QString &path)
{
    return reinterpret_cast<const wchar_t *>(path.utf16());
}

} // namespace

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

} // namespace belva
