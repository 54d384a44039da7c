#include "printertextdevice.h"

#include <algorithm>
#include <climits>

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

// True when the first n characters of the text end in the middle of a pair.
bool splitsPair(QStringView text, qsizetype n)
{
    return n > 0 && isPairAt(text, n - 1);
}

// A font has no negative extents; such values from a driver count as 0.
int atLeastZero(int value)
{
    return std::max(0, value);
}

int saturatedInt(qint64 value)
{
    return int(std::clamp<qint64>(value, INT_MIN, INT_MAX));
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

QSize TextLayout::measure(QStringView run) const
{
    const QSize extent = m_surface.measure(run);
    return {atLeastZero(extent.width()), atLeastZero(extent.height())};
}

// The longest start of the run that fits between X and the right edge, never
// ending inside a pair; extent is its measure (that of no character when none
// fits). Widths grow with the number of characters, so the length is found
// by doubling and halving instead of dropping one character at a time, which
// took time quadratic in the run's length for each line it filled.
qsizetype TextLayout::fitting(QStringView run, bool tryWhole, QSize &extent) const
{
    const qint64 room = qint64(m_width) - m_x;
    if (tryWhole) {
        extent = measure(run);
        if (extent.width() <= room)
            return run.size();
    }
    qsizetype fits = 0;       // the longest length known to fit
    qsizetype tooLong = tryWhole ? run.size() : run.size() + 1; // the shortest known not to
    for (qsizetype n = 1; n < tooLong; n *= 2) {
        n = std::min(n, run.size());
        if (splitsPair(run, n))
            ++n;
        if (n >= tooLong)
            break;
        const QSize e = measure(run.first(n));
        if (e.width() > room) {
            tooLong = n;
            break;
        }
        fits = n;
        extent = e;
        if (n == run.size())
            return n;
    }
    while (tooLong - fits > 1) {
        qsizetype mid = fits + (tooLong - fits) / 2;
        if (splitsPair(run, mid)) {
            if (mid - 1 > fits)
                --mid;
            else if (mid + 1 < tooLong)
                ++mid;
            else
                break;
        }
        const QSize e = measure(run.first(mid));
        if (e.width() > room) {
            tooLong = mid;
        } else {
            fits = mid;
            extent = e;
        }
    }
    if (fits == 0)
        extent = measure(run.first(0));
    return fits;
}

void TextLayout::drawRun(QStringView run)
{
    for (bool first = true; !run.isEmpty(); first = false) {
        QSize extent;
        qsizetype fits = fitting(run, first, extent);
        if (fits == 0 && m_x == 0) {
            // Not even one character fits on an empty line: the next line
            // would be no wider, so the character goes alone on this one.
            fits = isPairAt(run, 0) ? 2 : 1;
            extent = measure(run.first(fits));
        }
        if (extent.height() > m_lineHeight)
            m_lineHeight = saturatedInt(qint64(extent.height()) + 2);
        if (fits > 0)
            m_surface.draw(m_x, m_y, run.first(fits));
        if (fits < run.size()) {
            newLine();
            run = run.sliced(fits);
        } else {
            // Within the page, or one character wider than the page drawn at 0.
            m_x += extent.width();
            run = {};
        }
    }
}

void TextLayout::tab()
{
    // The stop distance is a 16-bit quantity.
    const qint64 stop = quint16(8u * quint32(atLeastZero(m_surface.averageCharWidth())));
    if (stop == 0)
        return; // a font without width has no stops to go to
    const qint64 x = m_x + stop - ((m_x + stop + 1) % stop) + 1;
    if (x > m_width)
        newLine();
    else
        m_x = int(x);
}

void TextLayout::newLine()
{
    m_x = 0;
    const qint64 y = qint64(m_y) + (m_lineHeight == 0 ? atLeastZero(m_surface.cellHeight()) : m_lineHeight);
    if (y > qint64(m_height) - 2 * qint64(m_lineHeight))
        newPage();
    else
        m_y = int(y);
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
