// The scorer's SPSS and Stata files and its reliability table on any CSV
// bytes, the format and options taken from the first byte: no crash, no hang;
// the exit status of the CSV output of the same input (or 2 with nothing
// written, for a text longer than the format holds); a file that ReadStat
// reads back whole, every row with a value for each of its variables, each
// named as SPSS and Stata take it; a table of one row per scale and item.
#include "run.h"
#include "varnames.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <readstat.h>

#include <cstdlib>

namespace {

struct Reading
{
    long rows = -1;
    long variables = 0;
    long values = 0;
    bool namesValid = true;
};

int run(const QStringList &args, const QByteArray &input, QByteArray *out, QByteArray *err)
{
    QByteArray inBytes = input;
    QBuffer in(&inBytes), o(out), e(err);
    in.open(QIODevice::ReadOnly);
    o.open(QIODevice::WriteOnly);
    e.open(QIODevice::WriteOnly);
    return belva::score::Run(args, {in, o, e, false});
}

Reading readBack(const QString &path, bool sav)
{
    Reading r;
    readstat_parser_t *parser = readstat_parser_init();
    readstat_set_metadata_handler(parser, [](readstat_metadata_t *m, void *c) {
        auto *r = static_cast<Reading *>(c);
        r->rows = readstat_get_row_count(m);
        r->variables = readstat_get_var_count(m);
        return int(READSTAT_HANDLER_OK);
    });
    readstat_set_variable_handler(parser, [](int, readstat_variable_t *v, const char *, void *c) {
        static_cast<Reading *>(c)->namesValid &=
            belva::score::VariableNames::isValid(QString::fromUtf8(readstat_variable_get_name(v)));
        return int(READSTAT_HANDLER_OK);
    });
    readstat_set_value_handler(parser, [](int, readstat_variable_t *, readstat_value_t, void *c) {
        ++static_cast<Reading *>(c)->values;
        return int(READSTAT_HANDLER_OK);
    });
    const QByteArray name = QFile::encodeName(path);
    const readstat_error_t error = sav ? readstat_parse_sav(parser, name.constData(), &r)
                                       : readstat_parse_dta(parser, name.constData(), &r);
    readstat_parser_free(parser);
    if (error != READSTAT_OK)
        std::abort();
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const unsigned options = data[0];
    const QByteArray input(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QStringList args;
    if (options & 1)
        args << QStringLiteral("--missing=prorate");
    if (options & 2)
        args << QStringLiteral("--decimal-separator=,");
    args << QStringLiteral("-");

    QByteArray csvOut, csvErr;
    const int csvStatus = run(args, input, &csvOut, &csvErr);

    if (options & 4) {
        QByteArray out, err;
        const int status = run(QStringList{QStringLiteral("--reliability")} + args, input, &out, &err);
        const qsizetype lines = out.count('\n') + out.count('\r') - out.count("\r\n");
        if (status != csvStatus || (status != 2 && lines != 1 + 4 + 20))
            std::abort();
        return 0;
    }
    const bool sav = options & 8;
    static const QString path = QDir::tempPath() + QStringLiteral("/fuzz_score_formats-%1").arg(QCoreApplication::applicationPid());
    QFile::remove(path);
    QByteArray out, err;
    const int status = run(QStringList{sav ? QStringLiteral("--format=sav") : QStringLiteral("--format=dta"),
                                       QStringLiteral("-o"), path} + args,
                           input, &out, &err);
    const bool tooLong = status == 2 && err.contains("rien n'est écrit");
    if (!out.isEmpty() || (status != csvStatus && !tooLong) || QFile::exists(path) != (status != 2))
        std::abort();
    if (status == 2)
        return 0;
    const Reading r = readBack(path, sav);
    if (r.rows < 0 || r.variables < 26 || r.values != r.rows * r.variables || !r.namesValid)
        std::abort();
    QFile::remove(path);
    return 0;
}
