// belvamg-score: scores a study's tests from CSV files or saved tests.
#include "console.h"
#include "run.h"

#include <QFile>

#include <clocale>

int main(int argc, char *argv[])
{
    std::setlocale(LC_ALL, ""); // system error texts in the user's language
    belva::score::SetUpStandardStreams();

    // The descriptors, not stdio's FILE: a write error is seen when it happens.
    QFile in, out, err;
    in.open(0, QIODevice::ReadOnly | QIODevice::Unbuffered);
    out.open(1, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(2, QIODevice::WriteOnly | QIODevice::Unbuffered);
    return belva::score::Run(belva::score::CommandLineArguments(argc, argv),
                             {in, out, err, belva::score::StandardErrorIsTerminal()});
}
