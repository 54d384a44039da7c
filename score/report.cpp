#include "report.h"

#include <QIODevice>
#include <QLocale>

namespace belva::score {

namespace {

constexpr qint64 ProgressDelayMs = 1000;
constexpr qint64 ProgressIntervalMs = 200;

bool needsEscape(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E)
           || (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F || c == 0x061C;
}

} // namespace

QString Printable(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && !needsEscape(text[i].unicode()))
        ++i;
    if (i == text.size())
        return text;
    QString out = text.left(i);
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!needsEscape(c))
            out += QChar(c);
        else if (c == u'\n')
            out += QLatin1String("\\n");
        else if (c == u'\r')
            out += QLatin1String("\\r");
        else if (c == u'\t')
            out += QLatin1String("\\t");
        else
            out += (c < 0x80 ? QLatin1String("\\x") : QLatin1String("\\u"))
                   + QString::number(int(c), 16).toUpper().rightJustified(c < 0x80 ? 2 : 4, u'0');
    }
    return out;
}

Report::Report(QIODevice &errors, bool showProgress) : m_errors(errors), m_showProgress(showProgress)
{
    m_clock.start();
}

void Report::rowFailed(const QString &file, qint64 line, const QString &message)
{
    ++m_failedRows;
    print(QStringLiteral("%1:%2: %3\n").arg(file, QString::number(line), message));
}

void Report::warning(const QString &file, qint64 line, const QString &message)
{
    print(QStringLiteral("%1:%2: %3\n").arg(file, QString::number(line), message));
}

void Report::note(const QString &line)
{
    print(line + u'\n');
}

void Report::print(const QString &line)
{
    eraseProgress();
    m_errors.write((Printable(line.chopped(1)) + u'\n').toUtf8());
}

void Report::advance(qint64 work, qint64 rows)
{
    m_work += work;
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
    if (m_totalWork > 0)
        text += QStringLiteral(", %1 %").arg(qMin<qint64>(100, m_work * 100 / m_totalWork));
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
