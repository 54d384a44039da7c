#include "reportexport.h"

#include "encoding.h"
#include "errors.h"
#include "systemfile.h"

#include <QLocale>

namespace belva {

QString ReportDateText(const QDate &date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

void WriteReportFile(const QString &path, const QString &text)
{
    // A report that holds a character Windows-1252 cannot hold is not
    // written: no file is created or changed, no substitute byte written.
    const EncodedText encoded = EncodeWindows1252(text);
    if (!encoded.ok()) {
        const qsizetype at = encoded.firstUnencodable;
        const bool pair = text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate();
        throw Error(QStringLiteral("Le caractère \"%1\" ne peut pas être enregistré dans un fichier texte Windows.")
                        .arg(text.mid(at, pair ? 2 : 1)));
    }
    WriteWholeFile(path, encoded.bytes);
}

} // namespace belva
