#pragma once

#include <QStringList>

class QIODevice;

namespace belva::score {

struct Streams
{
    QIODevice &in;
    QIODevice &out;
    QIODevice &err;
    bool errIsTerminal = false; // progress is shown only on a terminal
};

// The whole program: its arguments (without the program's name) to its exit
// status: 0 every row scored, 1 some rows failed, 2 a usage, reading or
// writing error (nothing left behind in an output file).
[[nodiscard]] int Run(const QStringList &arguments, const Streams &streams);

} // namespace belva::score
