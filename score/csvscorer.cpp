#include "csvscorer.h"

#include "csvwriter.h"
#include "encoding.h"
#include "failure.h"
#include "report.h"

#include <QIODevice>
#include <QStringDecoder>

#include <csv.h>

#include <array>
#include <memory>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace belva::score {

namespace {

constexpr qsizetype ChunkBytes = 256 * 1024;
// Bounds that keep memory flat whatever the input: a field larger than this
// is almost always an unclosed quote swallowing the rest of the file.
constexpr size_t MaxFieldBytes = 1024 * 1024;
constexpr size_t ParserBlockBytes = 64 * 1024;
constexpr qsizetype MaxColumns = 16384;
constexpr size_t MaxRowBytes = 16 * 1024 * 1024;

void *cappedRealloc(void *p, size_t size)
{
    return size > MaxFieldBytes + ParserBlockBytes ? nullptr : std::realloc(p, size);
}

// Blanks are part of a field (RFC 4180): nothing is trimmed.
int noBlanks(unsigned char)
{
    return 0;
}

bool isBlank(QByteArrayView field)
{
    for (const char c : field)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

bool isAscii(QByteArrayView field)
{
    unsigned char acc = 0;
    for (const char c : field)
        acc |= static_cast<unsigned char>(c);
    return acc < 0x80;
}

bool isUtf8(QByteArrayView field)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(field);
    return !decoder.hasError();
}

// UTF-8 of each Windows-1252 byte.
struct Windows1252Table
{
    std::array<std::array<char, 4>, 256> bytes{};
    std::array<unsigned char, 256> size{};

    Windows1252Table()
    {
        for (int b = 0; b < 256; ++b) {
            const char c = char(b);
            const QByteArray utf8 = DecodeWindows1252(QByteArrayView(&c, 1)).toUtf8();
            size[size_t(b)] = static_cast<unsigned char>(qMin<qsizetype>(utf8.size(), 4));
            std::memcpy(bytes[size_t(b)].data(), utf8.constData(), size[size_t(b)]);
        }
    }
};

const Windows1252Table &windows1252()
{
    static const Windows1252Table table;
    return table;
}

// 1..20 for the column names an item column may have: "7", "q7", "Q_7",
// "item7", "Item-7", "item 7"; 0 otherwise.
int itemNumber(const QString &name)
{
    const QString n = name.trimmed().toLower();
    qsizetype i = 0;
    if (n.startsWith(QLatin1String("item")))
        i = 4;
    else if (n.startsWith(u'q'))
        i = 1;
    if (i > 0 && i < n.size() && (n[i] == u'_' || n[i] == u'-' || n[i] == u' '))
        ++i;
    const QStringView digits = QStringView(n).mid(i);
    if (digits.isEmpty() || digits.size() > 2 || digits[0] == u'0')
        return 0;
    int value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value <= ItemCount ? value : 0;
}

QString columnsFound(const QStringList &names)
{
    constexpr qsizetype Shown = 30;
    QStringList shown;
    for (qsizetype i = 0; i < names.size() && i < Shown; ++i)
        shown << (names[i].trimmed().isEmpty() ? QStringLiteral("(sans nom)") : names[i]);
    QString text = QStringLiteral("colonnes trouvées : ") + shown.join(QLatin1String(", "));
    if (names.size() > Shown)
        text += QStringLiteral(", … (%1 colonnes)").arg(names.size());
    return text;
}

char detectDelimiter(QByteArrayView start)
{
    qsizetype counts[3] = {};
    const char candidates[3] = {';', ',', '\t'};
    for (const char c : start) {
        if (c == '\n' || c == '\r')
            break;
        for (int k = 0; k < 3; ++k)
            counts[k] += c == candidates[k];
    }
    int best = 0;
    for (int k = 1; k < 3; ++k)
        if (counts[k] > counts[best])
            best = k;
    return candidates[best];
}

} // namespace

// What all inputs share: the output, its header and the row scorer.
struct CsvScorer::Output
{
    Settings settings;
    CsvWriter &writer;
    Report &report;
    std::optional<RowScorer> scorer;
    QStringList header;
    QString firstInput;
    qint64 rows = 0;

    Output(const Settings &s, CsvWriter &w, Report &r) : settings(s), writer(w), report(r) {}
};

