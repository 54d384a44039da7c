#include "pseudonymfiles.h"

#include "commandline.h"
#include "failure.h"
#include "inputs.h"
#include "keyfile.h"
#include "report.h"

namespace belva::score {

namespace {

const QString TableRole = QStringLiteral("la table des pseudonymes (--pseudonym-table)");
const QString KeyRole = QStringLiteral("le fichier de la clé (--key-file)");

} // namespace

PseudonymFiles::PseudonymFiles(const CommandLine &line, const Inputs &inputs)
    : m_table(line.pseudonymTable), m_keyFile(line.keyFile)
{
    const Settings &s = line.settings;
    if (!inputs.csv.isEmpty() && s.identifiers.isEmpty())
        throw UsageError{QStringLiteral("--pseudonymize : nommez avec --identifiers=COLONNE,... les colonnes du CSV qui "
                                        "identifient les patients (aucune n'est devinée)")};
    if (!inputs.saved.isEmpty() && !s.identifiers.isEmpty())
        throw UsageError{QStringLiteral("--identifiers ne vaut que pour des CSV : le Patient des tests enregistrés est "
                                        "toujours remplacé par son pseudonyme")};
    const bool output = !line.output.isEmpty() && line.output != u"-";
    const bool table = !m_table.isEmpty() && !tableToStandardOutput();
    if (output && SameFile(line.output, m_keyFile))
        throw OutputIsInput(line.output, KeyRole);
    if (table && SameFile(m_table, m_keyFile))
        throw OutputIsInput(m_table, KeyRole);
    if (table && output && SameFile(m_table, line.output))
        throw OutputIsInput(m_table, OutputRole);
    m_key = ReadKeyFile(m_keyFile, &m_keyWarning);
}

void PseudonymFiles::reserve(std::vector<ReservedFile> &reserved) const
{
    reserved.push_back({RegularFileId(m_keyFile), KeyRole});
    if (!m_table.isEmpty() && !tableToStandardOutput())
        reserved.push_back({RegularFileId(m_table), TableRole});
}

bool PseudonymFiles::open(QIODevice &standardOutput, QString *message)
{
    if (m_table.isEmpty())
        return true;
    if (tableToStandardOutput()) {
        m_tableDevice = &standardOutput;
        return true;
    }
    if (!m_tableFile.open(m_table, OutputFile::NewFile::OwnerOnly)) {
        *message = QStringLiteral("%1 : impossible de créer le fichier : %2").arg(m_table, SystemErrorText(m_tableFile.error()));
        return false;
    }
    m_tableDevice = &m_tableFile.device();
    return true;
}

Pseudonymizer &PseudonymFiles::begin(Report &report, const Settings &settings, ColumnKind nameKind)
{
    if (!m_keyWarning.isEmpty())
        report.note(m_keyWarning);
    if (m_tableDevice) {
        // Names of any script: UTF-8, with the mark that spreadsheets read.
        const OutputEncoding encoding = settings.outputEncoding == OutputEncoding::LikeInput ? OutputEncoding::Utf8WithBom
                                                                                              : settings.outputEncoding;
        m_tableWriter.emplace(*m_tableDevice, tableToStandardOutput() ? QStringLiteral("(sortie standard)") : m_table,
                              encoding, report);
    }
    return m_pseudonyms.emplace(m_key, m_tableWriter ? &*m_tableWriter : nullptr, nameKind);
}

void PseudonymFiles::commit()
{
    if (!m_tableWriter)
        return;
    m_tableWriter->end();
    if (!tableToStandardOutput() && !m_tableFile.commit())
        throw Failure{QStringLiteral("%1 : erreur d'écriture : %2").arg(m_table, SystemErrorText(m_tableFile.error()))};
}

void PseudonymFiles::cancel()
{
    m_tableFile.cancel();
}

} // namespace belva::score
