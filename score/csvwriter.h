#pragma once

#include "rowsink.h"
#include "settings.h"

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class QIODevice;

namespace belva::score {

class Report;

// Rows as CSV, in large blocks to a device: the input's delimiter and line
// end, a field quoted when it holds the delimiter, a double quote or a line
// end. The text keeps the input's encoding unless set: UTF-8, with a
// byte-order mark when the input has one, or Windows-1252; a character
// Windows-1252 cannot hold turns the output to UTF-8 with a byte-order mark
// while that is still possible, and says so. A value that is not copied from
// a CSV input and would start a spreadsheet formula (= + - @) is written
// after an apostrophe. Throws Failure when the device refuses to write,
// naming it as `deviceName`.
class CsvWriter final : public RowSink
{
public:
    CsvWriter(QIODevice &device, QString deviceName, OutputEncoding encoding, Report &report);
    ~CsvWriter() override;

    void willWrite(QStringView text) override;
    void sourceEncoding(SourceEncoding encoding) override;
    void begin(const std::vector<Column> &columns, const SourceStyle &style) override;
    void row(const QByteArrayView *values) override;
    void end() override;

private:
    enum class Encoding { Undecided, Utf8, Windows1252 }; // Undecided: nothing but ASCII written yet

    [[nodiscard]] bool shortField(QByteArrayView value, ColumnKind kind);
    void field(QByteArrayView utf8, ColumnKind kind);
    // Returns whether the bytes go beyond ASCII.
    [[nodiscard]] bool copy(QByteArrayView bytes);
    void nonAscii(QByteArrayView utf8);
    void decide();
    void useUtf8(bool byteOrderMark, const QString &unencodable);
    [[nodiscard]] QString cannotHold(const QString &text) const;
    void endRow();
    void flush();
    void reserve(size_t bytes)
    {
        if (m_end + bytes > m_capacity)
            makeRoom(bytes);
    }
    void makeRoom(size_t bytes);

    QIODevice &m_device;
    const QString m_deviceName;
    Report &m_report;
    const OutputEncoding m_setting;
    SourceEncoding m_source = SourceEncoding::Unknown;
    Encoding m_encoding = Encoding::Undecided;
    QString m_aheadUnencodable; // the first text told ahead that Windows-1252 cannot hold
    std::vector<ColumnKind> m_kinds;

    std::unique_ptr<char[]> m_buffer;
    size_t m_capacity;
    size_t m_end = 0;
    bool m_flushed = false; // bytes have left the buffer
    std::vector<char> m_encoded; // a value in Windows-1252
    std::string m_lineEnd = "\r\n";
    char m_delimiter = ';';
    bool m_rowStarted = false;
};

} // namespace belva::score
