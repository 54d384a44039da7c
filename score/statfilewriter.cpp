#include "statfilewriter.h"

#include "failure.h"
#include "questionnaire.h"
#include "rowspill.h"
#include "scoring.h"
#include "systemfile.h"
#include "values.h"
#include "varnames.h"

#include <QHash>
#include <QIODevice>

#include <readstat.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace belva::score {

namespace {

constexpr std::uint8_t NoAnswer = 0xFF;
constexpr size_t BlockSize = 256 * 1024;
// The longest texts each format holds, in bytes. An SPSS text longer than
// 255 bytes is stored in segments of 252: the first under the variable's
// name, each other under a name ReadStat makes with a digit or letter for the
// segment, 35 of them before those names come round again.
constexpr size_t SegmentBytes = 252;
constexpr size_t LongestSavText = 36 * SegmentBytes;
constexpr size_t LongestDtaText = 2045;

// The names ReadStat gives an SPSS file's variables in its dictionary of
// eight-character names: the name's first eight characters in capitals (or
// V<number>_A when taken), and for each further segment of a long text, the
// first five of those and a digit or letter. It does not look whether a
// segment's name is another variable's: the first such meeting is returned,
// as the indexes of the two variables, or {-1, -1}.
std::pair<int, int> sameSpssNames(const std::vector<QString> &names, const std::vector<size_t> &widths)
{
    QHash<QByteArray, int> taken;
    std::vector<QByteArray> shortNames;
    for (size_t i = 0; i < names.size(); ++i) {
        QByteArray name = names[i].left(8).toUpper().toLatin1();
        if (taken.contains(name)) {
            name = "V" + QByteArray::number(int((i + 1) % 100000)) + "_A";
            if (taken.contains(name))
                return {taken.value(name), int(i)};
        }
        taken.insert(name, int(i));
        shortNames.push_back(name);
    }
    for (size_t i = 0; i < names.size(); ++i) {
        if (widths[i] <= 255)
            continue;
        const size_t segments = (widths[i] + SegmentBytes - 1) / SegmentBytes;
        for (size_t s = 1; s < segments; ++s) {
            const int letter = int(s % 36);
            const QByteArray name = shortNames[i].left(5) + char(letter < 10 ? '0' + letter : 'A' + letter - 10);
            if (taken.contains(name))
                return {taken.value(name), int(i)};
            taken.insert(name, int(i));
        }
    }
    return {-1, -1};
}

// A text cut to at most `bytes` bytes and `characters` characters, whole
// characters only.
QByteArray cut(const QString &text, qsizetype bytes, qsizetype characters)
{
    QString t = text.left(characters);
    if (!t.isEmpty() && t.back().isHighSurrogate())
        t.chop(1);
    QByteArray utf8 = t.toUtf8();
    while (utf8.size() > bytes) {
        t.chop(t.size() > 1 && t.back().isLowSurrogate() ? 2 : 1);
        utf8 = t.toUtf8();
    }
    return utf8;
}

QString scoreLabel(const QString &column)
{
    for (int d = 0; d < DimensionCount; ++d) {
        if (column == QLatin1String(ScoreColumns[d])) {
            QString caption = QString::fromUtf16(dimensions()[size_t(d)].scoreCaption); // "... (%) :"
            caption.chop(2);
            return caption;
        }
    }
    if (column == QLatin1String(ScoreColumns[DimensionCount]))
        return QString::fromUtf16(StatusPrefix).trimmed().chopped(2); // "Score global (%)"
    return {};
}

} // namespace

struct StatFileWriter::Variable
{
    enum class Role : std::uint8_t {
        Answer, // a byte: the answer or NoAnswer
        Number, // a double, NaN when missing
        Copied, // a text, written as a number when every value of the column is one
        Text,   // a text
    };
    Role role;
    int item = 0;
    ColumnKind kind;
    QString header;
    QString name;
    QString label;
    size_t widest = 0;
    bool numbers = true;
    bool negative = false;
    std::uint8_t integerDigits = 0;
    std::uint8_t decimals = 0;
    readstat_variable_t *variable = nullptr;

    [[nodiscard]] bool isText() const { return role == Role::Text || (role == Role::Copied && !numbers); }
};

// Where ReadStat's bytes go: into a block, written to the device when full.
class StatFileWriter::Output
{
public:
    Output(QIODevice &device, const QString &name) : m_device(device), m_name(name), m_block(new char[BlockSize]) {}

