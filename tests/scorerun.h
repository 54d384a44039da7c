#pragma once

// belvamg-score run in the test's process, on buffers for its three streams.

#include "run.h"

#include <QBuffer>
#include <QStringList>

namespace belva::test {

struct ScoreResult
{
    int status;
    QByteArray out;
    QByteArray err;
};

inline ScoreResult RunScore(const QStringList &args, const QByteArray &input = {})
{
    QByteArray inBytes = input, outBytes, errBytes;
    QBuffer in(&inBytes), out(&outBytes), err(&errBytes);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    const int status = score::Run(args, {in, out, err, false});
    return {status, outBytes, errBytes};
}

} // namespace belva::test
