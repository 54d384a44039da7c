// The printer text layout on arbitrary text, font metrics and page sizes,
// through the device line by line and through the layout in random pieces.
//
// Input: a 55-byte header, then the text.
//   flags (1): 1 uniform heights (every run one cell high), 2 text only (no
//     tabs, CR, FF or empty lines), 4 negative metrics allowed, 8 an extra
//     width per run (not additive)
//   W, H, C, A, E (4 bytes each), then width and height (2 bytes each) of
//     the code units by their value modulo 8; chunk seed and chunk limit.
//   Text: a byte is a Latin-1 character, except 0xFE hi lo (any UTF-16 code
//     unit), 0xFD (high surrogate U+D83D) and 0xFC (low surrogate U+DE00).
//
// Checked: bounded work, every drawable character drawn exactly once and in
// order, no surrogate pair split, 0 <= x and x + width <= W except a single
// character wider than the page alone at the start of its line, pages and
// lines in order with 0 <= y <= H, and, for lines of text one cell high, the
// lines on the grid of the line height with as many per page as the page
// holds. Both paths must place every character alike where pieces make no
// difference (additive widths, uniform heights, no character wider than the
// page).
#include "printertextdevice.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace belva;

namespace {

[[noreturn]] void fail(const char *what, int line)
{
    std::fprintf(stderr, "fuzz_layout: check failed at line %d: %s\n", line, what);
    std::abort();
}
#define CHECK(cond)                                                                                                    \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            fail(#cond, __LINE__);                                                                                     \
    } while (0)

enum Flag : uint8_t { UniformHeights = 1, TextOnly = 2, Negative = 4, ExtraWidth = 8 };

struct Reader
{
    const uint8_t *data;
    size_t size;
    size_t pos = 0;

    uint8_t byte() { return pos < size ? data[pos++] : 0; }
    // A metric or page extent: small, typical, huge, or (when allowed) negated.
    int value(bool negative)
    {
        const uint8_t sel = byte();
        const uint32_t raw = uint32_t(byte()) << 16 | uint32_t(byte()) << 8 | byte();
        int v = 0;
        switch (sel % 8) {
        case 0: v = int(raw % 16); break;
        case 1: v = int(raw % 256); break;
        case 2: v = int(raw % 10000); break;
        case 3: v = int(raw); break;
        case 4: v = INT_MAX - int(raw % 256); break;
        case 5: v = INT_MAX; break;
        case 6: v = 0; break;
        default: v = int(raw << 7); break;
        }
        return negative && (sel & 8) ? -v : v;
    }
    int smallValue(bool negative)
    {
        const uint8_t sel = byte();
        const uint32_t raw = byte();
        int v = 0;
        switch (sel % 4) {
        case 0: v = int(raw % 32); break;
        case 1: v = int(raw * 64); break;
        case 2: v = INT_MAX - int(raw); break;
        default: v = int(raw << 23); break;
        }
        return negative && (sel & 4) ? -v : v;
    }
};

struct Metrics
{
    uint8_t flags = 0;
    int page[2] = {};
    int cell = 0;
    int average = 0;
    int extra = 0;
    int widths[8] = {};
    int heights[8] = {};
};

struct Draw
{
    int page, x, y;
    QString run;
    qint64 width; // as the layout saw it: never negative
};

class FakeSurface : public TextSurface
{
public:
    explicit FakeSurface(const Metrics &m) : m_m(m) {}

    int cellHeight() const override { return m_m.cell; }
    int averageCharWidth() const override { return m_m.average; }
    QSize measure(QStringView run) const override
    {
        measuredUnits += run.size() + 1;
        return extent(run);
    }
    void draw(int x, int y, QStringView run) override
    {
        CHECK(!run.isEmpty());
        draws.append({pages, x, y, run.toString(), std::max(0, extent(run).width())});
    }
    void newPage() override { ++pages; }

