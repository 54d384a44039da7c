#pragma once

#include <QString>

namespace belva::score {

// A usage, reading or writing error: the run stops and exits with status 2.
// The message is the whole line for standard error, e.g.
//   "etude.csv:1: la réponse 7 a deux colonnes : q7, item7 ; ...".
struct Failure
{
    QString message;
};

} // namespace belva::score
