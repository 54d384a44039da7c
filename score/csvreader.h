#pragma once

#include <QByteArrayView>
#include <QString>

#include <exception>
#include <memory>
#include <optional>
#include <vector>

#include "failure.h"

class QIODevice;
struct csv_parser;

namespace belva::score {

class Report;

// One row as read: the bytes of its fields (quotes taken off, nothing else
// changed) and the line it began on. Only the fields the reader was told to
// keep are held; of the others it knows whether any held more than blanks.
class CsvRow
{
public:
    [[nodiscard]] qsizetype kept() const { return qsizetype(m_ends.size()); }
    [[nodiscard]] qsizetype fieldCount() const { return m_fields; }
    [[nodiscard]] QByteArrayView field(qsizetype i) const
    {
        if (i >= kept())
            return {};
        const size_t begin = i == 0 ? 0 : m_ends[size_t(i - 1)];
        return QByteArrayView(m_bytes.get() + begin, qsizetype(m_ends[size_t(i)] - begin));
    }
    [[nodiscard]] qsizetype bytes() const { return qsizetype(m_size); }
    [[nodiscard]] bool hasNonAscii() const { return m_nonAscii; }
    [[nodiscard]] bool hasMoreNonBlank() const { return m_moreNonBlank; }
    [[nodiscard]] qint64 line() const { return m_line; }

private:
    friend class CsvReader;
    std::unique_ptr<char[]> m_bytes;
    size_t m_capacity = 0;
    size_t m_size = 0;
    std::vector<size_t> m_ends;
    qsizetype m_fields = 0;
    bool m_nonAscii = false;
    bool m_moreNonBlank = false;
    qint64 m_line = 1;
};

// What a CSV input's start tells: how its rows are separated.
struct CsvStart
{
    char delimiter;
    const char *lineEnd;
    bool byteOrderMark; // a UTF-8 byte-order mark, taken off
};

// Receives an input's rows as they are read. Throws Failure to stop.
class CsvRowHandler
{
public:
    virtual ~CsvRowHandler() = default;
    virtual void start(const CsvStart &start) = 0;
    // The first row that holds a field; returns how many fields of each row to keep.
    virtual qsizetype header(const CsvRow &row) = 0;
    virtual void row(const CsvRow &row) = 0;
};

// Reads one CSV input with libcsv (RFC 4180 quoting, blanks kept), chunk by
// chunk, and hands each row on at its end; rows without a field (empty
// lines) are left out. Memory stays bounded whatever the input: a field of
// more than 1 MiB or a row of more than 16 MiB is refused. A quote still open
// at the end is refused too, naming the lines it took.
class CsvReader
{
public:
    // `delimiter` 0: found in the first line.
    CsvReader(QIODevice &in, const QString &name, char delimiter, Report &report);
    ~CsvReader();
    CsvReader(const CsvReader &) = delete;
    CsvReader &operator=(const CsvReader &) = delete;

    // Reads the input to its end. Throws Failure on a reading error.
    void read(CsvRowHandler &handler);

private:
    static void onField(void *data, size_t size, void *self);
    static void onRowEnd(int terminator, void *self);
    template <typename Step>
    void guarded(Step &&step);
    void rethrow();

    [[nodiscard]] bool shortField(const char *data, size_t size);
    void field(const char *data, size_t size);
    void rowEnd(int terminator);
    void countLineEnd(int terminator);
    void parse(const char *data, qsizetype size);
    void checkUnclosedQuote();
    [[nodiscard]] Failure failure(qint64 line, const QString &message) const;

    QIODevice &m_in;
    const QString m_name;
    const char m_setDelimiter;
    Report &m_report;
    CsvRowHandler *m_handler = nullptr;
    std::unique_ptr<csv_parser> m_parser;

    CsvRow m_row;
    qsizetype m_keep; // fields kept; the header's count once read
    bool m_inHeader = true;
    qint64 m_rowsSinceReport = 0;

    // The parser's line, and whether it last saw a CR (of a CR LF).
    qint64 m_line = 1;
    bool m_lastWasCr = false;

    std::optional<Failure> m_failure;
    std::exception_ptr m_exception;
    bool m_stopped = false; // after a failure: the rest of libcsv's calls are ignored
};

} // namespace belva::score