namespace {

// One input, fed to libcsv chunk by chunk; its callbacks build one row at a
// time and hand it on at the row's end.
class InputReader
{
public:
    InputReader(CsvScorer::Output &output, QIODevice &in, const QString &name);
    ~InputReader() { csv_free(&m_parser); }
    InputReader(const InputReader &) = delete;
    InputReader &operator=(const InputReader &) = delete;

    void run();

private:
    static void onField(void *data, size_t size, void *self);
    static void onRowEnd(int terminator, void *self);
    // Runs a step of the parser's callbacks; a failure stops the reading and
    // is raised again once libcsv has returned.
    template <typename Step>
    void guarded(Step &&step);

    [[nodiscard]] bool shortField(const char *data, size_t size);
    void field(const char *data, size_t size);
    void rowEnd(int terminator);
    void countLineEnd(int terminator);
    void header(int terminator);
    void dataRow();
    void mapItems(const QStringList &names);
    void checkEncoding(qsizetype fields);
    [[nodiscard]] QByteArrayView fieldAt(qsizetype i) const
    {
        if (i >= qsizetype(m_ends.size()))
            return {};
        const size_t begin = i == 0 ? 0 : m_ends[size_t(i - 1)];
        return QByteArrayView(m_row.get() + begin, qsizetype(m_ends[size_t(i)] - begin));
    }
    [[nodiscard]] QString text(QByteArrayView field) const;
    void writeField(QByteArrayView field);
    [[nodiscard]] Failure failure(const QString &message) const;
    void parse(const char *data, qsizetype size);

    CsvScorer::Output &m_out;
    QIODevice &m_in;
    const QString m_name;
    csv_parser m_parser{};
    char m_delimiter = 0;

    // Encoding: UTF-8 while every byte sequence is, else Windows-1252 from
    // the first row that is not (unless set by the option or a byte-order mark).
    bool m_utf8 = true;
    bool m_encodingFixed = false;
    bool m_sawUtf8 = false;

    // The row being read: raw field bytes one after the other.
    std::unique_ptr<char[]> m_row;
    size_t m_rowCapacity = 0;
    size_t m_rowSize = 0;
    std::vector<size_t> m_ends;
    qsizetype m_fields = 0;
    qsizetype m_keep = MaxColumns; // fields kept; the header's count once read
    bool m_rowNonAscii = false;
    bool m_extraNonBlank = false;

    // Line numbers: of the parser's position, and of the row's first field.
    qint64 m_line = 1;
    qint64 m_rowLine = 1;
    bool m_lastWasCr = false;

    bool m_inHeader = true;
    std::array<qsizetype, ItemCount> m_itemColumn{};
    std::array<QString, ItemCount> m_itemNames;
    std::string m_converted;
    qint64 m_rowsSinceReport = 0;

    std::optional<Failure> m_failure;
    std::exception_ptr m_exception;
    bool m_stopped = false; // after a failure: the rest of libcsv's calls are ignored
};

InputReader::InputReader(CsvScorer::Output &output, QIODevice &in, const QString &name)
    : m_out(output), m_in(in), m_name(name)
{
    if (csv_init(&m_parser, CSV_REPALL_NL) != 0)
        throw std::bad_alloc();
    csv_set_space_func(&m_parser, noBlanks);
    csv_set_realloc_func(&m_parser, cappedRealloc);
    csv_set_blk_size(&m_parser, ParserBlockBytes);
    m_rowCapacity = 4096;
    m_row.reset(new char[m_rowCapacity]);
    m_ends.reserve(64);
    if (m_out.settings.encoding != TextEncoding::Detect) {
        m_encodingFixed = true;
        m_utf8 = m_out.settings.encoding == TextEncoding::Utf8;
    }
}

Failure InputReader::failure(const QString &message) const
{
    return Failure{QStringLiteral("%1:%2: %3").arg(m_name).arg(m_rowLine).arg(message)};
}

void InputReader::run()
{
    QByteArray buffer(ChunkBytes, Qt::Uninitialized);
    const auto readSome = [&](char *to, qsizetype max) {
        const qint64 n = m_in.read(to, max);
        if (n < 0)
            throw Failure{QStringLiteral("%1 : erreur de lecture : %2").arg(m_name, m_in.errorString())};
        return qsizetype(n);
    };

    // The beginning, up to the first line end, tells the encoding and the delimiter.
    qsizetype have = 0;
    for (;;) {
        const qsizetype n = readSome(buffer.data() + have, ChunkBytes - have);
        have += n;
        const QByteArrayView start(buffer.constData(), have);
        if (n == 0 || have == ChunkBytes || start.contains('\n') || start.contains('\r'))
            break;
    }
    QByteArrayView start(buffer.constData(), have);
    if (start.startsWith("\xEF\xBB\xBF")) {
        start = start.sliced(3);
        if (m_out.settings.encoding == TextEncoding::Detect) {
            m_encodingFixed = true;
            m_utf8 = true;
        }
    } else if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF")) {
        throw failure(QStringLiteral("fichier en UTF-16 : enregistrez-le en CSV UTF-8 ou Windows-1252"));
    }
    m_delimiter = m_out.settings.delimiter ? m_out.settings.delimiter : detectDelimiter(start);
    csv_set_delim(&m_parser, static_cast<unsigned char>(m_delimiter));

