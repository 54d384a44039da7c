#include "run.h"

#include "commandline.h"
#include "csvscorer.h"
#include "csvwriter.h"
#include "failure.h"
#include "inputs.h"
#include "pseudonymfiles.h"
#include "reliabilitytable.h"
#include "report.h"
#include "savedtests.h"
#include "statfilewriter.h"
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

// No input may be the output, nor the pseudonyms' key or table (saved tests
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
    std::optional<PseudonymFiles> pseudonymFiles;
    try {
        line = ParseCommandLine(arguments);
        if (line.help) {
            streams.out.write(HelpText().toUtf8());
            return 0;
        }
        inputs = ClassifyInputs(line.inputs);
        if (line.settings.pseudonymize)
            pseudonymFiles.emplace(line, inputs).reserve(reserved);
        if (!toStandardOutput(line))
            reserved.push_back({RegularFileId(line.output), OutputRole});
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
    if (QString message; pseudonymFiles && !pseudonymFiles->open(streams.out, &message)) {
        write(streams.err, message);
        return 2;
    }

    Report report(streams.err, streams.errIsTerminal);
    // The rows as CSV, as an SPSS or Stata file, or the scales' reliability.
    CsvWriter csv(*out, outName, line.settings.outputEncoding, report);
    std::unique_ptr<RowSink> other;
    if (line.settings.reliability)
        other = std::make_unique<ReliabilityTable>(csv, line.settings, report);
    else if (line.settings.format != OutputFormat::Csv)
        other = MakeStatFileWriter(*out, outName, line.settings.format, line.settings);
    RowSink &writer = other ? *other : csv;
    try {
        Pseudonymizer *pseudonyms = nullptr;
        if (pseudonymFiles)
            pseudonyms = &pseudonymFiles->begin(report, line.settings,
                                                inputs.saved.isEmpty() ? ColumnKind::Copied : ColumnKind::Text);
        if (inputs.saved.isEmpty())
            scoreCsv(line, inputs, streams, writer, report, pseudonyms);
        else
            scoreSavedTests(line, inputs, reserved, writer, report, pseudonyms);
        writer.end();
        // The table first: no pseudonyms are left that cannot be traced back.
        if (pseudonymFiles)
            pseudonymFiles->commit();
        if (!toStandardOutput(line) && !file.commit())
            throw Failure{QStringLiteral("%1 : erreur d'écriture : %2").arg(outName, SystemErrorText(file.error()))};
    } catch (const Failure &f) {
        report.finish();
        file.cancel();
        if (pseudonymFiles)
            pseudonymFiles->cancel();
        write(streams.err, f.message);
        return 2;
    }
    report.finish();
    return report.failedRows() > 0 ? 1 : 0;
}

} // namespace belva::score
