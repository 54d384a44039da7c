#pragma once

#include "failure.h"
#include "folder.h"
#include "systemfile.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace belva::score {

class Report;

// What the command line names: CSV inputs, or saved tests (files and
// folders), never both. Throws UsageError when both are given, Failure for
// an input that does not exist.
struct Inputs
{
    QStringList csv;   // "-" for standard input
    QStringList saved; // saved test files and folders of them
    qint64 csvBytes = 0; // -1 when unknown (standard input, a pipe)
};
[[nodiscard]] Inputs ClassifyInputs(const QStringList &arguments);

// A file the run writes, or reads its key from, which no input may be.
struct ReservedFile
{
    FileId id;
    QString role; // "le fichier de sortie (-o)"
};
inline const QString OutputRole = QStringLiteral("le fichier de sortie (-o)");

// The refusal of an input that is also the output, or another reserved file.
[[nodiscard]] Failure OutputIsInput(const QString &input, const QString &role = OutputRole);

// The saved tests that files and folders name, in their order: each
// folder's entries in the order of their names, sub-folders among them with
// `recursive`. Every entry that is not read is told to the report with why
// (without a report: nothing is told). Nothing is opened: a named pipe cannot
// stop the walk.
class SavedTestFiles
{
public:
    // `reserved`: the files written and the key, which no input may be.
    SavedTestFiles(const QStringList &given, bool recursive, Report *report, std::vector<ReservedFile> reserved);

    // The next saved test; false at the end. Throws Failure for a folder
    // named on the command line that cannot be read, or for a reserved file.
    [[nodiscard]] bool next(QString *path);

private:
    struct Folder
    {
        QString path;
        FolderListing listing;
        qsizetype next = 0;
    };
    [[nodiscard]] bool enter(const QString &folder, bool given);
    void skip(const QString &path, const QString &why);
    void checkNotReserved(const QString &path, const FileId &id) const;

    const QStringList m_given;
    qsizetype m_nextGiven = 0;
    const bool m_recursive;
    Report *const m_report;
    const std::vector<ReservedFile> m_reserved;
    std::vector<Folder> m_folders;
};

} // namespace belva::score