    parse(start.data(), start.size());
    m_out.report.advance(have, m_rowsSinceReport);
    m_rowsSinceReport = 0;
    for (;;) {
        const qsizetype n = readSome(buffer.data(), ChunkBytes);
        if (n == 0)
            break;
        parse(buffer.constData(), n);
        m_out.report.advance(n, m_rowsSinceReport);
        m_rowsSinceReport = 0;
    }
    csv_fini(&m_parser, onField, onRowEnd, this);
    if (m_exception)
        std::rethrow_exception(m_exception);
    if (m_failure)
        throw *m_failure;
    m_out.report.advance(0, m_rowsSinceReport);
    if (m_inHeader)
        throw failure(QStringLiteral("fichier vide : pas d'en-tête"));
}

void InputReader::parse(const char *data, qsizetype size)
{
    const size_t done = csv_parse(&m_parser, data, size_t(size), onField, onRowEnd, this);
    if (m_exception)
        std::rethrow_exception(m_exception);
    if (m_failure)
        throw *m_failure;
    if (done != size_t(size)) {
        m_rowLine = m_line;
        throw failure(QStringLiteral("champ de plus de %1 Mio (guillemet non fermé ?)").arg(MaxFieldBytes / (1024 * 1024)));
    }
}

// libcsv calls these from C: nothing may be thrown through it.
template <typename Step>
void InputReader::guarded(Step &&step)
{
    try {
        step();
    } catch (const Failure &f) {
        m_failure = f;
        m_stopped = true;
    } catch (...) {
        m_exception = std::current_exception();
        m_stopped = true;
    }
}

void InputReader::onField(void *data, size_t size, void *self)
{
    auto *r = static_cast<InputReader *>(self);
    if (r->m_stopped || r->shortField(static_cast<const char *>(data), size))
        return;
    r->guarded([r, data, size] { r->field(static_cast<const char *>(data), size); });
}

void InputReader::onRowEnd(int terminator, void *self)
{
    auto *r = static_cast<InputReader *>(self);
    if (!r->m_stopped)
        r->guarded([r, terminator] { r->rowEnd(terminator); });
}

bool InputReader::shortField(const char *data, size_t size)
{
    // The common case in one pass and no call: a short field, not the row's
    // first, with room for it.
    constexpr size_t Short = 32;
    if (size > Short || m_fields == 0 || m_fields >= m_keep || m_rowSize + Short > m_rowCapacity
        || m_ends.size() == m_ends.capacity())
        return false;
    char *to = m_row.get() + m_rowSize;
    unsigned char acc = 0;
    bool lineEnd = false;
    for (size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        acc |= c;
        lineEnd |= c == '\n' || c == '\r';
        to[i] = char(c);
    }
    if (lineEnd)
        return false;
    m_rowSize += size;
    m_ends.push_back(m_rowSize);
    m_rowNonAscii |= acc >= 0x80;
    ++m_fields;
    return true;
}

