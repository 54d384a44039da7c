#include "console.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

namespace belva::score {

QStringList CommandLineArguments(int, char *[])
{
    // argv is in the ANSI code page; the wide command line holds every name.
    int count = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &count);
    QStringList arguments;
    for (int i = 1; argv && i < count; ++i)
        arguments << QString::fromWCharArray(argv[i]);
    LocalFree(argv);
    return arguments;
}

void SetUpStandardStreams()
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

bool StandardErrorIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

} // namespace belva::score
