#include "memorystatus.h"

#include <QFile>

#include <sys/sysinfo.h>

#include <algorithm>
#include <limits>

namespace belva {

namespace {

int LoadPercent(quint64 total, quint64 available)
{
    if (total == 0)
        return 0;
    available = std::min(available, total);
    return qRound(100.0 * double(total - available) / double(total));
}

std::optional<MemoryStatus> ReadSysinfo()
{
    struct sysinfo info {};
    if (sysinfo(&info) != 0 || info.totalram == 0)
        return std::nullopt;
    const quint64 unit = info.mem_unit ? info.mem_unit : 1;
    const quint64 total = quint64(info.totalram) * unit;
    const quint64 available = (quint64(info.freeram) + quint64(info.bufferram)) * unit;
    return MemoryStatus{total, LoadPercent(total, available)};
}

} // namespace

std::optional<MemoryStatus> ParseMemInfo(const QByteArray &text)
{
    std::optional<quint64> total, available;
    quint64 fallbackAvailable = 0; // MemFree + Buffers + Cached, for kernels without MemAvailable
    for (const QByteArray &line : text.split('\n')) {
        const int colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = line.left(colon);
        QByteArray value = line.mid(colon + 1).trimmed();
        if (value.endsWith(" kB"))
            value.chop(3);
        bool ok = false;
        const quint64 kib = value.trimmed().toULongLong(&ok);
        if (!ok || kib > (std::numeric_limits<quint64>::max() >> 10))
            continue;
        if (key == "MemTotal")
            total = kib << 10;
        else if (key == "MemAvailable")
            available = kib << 10;
        else if (key == "MemFree" || key == "Buffers" || key == "Cached")
            fallbackAvailable += kib << 10;
    }
    if (!total || *total == 0)
        return std::nullopt;
    return MemoryStatus{*total, LoadPercent(*total, available.value_or(fallbackAvailable))};
}

MemoryStatus ReadMemoryStatus()
{
    QFile file(QStringLiteral("/proc/meminfo"));
    if (file.open(QIODevice::ReadOnly)) {
        if (const auto status = ParseMemInfo(file.readAll()))
            return *status;
    }
    return ReadSysinfo().value_or(MemoryStatus{});
}

} // namespace belva