void InputReader::field(const char *data, size_t size)
{
    if (m_fields == 0)
        m_rowLine = m_line;
    m_lastWasCr = false;

    unsigned char acc = 0;
    bool lineEnd = false;
    for (size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        acc |= c;
        lineEnd |= c == '\n' || c == '\r';
    }
    if (lineEnd) {
        // Line ends inside a quoted field: CR LF, CR or LF each count once.
        for (size_t i = 0; i < size; ++i) {
            if (data[i] == '\r' || (data[i] == '\n' && (i == 0 || data[i - 1] != '\r')))
                ++m_line;
        }
    }

    if (m_fields < m_keep) {
        if (m_rowSize + size > m_rowCapacity) {
            if (m_rowSize + size > MaxRowBytes)
                throw failure(QStringLiteral("ligne de plus de %1 Mio").arg(MaxRowBytes / (1024 * 1024)));
            const size_t capacity = qMin(MaxRowBytes, qMax(2 * m_rowCapacity, m_rowSize + size));
            std::unique_ptr<char[]> grown(new char[capacity]);
            std::memcpy(grown.get(), m_row.get(), m_rowSize);
            m_row = std::move(grown);
            m_rowCapacity = capacity;
        }
        if (size)
            std::memcpy(m_row.get() + m_rowSize, data, size);
        m_rowSize += size;
        m_ends.push_back(m_rowSize);
        m_rowNonAscii |= acc >= 0x80;
    } else if (m_inHeader) {
        throw failure(QStringLiteral("en-tête de plus de %1 colonnes").arg(MaxColumns));
    } else if (!isBlank(QByteArrayView(data, qsizetype(size)))) {
        m_extraNonBlank = true;
    }
    ++m_fields;
}

void InputReader::countLineEnd(int terminator)
{
    if (terminator == '\n' && m_lastWasCr) {
        m_lastWasCr = false;
        return;
    }
    if (terminator == '\n' || terminator == '\r')
        ++m_line;
    m_lastWasCr = terminator == '\r';
}

void InputReader::rowEnd(int terminator)
{
    if (m_fields > 0) {
        if (m_inHeader)
            header(terminator);
        else
            dataRow();
        m_rowSize = 0;
        m_ends.clear();
        m_fields = 0;
        m_rowNonAscii = false;
        m_extraNonBlank = false;
    }
    countLineEnd(terminator);
}

QString InputReader::text(QByteArrayView field) const
{
    return m_utf8 ? QString::fromUtf8(field) : DecodeWindows1252(field);
}

void InputReader::checkEncoding(qsizetype fields)
{
    if (!m_rowNonAscii || !m_utf8 || m_encodingFixed)
        return;
    for (qsizetype i = 0; i < fields; ++i) {
        const QByteArrayView f = fieldAt(i);
        if (!isAscii(f) && !isUtf8(f)) {
            m_utf8 = false;
            m_encodingFixed = true;
            // Rows already written took their accents as UTF-8.
            if (m_sawUtf8)
                m_out.report.warning(m_name, m_rowLine,
                                     QStringLiteral("texte non UTF-8 : lu en Windows-1252 à partir de cette ligne"));
            return;
        }
    }
    m_sawUtf8 = true;
}

void InputReader::writeField(QByteArrayView field)
{
    if (!m_rowNonAscii || isAscii(field)) {
        m_out.writer.field(field);
        return;
    }
    if (m_utf8) {
        // Valid unless the encoding was set: then what is not becomes U+FFFD.
        m_out.writer.field(isUtf8(field) ? field : QByteArrayView(QString::fromUtf8(field).toUtf8()));
        return;
    }
    const Windows1252Table &table = windows1252();
    m_converted.clear();
    for (const char c : field) {
        const auto b = static_cast<unsigned char>(c);
        m_converted.append(table.bytes[b].data(), table.size[b]);
    }
    m_out.writer.field(QByteArrayView(m_converted.data(), qsizetype(m_converted.size())));
}

