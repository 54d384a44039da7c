// Micro-benchmarks of the scoring core: run bench_scoring -median 5 (QtTest).
#include "encoding.h"
#include "reports.h"
#include "scoring.h"

#include <QTest>

using namespace belva;

class BenchScoring : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void computeScores()
    {
        AnswerTexts a;
        for (int i = 0; i < ItemCount; ++i)
            a[i] = QString::number(i % 6);
        QBENCHMARK {
            const ScoreSet s = ComputeScores(a, u',');
            Q_UNUSED(s);
        }
    }
    void testReportAndEncoding()
    {
        ReportFields f;
        f.date = QStringLiteral("08/12/2026");
        f.patient = QStringLiteral("Dupont Jean-Étienne");
        f.answers.fill(QStringLiteral("3"));
        f.scores.fill(QStringLiteral("60"));
        f.status = QStringLiteral("Score global (%) : 60");
        QBENCHMARK {
            const EncodedText e = EncodeWindows1252(BuildTestReport(f, ReportVariant::Text));
            Q_UNUSED(e);
        }
    }
};

QTEST_GUILESS_MAIN(BenchScoring)
#include "bench_scoring.moc"
