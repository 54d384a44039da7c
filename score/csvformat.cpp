#include "csvformat.h"

namespace belva::score {

char DetectDelimiter(QByteArrayView start)
{
    qsizetype counts[3] = {};
    const char candidates[3] = {';', ',', '\t'};
    for (const char c : start) {
        if (c == '\n' || c == '\r')
            break;
        for (int k = 0; k < 3; ++k)
            counts[k] += c == candidates[k];
    }
    int best = 0;
    for (int k = 1; k < 3; ++k)
        if (counts[k] > counts[best])
            best = k;
    return candidates[best];
}

const char *DetectLineEnd(QByteArrayView start)
{
    bool quoted = false;
    for (qsizetype i = 0; i < start.size(); ++i) {
        const char c = start[i];
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == '\n')
            return "\n";
        else if (c == '\r')
            return i + 1 < start.size() && start[i + 1] != '\n' ? "\r" : "\r\n";
    }
    return "\r\n";
}

} // namespace belva::score
