#include "defaultprinter.h"

#include "errors.h"

#include <windows.h>

#include <vector>

namespace belva {

namespace {

[[noreturn]] void throwNoDefaultPrinter()
{
    throw Error(QStringLiteral("Aucune imprimante par défaut sélectionnée"));
}

// "Erreur système.  Code : <n>.\r\n<the system's text>", or the generic
// message when the system gives no code.
[[noreturn]] void throwSystemError(DWORD code)
{
    if (code == 0)
        throw Error(QStringLiteral("Un appel à une fonction du système d'exploitation a échoué"));
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    const QString text = length && buffer ? QString::fromWCharArray(buffer, int(length)) : QString();
    LocalFree(buffer);
    throw Error(QStringLiteral("Erreur système.  Code : %1.\r\n%2").arg(code).arg(text));
}

// The printing system's default printer; empty when it names none.
QString enumeratedDefault()
{
    DWORD needed = 0;
    DWORD returned = 0;
    if (!EnumPrintersW(PRINTER_ENUM_DEFAULT, nullptr, 5, nullptr, 0, &needed, &returned)) {
        const DWORD error = GetLastError();
        if (error == ERROR_INVALID_NAME)
            throwNoDefaultPrinter();
        if (error != ERROR_INSUFFICIENT_BUFFER)
            throwSystemError(error);
    }
    if (needed == 0)
        return {};
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersW(PRINTER_ENUM_DEFAULT, nullptr, 5, buffer.data(), needed, &needed, &returned))
        throwSystemError(GetLastError());
    if (returned == 0)
        return {};
    const auto *info = reinterpret_cast<const PRINTER_INFO_5W *>(buffer.data());
    return info->pPrinterName ? QString::fromWCharArray(info->pPrinterName) : QString();
}

// The first field of the profile's "device" value: its blanks skipped, up to
// the first comma.
QString profileDefault()
{
    wchar_t device[1023] = {};
    GetProfileStringW(L"windows", L"device", L"", device, 1023);
    const QString value = QString::fromWCharArray(device);
    qsizetype start = 0;
    while (start < value.size() && value.at(start) == u' ')
        ++start;
    const qsizetype comma = value.indexOf(u',', start);
    return value.mid(start, comma < 0 ? -1 : comma - start);
}

} // namespace

QString DefaultPrinterName(const QStringList &)
{
    const QString name = enumeratedDefault();
    return name.isEmpty() ? profileDefault() : name;
}

} // namespace belva
