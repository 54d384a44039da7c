#include "printing.h"

#include "printerjob.h"
#include "printertextdevice.h"
#include "windowfont.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <climits>
#include <cmath>

namespace belva {

namespace {

// a × b / c, rounded to the nearest integer with halves away from zero.
int mulDiv(int a, int b, int c)
{
    const qint64 n = qint64(a) * b;
    const qint64 d = c;
    const qint64 q = (std::abs(n) * 2 + std::abs(d)) / (2 * std::abs(d));
    return int((n < 0) != (d < 0) ? -q : q);
}

} // namespace

int ScreenDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

QFont PrintFont(const QFont &windowFont, int screenDpi, int printerDpi)
{
    if (screenDpi <= 0)
        screenDpi = 96;
    int pixels = windowFont.pixelSize();
    if (pixels <= 0)
        pixels = int(std::lround(windowFont.pointSizeF() * screenDpi / 72.0));
    const int points = mulDiv(pixels, 72, screenDpi);
    const int emHeight = printerDpi == screenDpi ? pixels : mulDiv(points, printerDpi, 72);

    QFont font(windowFont);
    font.setPixelSize(std::max(1, emHeight));
    // Runs are measured and drawn one by one, as the buffer hands them over:
    // without kerning, where text is cut makes no difference.
    font.setKerning(false);
    // The printer's own text drawing, whatever the screen's font rendering.
    font.setHintingPreference(QFont::PreferDefaultHinting);
    return font;
}

QStringList MemoLines(const QPlainTextEdit *memo)
{
    const QTextDocument *doc = memo->document();
    const QTextOption option = doc->defaultTextOption();
    const QFont font = doc->defaultFont();

    // The control wraps at its viewport's width. A control that was never
    // shown has not laid its viewport out yet, so work the width out from
    // the control's own size, frame and scroll bar.
    qreal width = memo->maximumViewportSize().width();
    if (width <= 0)
        width = INT_MAX;
    width -= 2 * doc->documentMargin();
    if (option.flags() & QTextOption::AddSpaceForLineAndParagraphSeparators)
        width -= QFontMetrics(font).horizontalAdvance(QChar(0x21B5));

    QStringList lines;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        QTextLayout layout(text, font);
        layout.setTextOption(option);
        layout.beginLayout();
        const qsizetype before = lines.size();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines.append(text.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
        if (lines.size() == before)
            lines.append(QString());
    }
    if (!lines.isEmpty() && doc->lastBlock().text().isEmpty())
        lines.removeLast();
    return lines;
}

int MemoTabStopDistance(const QFont &font)
{
    return 8 * AverageCharWidth(font);
}

void PrintLines(const QStringList &lines, const QFont &windowFont)
{
    // The job sends the lines it was given, whatever happens to the caller's
    // list while the window stays responsive.
    const QStringList jobLines = lines;

    PrinterJob job;
    job.painter().setFont(job.printFont(windowFont));
    job.painter().setPen(Qt::black);
    PainterSurface surface(job.painter(), [&job] { job.newPage(); });
    PrinterTextDevice device(surface, job.page());
    for (const QString &line : jobLines) {
        device.writeLine(line);
        QCoreApplication::processEvents();
    }
    device.close();
}

} // namespace belva
