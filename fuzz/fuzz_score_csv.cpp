// The scorer's CSV path on any bytes, with options taken from the first byte:
// no crash, no hang, never more output rows than input rows, and every output
// row either scored whole or carrying an Erreur. The score columns are found
// by name: added at the end, or where an earlier output had them.
#include "run.h"

#include <QBuffer>
#include <QStringList>

#include <csv.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

using Record = std::vector<QByteArray>;

struct Records
{
    std::vector<Record> rows;
    Record current;
};

int noBlanks(unsigned char)
{
    return 0;
}

std::vector<Record> parse(QByteArrayView bytes, char delimiter)
{
    Records r;
    csv_parser p;
    csv_init(&p, 0);
    csv_set_delim(&p, static_cast<unsigned char>(delimiter));
    csv_set_space_func(&p, noBlanks);
    const auto field = [](void *data, size_t size, void *self) {
        static_cast<Records *>(self)->current.emplace_back(static_cast<const char *>(data), qsizetype(size));
    };
    const auto row = [](int, void *self) {
        auto *r = static_cast<Records *>(self);
        r->rows.push_back(std::move(r->current));
        r->current.clear();
    };
    csv_parse(&p, bytes.data(), size_t(bytes.size()), field, row, &r);
    csv_fini(&p, field, row, &r);
    csv_free(&p);
    return r.rows;
}

bool isScore(const QByteArray &text)
{
    // 0..100 with at most two decimals, no trailing zero.
    const qsizetype sep = qMax(text.indexOf(','), text.indexOf('.'));
    const QByteArray whole = sep < 0 ? text : text.left(sep);
    const QByteArray decimals = sep < 0 ? QByteArray() : text.mid(sep + 1);
    bool ok = false;
    const int value = whole.toInt(&ok);
    if (!ok || whole.isEmpty() || whole.size() > 3 || value > 100 || (whole.size() > 1 && whole[0] == '0'))
        return false;
    if (sep < 0)
        return true;
    return value < 100 && !decimals.isEmpty() && decimals.size() <= 2 && !decimals.endsWith('0')
           && std::all_of(decimals.begin(), decimals.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const unsigned options = data[0];
    QByteArray input(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    QStringList args;
    if (options & 1)
        args << QStringLiteral("--missing=prorate");
    static const char *const encodings[] = {nullptr, "--encoding=utf-8", "--encoding=windows-1252", "--na=-99,NR"};
    if (const char *e = encodings[(options >> 1) & 3])
        args << QString::fromLatin1(e);
    static const char *const delimiters[] = {nullptr, "--delimiter=;", "--delimiter=,", "--delimiter=tab"};
    if (const char *d = delimiters[(options >> 3) & 3])
        args << QString::fromLatin1(d);
    if (options & 32)
        args << QStringLiteral("--decimal-separator=,");
    if (options & 64)
        args << QStringLiteral("--items=a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r,s,t");
    args << QStringLiteral("-");

    QByteArray outBytes, errBytes;
    QBuffer in(&input), out(&outBytes), err(&errBytes);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    const int status = belva::score::Run(args, {in, out, err, false});
    if (status < 0 || status > 2 || (status != 0 && errBytes.isEmpty()))
        std::abort();
    if (outBytes.isEmpty()) {
        if (status != 2)
            std::abort();
        return 0;
    }

    // The output's delimiter is the one whose header names every score column.
    const QByteArrayView output = QByteArrayView(outBytes).startsWith("\xEF\xBB\xBF") ? QByteArrayView(outBytes).sliced(3)
                                                                                    : QByteArrayView(outBytes);
    for (const char delimiter : {';', ',', '\t'}) {
        const std::vector<Record> rows = parse(output, delimiter);
        const Record &head = rows.front();
        std::vector<size_t> scores;
        for (const char *name : {"PS", "PH", "S", "DG", "Global"}) {
            const auto at = std::find(head.rbegin(), head.rend(), QByteArray(name));
            if (at != head.rend())
                scores.push_back(size_t(head.rend() - at - 1));
        }
        const auto errorAt = std::find(head.rbegin(), head.rend(), QByteArray("Erreur"));
        if (scores.size() != 5 || errorAt == head.rend())
            continue;
        const size_t error = size_t(head.rend() - errorAt - 1);
        const QByteArrayView body = input.startsWith("\xEF\xBB\xBF") ? QByteArrayView(input).sliced(3) : QByteArrayView(input);
        if (rows.size() > parse(body, delimiter).size())
            std::abort();
        bool anyFailed = false;
        for (size_t n = 1; n < rows.size(); ++n) {
            const Record &row = rows[n];
            if (row.size() != head.size())
                std::abort();
            const bool failed = !row[error].isEmpty();
            for (const size_t s : scores)
                if ((!failed && row[s].isEmpty()) || (!row[s].isEmpty() && !isScore(row[s])))
                    std::abort();
            anyFailed |= failed;
        }
        if ((anyFailed && status == 0) || (!anyFailed && status == 1))
            std::abort();
        return 0;
    }
    std::abort(); // no header with the score columns
}
