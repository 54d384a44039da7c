// The saved-test reader on any bytes: no crash, no hang, and whatever it
// accepts rebuilds to the text it was read from.
#include "encoding.h"
#include "savedtest.h"

#include <cstdlib>

using namespace belva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const SavedTestReading r = ReadSavedTest(bytes, QStringLiteral("f.txt"));
    if (!r.ok()) {
        if (r.line < 0 || r.line > 53)
            std::abort();
        return 0;
    }
    QString text = DecodeWindows1252(bytes);
    if (!text.startsWith(QLatin1String("\r\n")))
        text.replace(u'\n', QLatin1String("\r\n"));
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    const QString rebuilt = RebuildSavedTest(r.test);
    if (rebuilt != text)
        std::abort();
    const EncodedText again = EncodeWindows1252(rebuilt);
    if (!again.ok() || !ReadSavedTest(QByteArrayView(again.bytes), QStringLiteral("f.txt")).ok())
        std::abort();
    return 0;
}
