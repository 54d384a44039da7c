// Suivi du patient with fifty saved tests: the files read, the window made
// and filled, and the whole window drawn with its chart. Run with
// QT_QPA_PLATFORM=offscreen bench_followup -median 9 (QtTest).
#include "encoding.h"
#include "followupchart.h"
#include "followupfiles.h"
#include "followupwindow.h"
#include "reports.h"
#include "scoring.h"
#include "startup.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>

using namespace belva;

class BenchFollowUp : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QStringList m_paths;

    void open()
    {
        const FollowUpFiles files = ReadFollowUpFiles(m_paths);
        FollowUpWindow window;
        window.setFollowUp(files.followUp);
        window.show();
        const QPixmap drawn = window.grab();
        QVERIFY(files.followUp.tests.size() == 50 && !drawn.isNull());
    }

private Q_SLOTS:
    void initTestCase()
    {
        SetUpApplication(*qApp);
        QVERIFY(m_dir.isValid());
        // Fifty tests a week apart, answers varying from test to test.
        for (int i = 0; i < 50; ++i) {
            ReportFields f;
            f.date = QDate(2024, 1, 8).addDays(7 * i).toString(QStringLiteral("dd/MM/yyyy"));
            f.patient = QStringLiteral("Dupont-Lefebvre Jean-Étienne");
            for (int a = 0; a < ItemCount; ++a)
                f.answers[size_t(a)] = QString::number((i * 7 + a * 3) % 6);
            const ScoreSet s = ComputeScores(f.answers, u',');
            for (int d = 0; d < DimensionCount; ++d)
                f.scores[size_t(d)] = s.dimensions[size_t(d)].text;
            f.status = s.status;
            const QString path = m_dir.filePath(QStringLiteral("test%1.txt").arg(i));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(EncodeWindows1252(BuildTestReport(f, ReportVariant::Text)).bytes);
            m_paths << path;
        }
    }

    // What the command does: read, make the window, fill it, show it and
    // draw it whole. Once in a fresh process (the first table, chart and
    // style of the run), then again and again.
    void coldOpening()
    {
        QBENCHMARK_ONCE {
            open();
        }
    }

    void opening()
    {
        QBENCHMARK {
            open();
        }
    }

    void readFiftyFiles()
    {
        QBENCHMARK {
            const FollowUpFiles files = ReadFollowUpFiles(m_paths);
            QVERIFY(files.followUp.tests.size() == 50);
        }
    }

    // The chart alone, at the window's size.
    void drawChart()
    {
        const FollowUp followUp = ReadFollowUpFiles(m_paths).followUp;
        QImage image(700, 400, QImage::Format_RGB32);
        QBENCHMARK {
            QPainter painter(&image);
            painter.fillRect(image.rect(), Qt::white);
            PaintFollowUpChart(painter, QRectF(image.rect()), followUp);
        }
    }
};

QTEST_MAIN(BenchFollowUp)
#include "bench_followup.moc"
