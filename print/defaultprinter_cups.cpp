#include "defaultprinter.h"

#include <QDir>
#include <QFile>
#include <QPrinterInfo>

namespace belva {

namespace {

// Whether the user's own setting names a default printer: the LPDEST or
// PRINTER variable ("lp" in PRINTER names none), or a Default line in the
// lpoptions files that `lpoptions -d` writes. When the printer it names is
// not installed, CUPS reports no default printer at all.
bool userNamesDefaultPrinter()
{
    if (!qEnvironmentVariable("LPDEST").isEmpty())
        return true;
    const QString printer = qEnvironmentVariable("PRINTER");
    if (!printer.isEmpty() && printer != u"lp")
        return true;
    const QString serverRoot = qEnvironmentVariable("CUPS_SERVERROOT", QStringLiteral("/etc/cups"));
    for (const QString &path : {serverRoot + QLatin1String("/lpoptions"), QDir::homePath() + QLatin1String("/.cups/lpoptions")}) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        while (!file.atEnd()) {
            const QStringList words = QString::fromLocal8Bit(file.readLine()).simplified().split(u' ');
            if (words.size() >= 2 && words.first().compare(u"Default", Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

QString DefaultPrinterName(const QStringList &installed)
{
    const QString name = QPrinterInfo::defaultPrinterName();
    // Printers installed, but neither the system nor the user names one.
    if (name.isEmpty() && !installed.isEmpty() && !userNamesDefaultPrinter())
        return installed.first();
    return name;
}

} // namespace belva
