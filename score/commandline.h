#pragma once

#include "settings.h"

#include <QString>
#include <QStringList>

namespace belva::score {

struct CommandLine
{
    Settings settings;
    QString output;     // empty: standard output
    QStringList inputs; // "-" for standard input
    QString keyFile;        // --key-file, with --pseudonymize
    QString pseudonymTable; // --pseudonym-table: empty, none
    bool help = false;
};

// A command line that cannot be run; the message says why, in French.
struct UsageError
{
    QString message;
};

// The arguments after the program's name. Throws UsageError.
[[nodiscard]] CommandLine ParseCommandLine(const QStringList &arguments);

[[nodiscard]] QString HelpText();

} // namespace belva::score
