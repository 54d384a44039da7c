// Writes a saved test as Sauvegarder sous does, for the end-to-end tests.
//   saved_test FILE DATE PATIENT ANSWERS
//     ANSWERS  the twenty answers as twenty digits, item 1 first
// The scores are computed with "," as decimal separator.
#include "encoding.h"
#include "reports.h"
#include "scoring.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 4 || args[3].size() != belva::ItemCount) {
        std::fputs("usage: saved_test FILE DATE PATIENT ANSWERS\n", stderr);
        return 2;
    }
    belva::ReportFields f;
    f.date = args[1];
    f.patient = args[2];
    for (int i = 0; i < belva::ItemCount; ++i)
        f.answers[size_t(i)] = args[3].mid(i, 1);
    const belva::ScoreSet s = belva::ComputeScores(f.answers, u',');
    for (int d = 0; d < belva::DimensionCount; ++d)
        f.scores[size_t(d)] = s.dimensions[size_t(d)].text;
    f.status = s.status;
    QFile file(args[0]);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(belva::EncodeWindows1252(belva::BuildTestReport(f, belva::ReportVariant::Text)).bytes) < 0) {
        std::fprintf(stderr, "saved_test: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
