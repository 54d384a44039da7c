#pragma once

#include <QStringList>

// What differs between platforms for a command-line program.
namespace belva::score {

// The arguments after the program's name, as text.
[[nodiscard]] QStringList CommandLineArguments(int argc, char *argv[]);

// Standard streams carry bytes unchanged (no line-end translation), and a
// console shows the UTF-8 written to it.
void SetUpStandardStreams();

// Whether standard error is a terminal (where progress may be shown).
[[nodiscard]] bool StandardErrorIsTerminal();

} // namespace belva::score
