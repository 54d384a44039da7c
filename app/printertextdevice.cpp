#include "printertextdevice.h"

#include <algorithm>

namespace belva {

namespace {

constexpr char16_t Tab = 9;
constexpr char16_t LineFeed = 10;
constexpr char16_t FormFeed = 12;
constexpr char16_t CarriageReturn = 13;

bool isPairAt(QStringView text, qsizetype i)
{
    return i + 1 < text.size() && text[i].isHighSurrogate() && text[i + 1].isLowSurrogate();
}

// Length of the run without its last character; a surrogate pair counts as
// one character, so no half of it is ever drawn alone.
qsizetype dropLast(QStringView run, qsizetype length)
{
    --length;
    if (length > 0 && isPairAt(run, length - 1))
        --length;
    return length;
}

} // namespace

TextLayout::TextLayout(TextSurface &surface, QSize page)
    : m_surface(surface), m_width(page.width()), m_height(page.height())
{
}

void TextLayout::layOut(QStringView text)
{
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c != Tab && c != LineFeed && c != FormFeed && c != CarriageReturn)
            continue;
        if (i > runStart)
            drawRun(text.sliced(runStart, i - runStart));
        runStart = i + 1;
        switch (c) {
        case Tab:
            tab();
            break;
        case LineFeed:
            newLine();
            break;
        case FormFeed:
            newPage();
            break;
        default: // a carriage return does not move the pen
            break;
        }
    }
    if (runStart < text.size())
        drawRun(text.sliced(runStart));
}

void TextLayout::drawRun(QStringView run)
{
    while (!run.isEmpty()) {
        qsizetype fits = run.size();
        QSize extent = m_surface.measure(run);
        while (fits > 0 && m_x + extent.width() > m_width) {
            fits = dropLast(run, fits);
            extent = m_surface.measure(run.first(fits));
        }
        if (fits == 0 && m_x == 0) {
            // Not even one character fits on an empty line: the next line
            // would be no wider, so the character goes alone on this one.
            fits = isPairAt(run, 0) ? 2 : 1;
            extent = m_surface.measure(run.first(fits));
        }
        if (extent.height() > m_lineHeight)
            m_lineHeight = extent.height() + 2;
        if (fits > 0)
            m_surface.draw(m_x, m_y, run.first(fits));
        if (fits < run.size()) {
            newLine();
            run = run.sliced(fits);
        } else {
            m_x += extent.width();
            run = {};
        }
    }
}

void TextLayout::tab()
{
    // The stop distance is a 16-bit quantity.
    const int stop = static_cast<quint16>(8 * m_surface.averageCharWidth());
    if (stop == 0)
        return; // a font without width has no stops to go to
    m_x += stop - ((m_x + stop + 1) % stop) + 1;
    if (m_x > m_width)
        newLine();
}

void TextLayout::newLine()
{
    m_x = 0;
    m_y += m_lineHeight == 0 ? m_surface.cellHeight() : m_lineHeight;
    if (m_y > m_height - 2 * m_lineHeight)
        newPage();
    m_lineHeight = 0;
}

void TextLayout::newPage()
{
    m_x = 0;
    m_y = 0;
    m_surface.newPage();
}

PrinterTextDevice::PrinterTextDevice(TextSurface &surface, QSize page) : m_layout(surface, page)
{
    m_buffer.reserve(BufferSize);
}

PrinterTextDevice::~PrinterTextDevice()
{
    try {
        close();
    } catch (...) {
        // Only reached while an earlier failure unwinds: that one is reported.
    }
}

void PrinterTextDevice::writeLine(QStringView line)
{
    if (!m_open)
        return;
    write(line);
    write(u"\n");
    flush();
}

void PrinterTextDevice::close()
{
    if (!m_open)
        return;
    m_open = false;
    flush();
}

void PrinterTextDevice::write(QStringView text)
{
    while (!text.isEmpty()) {
        const qsizetype n = std::min(BufferSize - m_buffer.size(), text.size());
        m_buffer.append(text.first(n));
        text = text.sliced(n);
        if (m_buffer.size() == BufferSize)
            flush();
    }
}

void PrinterTextDevice::flush()
{
    // A full buffer that ends in the first half of a pair keeps that half
    // for the next chunk.
    const qsizetype keep = m_buffer.size() == BufferSize && m_buffer.back().isHighSurrogate() ? 1 : 0;
    const qsizetype n = m_buffer.size() - keep;
    m_layout.layOut(QStringView(m_buffer).first(n));
    m_buffer.remove(0, n);
}

} // namespace belva
