#pragma once

#include "systemfile.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Folders as the program walks them: the names they hold, and what each
// entry is. One file per platform, folder_posix.cpp and folder_windows.cpp.
namespace belva {

// The names a folder holds, "." and ".." left out, in the order of their
// UTF-8 bytes (the order of their characters). Held compactly: a folder of a
// hundred thousand files takes a few megabytes.
class FolderListing
{
public:
    // Reads the folder's names; false, with the system's error code, when
    // it cannot be read.
    [[nodiscard]] bool read(const QString &folder, int *error);

    [[nodiscard]] qsizetype size() const { return qsizetype(m_entries.size()); }
    // The name as text; where it is not valid in the system's encoding of
    // file names, U+FFFD stands for what is not.
    [[nodiscard]] QString name(qsizetype i) const;
    // Whether the file can be opened by the text name() gives.
    [[nodiscard]] bool isValidName(qsizetype i) const { return m_entries[size_t(i)].valid; }

private:
    struct Entry
    {
        quint32 start;
        quint32 size : 31;
        quint32 valid : 1;
    };
    void add(QByteArrayView utf8OrRaw, bool valid);
    void sort();

    QByteArray m_names;
    std::vector<Entry> m_entries;
};

enum class EntryKind {
    File,         // a regular file, or a link to one
    Folder,
    LinkToFolder, // a symbolic link to a folder
    NamedPipe,
    Special,      // a device or a socket
    DanglingLink, // a symbolic link to nothing
    LinkLoop,     // a symbolic link that leads back to itself
    Missing,      // nothing has this name (`error` set)
    Unreadable,   // what it is cannot be known: `error` says why
};

struct EntryInfo
{
    EntryKind kind = EntryKind::Unreadable;
    int error = 0; // the system's error code, for Missing and Unreadable
    FileId id;     // for File
};

// What the entry at `path` is; nothing is opened.
[[nodiscard]] EntryInfo InspectEntry(const QString &path);

} // namespace belva
