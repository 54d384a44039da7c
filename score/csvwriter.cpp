#include "csvwriter.h"

#include "encoding.h"
#include "failure.h"
#include "report.h"
#include "systemfile.h"
#include "windows1252.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace belva::score {

namespace {

constexpr size_t BlockSize = 128 * 1024;
constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";

// The text Windows-1252 cannot hold, from its first such character.
QString firstUnencodable(const QString &text)
{
    const EncodedText encoded = EncodeWindows1252(text);
    if (encoded.ok())
        return {};
    const qsizetype at = encoded.firstUnencodable;
    const bool pair = text[at].isHighSurrogate() && at + 1 < text.size();
    return text.mid(at, pair ? 2 : 1);
}

// Values that do not come from a CSV input, nor from the program's numbers.
bool guarded(ColumnKind kind)
{
    return kind == ColumnKind::Text || kind == ColumnKind::Answer;
}

bool startsFormula(QByteArrayView value)
{
    if (value.isEmpty())
        return false;
    const char c = value[0];
    return c == '=' || c == '+' || c == '-' || c == '@';
}

} // namespace

CsvWriter::CsvWriter(QIODevice &device, QString deviceName, OutputEncoding encoding, Report &report)
    : m_device(device), m_deviceName(std::move(deviceName)), m_report(report), m_setting(encoding),
      m_buffer(new char[BlockSize]), m_capacity(BlockSize)
{
}

CsvWriter::~CsvWriter() = default;

void CsvWriter::willWrite(QStringView text)
{
    if (m_aheadUnencodable.isEmpty() && !IsWindows1252Encodable(text.toString()))
        m_aheadUnencodable = text.toString();
}

void CsvWriter::sourceEncoding(SourceEncoding encoding)
{
    m_source = encoding;
    if (!m_kinds.empty())
        decide();
}

QString CsvWriter::cannotHold(const QString &text) const
{
    return QStringLiteral("%1 : le caractère « %2 » (dans « %3 ») n'existe pas en Windows-1252")
        .arg(m_deviceName, firstUnencodable(text), text);
}

// Once begun, the encoding follows the input as soon as it is known.
void CsvWriter::decide()
{
    if (m_encoding != Encoding::Undecided || m_setting != OutputEncoding::LikeInput)
        return;
    switch (m_source) {
    case SourceEncoding::Unknown:
        break;
    case SourceEncoding::Utf8:
        m_encoding = Encoding::Utf8;
        break;
    case SourceEncoding::Utf8WithBom:
        useUtf8(true, {});
        break;
    case SourceEncoding::Windows1252:
        if (m_aheadUnencodable.isEmpty())
            m_encoding = Encoding::Windows1252;
        else
            useUtf8(true, m_aheadUnencodable);
        break;
    }
}

// Turns the output to UTF-8, because of the text Windows-1252 cannot hold
// when given. While nothing has left the buffer, what it holds is all of the
// output: ASCII or Windows-1252, converted, with a byte-order mark ahead.
void CsvWriter::useUtf8(bool byteOrderMark, const QString &unencodable)
{
    const bool wasWindows1252 = m_encoding == Encoding::Windows1252;
    m_encoding = Encoding::Utf8;
    byteOrderMark &= !m_flushed;
    if (!unencodable.isEmpty())
        m_report.note(cannotHold(unencodable)
                      + (byteOrderMark ? QStringLiteral(", l'encodage de l'entrée : la sortie est en UTF-8 avec BOM")
                                       : QStringLiteral(", l'encodage de l'entrée : la sortie est en UTF-8")));
    if (!byteOrderMark)
        return;
    std::unique_ptr<char[]> text(new char[3 + 3 * m_end]);
    std::memcpy(text.get(), ByteOrderMark, 3);
    const QByteArrayView before(m_buffer.get(), qsizetype(m_end));
    char *end = wasWindows1252 ? Windows1252::instance().toUtf8(before, text.get() + 3)
                               : std::copy(before.begin(), before.end(), text.get() + 3);
    const auto size = size_t(end - text.get());
    m_end = 0;
    reserve(size);
    std::memcpy(m_buffer.get(), text.get(), size);
    m_end = size;
}

void CsvWriter::begin(const std::vector<Column> &columns, const SourceStyle &style)
{
    m_delimiter = style.delimiter;
    m_lineEnd = style.lineEnd;
    if (m_source == SourceEncoding::Unknown)
        m_source = style.encoding;
    switch (m_setting) {
    case OutputEncoding::LikeInput:
        break;
    case OutputEncoding::Utf8:
        m_encoding = Encoding::Utf8;
        break;
    case OutputEncoding::Utf8WithBom:
        useUtf8(true, {});
        break;
    case OutputEncoding::Windows1252:
        if (!m_aheadUnencodable.isEmpty())
            throw Failure{cannotHold(m_aheadUnencodable)
                          + QStringLiteral(" (--output-encoding) : choisissez utf-8 ou utf-8-bom")};
        m_encoding = Encoding::Windows1252;
        break;
    }
    m_kinds.clear();
    for (const Column &c : columns) {
        m_kinds.push_back(c.kind);
        field(c.name.toUtf8(), ColumnKind::Copied);
    }
    decide();
    endRow();
}

