#include "csvwriter.h"

#include "failure.h"

#include <QIODevice>

#include <cstring>

namespace belva::score {

namespace {

constexpr size_t BlockSize = 128 * 1024;

} // namespace

CsvWriter::CsvWriter(QIODevice &device, QString deviceName)
    : m_device(device), m_deviceName(std::move(deviceName)), m_buffer(new char[BlockSize]), m_capacity(BlockSize)
{
}

void CsvWriter::setFormat(char delimiter, std::string lineEnd)
{
    m_delimiter = delimiter;
    m_lineEnd = std::move(lineEnd);
}

void CsvWriter::makeRoom(size_t bytes)
{
    flush();
    if (bytes > m_capacity) {
        m_buffer.reset(new char[bytes]);
        m_capacity = bytes;
    }
}

void CsvWriter::field(QByteArrayView utf8)
{
    const char *p = utf8.data();
    const auto n = size_t(utf8.size());
    reserve(2 * n + 3); // delimiter, quotes, every byte a doubled quote
    char *out = m_buffer.get() + m_end;
    if (m_rowStarted)
        *out++ = m_delimiter;
    m_rowStarted = true;

    // Copied while looking for what needs quotes; rewritten quoted if so.
    bool quote = false;
    for (size_t i = 0; i < n; ++i) {
        const char c = p[i];
        quote |= c == m_delimiter || c == '"' || c == '\n' || c == '\r';
        out[i] = c;
    }
    if (!quote) {
        m_end = size_t(out + n - m_buffer.get());
        return;
    }
    *out++ = '"';
    for (size_t i = 0; i < n; ++i) {
        if (p[i] == '"')
            *out++ = '"';
        *out++ = p[i];
    }
    *out++ = '"';
    m_end = size_t(out - m_buffer.get());
}

void CsvWriter::field(const QString &text)
{
    field(QByteArrayView(text.toUtf8()));
}

void CsvWriter::endRow()
{
    reserve(m_lineEnd.size());
    std::memcpy(m_buffer.get() + m_end, m_lineEnd.data(), m_lineEnd.size());
    m_end += m_lineEnd.size();
    m_rowStarted = false;
}

void CsvWriter::flush()
{
    const char *p = m_buffer.get();
    auto left = qint64(m_end);
    while (left > 0) {
        const qint64 n = m_device.write(p, left);
        if (n <= 0)
            throw Failure{QStringLiteral("%1 : erreur d'écriture : %2").arg(m_deviceName, m_device.errorString())};
        p += n;
        left -= n;
    }
    m_end = 0;
}

} // namespace belva::score
