#include "inputs.h"

#include "commandline.h"
#include "failure.h"
#include "report.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace belva::score {

namespace {

bool isTxt(const QString &name)
{
    return name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
}

// A .txt file is a saved test when it begins as one, with an empty line;
// spreadsheets also save tab-separated text as .txt. Only a regular file is
// looked into: a pipe's bytes are for the reader.
bool looksSaved(const QString &path)
{
    if (!isTxt(path))
        return false;
    QFile file;
    int error = 0;
    if (!OpenRegularFile(path, file, &error))
        return true; // the reader says why it cannot read it
    char first = 0;
    return file.read(&first, 1) == 1 && (first == '\r' || first == '\n');
}

} // namespace

Failure OutputIsInput(const QString &input, const QString &role)
{
    return Failure{QStringLiteral("%1 : c'est aussi %2 : rien n'est écrit, choisissez un autre nom").arg(input, role)};
}

Inputs ClassifyInputs(const QStringList &arguments)
{
    Inputs inputs;
    for (const QString &arg : arguments) {
        if (arg == u"-") {
            inputs.csv << arg;
            inputs.csvBytes = -1;
            continue;
        }
        const EntryInfo info = InspectEntry(arg);
        switch (info.kind) {
        case EntryKind::Folder:
        case EntryKind::LinkToFolder:
            inputs.saved << arg;
            break;
        case EntryKind::File:
            if (looksSaved(arg)) {
                inputs.saved << arg;
            } else {
                inputs.csv << arg;
                if (inputs.csvBytes >= 0)
                    inputs.csvBytes += QFileInfo(arg).size();
            }
            break;
        case EntryKind::NamedPipe:
        case EntryKind::Special:
            // Read as it comes, as from standard input; one named as a saved
            // test is one, which the reader refuses without waiting on it.
            if (isTxt(arg)) {
                inputs.saved << arg;
            } else {
                inputs.csv << arg;
                inputs.csvBytes = -1;
            }
            break;
        case EntryKind::Missing:
        case EntryKind::DanglingLink:
            throw Failure{QStringLiteral("%1 : fichier ou dossier introuvable").arg(arg)};
        case EntryKind::LinkLoop:
        case EntryKind::Unreadable:
            throw Failure{QStringLiteral("%1 : %2").arg(arg, SystemErrorText(info.error))};
        }
    }
    if (!inputs.csv.isEmpty() && !inputs.saved.isEmpty())
        throw UsageError{QStringLiteral("des tests enregistrés (%1) et des CSV (%2) ensemble : donnez-les séparément")
                             .arg(inputs.saved.first(), inputs.csv.first())};
    return inputs;
}

SavedTestFiles::SavedTestFiles(const QStringList &given, bool recursive, Report *report, std::vector<ReservedFile> reserved)
    : m_given(given), m_recursive(recursive), m_report(report), m_reserved(std::move(reserved))
{
}

void SavedTestFiles::checkNotReserved(const QString &path, const FileId &id) const
{
    for (const ReservedFile &r : m_reserved)
        if (id == r.id)
            throw OutputIsInput(path, r.role);
}

void SavedTestFiles::skip(const QString &path, const QString &why)
{
    if (m_report)
        m_report->note(QStringLiteral("%1 : ignoré : %2").arg(path, why));
}

bool SavedTestFiles::enter(const QString &folder, bool given)
{
    Folder f;
    f.path = folder;
    int error = 0;
    if (!f.listing.read(folder, &error)) {
        if (given)
            throw Failure{QStringLiteral("%1 : dossier illisible : %2").arg(folder, SystemErrorText(error))};
        skip(folder, QStringLiteral("dossier illisible : %1").arg(SystemErrorText(error)));
        return false;
    }
    m_folders.push_back(std::move(f));
    return true;
}

bool SavedTestFiles::next(QString *path)
{
    for (;;) {
        if (m_folders.empty()) {
            if (m_nextGiven == m_given.size())
                return false;
            const QString &given = m_given[m_nextGiven++];
            const EntryInfo info = InspectEntry(given);
            if (info.kind == EntryKind::File)
                checkNotReserved(given, info.id);
            if (info.kind != EntryKind::Folder && info.kind != EntryKind::LinkToFolder) {
                *path = given;
                return true;
            }
            (void)enter(given, true);
            continue;
        }
        Folder &folder = m_folders.back();
        if (folder.next == folder.listing.size()) {
            m_folders.pop_back();
            continue;
        }
        const qsizetype i = folder.next++;
        const QString name = folder.listing.name(i);
        const QString entry = folder.path.endsWith(u'/') ? folder.path + name : folder.path + u'/' + name;
        if (!folder.listing.isValidName(i)) {
            skip(entry, QStringLiteral("nom qui n'est pas valide dans l'encodage des noms de fichiers du système"));
            continue;
        }
        const EntryInfo info = InspectEntry(entry);
        switch (info.kind) {
        case EntryKind::File:
            checkNotReserved(entry, info.id);
            if (isTxt(name)) {
                *path = entry;
                return true;
            }
            skip(entry, QStringLiteral("pas un test enregistré (.txt)"));
            break;
        case EntryKind::Folder:
            if (m_recursive)
                (void)enter(entry, false);
            else
                skip(entry, QStringLiteral("sous-dossier (--recursive pour le lire)"));
            break;
        case EntryKind::LinkToFolder:
            skip(entry, QStringLiteral("lien vers un dossier, non suivi"));
            break;
        case EntryKind::NamedPipe:
            skip(entry, QStringLiteral("tube nommé"));
            break;
        case EntryKind::Special:
            skip(entry, QStringLiteral("fichier spécial (périphérique ou socket)"));
            break;
        case EntryKind::DanglingLink:
            skip(entry, QStringLiteral("lien symbolique vers un fichier absent"));
            break;
        case EntryKind::LinkLoop:
            skip(entry, QStringLiteral("lien symbolique en boucle"));
            break;
        case EntryKind::Missing:
        case EntryKind::Unreadable:
            skip(entry, QStringLiteral("illisible : %1").arg(SystemErrorText(info.error)));
            break;
        }
    }
}

} // namespace belva::score
