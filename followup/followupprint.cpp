// The follow-up printed: title, table and chart on one page where they fit,
// else the table over as many pages as it needs and the chart after it.
#include "followupwindow.h"

#include "followupchart.h"
#include "pdfdocument.h"
#include "printerjob.h"
#include "printing.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>

namespace belva {

namespace {

struct TableShape
{
    QFont font;
    QFont bold;
    qreal lineHeight = 0;
    qreal pad = 0;         // above and below a row's lines
    qreal cellPad = 0;     // left and right of a cell's text
    QList<qreal> columns;  // widths
    qreal width = 0;       // of one block
    qreal gap = 0;         // between blocks
};

// A run of body rows under its own header row.
struct Block
{
    int page = 0;
    QPointF origin;
    qsizetype first = 1;
    qsizetype last = 0; // inclusive
    qreal height = 0;   // the header included
};

QFont scaled(const QFont &font, qreal factor)
{
    QFont f(font);
    f.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * factor))));
    return f;
}

TableShape measure(const QList<FollowUpRow> &rows, int textColumns, qreal pageWidth, const QFont &font, qreal factor,
                   const QPaintDevice *device)
{
    TableShape shape;
    shape.font = scaled(font, factor);
    shape.bold = shape.font;
    shape.bold.setBold(true);
    const QFontMetricsF fm(shape.font, device);
    const QFontMetricsF fmBold(shape.bold, device);
    shape.cellPad = fm.height() * 0.6;
    shape.lineHeight = std::ceil(fm.height());
    shape.pad = std::ceil(fm.height() * 0.15);
    shape.gap = 2.4 * fm.height();
    shape.columns.fill(0, rows.front().size());
    for (const FollowUpRow &row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            for (const QString &line : row[c].lines())
                shape.columns[c] = std::max(shape.columns[c], std::ceil(fmBold.horizontalAdvance(line)) + 2 * shape.cellPad);
        }
    }
    // Dates and names no wider than a quarter of the page each; longer
    // names are elided (the title gives them whole).
    for (int c = 0; c < textColumns; ++c)
        shape.columns[c] = std::min(shape.columns[c], pageWidth / 4);
    for (const qreal w : std::as_const(shape.columns))
        shape.width += w;
    return shape;
}

qreal rowHeight(const FollowUpRow &row, const TableShape &shape)
{
    qsizetype lines = 1;
    for (const FollowUpCell &cell : row)
        lines = std::max(lines, cell.lines().size());
    return qreal(lines) * shape.lineHeight + 2 * shape.pad;
}

// Places the body rows in blocks side by side, from `start` on the first
// page (down to `firstBottom`) and from `laterTop` on the next ones (down to
// the page's bottom). Stops at the first page beyond `pages`; the rows
// placed end at the last block's `last`.
QList<Block> placeBlocks(const QList<FollowUpRow> &rows, const TableShape &shape, const QRectF &page, QPointF start,
                         qreal firstBottom, qreal laterTop, int pages)
{
    QList<Block> blocks;
    const qreal header = rowHeight(rows.front(), shape);
    int p = 0;
    QPointF at = start;
    qreal bottom = firstBottom;
    qsizetype r = 1;
    while (r < rows.size()) {
        if (at.x() + shape.width > page.right() + 0.5 && at.x() > page.left()) {
            if (++p >= pages)
                break;
            at = QPointF(page.left(), laterTop);
            bottom = page.bottom();
        }
        Block b{p, at, r, r - 1, header};
        while (r < rows.size() && at.y() + b.height + rowHeight(rows[r], shape) <= bottom) {
            b.height += rowHeight(rows[r], shape);
            b.last = r++;
        }
        if (b.last < b.first) { // not even one row: the next page
            if (at.y() == laterTop || ++p >= pages)
                break;
            at = QPointF(page.left(), laterTop);
            bottom = page.bottom();
            continue;
        }
        blocks.append(b);
        at.rx() += shape.width + shape.gap;
    }
    return blocks;
}