    static ssize_t write(const void *bytes, size_t size, void *context)
    {
        auto *self = static_cast<StatFileWriter *>(context)->m_output.get();
        return self->put(static_cast<const char *>(bytes), size) ? ssize_t(size) : -1;
    }

    bool put(const char *bytes, size_t size)
    {
        if (m_end + size > BlockSize && !flush())
            return false;
        if (size > BlockSize)
            return send(bytes, size);
        std::memcpy(m_block.get() + m_end, bytes, size);
        m_end += size;
        return true;
    }

    bool flush()
    {
        const bool ok = send(m_block.get(), m_end);
        m_end = 0;
        return ok;
    }

    // Why the device refused, once it has.
    [[nodiscard]] const QString &error() const { return m_error; }

private:
    bool send(const char *bytes, size_t size)
    {
        auto left = qint64(size);
        while (left > 0 && m_error.isEmpty()) {
            ClearSystemError();
            const qint64 n = m_device.write(bytes, left);
            if (n <= 0) {
                const int error = LastSystemError();
                m_error = QStringLiteral("%1 : erreur d'écriture : %2").arg(m_name, DeviceErrorText(m_device, error));
                break;
            }
            bytes += n;
            left -= n;
        }
        return m_error.isEmpty();
    }

    QIODevice &m_device;
    const QString &m_name;
    std::unique_ptr<char[]> m_block;
    size_t m_end = 0;
    QString m_error;
};

StatFileWriter::StatFileWriter(QIODevice &device, QString deviceName, OutputFormat format, const Settings &settings)
    : m_device(device), m_deviceName(std::move(deviceName)), m_format(format), m_settings(settings)
{
}

StatFileWriter::~StatFileWriter() = default;

void StatFileWriter::begin(const std::vector<Column> &columns, const SourceStyle &style)
{
    m_separator = char(DecimalSeparatorFor(m_settings, style.delimiter).unicode());
    m_variables.clear();
    for (const Column &c : columns) {
        Variable v{Variable::Role::Text, c.item, c.kind, c.name, {}, {}};
        if (c.item > 0)
            v.role = Variable::Role::Answer;
        else if (c.kind == ColumnKind::Score || c.kind == ColumnKind::Count)
            v.role = Variable::Role::Number;
        else if (c.kind == ColumnKind::Copied)
            v.role = Variable::Role::Copied;
        m_variables.push_back(std::move(v));
    }

    // The program's own columns first: answers, scores, Erreur and the
    // like keep their names whatever the input's columns are called.
    VariableNames names;
    for (Variable &v : m_variables) {
        if (v.role == Variable::Role::Answer) {
            v.name = QStringLiteral("q%1").arg(v.item);
            v.label = QString::fromUtf16(items()[size_t(v.item - 1)].caption);
        } else if (v.kind == ColumnKind::Score) {
            v.name = v.header;
            v.label = scoreLabel(v.header);
        } else if (v.kind == ColumnKind::Count) {
            v.name = v.header;
            v.label = QStringLiteral("Nombre d'items sans réponse");
        } else if (v.kind == ColumnKind::Text) {
            v.name = v.header;
        }
        if (!v.name.isEmpty() && !names.take(v.name))
            v.name.clear();
    }
    for (size_t i = 0; i < m_variables.size(); ++i) {
        Variable &v = m_variables[i];
        if (!v.name.isEmpty())
            continue;
        v.name = names.make(v.header, int(i + 1));
        if (v.label.isEmpty() && v.name != v.header)
            v.label = v.header;
    }
    m_spill = std::make_unique<RowSpill>();
}

void StatFileWriter::row(const QByteArrayView *values)
{
    RowSpill &spill = *m_spill;
    const size_t count = m_variables.size();
    for (size_t i = 0; i < count; ++i) {
        Variable &v = m_variables[i];
        const QByteArrayView value = values[i];
        switch (v.role) {
        case Variable::Role::Answer: {
            const int answer = AnswerValue(value);
            spill.putByte(answer < 0 ? NoAnswer : std::uint8_t(answer));
            break;
        }
        case Variable::Role::Number: {
            const std::optional<Number> n = ReadNumber(value, m_separator);
            spill.putNumber(n ? n->value : std::numeric_limits<double>::quiet_NaN());
            break;
        }
        case Variable::Role::Copied:
            if (v.numbers) {
                if (const std::optional<Number> n = ReadNumber(value, m_separator)) {
                    v.integerDigits = qMax(v.integerDigits, n->integerDigits);
                    v.decimals = qMax(v.decimals, n->decimals);
                    v.negative |= n->value < 0;
                } else {
                    v.numbers = IsMissingText(QString::fromUtf8(value).trimmed(), m_settings.missingCodes);
                }
            }
            Q_FALLTHROUGH();
        case Variable::Role::Text:
            v.widest = qMax(v.widest, size_t(value.size()));
            spill.putText(value);
            break;
        }
    }
    spill.endRecord();
}

