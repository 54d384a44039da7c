#include "regularfile.h"

namespace belva {

QString WithoutTrailingStops(QString text)
{
    qsizetype end = text.size();
    while (end > 0) {
        const QChar c = text.at(end - 1);
        if (!c.isSpace() && c != u'.')
            break;
        --end;
    }
    text.truncate(end);
    return text;
}

} // namespace belva
