#pragma once

#include "csvwriter.h"
#include "pseudonyms.h"
#include "systemfile.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

class QIODevice;

namespace belva::score {

struct CommandLine;
struct Inputs;
struct ReservedFile;
class Report;

// What --pseudonymize needs beside the output: the key, read before anything
// is written, and the table of correspondence, written by the output's rule
// (whole or not at all) and put in place before it.
class PseudonymFiles
{
public:
    // Checks the options against the inputs (a CSV's identifying columns are
    // named, never guessed; saved tests name their patient), keeps the
    // output, the table and the key three files, and reads the key. Throws
    // UsageError or Failure.
    PseudonymFiles(const CommandLine &line, const Inputs &inputs);

    // The files no input may be: the key's and the table's.
    void reserve(std::vector<ReservedFile> &reserved) const;

    // Opens the table, new ones readable by their owner alone; false with
    // the message when it cannot be.
    [[nodiscard]] bool open(QIODevice &standardOutput, QString *message);

    // The pseudonyms of the run, their names of `nameKind` going to the
    // table. Throws Failure.
    [[nodiscard]] Pseudonymizer &begin(Report &report, const Settings &settings, ColumnKind nameKind);

    // The table put in place. Throws Failure.
    void commit();
    void cancel();

private:
    [[nodiscard]] bool tableToStandardOutput() const { return m_table == u"-"; }

    const QString m_table; // empty: none
    const QString m_keyFile;
    QByteArray m_key;
    QString m_keyWarning;
    OutputFile m_tableFile;
    QIODevice *m_tableDevice = nullptr;
    std::optional<CsvWriter> m_tableWriter;
    std::optional<Pseudonymizer> m_pseudonyms;
};

} // namespace belva::score
