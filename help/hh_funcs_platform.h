#pragma once

#include <QString>

// What the help probe asks of the operating system, one file per platform:
// hh_funcs_posix.cpp and hh_funcs_windows.cpp (with the platform's parts of
// hh_funcs.h: paths, temporary and system folders, file versions).
namespace belva::hh_funcs::platform {

// The separator of the probe's paths: '/' on Linux, '\' on Windows.
[[nodiscard]] QChar PathSeparator();

// The default locale identifier (LCID) of the user's regional settings.
[[nodiscard]] quint32 DefaultLcid();

// The system's name with its major, minor and build numbers:
// "Windows NT 10.0.19045", "Linux 6.1.0".
[[nodiscard]] QString OperatingSystem();

// Appends the text and a line end to the log, created if missing; nothing
// when it cannot be written.
void AppendLogLine(const QString &path, const QString &text);

// Deletes the log left by an earlier run (a link itself, never what it
// names); nothing when there is none.
void RemoveLog(const QString &path);

} // namespace belva::hh_funcs::platform
