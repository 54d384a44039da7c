#pragma once

// What differs between platforms for a command-line program.
namespace belva::score {

// Standard input and output carry bytes as they are (no line-end translation).
void UseBinaryStandardStreams();

// Whether standard error is a terminal (where progress may be shown).
[[nodiscard]] bool StandardErrorIsTerminal();

} // namespace belva::score
