#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <string>

class QIODevice;

namespace belva::score {

// Rows of CSV in UTF-8 to a device, in large blocks. A field is quoted when it
// holds the delimiter, a double quote or a line end. Throws Failure when the
// device refuses to write, naming it as `deviceName`.
class CsvWriter
{
public:
    CsvWriter(QIODevice &device, QString deviceName);

    void setFormat(char delimiter, std::string lineEnd);

    void field(QByteArrayView utf8);
    void field(const QString &text);
    void endRow();
    void flush();

private:
    // Room for `bytes` more at m_end.
    void reserve(size_t bytes)
    {
        if (m_end + bytes > m_capacity)
            makeRoom(bytes);
    }
    void makeRoom(size_t bytes);

    QIODevice &m_device;
    const QString m_deviceName;
    std::unique_ptr<char[]> m_buffer;
    size_t m_capacity;
    size_t m_end = 0;
    std::string m_lineEnd = "\r\n";
    char m_delimiter = ';';
    bool m_rowStarted = false;
};

} // namespace belva::score
