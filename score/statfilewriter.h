#pragma once

#include "rowsink.h"
#include "settings.h"

#include <QString>

#include <memory>
#include <vector>

class QIODevice;

namespace belva::score {

class RowSpill;

// The scored study as an SPSS file (.sav, compressed rows) or a Stata 14 and
// later file (.dta, format 118), written through ReadStat, texts in UTF-8:
// - each answer column as q1..q20, numbers 0..5 labelled with the item's
//   caption and with its values' labels; a missing or refused answer is
//   system-missing;
// - PS, PH, S, DG and Global as numbers (the display value's full
//   precision: 47.08 for "47,08") labelled with their French names, and
//   Manquantes as a number;
// - every other column of the input as numbers when all its values are
//   numbers or missing (ReadNumber, IsMissingText), else as text, like the
//   program's texts (Fichier, Patient, Date, Erreur).
// Names are those of VariableNames, made from the headers; a header that had
// to change is kept as the variable's label.
// The file's header holds the number of rows, the types and the widths of
// the texts: the rows are kept in a temporary file (RowSpill) until end(),
// and nothing is written before. Throws Failure, naming the output
// `deviceName`, when the device refuses to write, when a text is too long
// for the format, or when the temporary file fails.
class StatFileWriter final : public RowSink
{
public:
    StatFileWriter(QIODevice &device, QString deviceName, OutputFormat format, const Settings &settings);
    ~StatFileWriter() override;

    void begin(const std::vector<Column> &columns, const SourceStyle &style) override;
    void row(const QByteArrayView *values) override;
    void end() override;

private:
    struct Variable;
    class Output;

    void check(int readstatError);
    void writeFile(void *writer);

    QIODevice &m_device;
    const QString m_deviceName;
    const OutputFormat m_format;
    const Settings m_settings;
    char m_separator = ',';
    std::vector<Variable> m_variables;
    std::unique_ptr<RowSpill> m_spill;
    std::unique_ptr<Output> m_output;
};

// Whether this build writes SPSS and Stata files (it has ReadStat).
[[nodiscard]] bool StatFilesAvailable();

// A StatFileWriter; null when the build has no ReadStat.
[[nodiscard]] std::unique_ptr<RowSink> MakeStatFileWriter(QIODevice &device, const QString &deviceName,
                                                          OutputFormat format, const Settings &settings);

} // namespace belva::score