void InputReader::mapItems(const QStringList &names)
{
    const QString found = columnsFound(names);
    const QStringList &wanted = m_out.settings.items;
    std::array<QList<qsizetype>, ItemCount> columns;
    for (qsizetype c = 0; c < names.size(); ++c) {
        if (wanted.isEmpty()) {
            if (const int item = itemNumber(names[c]))
                columns[size_t(item - 1)] << c;
        } else {
            const QString name = names[c].trimmed();
            for (int i = 0; i < ItemCount; ++i)
                if (name == wanted[i])
                    columns[size_t(i)] << c;
        }
    }
    QStringList missing;
    for (int i = 0; i < ItemCount; ++i) {
        const QList<qsizetype> &cols = columns[size_t(i)];
        if (cols.size() > 1) {
            QStringList twice;
            for (const qsizetype c : cols)
                twice << names[c];
            throw failure(wanted.isEmpty()
                              ? QStringLiteral("la réponse %1 a plusieurs colonnes : %2 ; %3").arg(i + 1).arg(twice.join(QLatin1String(", ")), found)
                              : QStringLiteral("la colonne « %1 » (--items) est présente %2 fois ; %3").arg(wanted[i]).arg(cols.size()).arg(found));
        }
        if (cols.isEmpty())
            missing << (wanted.isEmpty() ? QString::number(i + 1) : QStringLiteral("« %1 »").arg(wanted[i]));
        else
            m_itemColumn[size_t(i)] = cols[0];
    }
    if (!missing.isEmpty()) {
        throw failure(wanted.isEmpty()
                          ? QStringLiteral("pas de colonne pour les réponses %1 (noms attendus : 1 à 20, q1 à q20 ou item1 à item20, sinon --items) ; %2")
                                .arg(missing.join(QLatin1String(", ")), found)
                          : QStringLiteral("colonnes de --items introuvables : %1 ; %2").arg(missing.join(QLatin1String(", ")), found));
    }
    for (int i = 0; i < ItemCount; ++i)
        m_itemNames[size_t(i)] = names[m_itemColumn[size_t(i)]].trimmed();
}

void InputReader::header(int terminator)
{
    checkEncoding(m_fields);
    QStringList names;
    names.reserve(m_fields);
    for (qsizetype i = 0; i < m_fields; ++i)
        names << text(fieldAt(i));
    mapItems(names);

    if (m_out.scorer) {
        if (names != m_out.header)
            throw failure(QStringLiteral("en-tête différent de celui de %1 ; %2").arg(m_out.firstInput, columnsFound(names)));
    } else {
        m_out.header = names;
        m_out.firstInput = m_name;
        m_out.writer.setFormat(m_delimiter, terminator == '\n' ? "\n" : "\r\n");
        m_out.scorer.emplace(m_out.settings.missing, DecimalSeparatorFor(m_out.settings, m_delimiter));
        for (const QString &name : names)
            m_out.writer.field(name);
        for (const char *column : ScoreColumns)
            m_out.writer.field(QByteArrayView(column));
        m_out.writer.endRow();
    }
    m_keep = names.size();
    m_inHeader = false;
}

void InputReader::dataRow()
{
    const qsizetype stored = qsizetype(m_ends.size());
    if (!m_extraNonBlank) {
        bool blank = true;
        for (qsizetype i = 0; i < stored && blank; ++i)
            blank = isBlank(fieldAt(i));
        if (blank)
            return; // a row without anything in it is no test
    }
    checkEncoding(stored);

    ScoreTexts scores;
    QStringList messages;
    if (m_extraNonBlank) {
        scores = ScoreTexts{};
        messages << QStringLiteral("la ligne a %1 colonnes, l'en-tête %2").arg(m_fields).arg(m_keep);
    } else {
        std::array<QByteArrayView, ItemCount> answers;
        for (int i = 0; i < ItemCount; ++i)
            answers[size_t(i)] = fieldAt(m_itemColumn[size_t(i)]);
        if (!m_out.scorer->scoreDigits(answers, scores)) {
            std::array<QString, ItemCount> texts;
            for (int i = 0; i < ItemCount; ++i)
                texts[size_t(i)] = text(answers[size_t(i)]);
            messages = m_out.scorer->scoreTexts(texts, m_itemNames, scores);
        }
    }

    for (qsizetype i = 0; i < m_keep; ++i)
        writeField(fieldAt(i));
    for (const ScoreText &s : scores)
        m_out.writer.field(s.view());
    if (messages.isEmpty()) {
        m_out.writer.field(QByteArrayView());
    } else {
        const QString error = messages.join(QLatin1String(" ; "));
        m_out.writer.field(error);
        m_out.report.rowFailed(m_name, m_rowLine, error);
    }
    m_out.writer.endRow();
    ++m_out.rows;
    ++m_rowsSinceReport;
}

} // namespace

CsvScorer::CsvScorer(const Settings &settings, CsvWriter &out, Report &report)
    : m_output(std::make_unique<Output>(settings, out, report))
{
}

CsvScorer::~CsvScorer() = default;

void CsvScorer::read(QIODevice &in, const QString &name)
{
    InputReader reader(*m_output, in, name);
    reader.run();
}

qint64 CsvScorer::rowsWritten() const
{
    return m_output->rows;
}

} // namespace belva::score
