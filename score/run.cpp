#include "run.h"

#include "commandline.h"
#include "csvscorer.h"
#include "csvwriter.h"
#include "failure.h"
#include "inputs.h"
#include "keyfile.h"
#include "pseudonyms.h"
#include "report.h"
#include "savedtests.h"
#include "systemfile.h"

#include <QFile>

#include <optional>

namespace belva::score {

namespace {

const QString StandardInput = QStringLiteral("(entrée standard)");
const QString StandardOutput = QStringLiteral("(sortie standard)");

void write(QIODevice &device, const QString &text)
{
    device.write((Printable(text) + u'\n').toUtf8());
}

bool toStandardOutput(const CommandLine &line)
{
    return line.output.isEmpty() || line.output == u"-";
}

// No input may be the output, nor the pseudonyms' table or key (saved tests
// are checked as their folders are walked): it would be read while it is
// written, or copied out.
void checkOutputIsNoInput(const Inputs &inputs, const std::vector<ReservedFile> &reserved)
{
    for (const QString &input : inputs.csv) {
        const FileId id = input == u"-" ? StandardInputFileId() : RegularFileId(input);
        for (const ReservedFile &r : reserved)
            if (id == r.id)
                throw OutputIsInput(input == u"-" ? StandardInput : input, r.role);
    }
}

// Pseudonyms: the files they need, checked before anything is written.
const QString TableRole = QStringLiteral("la table des pseudonymes (--pseudonym-table)");
const QString KeyRole = QStringLiteral("le fichier de la clé (--key-file)");

bool tableToStandardOutput(const CommandLine &line)
{
    return line.pseudonymTable == u"-";
}

// Saved tests say which field is the patient's; a CSV's identifying columns
// are the user's to name, never guessed. The output, the table and the key
// are three files.
void checkPseudonymFiles(const CommandLine &line, const Inputs &inputs)
{
    const Settings &s = line.settings;
    if (!inputs.csv.isEmpty() && s.identifiers.isEmpty())
        throw UsageError{QStringLiteral("--pseudonymize : nommez avec --identifiers=COLONNE,... les colonnes du CSV qui "
                                        "identifient les patients (aucune n'est devinée)")};
    if (!inputs.saved.isEmpty() && !s.identifiers.isEmpty())
        throw UsageError{QStringLiteral("--identifiers ne vaut que pour des CSV : le Patient des tests enregistrés est "
                                        "toujours remplacé par son pseudonyme")};
    const bool table = !line.pseudonymTable.isEmpty() && !tableToStandardOutput(line);
    if (!toStandardOutput(line) && SameFile(line.output, line.keyFile))
        throw OutputIsInput(line.output, KeyRole);
    if (table && SameFile(line.pseudonymTable, line.keyFile))
        throw OutputIsInput(line.pseudonymTable, KeyRole);
    if (table && !toStandardOutput(line) && SameFile(line.pseudonymTable, line.output))
        throw OutputIsInput(line.pseudonymTable, OutputRole);
}

void scoreCsv(const CommandLine &line, const Inputs &inputs, const Streams &streams, RowSink &sink, Report &report,
              Pseudonymizer *pseudonyms)
{
    const bool fileColumn = inputs.csv.size() > 1 && !pseudonyms;
    if (fileColumn)
        for (const QString &input : inputs.csv)
            sink.willWrite(input == u"-" ? StandardInput : input);
    report.setTotalWork(inputs.csvBytes);
    CsvScorer scorer(line.settings, sink, report, fileColumn, pseudonyms);
    for (const QString &input : inputs.csv) {
        if (input == u"-") {
            scorer.read(streams.in, StandardInput);
            continue;
        }
        QFile file;
        int error = 0;
        if (!OpenForReading(input, file, &error))
            throw Failure{QStringLiteral("%1 : impossible d'ouvrir le fichier : %2").arg(input, SystemErrorText(error))};
        scorer.read(file, input);
    }
}

void scoreSavedTests(const CommandLine &line, const Inputs &inputs, const std::vector<ReservedFile> &reserved,
                     RowSink &sink, Report &report, Pseudonymizer *pseudonyms)
{
    // A first walk, telling nothing, finds the output among the inputs and
    // the names the output will hold before anything is written.
    qint64 count = 0;
    {
        SavedTestFiles ahead(inputs.saved, line.settings.recursive, nullptr, reserved);
        for (QString path; ahead.next(&path); ++count)
            if (!pseudonyms)
                sink.willWrite(path);
    }
    if (count == 0)
        throw Failure{QStringLiteral("%1 : aucun test enregistré (.txt) dans ce dossier").arg(inputs.saved.first())};
    report.setTotalWork(count);

    SavedTestScorer scorer(line.settings, sink, report, pseudonyms);
    SavedTestFiles files(inputs.saved, line.settings.recursive, &report, reserved);
    for (QString path; files.next(&path);)
        scorer.score(path);
}

} // namespace

int Run(const QStringList &arguments, const Streams &streams)
{
    CommandLine line;
    Inputs inputs;
    std::vector<ReservedFile> reserved;
    QByteArray key;
    QString keyWarning;
    try {
        line = ParseCommandLine(arguments);
        if (line.help) {
            streams.out.write(HelpText().toUtf8());
            return 0;
        }
        inputs = ClassifyInputs(line.inputs);
        if (line.settings.pseudonymize)
            checkPseudonymFiles(line, inputs);
        if (!toStandardOutput(line))
            reserved.push_back({RegularFileId(line.output), OutputRole});
        if (line.settings.pseudonymize) {
            key = ReadKeyFile(line.keyFile, &keyWarning);
            reserved.push_back({RegularFileId(line.keyFile), KeyRole});
            if (!line.pseudonymTable.isEmpty() && !tableToStandardOutput(line))
                reserved.push_back({RegularFileId(line.pseudonymTable), TableRole});
        }
        checkOutputIsNoInput(inputs, reserved);
    } catch (const UsageError &e) {
        write(streams.err, QStringLiteral("belvamg-score : %1").arg(e.message));
        write(streams.err, QStringLiteral("Essayez « belvamg-score --help »."));
        return 2;
    } catch (const Failure &f) {
        write(streams.err, f.message);
        return 2;
    }

    OutputFile file;
    QIODevice *out = &streams.out;
    QString outName = StandardOutput;
    if (!toStandardOutput(line)) {
        if (!file.open(line.output)) {
            write(streams.err, QStringLiteral("%1 : impossible de créer le fichier : %2").arg(line.output, SystemErrorText(file.error())));
            return 2;
        }
        out = &file.device();
        outName = line.output;
    }

    // The table of pseudonyms is written by the same rule, readable by its
    // owner alone when it is new.
    OutputFile tableFile;
    QIODevice *tableOut = nullptr;
    if (!line.pseudonymTable.isEmpty()) {
        tableOut = &streams.out;
        if (!tableToStandardOutput(line)) {
            if (!tableFile.open(line.pseudonymTable, OutputFile::NewFile::OwnerOnly)) {
                write(streams.err, QStringLiteral("%1 : impossible de créer le fichier : %2")
                                       .arg(line.pseudonymTable, SystemErrorText(tableFile.error())));
                return 2;
            }
            tableOut = &tableFile.device();
        }
    }

    Report report(streams.err, streams.errIsTerminal);
    if (!keyWarning.isEmpty())
        report.note(keyWarning);
    CsvWriter writer(*out, outName, line.settings.outputEncoding, report);
    std::optional<CsvWriter> tableWriter;
    if (tableOut)
        tableWriter.emplace(*tableOut, tableToStandardOutput(line) ? StandardOutput : line.pseudonymTable,
                            line.settings.outputEncoding == OutputEncoding::LikeInput ? OutputEncoding::Utf8WithBom
                                                                                     : line.settings.outputEncoding,
                            report);
    try {
        std::optional<Pseudonymizer> pseudonyms;
        if (line.settings.pseudonymize)
            pseudonyms.emplace(key, tableWriter ? &*tableWriter : nullptr,
                               inputs.saved.isEmpty() ? ColumnKind::Copied : ColumnKind::Text);
        Pseudonymizer *p = pseudonyms ? &*pseudonyms : nullptr;
        if (inputs.saved.isEmpty())
            scoreCsv(line, inputs, streams, writer, report, p);
        else
            scoreSavedTests(line, inputs, reserved, writer, report, p);
        writer.end();
        // The table first: scores whose pseudonyms cannot be traced back are
        // not left behind.
        if (tableWriter) {
            tableWriter->end();
            if (!tableToStandardOutput(line) && !tableFile.commit())
                throw Failure{QStringLiteral("%1 : erreur d'écriture : %2").arg(line.pseudonymTable, SystemErrorText(tableFile.error()))};
        }
        if (!toStandardOutput(line) && !file.commit())
            throw Failure{QStringLiteral("%1 : erreur d'écriture : %2").arg(outName, SystemErrorText(file.error()))};
    } catch (const Failure &f) {
        report.finish();
        file.cancel();
        tableFile.cancel();
        write(streams.err, f.message);
        return 2;
    }
    report.finish();
    return report.failedRows() > 0 ? 1 : 0;
}

} // namespace belva::score
