#include "folder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace belva {

bool FolderListing::read(const QString &folder, int *error)
{
    m_names.clear();
    m_entries.clear();
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        *error = errno;
        return false;
    }
    // Counted first, then held in blocks of the right size: a large folder's
    // names are not copied from block to block as they grow.
    qsizetype count = 0;
    qsizetype bytes = 0;
    for (const dirent *e; (e = ::readdir(dir));) {
        ++count;
        bytes += qsizetype(std::strlen(e->d_name));
    }
    m_entries.reserve(size_t(count));
    m_names.reserve(bytes);
    ::rewinddir(dir);
    for (;;) {
        errno = 0;
        const dirent *e = ::readdir(dir);
        if (!e)
            break;
        const QByteArrayView raw(e->d_name, qsizetype(std::strlen(e->d_name)));
        if (raw == "." || raw == "..")
            continue;
        // A name the program cannot give back to the system byte for byte
        // cannot be opened by it.
        add(raw, QFile::encodeName(QFile::decodeName(raw.toByteArray())) == raw);
    }
    const int readError = errno;
    ::closedir(dir);
    if (readError) {
        *error = readError;
        return false;
    }
    sort();
    return true;
}

EntryInfo InspectEntry(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    EntryInfo info;
    struct stat st;
    if (::lstat(native.constData(), &st) != 0) {
        info.error = errno;
        if (errno == ENOENT || errno == ENOTDIR)
            info.kind = EntryKind::Missing;
        return info;
    }
    const bool link = S_ISLNK(st.st_mode);
    if (link && ::stat(native.constData(), &st) != 0) {
        info.error = errno;
        info.kind = errno == ENOENT ? EntryKind::DanglingLink
                    : errno == ELOOP ? EntryKind::LinkLoop
                                     : EntryKind::Unreadable;
        return info;
    }
    if (S_ISREG(st.st_mode)) {
        info.kind = EntryKind::File;
        info.id.valid = true;
        info.id.device = quint64(st.st_dev);
        info.id.number = quint64(st.st_ino);
    } else if (S_ISDIR(st.st_mode)) {
        info.kind = link ? EntryKind::LinkToFolder : EntryKind::Folder;
    } else if (S_ISFIFO(st.st_mode)) {
        info.kind = EntryKind::NamedPipe;
    } else {
        info.kind = EntryKind::Special;
    }
    return info;
}

} // namespace belva