    QSize extent(QStringView run) const
    {
        qint64 w = run.isEmpty() ? 0 : m_m.extra;
        int h = run.isEmpty() || (m_m.flags & UniformHeights) ? m_m.cell : INT_MIN;
        for (QChar c : run) {
            w += m_m.widths[c.unicode() % 8];
            h = std::max(h, m_m.heights[c.unicode() % 8]);
        }
        if (w > INT_MAX || w < INT_MIN)
            saturated = true;
        return {int(std::clamp<qint64>(w, INT_MIN, INT_MAX)), h};
    }

    QList<Draw> draws;
    int pages = 0;
    mutable qint64 measuredUnits = 0;
    mutable bool saturated = false;

private:
    const Metrics &m_m;
};

QString decodeText(Reader &in)
{
    QString text;
    while (in.pos < in.size) {
        const uint8_t b = in.byte();
        if (b == 0xFE)
            text.append(QChar(char16_t(in.byte() << 8 | in.byte())));
        else if (b == 0xFD)
            text.append(QChar(char16_t(0xD83D)));
        else if (b == 0xFC)
            text.append(QChar(char16_t(0xDE00)));
        else
            text.append(QChar(char16_t(b)));
    }
    return text;
}

bool steers(QChar c)
{
    return c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

// Lines of text only: no tabs, carriage returns or form feeds, and no empty
// line.
QString textOnly(const QString &text)
{
    QString out;
    for (QChar c : text) {
        if (c == u'\t' || c == u'\r' || c == u'\f')
            continue;
        if (c == u'\n' && (out.isEmpty() || out.back() == u'\n'))
            continue;
        out.append(c);
    }
    return out;
}

bool splitsPair(const QString &text, qsizetype i)
{
    return i > 0 && i < text.size() && text[i - 1].isHighSurrogate() && text[i].isLowSurrogate();
}

// Every check that holds for any metrics. laidOut is the text as the layout
// received it (line feed included at the end).
void checkDraws(const FakeSurface &s, const Metrics &m, const QString &laidOut)
{
    const int W = m.page[0];
    const int H = m.page[1];
    const bool linesHaveHeight = (m.flags & UniformHeights) && !(m.flags & Negative) && m.cell > 0;

    // Drawable characters with their index in the text.
    QString drawable;
    QList<qsizetype> where;
    for (qsizetype i = 0; i < laidOut.size(); ++i) {
        if (!steers(laidOut[i])) {
            drawable.append(laidOut[i]);
            where.append(i);
        }
    }

    const qsizetype n = laidOut.size() + 1;
    CHECK(s.measuredUnits <= 64 * n * qint64(std::log2(double(n)) + 2));
    CHECK(s.pages <= 3 * n);

    qsizetype at = 0;
    for (qsizetype k = 0; k < s.draws.size(); ++k) {
        const Draw &d = s.draws[k];
        CHECK(drawable.mid(at, d.run.size()) == d.run);
        // A pair of surrogates next to each other in the text is drawn whole.
        CHECK(!(at > 0 && where[at] == where[at - 1] + 1 && splitsPair(drawable, at)));
        at += d.run.size();

        CHECK(d.x >= 0);
        if (d.x + d.width > W) {
            // The one character wider than the page, alone on its line.
            CHECK(d.x == 0);
            CHECK(d.run.size() == 1 || (d.run.size() == 2 && d.run[0].isHighSurrogate() && d.run[1].isLowSurrogate()));
            // Whatever follows is on another line, which lies lower when
            // lines have a height.
            if (k + 1 < s.draws.size() && linesHaveHeight)
                CHECK(s.draws[k + 1].page != d.page || s.draws[k + 1].y != d.y);
        }

        CHECK(d.y >= 0 && d.y <= H);
        if (k > 0) {
            const Draw &p = s.draws[k - 1];
            CHECK(p.page < d.page || (p.page == d.page && p.y <= d.y));
        }
    }
    CHECK(at == drawable.size());
}

// Lines of text one cell high: every line on the grid of L = C + 2, at most
// max(1, H / L - 1) lines a page, so a page at least one cell high holds them
// wholly.
void checkGrid(const FakeSurface &s, const Metrics &m)
{
    const qint64 C = m.cell;
    const qint64 H = m.page[1];
    const qint64 L = std::min<qint64>(C + 2, INT_MAX);
    const qint64 perPage = std::max<qint64>(1, H / L - 1);
    for (const Draw &d : s.draws) {
        CHECK(d.y % L == 0);
        CHECK(d.y / L < perPage);
        if (C <= H)
            CHECK(d.y + C <= H);
    }
}

bool everyCharacterFits(const QString &text, const Metrics &m)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        qint64 w = m.widths[text[i].unicode() % 8];
        if (splitsPair(text, i + 1))
            w += m.widths[text[++i].unicode() % 8];
        if (w > m.page[0])
            return false;
    }
    return true;
}

