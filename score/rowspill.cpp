#include "rowspill.h"

#include "failure.h"
#include "systemfile.h"

#include <QDir>

#include <cstring>

namespace belva::score {

namespace {

constexpr size_t BlockSize = 256 * 1024;
constexpr size_t LengthSize = sizeof(std::uint32_t);

} // namespace

RowSpill::RowSpill()
    : m_file(QDir::tempPath() + QStringLiteral("/belvamg-score-XXXXXX")), m_buffer(new char[BlockSize]),
      m_capacity(BlockSize)
{
    ClearSystemError();
    if (!m_file.open())
        throw Failure{QStringLiteral("impossible de créer un fichier temporaire dans %1 : %2")
                          .arg(QDir::toNativeSeparators(QDir::tempPath()), DeviceErrorText(m_file, LastSystemError()))};
}

RowSpill::~RowSpill() = default;

void RowSpill::fail(const char *what)
{
    const int error = LastSystemError();
    throw Failure{QStringLiteral("fichier temporaire %1 : %2 : %3")
                      .arg(QDir::toNativeSeparators(m_file.fileName()), QString::fromUtf8(what),
                           DeviceErrorText(m_file, error))};
}

void RowSpill::failShort()
{
    throw Failure{QStringLiteral("fichier temporaire %1 : plus court que ce qui y a été écrit")
                      .arg(QDir::toNativeSeparators(m_file.fileName()))};
}

void RowSpill::putNumber(double value)
{
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    m_record.insert(m_record.end(), bytes, bytes + sizeof value);
}

// The size in 7-bit groups, lowest first, then the bytes and a null byte.
void RowSpill::putText(QByteArrayView text)
{
    auto size = size_t(text.size());
    while (size >= 0x80) {
        m_record.push_back(char(0x80 | (size & 0x7F)));
        size >>= 7;
    }
    m_record.push_back(char(size));
    m_record.insert(m_record.end(), text.begin(), text.end());
    m_record.push_back('\0');
}

void RowSpill::endRecord()
{
    const auto size = std::uint32_t(m_record.size());
    char length[LengthSize];
    std::memcpy(length, &size, LengthSize);
    write(length, LengthSize);
    write(m_record.data(), m_record.size());
    m_record.clear();
    ++m_records;
}

void RowSpill::write(const char *bytes, size_t size)
{
    if (m_end + size > m_capacity)
        flush();
    if (size > m_capacity) {
        ClearSystemError();
        if (m_file.write(bytes, qint64(size)) != qint64(size))
            fail("erreur d'écriture");
        return;
    }
    std::memcpy(m_buffer.get() + m_end, bytes, size);
    m_end += size;
}

void RowSpill::flush()
{
    ClearSystemError();
    if (m_end > 0 && m_file.write(m_buffer.get(), qint64(m_end)) != qint64(m_end))
        fail("erreur d'écriture");
    m_end = 0;
}

void RowSpill::rewind()
{
    flush();
    ClearSystemError();
    if (!m_file.flush() || !m_file.seek(0))
        fail("erreur de lecture");
    m_end = 0;
    m_next = 0;
}

bool RowSpill::nextRecord()
{
    // The whole record in the buffer: what is left of the buffer moved to its
    // start, the buffer made larger for a record larger than it, and filled.
    const auto fill = [this](size_t wanted) {
        if (m_next + wanted <= m_end)
            return true;
        std::memmove(m_buffer.get(), m_buffer.get() + m_next, m_end - m_next);
        m_end -= m_next;
        m_next = 0;
        if (wanted > m_capacity) {
            std::unique_ptr<char[]> larger(new char[wanted]);
            std::memcpy(larger.get(), m_buffer.get(), m_end);
            m_buffer = std::move(larger);
            m_capacity = wanted;
        }
        while (m_end < wanted) {
            ClearSystemError();
            const qint64 n = m_file.read(m_buffer.get() + m_end, qint64(m_capacity - m_end));
            if (n < 0)
                fail("erreur de lecture");
            if (n == 0)
                return false;
            m_end += size_t(n);
        }
        return true;
    };
    if (!fill(LengthSize))
        return false;
    std::uint32_t size;
    std::memcpy(&size, m_buffer.get() + m_next, LengthSize);
    if (!fill(LengthSize + size))
        failShort();
    m_at = m_buffer.get() + m_next + LengthSize;
    m_next += LengthSize + size;
    return true;
}

double RowSpill::number()
{
    double value;
    std::memcpy(&value, m_at, sizeof value);
    m_at += sizeof value;
    return value;
}

const char *RowSpill::text(size_t *size)
{
    size_t n = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = std::uint8_t(*m_at++);
        n |= size_t(byte & 0x7F) << shift;
        if (byte < 0x80)
            break;
    }
    const char *text = m_at;
    m_at += n + 1;
    if (size)
        *size = n;
    return text;
}

} // namespace belva::score
