// One recalculation as the user causes it: a key press in a drop-down that
// changes the answer, up to the status text written. Run with
// QT_QPA_PLATFORM=offscreen bench_mainwindow -median 9 (QtTest).
#include "answercombobox.h"
#include "startup.h"
#include "tform1.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

class BenchMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keyPressToStatusText()
    {
        belva::SetUpApplication(*qApp);
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *answer = form.findChild<AnswerComboBox *>(QStringLiteral("ComboBox1"));
        const auto *status = form.findChild<QLabel *>(QStringLiteral("StatusPanel1"));
        bool down = true;
        QBENCHMARK {
            // Down and Up alternate between "0" and "1": every press rescores
            // and rewrites a score field and the status text.
            QTest::keyClick(answer, down ? Qt::Key_Down : Qt::Key_Up);
            down = !down;
        }
        QVERIFY(status->text().startsWith(QStringLiteral("Score global (%) : ")));
    }
};

QTEST_MAIN(BenchMainWindow)
#include "bench_mainwindow.moc"
