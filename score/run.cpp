#include "run.h"

#include "commandline.h"
#include "csvscorer.h"
#include "csvwriter.h"
#include "failure.h"
#include "report.h"
#include "regularfile.h"
#include "savedtests.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <memory>

namespace belva::score {

namespace {

const QString StandardInput = QStringLiteral("(entrée standard)");

struct Inputs
{
    QStringList csv;   // "-" for standard input
    QStringList saved; // saved test files
    qint64 bytes = 0;  // -1 when unknown
};

// A .txt file is a saved test when it begins as one, with an empty line;
// spreadsheets also save tab-separated text as .txt.
bool looksSaved(const QFileInfo &info)
{
    if (info.suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) != 0)
        return false;
    // Never waiting on a pipe or device that bears the name.
    QFile file;
    int error = 0;
    if (!OpenRegularFile(info.filePath(), file, &error))
        return true; // the reader says why it cannot read it
    char first = 0;
    return file.read(&first, 1) == 1 && (first == '\r' || first == '\n');
}

Inputs classify(const QStringList &arguments)
{
    Inputs inputs;
    for (const QString &arg : arguments) {
        if (arg == u"-") {
            inputs.csv << arg;
            inputs.bytes = -1;
            continue;
        }
        const QFileInfo info(arg);
        if (!info.exists())
            throw Failure{QStringLiteral("%1 : fichier ou dossier introuvable").arg(arg)};
        if (info.isDir()) {
            const QDir dir(arg);
            const QStringList names = dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
            if (names.isEmpty())
                throw Failure{QStringLiteral("%1 : aucun test enregistré (.txt) dans ce dossier").arg(arg)};
            for (const QString &name : names) {
                const QString path = dir.filePath(name);
                inputs.saved << path;
                if (inputs.bytes >= 0)
                    inputs.bytes += QFileInfo(path).size();
            }
            continue;
        }
        if (!info.isReadable())
            throw Failure{QStringLiteral("%1 : lecture interdite").arg(arg)};
        (looksSaved(info) ? inputs.saved : inputs.csv) << arg;
        if (inputs.bytes >= 0)
            inputs.bytes += info.size();
    }
    if (!inputs.csv.isEmpty() && !inputs.saved.isEmpty())
        throw UsageError{QStringLiteral("des tests enregistrés (%1) et des CSV (%2) ensemble : donnez-les séparément")
                             .arg(inputs.saved.first(), inputs.csv.first())};
    return inputs;
}

void write(QIODevice &device, const QString &text)
{
    device.write(text.toUtf8());
}

void score(const CommandLine &line, const Inputs &inputs, const Streams &streams, CsvWriter &writer, Report &report)
{
    if (!inputs.saved.isEmpty()) {
        ScoreSavedTests(inputs.saved, line.settings, writer, report);
        return;
    }
    CsvScorer scorer(line.settings, writer, report);
    for (const QString &input : inputs.csv) {
        if (input == u"-") {
            scorer.read(streams.in, StandardInput);
            continue;
        }
        QFile file(input);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            throw Failure{QStringLiteral("%1 : impossible d'ouvrir le fichier : %2").arg(input, file.errorString())};
        scorer.read(file, input);
    }
}

} // namespace

int Run(const QStringList &arguments, const Streams &streams)
{
    CommandLine line;
    Inputs inputs;
    try {
        line = ParseCommandLine(arguments);
        if (line.help) {
            write(streams.out, HelpText());
            return 0;
        }
        inputs = classify(line.inputs);
    } catch (const UsageError &e) {
        write(streams.err, QStringLiteral("belvamg-score : %1\nEssayez « belvamg-score --help ».\n").arg(e.message));
        return 2;
    } catch (const Failure &f) {
        write(streams.err, f.message + u'\n');
        return 2;
    }

    std::unique_ptr<QSaveFile> file;
    QIODevice *out = &streams.out;
    QString outName = QStringLiteral("(sortie standard)");
    if (!line.output.isEmpty()) {
        file = std::make_unique<QSaveFile>(line.output);
        if (!file->open(QIODevice::WriteOnly)) {
            write(streams.err, QStringLiteral("%1 : impossible de créer le fichier : %2\n").arg(line.output, file->errorString()));
            return 2;
        }
        out = file.get();
        outName = line.output;
    }

    Report report(streams.err, streams.errIsTerminal);
    report.setTotalBytes(inputs.bytes);
    CsvWriter writer(*out, outName);
    try {
        score(line, inputs, streams, writer, report);
        writer.flush();
        if (file && !file->commit())
            throw Failure{QStringLiteral("%1 : erreur d'écriture : %2").arg(outName, file->errorString())};
    } catch (const Failure &f) {
        report.finish();
        if (file)
            file->cancelWriting();
        write(streams.err, f.message + u'\n');
        return 2;
    }
    report.finish();
    return report.failedRows() > 0 ? 1 : 0;
}

} // namespace belva::score
