#pragma once

#include <QByteArrayView>
#include <QTemporaryFile>

#include <cstdint>
#include <memory>
#include <vector>

namespace belva::score {

// Rows kept aside in a file of the temporary folder and read back in their
// order, so that a writer that must see every row before it writes the first
// holds none of them in memory. A row is a record of values put one after the
// other and taken back in the same order. The file is removed with the object.
// Throws Failure when the file cannot be made, written or read.
class RowSpill
{
public:
    RowSpill();
    ~RowSpill();
    RowSpill(const RowSpill &) = delete;
    RowSpill &operator=(const RowSpill &) = delete;

    void putByte(std::uint8_t value) { m_record.push_back(char(value)); }
    void putNumber(double value);
    void putText(QByteArrayView text);
    void endRecord();
    [[nodiscard]] qint64 records() const { return m_records; }

    // From the first record again; putting is over.
    void rewind();
    // Moves to the next record; false after the last.
    [[nodiscard]] bool nextRecord();
    [[nodiscard]] std::uint8_t byte() { return std::uint8_t(*m_at++); }
    [[nodiscard]] double number();
    // The text, ended by a null byte, valid until the next record.
    [[nodiscard]] const char *text(size_t *size);

private:
    void write(const char *bytes, size_t size);
    void flush();
    [[noreturn]] void fail(const char *what);
    [[noreturn]] void failShort();

    QTemporaryFile m_file;
    std::vector<char> m_record;
    std::unique_ptr<char[]> m_buffer;
    size_t m_capacity;
    size_t m_end = 0;  // bytes in the buffer
    size_t m_next = 0; // reading: where the next record starts in the buffer
    const char *m_at = nullptr;
    qint64 m_records = 0;
};

} // namespace belva::score
