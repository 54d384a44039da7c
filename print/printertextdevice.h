#pragma once

#include <QSize>
#include <QString>
#include <QStringView>

namespace belva {

// What the text layout needs of a printed page: the metrics of the print
// font and a way to draw on the page. All values are in device dots.
class TextSurface
{
public:
    virtual ~TextSurface() = default;

    // C: the height of a character cell, ascent plus descent.
    [[nodiscard]] virtual int cellHeight() const = 0;
    // A: the average character width.
    [[nodiscard]] virtual int averageCharWidth() const = 0;
    // Width and height of a run of characters; an empty run is 0 wide and
    // one cell high. Widths never shrink as characters are added to a run.
    // Negative values count as 0.
    [[nodiscard]] virtual QSize measure(QStringView run) const = 0;
    // Draws a run with the top-left corner of its first cell at (x, y).
    virtual void draw(int x, int y, QStringView run) = 0;
    // Ends the current page and starts the next one.
    virtual void newPage() = 0;
};

// Lays text out from the top of the page downwards: tab stops every eight
// average character widths, runs broken at the right edge, new pages at the
// bottom. The state carries over from one call of layOut() to the next, so
// text may arrive in pieces of any size.
class TextLayout
{
public:
    // page: the printable width W and height H.
    TextLayout(TextSurface &surface, QSize page);

    // Tab, line feed, form feed and carriage return steer the pen; every
    // other character is drawn.
    void layOut(QStringView text);

    [[nodiscard]] int x() const { return m_x; }
    [[nodiscard]] int y() const { return m_y; }
    [[nodiscard]] int lineHeight() const { return m_lineHeight; }

private:
    [[nodiscard]] QSize measure(QStringView run) const;
    [[nodiscard]] qsizetype fitting(QStringView run, bool tryWhole, QSize &extent) const;
    void drawRun(QStringView run);
    void tab();
    void newLine();
    void newPage();

    TextSurface &m_surface;
    const int m_width;
    const int m_height;
    int m_x = 0;
    int m_y = 0;
    int m_lineHeight = 0; // L: 0 until something is drawn on the line
};

// The line-oriented text channel onto the printed page: text is collected in
// a 128-character buffer and handed to the layout when the buffer is full and
// at every line end.
class PrinterTextDevice
{
public:
    static constexpr qsizetype BufferSize = 128;

    PrinterTextDevice(TextSurface &surface, QSize page);
    PrinterTextDevice(const PrinterTextDevice &) = delete;
    PrinterTextDevice &operator=(const PrinterTextDevice &) = delete;
    // Closes the device if close() was not called.
    ~PrinterTextDevice();

    // Writes the text followed by one line feed.
    void writeLine(QStringView line);
    // Lays out what is left in the buffer. Later writes are ignored.
    void close();

    [[nodiscard]] const TextLayout &layout() const { return m_layout; }

private:
    void write(QStringView text);
    void flush();

    TextLayout m_layout;
    QString m_buffer;
    bool m_open = true;
};

} // namespace belva
