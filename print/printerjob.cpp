#include "printerjob.h"

#include "currentprinter.h"
#include "errors.h"
#include "printing.h"

#include <QPrinter>

namespace belva {

PrinterJob::PrinterJob() : m_printer(CurrentPrinter::get())
{
    if (CurrentPrinter::jobOpen())
        throw Error(QStringLiteral("Impression en cours"));
    m_printer.setDocName(QString());
    if (!m_printer.isValid() || !m_painter.begin(&m_printer))
        throw Error(QStringLiteral("Imprimante sélectionnée incorrecte"));
    CurrentPrinter::beginJob();
    m_page = QSize(m_printer.width(), m_printer.height());
}

PrinterJob::~PrinterJob()
{
    m_painter.end();
    CurrentPrinter::endJob();
}

QFont PrinterJob::printFont(const QFont &windowFont) const
{
    return PrintFont(windowFont, ScreenDpi(), m_printer.logicalDpiY());
}

void PrinterJob::newPage()
{
    m_printer.newPage();
    CurrentPrinter::nextPage();
}

PainterSurface::PainterSurface(QPainter &painter, std::function<void()> newPage)
    : m_painter(painter), m_metrics(painter.fontMetrics()), m_newPage(std::move(newPage))
{
}

int PainterSurface::cellHeight() const
{
    return m_metrics.height();
}

int PainterSurface::averageCharWidth() const
{
    return m_metrics.averageCharWidth();
}

QSize PainterSurface::measure(QStringView run) const
{
    return {m_metrics.horizontalAdvance(run.toString()), m_metrics.height()};
}

void PainterSurface::draw(int x, int y, QStringView run)
{
    m_painter.drawText(x, y + m_metrics.ascent(), run.toString());
}

void PainterSurface::newPage()
{
    if (m_newPage)
        m_newPage();
}

} // namespace belva