void StatFileWriter::check(int readstatError)
{
    if (readstatError == READSTAT_OK)
        return;
    if (!m_output->error().isEmpty())
        throw Failure{m_output->error()};
    throw Failure{QStringLiteral("%1 : ReadStat : %2")
                      .arg(m_deviceName, QString::fromUtf8(readstat_error_message(readstat_error_t(readstatError))))};
}

void StatFileWriter::end()
{
    if (!m_spill)
        return; // no header: nothing to write
    const bool sav = m_format == OutputFormat::Sav;
    const char *const formatName = sav ? "SPSS" : "Stata";
    if (m_spill->records() > std::numeric_limits<std::int32_t>::max())
        throw Failure{QStringLiteral("%1 : %2 lignes, plus qu'un fichier %3 n'en admet")
                          .arg(m_deviceName).arg(m_spill->records()).arg(QLatin1String(formatName))};
    const size_t longest = sav ? LongestSavText : LongestDtaText;
    for (const Variable &v : m_variables) {
        if (v.isText() && v.widest > longest)
            throw Failure{QStringLiteral("%1 : la colonne « %2 » a un texte de %3 octets, plus qu'un fichier %4 "
                                         "n'en admet (%5) : rien n'est écrit%6")
                              .arg(m_deviceName, v.header)
                              .arg(v.widest)
                              .arg(QLatin1String(formatName))
                              .arg(longest)
                              .arg(sav ? QString() : QStringLiteral(" ; --format=sav les admet jusqu'à %1").arg(LongestSavText))};
    }
    if (sav) {
        std::vector<QString> names;
        std::vector<size_t> widths;
        for (const Variable &v : m_variables) {
            names.push_back(v.name);
            widths.push_back(v.isText() ? v.widest : 0);
        }
        const auto [first, second] = sameSpssNames(names, widths);
        if (first >= 0)
            throw Failure{QStringLiteral("%1 : les colonnes « %2 » (un texte de plus de 255 octets) et « %3 » auraient "
                                         "le même nom court dans le fichier SPSS : rien n'est écrit ; renommez l'une "
                                         "d'elles ou choisissez --format=dta")
                              .arg(m_deviceName, m_variables[size_t(second)].header, m_variables[size_t(first)].header)};
    }
    m_output = std::make_unique<Output>(m_device, m_deviceName);
    std::unique_ptr<readstat_writer_t, void (*)(readstat_writer_t *)> writer(readstat_writer_init(),
                                                                            &readstat_writer_free);
    if (!writer)
        throw Failure{QStringLiteral("%1 : ReadStat : mémoire insuffisante").arg(m_deviceName)};
    writeFile(writer.get());
}

