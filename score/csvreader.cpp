#include "csvreader.h"

#include "csvformat.h"
#include "report.h"
#include "systemfile.h"

#include <QIODevice>

#include <csv.h>

#include <cstdlib>
#include <cstring>

namespace belva::score {

namespace {

constexpr qsizetype ChunkBytes = 256 * 1024;
// Bounds that keep memory flat whatever the input: a field larger than this
// is almost always an unclosed quote swallowing the rest of the file.
constexpr size_t MaxFieldBytes = 1024 * 1024;
constexpr size_t ParserBlockBytes = 64 * 1024;
constexpr qsizetype MaxColumns = 16384;
constexpr size_t MaxRowBytes = 16 * 1024 * 1024;
// libcsv's state inside a field (libcsv.c's FIELD_BEGUN).
constexpr int InsideField = 2;

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

// Line ends in the bytes: CR LF, CR or LF each count once.
qint64 lineEnds(const char *data, size_t size)
{
    qint64 n = 0;
    for (size_t i = 0; i < size; ++i)
        if (data[i] == '\r' || (data[i] == '\n' && (i == 0 || data[i - 1] != '\r')))
            ++n;
    return n;
}

} // namespace

CsvReader::CsvReader(QIODevice &in, const QString &name, char delimiter, Report &report)
    : m_in(in), m_name(name), m_setDelimiter(delimiter), m_report(report), m_parser(std::make_unique<csv_parser>()),
      m_keep(MaxColumns)
{
    if (csv_init(m_parser.get(), CSV_REPALL_NL) != 0)
        throw std::bad_alloc();
    csv_set_space_func(m_parser.get(), noBlanks);
    csv_set_realloc_func(m_parser.get(), cappedRealloc);
    csv_set_blk_size(m_parser.get(), ParserBlockBytes);
    m_row.m_capacity = 4096;
    m_row.m_bytes.reset(new char[m_row.m_capacity]);
    m_row.m_ends.reserve(64);
}

CsvReader::~CsvReader()
{
    csv_free(m_parser.get());
}

Failure CsvReader::failure(qint64 line, const QString &message) const
{
    return Failure{QStringLiteral("%1:%2: %3").arg(m_name, QString::number(line), message)};
}

void CsvReader::read(CsvRowHandler &handler)
{
    m_handler = &handler;
    QByteArray buffer(ChunkBytes, Qt::Uninitialized);
    const auto readSome = [&](char *to, qsizetype max) {
        ClearSystemError();
        const qint64 n = m_in.read(to, max);
        if (n < 0) {
            const int error = LastSystemError();
            throw Failure{QStringLiteral("%1 : erreur de lecture : %2").arg(m_name, DeviceErrorText(m_in, error))};
        }
        return qsizetype(n);
    };

    // The beginning, up to the first line end, tells the delimiter and line end.
    qsizetype have = 0;
    for (;;) {
        const qsizetype n = readSome(buffer.data() + have, ChunkBytes - have);
        have += n;
        const QByteArrayView start(buffer.constData(), have);
        if (n == 0 || have == ChunkBytes || start.contains('\n') || start.contains('\r'))
            break;
    }
    QByteArrayView start(buffer.constData(), have);
    const bool bom = start.startsWith("\xEF\xBB\xBF");
    if (bom)
        start = start.sliced(3);
    else if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF"))
        throw failure(1, QStringLiteral("fichier en UTF-16 : enregistrez-le en CSV UTF-8 ou Windows-1252"));
    const char delimiter = m_setDelimiter ? m_setDelimiter : DetectDelimiter(start);
    csv_set_delim(m_parser.get(), static_cast<unsigned char>(delimiter));
    handler.start({delimiter, DetectLineEnd(start), bom});

    parse(start.data(), start.size());
    m_report.advance(have, m_rowsSinceReport);
    m_rowsSinceReport = 0;
    for (;;) {
        const qsizetype n = readSome(buffer.data(), ChunkBytes);
        if (n == 0)
            break;
        parse(buffer.constData(), n);
        m_report.advance(n, m_rowsSinceReport);
        m_rowsSinceReport = 0;
    }
    checkUnclosedQuote();
    csv_fini(m_parser.get(), onField, onRowEnd, this);
    rethrow();
    m_report.advance(0, m_rowsSinceReport);
    if (m_inHeader)
        throw failure(1, QStringLiteral("fichier vide : pas d'en-tête"));
}

void CsvReader::checkUnclosedQuote()
{
    const csv_parser &p = *m_parser;
    if (p.pstate != InsideField || !p.quoted)
        return;
    // The field began where the parser's last row or field ended.
    const qint64 last = m_line + lineEnds(reinterpret_cast<const char *>(p.entry_buf), p.entry_pos);
    throw failure(m_line, QStringLiteral("guillemet ouvert à la ligne %1 et jamais fermé : les lignes %1 à %2, "
                                         "jusqu'à la fin, forment un seul champ")
                              .arg(m_line)
                              .arg(last));
}

void CsvReader::rethrow()
{
    if (m_exception)
        std::rethrow_exception(m_exception);
    if (m_failure)
        throw *m_failure;
}

void CsvReader::parse(const char *data, qsizetype size)
{
    const size_t done = csv_parse(m_parser.get(), data, size_t(size), onField, onRowEnd, this);
    rethrow();
    if (done != size_t(size))
        throw failure(m_line, QStringLiteral("champ de plus de %1 Mio (guillemet non fermé ?)").arg(MaxFieldBytes / (1024 * 1024)));
}

// libcsv calls these from C: nothing may be thrown through it.
template <typename Step>
void CsvReader::guarded(Step &&step)
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

Q_ALWAYS_INLINE bool CsvReader::shortField(const char *data, size_t size)
{
    // The common case in one pass and no call: a short field, not the row's
    // first, with room for it.
    constexpr size_t Short = 32;
    CsvRow &row = m_row;
    if (size > Short || row.m_fields == 0 || row.m_fields >= m_keep || row.m_size + Short > row.m_capacity
        || row.m_ends.size() == row.m_ends.capacity())
        return false;
    char *to = row.m_bytes.get() + row.m_size;
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
    row.m_size += size;
    row.m_ends.push_back(row.m_size);
    row.m_nonAscii |= acc >= 0x80;
    ++row.m_fields;
    return true;
}

void CsvReader::onField(void *data, size_t size, void *self)
{
    auto *r = static_cast<CsvReader *>(self);
    if (r->m_stopped || r->shortField(static_cast<const char *>(data), size))
        return;
    r->guarded([r, data, size] { r->field(static_cast<const char *>(data), size); });
}

void CsvReader::onRowEnd(int terminator, void *self)
{
    auto *r = static_cast<CsvReader *>(self);
    if (!r->m_stopped)
        r->guarded([r, terminator] { r->rowEnd(terminator); });
}

void CsvReader::field(const char *data, size_t size)
{
    CsvRow &row = m_row;
    if (row.m_fields == 0)
        row.m_line = m_line;
    m_lastWasCr = false;

    unsigned char acc = 0;
    bool lineEnd = false;
    for (size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        acc |= c;
        lineEnd |= c == '\n' || c == '\r';
    }
    if (lineEnd) // inside quotes
        m_line += lineEnds(data, size);

    if (row.m_fields < m_keep) {
        if (row.m_size + size > row.m_capacity) {
            if (row.m_size + size > MaxRowBytes)
                throw failure(row.m_line, QStringLiteral("ligne de plus de %1 Mio").arg(MaxRowBytes / (1024 * 1024)));
            const size_t capacity = qMin(MaxRowBytes, qMax(2 * row.m_capacity, row.m_size + size));
            std::unique_ptr<char[]> grown(new char[capacity]);
            std::memcpy(grown.get(), row.m_bytes.get(), row.m_size);
            row.m_bytes = std::move(grown);
            row.m_capacity = capacity;
        }
        if (size)
            std::memcpy(row.m_bytes.get() + row.m_size, data, size);
        row.m_size += size;
        row.m_ends.push_back(row.m_size);
        row.m_nonAscii |= acc >= 0x80;
    } else if (m_inHeader) {
        throw failure(row.m_line, QStringLiteral("en-tête de plus de %1 colonnes").arg(MaxColumns));
    } else if (!isBlank(QByteArrayView(data, qsizetype(size)))) {
        row.m_moreNonBlank = true;
    }
    ++row.m_fields;
}

void CsvReader::countLineEnd(int terminator)
{
    if (terminator == '\n' && m_lastWasCr) {
        m_lastWasCr = false;
        return;
    }
    if (terminator == '\n' || terminator == '\r')
        ++m_line;
    m_lastWasCr = terminator == '\r';
}

void CsvReader::rowEnd(int terminator)
{
    CsvRow &row = m_row;
    if (row.m_fields > 0) {
        if (m_inHeader) {
            m_keep = m_handler->header(row);
            m_inHeader = false;
        } else {
            m_handler->row(row);
            ++m_rowsSinceReport;
        }
        row.m_size = 0;
        row.m_ends.clear();
        row.m_fields = 0;
        row.m_nonAscii = false;
        row.m_moreNonBlank = false;
    }
    countLineEnd(terminator);
}

} // namespace belva::score
