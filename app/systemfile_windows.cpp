#include "systemfile.h"

#include "errors.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <windows.h>

#include <algorithm>

namespace belva {

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

} // namespace belva