void drawBlock(QPainter &p, const Block &block, const QList<FollowUpRow> &rows, const TableShape &shape,
               int textColumns, bool hasChangeRow, qreal lineWidth)
{
    const qsizetype body = rows.size() - 1;
    const qreal left = block.origin.x();
    auto drawRow = [&](const FollowUpRow &row, qreal top, bool bold) {
        p.setFont(bold ? shape.bold : shape.font);
        const QFontMetricsF metrics(p.font(), p.device());
        qreal x = left;
        for (qsizetype c = 0; c < row.size(); ++c) {
            const qreal w = shape.columns[c];
            const QStringList lines = row[c].lines();
            for (qsizetype k = 0; k < lines.size(); ++k) {
                const QRectF cell(x + shape.cellPad, top + shape.pad + qreal(k) * shape.lineHeight,
                                  w - 2 * shape.cellPad, shape.lineHeight);
                p.drawText(cell, (c < textColumns ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter | Qt::TextDontClip,
                           metrics.elidedText(lines[k], Qt::ElideRight, cell.width()));
            }
            x += w;
        }
        return rowHeight(row, shape);
    };
    qreal y = block.origin.y();
    y += drawRow(rows.front(), y, true);
    p.setPen(QPen(Qt::black, lineWidth));
    p.drawLine(QPointF(left, y), QPointF(left + shape.width, y));
    for (qsizetype r = block.first; r <= block.last; ++r) {
        const bool changeRow = hasChangeRow && r == body;
        if (changeRow)
            p.drawLine(QPointF(left, y), QPointF(left + shape.width, y));
        y += drawRow(rows[r], y, changeRow);
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

qreal paragraphHeight(QPainter &p, const QString &text, const QFont &font, qreal width)
{
    if (text.isEmpty())
        return 0;
    p.setFont(font);
    return p.boundingRect(QRectF(0, 0, width, 1e6), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text).height();
}

// A little larger than the test report's print: a page of figures.
QFont pageFont(QFont printFont)
{
    printFont.setPixelSize(int(std::lround(printFont.pixelSize() * 1.25)));
    return printFont;
}

} // namespace

void PaintFollowUpPage(QPainter &p, const QRectF &page, const FollowUp &followUp, QChar decimalSeparator,
                       const QFont &font, const std::function<void()> &newPage)
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

    y += drawParagraph(p, FollowUpTitle(followUp), title, page.left(), y, page.width());
    y += drawParagraph(p, FollowUpPeriodText(followUp), font, page.left(), y, page.width()) + 0.5 * u;
    const QString warning = PatientNamesWarning(followUp.patients);
    if (!warning.isEmpty())
        y += drawParagraph(p, warning, bold, page.left(), y, page.width()) + 0.5 * u;
    const QString threshold = FollowUpThresholdText(followUp, decimalSeparator);
    if (!threshold.isEmpty())
        y += drawParagraph(p, threshold, font, page.left(), y, page.width()) + 0.5 * u;

    // On one page where the table fits above the notes and a chart of at
    // least 40 % of the page, in a font down to half the print font (to
    // four fifths where further pages may be had).
    const QString notes = followUp.notes.join(u'\n');
    const qreal notesHeight = notes.isEmpty() ? 0 : paragraphHeight(p, notes, font, page.width()) + 0.5 * u;
    const qreal chartMin = 0.4 * page.height();
    const QList<FollowUpRow> rows = FollowUpTable(followUp, decimalSeparator);
    const int textColumns = HasPatientColumn(followUp) ? 2 : 1;
    const qreal firstBottom = std::max(page.bottom() - notesHeight - chartMin - u, y + 2 * u);
    const qreal smallest = newPage ? 0.8 : 0.5;
    // The pages after the first start with the title again.
    const QString continued = FollowUpTitle(followUp) + QStringLiteral(" (suite)");
    const qreal laterTop = page.top() + paragraphHeight(p, continued, bold, page.width()) + 0.5 * u;

    TableShape shape;
    QList<Block> blocks;
    for (qreal factor = 1.0; factor >= smallest - 1e-9; factor -= 0.05) {
        shape = measure(rows, textColumns, page.width(), font, factor, p.device());
        blocks = placeBlocks(rows, shape, page, QPointF(page.left(), y), firstBottom, laterTop, 1);
        if (!blocks.isEmpty() && blocks.back().last == rows.size() - 1)
            break;
    }
    const bool whole = !blocks.isEmpty() && blocks.back().last == rows.size() - 1;
    if (!whole && newPage)
        blocks = placeBlocks(rows, shape, page, QPointF(page.left(), y), page.bottom(), laterTop, INT_MAX);

    int pageNumber = 0;
    qreal tableBottom = y;
    for (const Block &b : std::as_const(blocks)) {
        if (b.page != pageNumber) {
            newPage();
            pageNumber = b.page;
            tableBottom = page.top();
            drawParagraph(p, continued, bold, page.left(), page.top(), page.width());
        }
        drawBlock(p, b, rows, shape, textColumns, followUp.tests.size() >= 2, lineWidth);
        tableBottom = std::max(tableBottom, b.origin.y() + b.height);
    }
    y = tableBottom + 0.5 * u;
    // Nothing left out without a word.
    if (const qsizetype left = rows.size() - 1 - (blocks.isEmpty() ? 0 : blocks.back().last); left > 0) {
        const QString text = left == 1 ? QStringLiteral("Tableau incomplet : sa dernière ligne ne tient pas sur la page.")
                                        : QStringLiteral("Tableau incomplet : ses %1 dernières lignes ne tiennent pas "
                                                         "sur la page.").arg(left);
        y += drawParagraph(p, text, bold, page.left(), y, page.width()) + 0.5 * u;
    }
    if (!notes.isEmpty()) {
        if (y + notesHeight > page.bottom() && newPage) {
            newPage();
            y = page.top();
        }
        y += drawParagraph(p, notes, font, page.left(), y, page.width()) + 0.5 * u;
    }

    // The chart no taller than wide by three quarters: steep slopes mislead.
    y += 0.5 * u;
    if (page.bottom() - y < chartMin && newPage) {
        newPage();
        y = page.top();
    }
    p.setFont(font);
    const qreal chartHeight = std::min(page.bottom() - y, 0.75 * page.width());
    PaintFollowUpChart(p, QRectF(page.left(), y, page.width(), chartHeight), followUp);
    p.restore();
}

void PrintFollowUp(const FollowUp &followUp, QChar decimalSeparator, const QFont &windowFont)
{
    // The job prints what it was given, whatever the window does meanwhile.
    const FollowUp copy = followUp;
    PrinterJob job;
    PaintFollowUpPage(job.painter(), QRectF(QPointF(0, 0), QSizeF(job.page())), copy, decimalSeparator,
                      pageFont(job.printFont(windowFont)), [&job] { job.newPage(); });
}

QByteArray FollowUpPdf(const FollowUp &followUp, QChar decimalSeparator, const QFont &windowFont)
{
    PdfDocument document(PdfTitle(FollowUpPatientsText(followUp), QStringLiteral("Suivi du patient")));
    const QFont font = pageFont(PrintFont(windowFont, ScreenDpi(), PdfDocument::Resolution));
    PaintFollowUpPage(document.painter(), QRectF(QPointF(0, 0), QSizeF(document.page())), followUp, decimalSeparator,
                      font, [&document] { document.newPage(); });
    return document.finish();
}

} // namespace belva
