#pragma once

#include <QElapsedTimer>
#include <QString>

class QIODevice;

namespace belva::score {

// What the run tells on standard error: one line "FILE:LINE: message" for
// each row that could not be scored, and, when standard error is a terminal
// and the work lasts over a second, a progress line erased at the end.
class Report
{
public:
    Report(QIODevice &errors, bool showProgress);

    // The bytes of all inputs, or -1 when unknown (standard input).
    void setTotalBytes(qint64 bytes) { m_totalBytes = bytes; }

    void rowFailed(const QString &file, qint64 line, const QString &message);
    void warning(const QString &file, qint64 line, const QString &message);
    // Counts the work done since the last call.
    void advance(qint64 bytes, qint64 rows);
    void finish();

    [[nodiscard]] qint64 failedRows() const { return m_failedRows; }

private:
    void print(const QString &line);
    void drawProgress();
    void eraseProgress();

    QIODevice &m_errors;
    const bool m_showProgress;
    QElapsedTimer m_clock;
    qint64 m_lastDraw = 0;
    qint64 m_totalBytes = -1;
    qint64 m_bytes = 0;
    qint64 m_rows = 0;
    qint64 m_failedRows = 0;
    qsizetype m_progressWidth = 0;
};

} // namespace belva::score
