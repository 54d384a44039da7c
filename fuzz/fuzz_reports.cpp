// Report building and its Windows-1252 encoding on arbitrary fields.
#include "encoding.h"
#include "reports.h"

#include <QStringDecoder>
#include <QStringList>
#include <cstdlib>

using namespace belva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList parts = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)).split(u'\x1f');
    ReportFields f;
    qsizetype k = 0;
    const auto next = [&] { return k < parts.size() ? parts[k++] : QString(); };
    f.date = next();
    f.patient = next();
    for (QString &a : f.answers)
        a = next();
    for (QString &s : f.scores)
        s = next();
    f.status = next();

    const QString joined = parts.join(QString());
    const bool plain = !joined.contains(u'\t') && !joined.contains(u'\r') && !joined.contains(u'\n');
    for (ReportVariant v : {ReportVariant::Text, ReportVariant::Print}) {
        const QString r = BuildTestReport(f, v);
        if (!r.endsWith(QLatin1String("\r\n\t")))
            std::abort();
        if (plain && (r.count(u'\n') != 51 || r.count(u'\t') != (v == ReportVariant::Text ? 141 : 142)))
            std::abort();
        const EncodedText enc = EncodeWindows1252(r);
        if (enc.ok()) {
            QStringDecoder dec("windows-1252");
            if (QString(dec(enc.bytes)) != r || enc.bytes.size() != r.size())
                std::abort();
        } else if (enc.firstUnencodable < 0 || enc.firstUnencodable >= r.size()
                   || IsWindows1252Encodable(r.left(enc.firstUnencodable)) == false) {
            std::abort();
        }
    }
    const QString s = BuildScoresSummary(f);
    if (plain && (s.count(u'\n') != 7 || s.count(u'\t') != 21))
        std::abort();
    return 0;
}
