#include "memorystatus.h"

namespace belva {

QString PhysicalMemoryLine(const MemoryStatus &status, const QLocale &locale)
{
    QLocale grouped = locale;
    grouped.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    const quint64 kilobytes = status.totalPhysical / 1024 + (status.totalPhysical % 1024 >= 512 ? 1 : 0);
    return QStringLiteral("Mémoire physique totale : ") + grouped.toString(kilobytes) + QStringLiteral(" Ko");
}

QString FreeResourcesLine(const MemoryStatus &status)
{
    return QStringLiteral("Ressources système      : ") + QString::asprintf("%d%%", 100 - status.memoryLoad)
        + QStringLiteral(" libre.");
}

} // namespace belva