// The common case in one pass and no call: a short field of ASCII that needs
// neither quotes nor a guard, with room for it.
inline bool CsvWriter::shortField(QByteArrayView value, ColumnKind kind)
{
    constexpr qsizetype Short = 32;
    const qsizetype n = value.size();
    if (n > Short || m_end + Short + 1 > m_capacity || (guarded(kind) && startsFormula(value)))
        return false;
    char *out = m_buffer.get() + m_end;
    if (m_rowStarted)
        *out++ = m_delimiter;
    unsigned char acc = 0;
    bool special = false;
    const char *p = value.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = p[i];
        special |= c == m_delimiter || c == '"' || c == '\n' || c == '\r';
        acc |= static_cast<unsigned char>(c);
        out[i] = c;
    }
    if (special || acc >= 0x80)
        return false; // written again by field()
    m_end = size_t(out + n - m_buffer.get());
    m_rowStarted = true;
    return true;
}

void CsvWriter::row(const QByteArrayView *values)
{
    const size_t n = m_kinds.size();
    for (size_t i = 0; i < n; ++i) {
        if (!shortField(values[i], m_kinds[i]))
            field(values[i], m_kinds[i]);
    }
    endRow();
}

void CsvWriter::makeRoom(size_t bytes)
{
    flush();
    if (bytes > m_capacity) {
        m_buffer.reset(new char[bytes]);
        m_capacity = bytes;
    }
}

void CsvWriter::field(QByteArrayView utf8, ColumnKind kind)
{
    if (guarded(kind) && startsFormula(utf8)) {
        const QByteArray guarded = '\'' + utf8.toByteArray();
        field(guarded, ColumnKind::Copied);
        return;
    }
    // Room first: the copy below may be taken back, which a flush would prevent.
    reserve(2 * size_t(utf8.size()) + 3);
    const size_t start = m_end;
    const bool started = m_rowStarted;
    // Copied while looking for bytes beyond ASCII: written again encoded if so.
    if (copy(utf8) && m_encoding != Encoding::Utf8) {
        m_end = start;
        m_rowStarted = started;
        nonAscii(utf8);
    }
}

void CsvWriter::nonAscii(QByteArrayView utf8)
{
    if (m_encoding == Encoding::Undecided) {
        decide();
        if (m_encoding == Encoding::Undecided)
            m_encoding = Encoding::Utf8; // nothing tells otherwise
    }
    if (m_encoding == Encoding::Windows1252) {
        if (m_encoded.size() < size_t(utf8.size()))
            m_encoded.resize(size_t(utf8.size()));
        if (const char *end = Windows1252::instance().fromUtf8(utf8, m_encoded.data())) {
            (void)copy(QByteArrayView(m_encoded.data(), end - m_encoded.data()));
            return;
        }
        const QString text = QString::fromUtf8(utf8);
        if (m_setting != OutputEncoding::LikeInput)
            throw Failure{cannotHold(text) + QStringLiteral(" (--output-encoding) : choisissez utf-8 ou utf-8-bom")};
        if (m_flushed)
            throw Failure{cannotHold(text)
                          + QStringLiteral(", l'encodage de l'entrée, et la sortie en a déjà reçu une partie : "
                                           "relancez avec --output-encoding=utf-8-bom")};
        useUtf8(true, text);
    }
    (void)copy(utf8);
}

bool CsvWriter::copy(QByteArrayView bytes)
{
    const char *p = bytes.data();
    const auto n = size_t(bytes.size());
    reserve(2 * n + 3); // delimiter, quotes, every byte a doubled quote
    char *out = m_buffer.get() + m_end;
    if (m_rowStarted)
        *out++ = m_delimiter;
    m_rowStarted = true;

    // Copied while looking for what needs quotes; rewritten quoted if so.
    bool quote = false;
    unsigned char acc = 0;
    for (size_t i = 0; i < n; ++i) {
        const char c = p[i];
        quote |= c == m_delimiter || c == '"' || c == '\n' || c == '\r';
        acc |= static_cast<unsigned char>(c);
        out[i] = c;
    }
    if (!quote) {
        m_end = size_t(out + n - m_buffer.get());
        return acc >= 0x80;
    }
    *out++ = '"';
    for (size_t i = 0; i < n; ++i) {
        if (p[i] == '"')
            *out++ = '"';
        *out++ = p[i];
    }
    *out++ = '"';
    m_end = size_t(out - m_buffer.get());
    return acc >= 0x80;
}

void CsvWriter::endRow()
{
    reserve(m_lineEnd.size());
    std::memcpy(m_buffer.get() + m_end, m_lineEnd.data(), m_lineEnd.size());
    m_end += m_lineEnd.size();
    m_rowStarted = false;
}

void CsvWriter::end()
{
    flush();
}

void CsvWriter::flush()
{
    const char *p = m_buffer.get();
    auto left = qint64(m_end);
    while (left > 0) {
        ClearSystemError();
        const qint64 n = m_device.write(p, left);
        if (n <= 0) {
            const int error = LastSystemError();
            throw Failure{QStringLiteral("%1 : erreur d'écriture : %2").arg(m_deviceName, DeviceErrorText(m_device, error))};
        }
        m_flushed = true;
        p += n;
        left -= n;
    }
    m_end = 0;
}

} // namespace belva::score
