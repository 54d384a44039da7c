#include "folder.h"

#include <QDir>
#include <QStringEncoder>

#include <windows.h>

namespace belva {

namespace {

const wchar_t *nativePath(const QString &path)
{
    return reinterpret_cast<const wchar_t *>(path.utf16());
}

} // namespace

namespace {

// Calls `take` with each name the folder holds but "." and ".."; the
// system's error code, or 0 when every name was listed.
template <typename Take>
DWORD eachName(const QString &folder, Take &&take)
{
    const QString pattern = QDir::toNativeSeparators(folder + QStringLiteral("/*"));
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(nativePath(pattern), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND ? 0 : e; // nothing in it, not even "." (a drive's root)
    }
    do {
        const QString name = QString::fromWCharArray(data.cFileName);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            take(name);
    } while (FindNextFileW(find, &data));
    const DWORD e = GetLastError();
    FindClose(find);
    return e == ERROR_NO_MORE_FILES ? 0 : e;
}

} // namespace

bool FolderListing::read(const QString &folder, int *error)
{
    m_names.clear();
    m_entries.clear();
    // Counted first, then held in blocks of the right size: a large folder's
    // names are not copied from block to block as they grow.
    qsizetype count = 0;
    qsizetype bytes = 0;
    DWORD e = eachName(folder, [&](const QString &name) {
        ++count;
        bytes += 3 * name.size();
    });
    if (!e) {
        m_entries.reserve(size_t(count));
        m_names.reserve(bytes);
        e = eachName(folder, [this](const QString &name) {
            // A lone surrogate has no UTF-8: such a name cannot be opened again from its text.
            QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            const QByteArray utf8 = encoder.encode(name);
            add(utf8, !encoder.hasError());
        });
    }
    if (e) {
        *error = int(e);
        return false;
    }
    sort();
    return true;
}

EntryInfo InspectEntry(const QString &path)
{
    const QString native = QDir::toNativeSeparators(path);
    EntryInfo info;
    const DWORD attributes = GetFileAttributesW(nativePath(native));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD e = GetLastError();
        info.error = int(e);
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND)
            info.kind = EntryKind::Missing;
        return info;
    }
    const bool link = attributes & FILE_ATTRIBUTE_REPARSE_POINT;
    // Opened without reading, following links, to learn what is at the end.
    HANDLE h = CreateFileW(nativePath(native), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        info.error = int(e);
        if (link && (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND))
            info.kind = EntryKind::DanglingLink;
        else if (link && e == ERROR_CANT_RESOLVE_FILENAME)
            info.kind = EntryKind::LinkLoop;
        return info;
    }
    BY_HANDLE_FILE_INFORMATION data{};
    const DWORD type = GetFileType(h);
    const bool known = GetFileInformationByHandle(h, &data);
    CloseHandle(h);
    if (type != FILE_TYPE_DISK) {
        info.kind = type == FILE_TYPE_PIPE ? EntryKind::NamedPipe : EntryKind::Special;
    } else if (!known) {
        info.error = ERROR_INVALID_HANDLE;
    } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        info.kind = link ? EntryKind::LinkToFolder : EntryKind::Folder;
    } else {
        info.kind = EntryKind::File;
        info.id.valid = true;
        info.id.device = data.dwVolumeSerialNumber;
        info.id.number = (quint64(data.nFileIndexHigh) << 32) | data.nFileIndexLow;
    }
    return info;
}

} // namespace belva
