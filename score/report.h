#pragma once

#include <QElapsedTimer>
#include <QString>

class QIODevice;

namespace belva::score {

// A line for a terminal: control characters, line and paragraph separators
// and the marks that turn text around shown as escapes ("\n", "\x1B",
// "\u202E"), so that a name from outside cannot start a line of its own or
// drive the terminal.
[[nodiscard]] QString Printable(const QString &text);

// What the run tells on standard error: one line "FILE:LINE: message" for
// each row that could not be scored, the notes of the run, and, when
// standard error is a terminal and the work lasts over a second, a progress
// line erased at the end. Every line goes through Printable().
class Report
{
public:
    Report(QIODevice &errors, bool showProgress);

    // The work of all inputs (bytes, or saved tests), or -1 when unknown.
    void setTotalWork(qint64 work) { m_totalWork = work; }

    void rowFailed(const QString &file, qint64 line, const QString &message);
    void warning(const QString &file, qint64 line, const QString &message);
    void note(const QString &line);
    // Counts the work done since the last call.
    void advance(qint64 work, qint64 rows);
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
    qint64 m_totalWork = -1;
    qint64 m_work = 0;
    qint64 m_rows = 0;
    qint64 m_failedRows = 0;
    qsizetype m_progressWidth = 0;
};

} // namespace belva::score
