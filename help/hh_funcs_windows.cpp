// What the help probe asks of Windows: the module's path, the temporary and
// system folders, version resources, the user's locale and the system's
// version, the log file.
#include "hh_funcs.h"
#include "hh_funcs_platform.h"

#include "encoding.h"
#include "viewerlibrary.h"

#include <QFileInfo>

#include <windows.h>
#include <shellapi.h>

#include <vector>

namespace belva::hh_funcs {

namespace {

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

bool isSeparator(QChar c)
{
    return c == u'\\' || c == u'/' || c == u':';
}

qsizetype afterLastSeparator(const QString &path)
{
    qsizetype i = path.size();
    while (i > 0 && !isSeparator(path.at(i - 1)))
        --i;
    return i;
}

QString moduleFileName()
{
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size())
            return QString::fromWCharArray(buffer.data(), int(n));
        buffer.resize(buffer.size() * 2);
    }
}

QString tempPath()
{
    wchar_t buffer[MAX_PATH + 2] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    return n > 0 && n <= MAX_PATH + 1 ? QString::fromWCharArray(buffer, int(n)) : QString();
}

} // namespace

namespace platform {

QChar PathSeparator()
{
    return u'\\';
}

quint32 DefaultLcid()
{
    return GetUserDefaultLCID();
}

QString OperatingSystem()
{
    // The system's own numbers: GetVersionEx answers what the manifest
    // declares it supports.
    using RtlGetVersionFunction = LONG(WINAPI *)(OSVERSIONINFOW *);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (!rtlGetVersion || rtlGetVersion(&info) != 0)
        return QStringLiteral("Windows NT 0.0.0");
    return QStringLiteral("%1 %2.%3.%4")
        .arg(info.dwPlatformId == VER_PLATFORM_WIN32_NT ? QStringLiteral("Windows NT") : QStringLiteral("Windows"))
        .arg(info.dwMajorVersion)
        .arg(info.dwMinorVersion)
        .arg(info.dwBuildNumber);
}

void AppendLogLine(const QString &path, const QString &text)
{
    // Never through a link, never into a device or a pipe.
    const HANDLE log = CreateFileW(wide(path), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(log) == FILE_TYPE_DISK && GetFileInformationByHandle(log, &info)
        && !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        // The system's single-byte text; a character it cannot hold comes out as a substitute.
        const QByteArray line = EncodeWindows1252(text).bytes + "\r\n";
        DWORD written = 0;
        WriteFile(log, line.constData(), DWORD(line.size()), &written, nullptr);
        FlushFileBuffers(log);
    }
    CloseHandle(log);
}

void RemoveLog(const QString &path)
{
    // A link is removed itself, never what it names.
    DeleteFileW(wide(path));
}

} // namespace platform

QString DirectoryPart(const QString &path)
{
    return path.left(afterLastSeparator(path));
}

QString FileNamePart(const QString &path)
{
    return path.mid(afterLastSeparator(path));
}

bool DirectoryIsWritable(QString dir)
{
    dir = StripTrailingChar(std::move(dir), u'\\');
    const QString path = dir + u'\\' + QString::fromUtf16(WriteProbeName);
    // Deleted as soon as it is closed; an existing file is never touched.
    HANDLE probe = CreateFileW(wide(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS)
        return false;
    wchar_t unique[MAX_PATH + 1] = {};
    if (!GetTempFileNameW(wide(dir), L"$_T", 0, unique))
        return false;
    DeleteFileW(unique);
    return true;
}

std::optional<QString> GetTempDir(const TempLocations &where)
{
    const QFileInfo info(where.tmpDir);
    if (where.tmpDir.isEmpty() || !info.isDir())
        return QStringLiteral("c:");
    return StripTrailingChar(where.tmpDir, u'\\');
}

QString GetSystemDir()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH)
        return {};
    return StripTrailingChar(QString::fromWCharArray(buffer, int(n)), u'\\');
}

QString GetFileVersionText(const QString &path, FileVersion *version)
{
    *version = FileVersion{};
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return {};
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(wide(path), &handle);
    if (size == 0)
        return {};
    std::vector<char> data(size);
    if (!GetFileVersionInfoW(wide(path), 0, size, data.data()))
        return {};
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void **>(&fixed), &length) || !fixed
        || length < sizeof(VS_FIXEDFILEINFO))
        return {};
    *version = FileVersion{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                           HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
    return VersionText(*version);
}

ProbeEnvironment CurrentEnvironment(int, const char *const *)
{
    ProbeEnvironment env;
    // The wide command line holds every name; argv is in the ANSI code page.
    int count = 0;
    if (LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            env.arguments.append(QString::fromWCharArray(argv[i]));
        LocalFree(argv);
    }
    env.moduleFullName = moduleFileName();
    env.temp = TempLocations{tempPath(), QString(), QString()};
    env.systemDir = GetSystemDir();
    env.viewerLibraryPath = hh::GetViewerLibraryPath();
    return env;
}

} // namespace belva::hh_funcs
