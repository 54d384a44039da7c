#include "pdfdocument.h"

#include "errors.h"
#include "notices.h"
#include "printerjob.h"
#include "printertextdevice.h"
#include "printing.h"

#include <QMarginsF>
#include <QPageLayout>

#include <algorithm>
#include <array>

namespace belva {

namespace {

// Where Letter is the usual paper (the common locale data's list).
constexpr std::array LetterTerritories = {
    QLocale::Belize,     QLocale::Canada,      QLocale::Chile,      QLocale::Colombia,     QLocale::CostaRica,
    QLocale::Guatemala,  QLocale::Mexico,      QLocale::Nicaragua,  QLocale::Panama,       QLocale::Philippines,
    QLocale::PuertoRico, QLocale::ElSalvador,  QLocale::UnitedStates, QLocale::Venezuela,
};

constexpr qreal MarginMillimetres = 10;

// XML, and so the metadata, holds no control character and no lone half of
// a pair: those become blanks.
QString printable(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        if (QChar::isPrint(c)) {
            i += pair ? 1 : 0;
        } else {
            text[i] = u' ';
            if (pair)
                text.remove(i + 1, 1);
        }
    }
    return text;
}

} // namespace

QPageSize LocalePageSize(const QLocale &locale)
{
    const bool letter = std::find(LetterTerritories.begin(), LetterTerritories.end(), locale.territory())
                        != LetterTerritories.end();
    return QPageSize(letter ? QPageSize::Letter : QPageSize::A4);
}

QString PdfTitle(const QString &patient, const QString &what)
{
    QString title = QString::fromUtf16(AppTitle);
    if (!patient.isEmpty())
        title += QStringLiteral(" - ") + patient;
    if (!what.isEmpty())
        title += QStringLiteral(" - ") + what;
    return printable(title);
}

PdfDocument::PdfDocument(const QString &title, const QPageSize &paper) : m_writer(&m_buffer)
{
    m_buffer.open(QIODevice::WriteOnly);
    m_writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    m_writer.setTitle(printable(title));
    m_writer.setCreator(QString::fromUtf16(AppTitle));
    m_writer.setResolution(Resolution);
    const QMarginsF margins(MarginMillimetres, MarginMillimetres, MarginMillimetres, MarginMillimetres);
    m_writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, margins, QPageLayout::Millimeter));
    if (!m_painter.begin(&m_writer))
        throw Error(QStringLiteral("Le document PDF ne peut pas être créé"));
}

QSize PdfDocument::page() const
{
    return {m_writer.width(), m_writer.height()};
}

void PdfDocument::newPage()
{
    m_writer.newPage();
}

QByteArray PdfDocument::finish()
{
    if (m_painter.isActive())
        m_painter.end();
    return m_buffer.data();
}

QByteArray ReportPdf(const QStringList &lines, const QFont &windowFont, const QString &title, const QPageSize &paper)
{
    PdfDocument document(title, paper);
    QPainter &painter = document.painter();
    painter.setFont(PrintFont(windowFont, ScreenDpi(), PdfDocument::Resolution));
    painter.setPen(Qt::black);
    PainterSurface surface(painter, [&document] { document.newPage(); });
    PrinterTextDevice device(surface, document.page());
    for (const QString &line : lines)
        device.writeLine(line);
    device.close();
    return document.finish();
}

} // namespace belva
