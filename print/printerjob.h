#pragma once

#include "printertextdevice.h"

#include <QFontMetrics>
#include <QPainter>
#include <QSize>

#include <functional>

class QFont;
class QPrinter;

namespace belva {

// A print job on the current printer, with an empty name. It starts when
// this is made and ends when it is destroyed, whatever happened in between.
// Throws "Impression en cours" while another job is open and "Imprimante
// sélectionnée incorrecte" when the printer cannot be opened.
class PrinterJob
{
public:
    PrinterJob();
    PrinterJob(const PrinterJob &) = delete;
    PrinterJob &operator=(const PrinterJob &) = delete;
    ~PrinterJob();

    [[nodiscard]] QPainter &painter() { return m_painter; }
    // The printable area, in device dots.
    [[nodiscard]] QSize page() const { return m_page; }
    // The print font (PrintFont) of the window's font on this printer.
    [[nodiscard]] QFont printFont(const QFont &windowFont) const;
    void newPage();

private:
    QPrinter &m_printer;
    QPainter m_painter;
    QSize m_page;
};

// The text layout's page on a painter: runs measured and drawn in the
// painter's font as it is when this is made, in its pen. A new page is what
// `newPage` does (nothing when it is empty).
class PainterSurface final : public TextSurface
{
public:
    explicit PainterSurface(QPainter &painter, std::function<void()> newPage = {});

    [[nodiscard]] int cellHeight() const override;
    [[nodiscard]] int averageCharWidth() const override;
    [[nodiscard]] QSize measure(QStringView run) const override;
    void draw(int x, int y, QStringView run) override;
    void newPage() override;

private:
    QPainter &m_painter;
    const QFontMetrics m_metrics;
    const std::function<void()> m_newPage;
};

} // namespace belva
