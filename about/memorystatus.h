#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace belva {

// The machine's physical memory as the About box shows it.
struct MemoryStatus
{
    quint64 totalPhysical = 0; // bytes
    int memoryLoad = 0;        // share in use, whole percent 0..100
};

// The system's figures, read anew at each call: GlobalMemoryStatusEx on
// Windows (memorystatus_windows.cpp); /proc/meminfo on Linux, or sysinfo()
// when that file cannot be read (memorystatus_linux.cpp). All zero when the
// system gives none.
[[nodiscard]] MemoryStatus ReadMemoryStatus();

// Linux: the figures of a /proc/meminfo text; "in use" is what is not available.
[[nodiscard]] std::optional<MemoryStatus> ParseMemInfo(const QByteArray &text);

// "Mémoire physique totale : 524 288 Ko", the figure in kilobytes, rounded,
// grouped by thousands with the locale's separator.
[[nodiscard]] QString PhysicalMemoryLine(const MemoryStatus &status, const QLocale &locale = QLocale());

// "Ressources système      : 63% libre."
[[nodiscard]] QString FreeResourcesLine(const MemoryStatus &status);

} // namespace belva
