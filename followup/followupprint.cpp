// The follow-up printed: title, table and chart on one page.
#include "followupwindow.h"

#include "followupchart.h"
#include "pdfdocument.h"
#include "printerjob.h"
#include "printing.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace belva {

namespace {

struct TableShape
{
    QFont font;
    QFont bold;
    qreal rowHeight = 0;
    QList<qreal> columns; // widths
    qreal width = 0;      // of one block
    qreal gap = 0;        // between blocks
    int rowsPerBlock = 0; // below the header
    int blocks = 1;
};

QFont scaled(const QFont &font, qreal factor)
{
    QFont f(font);
    f.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * factor))));
    return f;
}

// The table in the largest font (down to half the print font) that fits
// `room`, in as few blocks side by side as the width allows.
TableShape shapeTable(const QList<QStringList> &rows, const QSizeF &room, const QFont &font, QPaintDevice *device)
{
    TableShape shape;
    for (qreal factor = 1.0; factor >= 0.5; factor -= 0.05) {
        shape.font = scaled(font, factor);
        shape.bold = shape.font;
        shape.bold.setBold(true);
        const QFontMetricsF fm(shape.font, device);
        const QFontMetricsF fmBold(shape.bold, device);
        const qreal pad = fm.height() * 1.2;
        shape.rowHeight = std::ceil(fm.height() * 1.25);
        shape.gap = 2 * pad;
        shape.columns.fill(0, rows.front().size());
        for (const QStringList &row : rows) {
            for (qsizetype c = 0; c < row.size(); ++c)
                shape.columns[c] = std::max(shape.columns[c], std::ceil(fmBold.horizontalAdvance(row[c])) + pad);
        }
        // A date column no wider than a third of the room; longer texts are elided.
        shape.columns[0] = std::min(shape.columns[0], room.width() / 3);
        shape.width = 0;
        for (const qreal w : std::as_const(shape.columns))
            shape.width += w;
        const qsizetype body = rows.size() - 1;
        shape.rowsPerBlock = int(std::floor(room.height() / shape.rowHeight)) - 1;
        if (shape.rowsPerBlock < 1)
            continue;
        shape.blocks = int((body + shape.rowsPerBlock - 1) / shape.rowsPerBlock);
        shape.blocks = std::max(shape.blocks, 1);
        // Blocks of even length, the last one no longer than the others.
        shape.rowsPerBlock = int((body + shape.blocks - 1) / shape.blocks);
        if (shape.blocks * shape.width + (shape.blocks - 1) * shape.gap <= room.width())
            return shape;
    }
    return shape; // the smallest; what does not fit is left out
}

qreal tableHeight(const TableShape &shape, qsizetype bodyRows)
{
    return shape.rowHeight * (1 + std::min<qsizetype>(bodyRows, shape.rowsPerBlock));
}

void drawTable(QPainter &p, QPointF origin, const QList<QStringList> &rows, const TableShape &shape,
               bool hasChangeRow, qreal lineWidth)
{
    const QFontMetricsF fm(shape.font, p.device());
    const qreal pad = fm.height() * 0.6;
    const qsizetype body = rows.size() - 1;
    for (int b = 0; b < shape.blocks; ++b) {
        const qsizetype first = 1 + qsizetype(b) * shape.rowsPerBlock;
        const qsizetype last = std::min<qsizetype>(body, qsizetype(b + 1) * shape.rowsPerBlock); // inclusive
        if (first > last)
            break;
        const qreal left = origin.x() + b * (shape.width + shape.gap);
        auto drawRow = [&](const QStringList &row, qreal top, bool bold) {
            p.setFont(bold ? shape.bold : shape.font);
            const QFontMetricsF rowMetrics(p.font(), p.device());
            qreal x = left;
            for (qsizetype c = 0; c < row.size(); ++c) {
                const qreal w = shape.columns[c];
                const QRectF cell(x + pad, top, w - 2 * pad, shape.rowHeight);
                const QString text = rowMetrics.elidedText(row[c], Qt::ElideRight, cell.width());
                p.drawText(cell, (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter | Qt::TextDontClip, text);
                x += w;
            }
        };
        qreal y = origin.y();
        drawRow(rows.front(), y, true);
        y += shape.rowHeight;
        p.setPen(QPen(Qt::black, lineWidth));
        p.drawLine(QPointF(left, y), QPointF(left + shape.width, y));
        for (qsizetype r = first; r <= last; ++r) {
            const bool changeRow = hasChangeRow && r == body;
            if (changeRow)
                p.drawLine(QPointF(left, y), QPointF(left + shape.width, y));
            drawRow(rows[r], y, changeRow);
            y += shape.rowHeight;
        }
    }
}

// Draws wrapped text across `width` from `top`; returns the height used.
qreal drawParagraph(QPainter &p, const QString &text, const QFont &font, qreal left, qreal top, qreal width)
{
    if (text.isEmpty())
        return 0;
    p.setFont(font);
    const QRectF room(left, top, width, 1e6);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    const QRectF used = p.boundingRect(room, flags, text);
    p.drawText(QRectF(left, top, width, used.height()), flags, text);
    return used.height();
}

// A little larger than the test report's print: a page of figures.
QFont pageFont(QFont printFont)
{
    printFont.setPixelSize(int(std::lround(printFont.pixelSize() * 1.25)));
    return printFont;
}

} // namespace