void StatFileWriter::writeFile(void *handle)
{
    auto *writer = static_cast<readstat_writer_t *>(handle);
    const bool sav = m_format == OutputFormat::Sav;
    check(readstat_set_data_writer(writer, &Output::write));
    if (sav)
        check(readstat_writer_set_compression(writer, READSTAT_COMPRESS_ROWS));
    else
        check(readstat_writer_set_file_format_version(writer, 118));
    check(readstat_writer_set_file_label(writer, "BELVA MG"));

    // The answers' labels: the ends of the scale as the questionnaire's help
    // words them, the digits between.
    readstat_label_set_t *answers = readstat_add_label_set(writer, READSTAT_TYPE_INT32, "reponse");
    for (int a = LowestAnswer; a <= HighestAnswer; ++a) {
        const QByteArray label = a == LowestAnswer    ? QStringLiteral("%1 (aucune gêne)").arg(a).toUtf8()
                                 : a == HighestAnswer ? QStringLiteral("%1 (gêne maximale)").arg(a).toUtf8()
                                                      : QByteArray::number(a);
        readstat_label_int32_value(answers, a, label.constData());
    }

    // Labels: SPSS takes 256 bytes, Stata 80 characters.
    const qsizetype labelBytes = sav ? 256 : 320;
    const qsizetype labelCharacters = sav ? 256 : 80;
    for (Variable &v : m_variables) {
        readstat_type_t type = READSTAT_TYPE_DOUBLE;
        size_t width = 0;
        QByteArray format;
        readstat_measure_t measure = READSTAT_MEASURE_SCALE;
        switch (v.role) {
        case Variable::Role::Answer:
            type = READSTAT_TYPE_INT8;
            format = sav ? "F1.0" : "%8.0g";
            measure = READSTAT_MEASURE_ORDINAL;
            break;
        case Variable::Role::Number:
            if (v.kind == ColumnKind::Count) {
                type = READSTAT_TYPE_INT8;
                format = sav ? "F2.0" : "%8.0g";
            } else {
                format = sav ? "F6.2" : "%6.2f";
            }
            break;
        case Variable::Role::Copied:
        case Variable::Role::Text:
            if (v.isText()) {
                type = READSTAT_TYPE_STRING;
                width = qMax<size_t>(1, v.widest);
                measure = READSTAT_MEASURE_NOMINAL;
            } else {
                // Wide enough for the widest number and a sign.
                const int w = qMin(40, int(v.negative) + qMax(1, int(v.integerDigits)) + (v.decimals ? v.decimals + 1 : 0));
                format = sav ? QStringLiteral("F%1.%2").arg(w).arg(v.decimals).toLatin1()
                             : QStringLiteral("%%%1.%2f").arg(qMax(9, w)).arg(v.decimals).toLatin1();
            }
            break;
        }
        const QByteArray name = v.name.toLatin1();
        v.variable = readstat_add_variable(writer, name.constData(), type, width);
        if (!v.variable)
            check(READSTAT_ERROR_MALLOC);
        if (!v.label.isEmpty())
            readstat_variable_set_label(v.variable, cut(v.label, labelBytes, labelCharacters).constData());
        if (!format.isEmpty())
            readstat_variable_set_format(v.variable, format.constData());
        readstat_variable_set_measure(v.variable, measure);
        // A text's display width stays ReadStat's: SPSS takes its print
        // format from it, which must be the text's width.
        readstat_variable_set_alignment(v.variable, type == READSTAT_TYPE_STRING ? READSTAT_ALIGNMENT_LEFT
                                                                                 : READSTAT_ALIGNMENT_RIGHT);
        if (v.role == Variable::Role::Answer)
            readstat_variable_set_label_set(v.variable, answers);
    }

    const auto rows = long(m_spill->records());
    check(sav ? readstat_begin_writing_sav(writer, this, rows) : readstat_begin_writing_dta(writer, this, rows));
    m_spill->rewind();
    while (m_spill->nextRecord()) {
        check(readstat_begin_row(writer));
        for (const Variable &v : m_variables) {
            readstat_error_t error = READSTAT_OK;
            switch (v.role) {
            case Variable::Role::Answer: {
                const std::uint8_t answer = m_spill->byte();
                error = answer == NoAnswer ? readstat_insert_missing_value(writer, v.variable)
                                           : readstat_insert_int8_value(writer, v.variable, std::int8_t(answer));
                break;
            }
            case Variable::Role::Number: {
                const double value = m_spill->number();
                if (std::isnan(value))
                    error = readstat_insert_missing_value(writer, v.variable);
                else if (v.kind == ColumnKind::Count)
                    error = readstat_insert_int8_value(writer, v.variable, std::int8_t(value));
                else
                    error = readstat_insert_double_value(writer, v.variable, value);
                break;
            }
            case Variable::Role::Copied:
            case Variable::Role::Text: {
                size_t size = 0;
                const char *text = m_spill->text(&size);
                if (v.isText()) {
                    error = readstat_insert_string_value(writer, v.variable, text);
                } else if (const std::optional<Number> n = ReadNumber(QByteArrayView(text, qsizetype(size)), m_separator)) {
                    error = readstat_insert_double_value(writer, v.variable, n->value);
                } else {
                    error = readstat_insert_missing_value(writer, v.variable);
                }
                break;
            }
            }
            check(error);
        }
        check(readstat_end_row(writer));
    }
    check(readstat_end_writing(writer));
    if (!m_output->flush())
        throw Failure{m_output->error()};
}

bool StatFilesAvailable()
{
    return true;
}

std::unique_ptr<RowSink> MakeStatFileWriter(QIODevice &device, const QString &deviceName, OutputFormat format,
                                            const Settings &settings)
{
    return std::make_unique<StatFileWriter>(device, deviceName, format, settings);
}

} // namespace belva::score
