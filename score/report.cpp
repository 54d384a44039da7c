#include "report.h"

#include <QIODevice>
#include <QLocale>

namespace belva::score {

namespace {

constexpr qint64 ProgressDelayMs = 1000;
constexpr qint64 ProgressIntervalMs = 200;

} // namespace

Report::Report(QIODevice &errors, bool showProgress) : m_errors(errors), m_showProgress(showProgress)
{
    m_clock.start();
}

void Report::rowFailed(const QString &file, qint64 line, const QString &message)
{
    ++m_failedRows;
    print(QStringLiteral("%1:%2: %3\n").arg(file).arg(line).arg(message));
}

void Report::warning(const QString &file, qint64 line, const QString &message)
{
    print(QStringLiteral("%1:%2: %3\n").arg(file).arg(line).arg(message));
}

void Report::print(const QString &line)
{
    eraseProgress();
    m_errors.write(line.toUtf8());
}

void Report::advance(qint64 bytes, qint64 rows)
{
    m_bytes += bytes;
    m_rows += rows;
    if (!m_showProgress)
        return;
    const qint64 now = m_clock.elapsed();
    if (now < ProgressDelayMs || now - m_lastDraw < ProgressIntervalMs)
        return;
    m_lastDraw = now;
    drawProgress();
}

void Report::drawProgress()
{
    static const QLocale french(QLocale::French, QLocale::France);
    const qint64 ms = qMax<qint64>(1, m_clock.elapsed());
    QString text = QStringLiteral("%1 lignes").arg(french.toString(m_rows));
    if (m_totalBytes > 0)
        text += QStringLiteral(", %1 %").arg(qMin<qint64>(100, m_bytes * 100 / m_totalBytes));
    text += QStringLiteral(", %1 lignes/s").arg(french.toString(m_rows * 1000 / ms));
    const qsizetype width = text.size();
    if (width < m_progressWidth)
        text += QString(m_progressWidth - width, u' ');
    m_progressWidth = qMax(width, m_progressWidth);
    m_errors.write((u'\r' + text).toUtf8());
}

void Report::eraseProgress()
{
    if (m_progressWidth == 0)
        return;
    m_errors.write(('\r' + QByteArray(m_progressWidth, ' ') + '\r'));
    m_progressWidth = 0;
}

void Report::finish()
{
    eraseProgress();
}

} // namespace belva::score