void PaintFollowUpPage(QPainter &p, const QRectF &page, const FollowUp &followUp, QChar decimalSeparator,
                       const QFont &font)
{
    p.save();
    p.setPen(Qt::black);
    const QFontMetricsF fm(font, p.device());
    const qreal u = fm.height();
    const qreal lineWidth = std::max<qreal>(1, u / 12);
    qreal y = page.top();

    QFont title = font;
    title.setBold(true);
    title.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * 1.4))));
    QFont bold = font;
    bold.setBold(true);

    const QString patient = followUp.tests.isEmpty() ? QString() : followUp.tests.back().patient;
    y += drawParagraph(p, QStringLiteral("Suivi du patient : ") + PatientShownName(patient), title, page.left(), y,
                       page.width());
    y += 0.5 * u;
    const QString warning = PatientNamesWarning(followUp.patients);
    if (!warning.isEmpty())
        y += drawParagraph(p, warning, bold, page.left(), y, page.width()) + 0.5 * u;

    // The notes go under the table; the chart keeps at least 40 % of the page.
    const QString notes = followUp.notes.join(u'\n');
    p.setFont(font);
    const qreal notesHeight =
        notes.isEmpty() ? 0 : p.boundingRect(QRectF(0, 0, page.width(), 1e6), Qt::TextWordWrap, notes).height() + 0.5 * u;
    const qreal chartMin = 0.4 * page.height();
    const QList<QStringList> rows = FollowUpTable(followUp.tests, decimalSeparator);
    const QSizeF room(page.width(), std::max<qreal>(page.bottom() - y - notesHeight - chartMin - u, 2 * u));
    const TableShape shape = shapeTable(rows, room, font, p.device());
    drawTable(p, QPointF(page.left(), y), rows, shape, followUp.tests.size() >= 2, lineWidth);
    y += tableHeight(shape, rows.size() - 1) + 0.5 * u;
    if (!notes.isEmpty())
        y += drawParagraph(p, notes, font, page.left(), y, page.width()) + 0.5 * u;

    // The chart no taller than wide by three quarters: steep slopes mislead.
    p.setFont(font);
    y += 0.5 * u;
    const qreal chartHeight = std::min(page.bottom() - y, 0.75 * page.width());
    PaintFollowUpChart(p, QRectF(page.left(), y, page.width(), chartHeight), followUp.tests);
    p.restore();
}

void PrintFollowUp(const FollowUp &followUp, QChar decimalSeparator, const QFont &windowFont)
{
    // The job prints what it was given, whatever the window does meanwhile.
    const FollowUp copy = followUp;
    PrinterJob job;
    PaintFollowUpPage(job.painter(), QRectF(QPointF(0, 0), QSizeF(job.page())), copy, decimalSeparator,
                      pageFont(job.printFont(windowFont)));
}

QByteArray FollowUpPdf(const FollowUp &followUp, QChar decimalSeparator, const QFont &windowFont)
{
    const QString patient = followUp.tests.isEmpty() ? QString() : followUp.tests.back().patient;
    PdfDocument document(PdfTitle(patient, QStringLiteral("Suivi du patient")));
    const QFont font = pageFont(PrintFont(windowFont, ScreenDpi(), PdfDocument::Resolution));
    PaintFollowUpPage(document.painter(), QRectF(QPointF(0, 0), QSizeF(document.page())), followUp, decimalSeparator,
                      font);
    return document.finish();
}

} // namespace belva
