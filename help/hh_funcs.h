#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

// The help environment probe. At start-up it works out the program's paths,
// the debug switch and the versions of the help viewer library and of the
// browser component, deletes the previous diagnostic log and, in debug mode,
// writes a diagnostic header into a new one. Nothing else reads its results.
namespace belva::hh_funcs {

struct FileVersion
{
    quint16 major = 0;
    quint16 minor = 0;
    quint16 release = 0;
    quint16 build = 0;
};

// -1, 0 or +1, field by field, major first.
[[nodiscard]] int CompareVersions(const FileVersion &a, const FileVersion &b);

// The probe's process-wide values.
struct ProbeState
{
    QString ModuleFullName;
    QString _ModuleDir;
    QString _ModuleName;
    QString _RunDir;
    QString DebugLogDir;
    bool DebugLogDirFound = false; // false: no folder of the user's own, no log
    bool DebugMode = false;
    QString _hhVerStr;
    bool _hhInstalled = false;
    FileVersion hhVersion;
    QString _hhFriendlyVerStr;
    QString _ieVerStr;
    bool _ieInstalled = false;
    FileVersion ieVersion;
    QString _ieFriendlyVerStr;
};

// File names, after their folder and the platform's separator ('/' on
// Linux, '\' on Windows).
inline constexpr char16_t DebugLogName[] = u"HHDebug.txt";
inline constexpr char16_t WriteProbeName[] = u"$_Temp_$.$$$";
inline constexpr char16_t DebugMarkerName[] = u"debug.debug";
inline constexpr char16_t BrowserComponentName[] = u"Shdocvw.dll";

// Where the user's temporary folder is looked for.
struct TempLocations
{
    QString tmpDir;     // $TMPDIR; on Windows the system's temporary path
    QString runtimeDir; // $XDG_RUNTIME_DIR (Linux)
    QString sharedDir;  // the folder every user shares, /tmp (Linux)
};

// What the probe reads from the system; the tests lay out their own. What
// differs between platforms is in hh_funcs_posix.cpp and hh_funcs_windows.cpp.
struct ProbeEnvironment
{
    QString moduleFullName;    // the running executable
    QStringList arguments;     // the command line, item 0 the program path
    TempLocations temp;
    QString systemDir;         // where system libraries lie
    QString viewerLibraryPath; // as hh::GetViewerLibraryPath finds it
};

[[nodiscard]] ProbeEnvironment CurrentEnvironment(int argc, const char *const *argv);

// Process start: computes the state, deletes the previous log and writes
// the header in debug mode.
void RunProbe(const ProbeEnvironment &env);
[[nodiscard]] const ProbeState &State();
// Process end.
void ClearProbe();

void InitializeModule(int argc, const char *const *argv);
void FinalizeModule();

[[nodiscard]] QString StripTrailingChar(QString text, QChar c);
[[nodiscard]] QString DirectoryPart(const QString &path);
[[nodiscard]] QString FileNamePart(const QString &path);
// Creates dir + WriteProbeName, or a unique name beside it when that one is
// taken, and deletes what it created; whether creating worked. An existing
// file is never touched.
[[nodiscard]] bool DirectoryIsWritable(QString dir);
// The user's own temporary folder. Linux: $TMPDIR, else $XDG_RUNTIME_DIR,
// else "belvamg-<uid>" in the shared folder, made with mode 0700; the root
// ("") when the variable names no folder; none when the private folder is
// not a real folder of this user's with mode 0700. Windows: the system's
// temporary path, or "c:" when that folder does not exist.
[[nodiscard]] std::optional<QString> GetTempDir(const TempLocations &where);
[[nodiscard]] QString GetSystemDir();
// Linux: a shared library carries its version in its real file name
// ("libchm.so.1.0.0" is 1.0.0.0); a link is followed to that name.
// Windows: the file's version resource.
[[nodiscard]] QString GetFileVersionText(const QString &path, FileVersion *version);
[[nodiscard]] QString ViewerFriendlyName(const FileVersion &v);
// Old browser components put the build number in the release place.
[[nodiscard]] FileVersion AdjustBrowserVersion(FileVersion v);
[[nodiscard]] QString BrowserFriendlyName(const FileVersion &v);
[[nodiscard]] QString VersionText(const FileVersion &v);

// The locale's long time format without its time zone: hours, minutes and
// seconds as the regional settings write them.
[[nodiscard]] QString LongTimeFormat(const QLocale &locale);

// Appends one line to the log in DebugLogDir; a line that cannot be written
// is dropped, as is one for anything but a regular file of this user's (a
// link there is not followed). UTF-8 and LF on Linux, the ANSI code page
// (Windows-1252) and CR LF on Windows. "-" and "=" become separators; a leading "!",
// "-" or "=" is removed, any other line gets the time in front.
void DebugLogLine(const QString &line);

} // namespace belva::hh_funcs
