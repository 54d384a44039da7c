#include "exportpdfdialog.h"

#include "savetextfiledialog.h"

#include <QFileDialog>
#include <QStringView>
#include <QTextBoundaryFinder>

namespace belva {

namespace {

// The patient's part and the date's part of a proposed name; with ".pdf" and
// a blank the whole name stays under 255 bytes, the longest a name may be.
constexpr qsizetype NameChars = 80;
constexpr qsizetype NameBytes = 160;
constexpr qsizetype DateChars = 40;
constexpr qsizetype DateBytes = 80;

QString trimmed(QString text)
{
    const auto trims = [](QChar c) { return c == u' ' || c == u'.'; };
    qsizetype end = text.size();
    while (end > 0 && trims(text[end - 1]))
        --end;
    qsizetype start = 0;
    while (start < end && trims(text[start]))
        ++start;
    return text.mid(start, end - start);
}

QString cleaned(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            if (QChar::isPrint(QChar::surrogateToUcs4(c, text[i + 1])))
                out.append(text.constData() + i, 2);
            else
                out += u' ';
            ++i;
        } else if (c == u'/' || c == u'\\' || c == u':') {
            out += u'-';
        } else if (QStringView(u"<>\"|?*").contains(c) || !c.isPrint()) {
            out += u' ';
        } else {
            out += c;
        }
    }
    return trimmed(out.simplified());
}

// The longest start of the text, ending after a whole character (letters
// with their accents, pairs), within both limits.
QString cut(const QString &text, qsizetype maxChars, qsizetype maxBytes)
{
    if (text.size() <= maxChars && text.toUtf8().size() <= maxBytes)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (qsizetype next = finder.toNextBoundary(); next > 0; next = finder.toNextBoundary()) {
        if (next > maxChars || QStringView(text).first(next).toUtf8().size() > maxBytes)
            break;
        end = next;
    }
    return trimmed(text.left(end));
}

// Windows gives these names to devices, whatever follows the first dot: the
// length of such a name at the start, else 0.
qsizetype deviceNameLength(const QString &name)
{
    QString base = name.section(u'.', 0, 0);
    while (base.endsWith(u' '))
        base.chop(1);
    const QString upper = base.toUpper();
    const bool device = upper == u"CON" || upper == u"PRN" || upper == u"AUX" || upper == u"NUL"
                        || (upper.size() == 4 && (upper.startsWith(u"COM") || upper.startsWith(u"LPT"))
                            && upper[3] >= u'1' && upper[3] <= u'9');
    return device ? base.size() : 0;
}

} // namespace

QString ProposedPdfFileName(const QString &patient, const QString &date)
{
    QString name = cut(cleaned(patient), NameChars, NameBytes);
    if (name.isEmpty())
        name = QStringLiteral("BELVA");
    const QString day = cut(cleaned(date), DateChars, DateBytes);
    if (!day.isEmpty())
        name += u' ' + day;
    if (const qsizetype device = deviceNameLength(name))
        name.insert(device, u'_');
    return name + QStringLiteral(".pdf");
}

QString ExecuteExportPdfDialog(QWidget *parent, const QString &folder, const QString &name)
{
    auto *dialog = new QFileDialog(parent, QStringLiteral("Exporter en PDF"));
    dialog->setObjectName(QStringLiteral("ExportPdfDialog"));
    dialog->setOptions(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("Document PDF (*.pdf)"));
    dialog->setDefaultSuffix(QStringLiteral("pdf"));
    FitFileDialog(dialog);
    dialog->setDirectory(folder);
    dialog->selectFile(name);

    return ExecuteForOneFile(dialog);
}

} // namespace belva
