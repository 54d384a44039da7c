#pragma once

// Archival PDF documents (PDF/A-1b) made in memory from the printed page:
// the test report laid out by the printer text device, or any page a
// painter draws. The bytes are handed to the caller, who writes the file.

#include <QBuffer>
#include <QFont>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>

namespace belva {

// The paper of the locale's territory: Letter where it is the usual paper
// (the Americas from Canada to Chile, the Philippines), else A4.
[[nodiscard]] QPageSize LocalePageSize(const QLocale &locale = QLocale());

// The document's title: "BELVA MG 1.0 - <patient> - <what>", without the
// patient's part when the name is empty; characters that are not printable
// become blanks.
[[nodiscard]] QString PdfTitle(const QString &patient, const QString &what);

// One PDF/A-1b document in memory: every font embedded, the identification
// and the title in its XMP metadata, an sRGB output intent, no transparency.
// The page is the paper less a margin of 10 mm all round, at 600 dots per
// inch, as a printer would give it. Throws belva::Error when the document
// cannot be begun.
class PdfDocument
{
public:
    static constexpr int Resolution = 600;

    explicit PdfDocument(const QString &title, const QPageSize &paper = LocalePageSize());
    PdfDocument(const PdfDocument &) = delete;
    PdfDocument &operator=(const PdfDocument &) = delete;

    [[nodiscard]] QPainter &painter() { return m_painter; }
    // The drawable area, in dots; the painter's origin is its top-left corner.
    [[nodiscard]] QSize page() const;
    void newPage();
    // Ends the document and gives its bytes; the painter is then closed.
    [[nodiscard]] QByteArray finish();

private:
    QBuffer m_buffer;
    QPdfWriter m_writer;
    QPainter m_painter;
};

// The lines of the report buffer laid out as the print command lays them
// out (the print font made from the window's font, tab stops, breaks at the
// right edge, new pages at the bottom), as a PDF/A-1b document.
[[nodiscard]] QByteArray ReportPdf(const QStringList &lines, const QFont &windowFont, const QString &title,
                                   const QPageSize &paper = LocalePageSize());

} // namespace belva
