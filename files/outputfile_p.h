#pragma once

#include "systemfile.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <optional>

// What OutputFile holds, shared by both platforms' files.
namespace belva {

// How the content reaches the file: through a new file put in its place, a
// copy kept aside and written over it at commit(), or straight into it.
enum class OutputWay { None, Replace, Rewrite, Into };

struct OutputFile::Private
{
    OutputWay way = OutputWay::None;
    std::optional<QSaveFile> replacement;
    std::optional<QTemporaryFile> aside;
    QFile into;
    QFile closed;        // the device before open()
    qintptr target = -1; // the file rewritten at commit(): a descriptor, or a HANDLE on Windows
    int error = 0;
};

// The file rewritten at commit(), on each platform: emptied and at its
// beginning; written whole; closed, false when closing shows a failed write.
[[nodiscard]] bool RewindOutputTarget(qintptr target);
[[nodiscard]] bool WriteOutputTarget(qintptr target, const char *data, qint64 size);
bool CloseOutputTarget(qintptr target);

// The system's error code for a write that failed without one.
[[nodiscard]] int WriteFailedCode();

// Whether the system tells file names apart by case.
[[nodiscard]] Qt::CaseSensitivity FileNameCase();

} // namespace belva
