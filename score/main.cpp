// belvamg-score: scores a study's tests from CSV files or saved tests.
#include "console.h"
#include "run.h"

#include <QFile>
#include <QStringList>

#include <clocale>
#include <cstdio>

int main(int argc, char *argv[])
{
    std::setlocale(LC_ALL, ""); // system error texts in the user's language
    belva::score::UseBinaryStandardStreams();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QFile in, out, err;
    in.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered);
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    return belva::score::Run(arguments, {in, out, err, belva::score::StandardErrorIsTerminal()});
}