struct Placement
{
    int page, x, y;
    bool operator==(const Placement &o) const { return page == o.page && x == o.x && y == o.y; }
};

QList<Placement> placements(const FakeSurface &s)
{
    QList<Placement> out;
    for (const Draw &d : s.draws) {
        qint64 x = d.x;
        for (QChar c : d.run) {
            out.append({d.page, int(x), d.y});
            x += s.extent(QStringView(&c, 1)).width();
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Reader in{data, size};
    Metrics m;
    m.flags = in.byte();
    const bool negative = m.flags & Negative;
    // A printable area is never negative.
    m.page[0] = std::abs(in.value(false));
    m.page[1] = std::abs(in.value(false));
    m.cell = in.value(negative);
    m.average = in.value(negative);
    const int extra = in.value(negative);
    m.extra = m.flags & ExtraWidth ? extra : 0;
    for (int i = 0; i < 8; ++i) {
        m.widths[i] = in.smallValue(negative);
        const int height = in.smallValue(negative);
        m.heights[i] = m.flags & UniformHeights ? m.cell : height;
    }
    uint32_t random = in.byte() | 0x100u;
    const int chunkLimit = in.byte() + 1;
    QString text = decodeText(in);
    if (m.flags & TextOnly)
        text = textOnly(text);
    const QString laidOut = text + u'\n';
    const QSize page(m.page[0], m.page[1]);

    // The device, one line at a time.
    FakeSurface byLines(m);
    {
        PrinterTextDevice device(byLines, page);
        for (const QString &line : text.split(u'\n'))
            device.writeLine(line);
        device.close();
    }
    checkDraws(byLines, m, laidOut);

    // The layout, in pieces of random size that never split a pair.
    FakeSurface byPieces(m);
    {
        TextLayout layout(byPieces, page);
        for (qsizetype i = 0; i < laidOut.size();) {
            random ^= random << 13;
            random ^= random >> 17;
            random ^= random << 5;
            qsizetype n = std::min<qsizetype>(1 + random % chunkLimit, laidOut.size() - i);
            if (splitsPair(laidOut, i + n))
                ++n;
            layout.layOut(QStringView(laidOut).sliced(i, n));
            i += n;
        }
        CHECK(layout.y() >= 0 && layout.y() <= std::max(0, m.page[1]));
    }
    checkDraws(byPieces, m, laidOut);

    const bool oneCell = (m.flags & UniformHeights) && !negative;
    if (oneCell && (m.flags & TextOnly)) {
        checkGrid(byLines, m);
        checkGrid(byPieces, m);
    }
    // Where a character wider than the page follows characters of no width
    // at the start of a line, a run that holds both breaks between them
    // while pieces put both on the line: the one case where the pieces show.
    if (oneCell && m.extra == 0 && everyCharacterFits(text, m) && !byLines.saturated && !byPieces.saturated) {
        CHECK(placements(byLines) == placements(byPieces));
        CHECK(byLines.pages == byPieces.pages);
    }
    return 0;
}
