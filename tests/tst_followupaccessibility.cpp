// The follow-up window as the screen reader reads it: its role, the table's
// name and column descriptions, and the chart's words.
#include "followupaccessibility.h"
#include "followupwindow.h"

#include <QAccessible>
#include <QEvent>
#include <QTableWidget>
#include <QTest>

using namespace belva;

namespace {

FollowUpTest test(const QString &date, std::array<long double, FollowUpScoreCount> scores)
{
    FollowUpTest t;
    t.dateText = date;
    t.scores = scores;
    return t;
}

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

} // namespace

class TestFollowUpAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void chartDescription_data()
    {
        QTest::addColumn<QList<FollowUpTest>>("tests");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("words");
        const auto a = test(QStringLiteral("08/12/2025"), {46.67L, 45, 26.67L, 55, 43.33L});
        const auto b = test(QStringLiteral("02/03/2026"), {20, 45, 100, 0, 41.25L});
        const auto c = test(QStringLiteral("le lendemain"), {100, 100, 100, 100, 100});
        QTest::newRow("no test") << QList<FollowUpTest>{} << QChar(u',') << "Aucun test.";
        QTest::newRow("one test") << QList<FollowUpTest>{a} << QChar(u',')
                                  << "1 test : 08/12/2025. Retentissement psychologique : 46,67 %. "
                                     "Retentissement physique : 45 %. Retentissement social : 26,67 %. "
                                     "Sentiment de douleur généralisée : 55 %. Score global : 43,33 %.";
        QTest::newRow("two tests, changes both ways and none")
            << QList<FollowUpTest>{a, b} << QChar(u',')
            << "2 tests, premier : 08/12/2025, dernier : 02/03/2026. "
               "Retentissement psychologique : de 46,67 % à 20 %, évolution -26,67 points, amélioration. "
               "Retentissement physique : de 45 % à 45 %, évolution 0 point, inchangé. "
               "Retentissement social : de 26,67 % à 100 %, évolution +73,33 points, aggravation. "
               "Sentiment de douleur généralisée : de 55 % à 0 %, évolution -55 points, amélioration. "
               "Score global : de 43,33 % à 41,25 %, évolution -2,08 points, amélioration.";
        QTest::newRow("first and last of three, decimal point")
            << QList<FollowUpTest>{a, b, c} << QChar(u'.')
            << "3 tests, premier : 08/12/2025, dernier : le lendemain. "
               "Retentissement psychologique : de 46.67 % à 100 %, évolution +53.33 points, aggravation. "
               "Retentissement physique : de 45 % à 100 %, évolution +55 points, aggravation. "
               "Retentissement social : de 26.67 % à 100 %, évolution +73.33 points, aggravation. "
               "Sentiment de douleur généralisée : de 55 % à 100 %, évolution +45 points, aggravation. "
               "Score global : de 43.33 % à 100 %, évolution +56.67 points, aggravation.";
    }
    void chartDescription()
    {
        QFETCH(QList<FollowUpTest>, tests);
        QFETCH(QChar, separator);
        QFETCH(QString, words);
        QCOMPARE(FollowUpChartDescription(tests, separator), words);
    }

    // A window, not a filler; the table named, each column described by its
    // score's full name; the chart named and described as it shows.
    void window()
    {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        FollowUpWindow window;
        FollowUp followUp;
        followUp.tests = {test(QStringLiteral("08/12/2025"), {0, 0, 0, 0, 0}),
                          test(QStringLiteral("02/03/2026"), {2.22L, 5, 6.67L, 10, 5.97L})};
        window.setFollowUp(followUp);
        QAccessibleInterface *frame = accessible(&window);
        QCOMPARE(frame->role(), QAccessible::Window);
        QCOMPARE(frame->text(QAccessible::Name), QStringLiteral("Suivi du patient - (sans nom)"));

        auto *table = window.findChild<QTableWidget *>(QStringLiteral("ScoreTable"));
        QAccessibleInterface *grid = accessible(table);
        QCOMPARE(grid->text(QAccessible::Name), QStringLiteral("Scores des tests"));
        QStringList headers;
        for (int c = 0; c < grid->tableInterface()->columnCount(); ++c) {
            const auto cells = grid->tableInterface()->cellAt(0, c)->tableCellInterface()->columnHeaderCells();
            QCOMPARE(cells.size(), 1);
            headers << cells.front()->text(QAccessible::Name) + u'=' + cells.front()->text(QAccessible::Description);
            // Qt makes a new header cell for each call and leaves it to the caller.
            for (QAccessibleInterface *cell : cells)
                QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(cell));
        }
        QCOMPARE(headers, QStringList({"Date=Date du test", "PS=Retentissement psychologique",
                                       "PH=Retentissement physique", "S=Retentissement social",
                                       "DG=Sentiment de douleur généralisée", "Global=Score global"}));

        QAccessibleInterface *chart = accessible(window.findChild<QObject *>(QStringLiteral("Chart")));
        QCOMPARE(chart->role(), QAccessible::Chart);
        QCOMPARE(chart->text(QAccessible::Name), QStringLiteral("Graphique des scores"));
        QVERIFY(chart->text(QAccessible::Description).contains(QStringLiteral("de 0 % à 2,22 %, évolution +2,22 points, aggravation.")));

        // Updated with the chart, and with the regional setting.
        followUp.tests.removeFirst();
        window.setFollowUp(followUp);
        QCOMPARE(chart->text(QAccessible::Description), FollowUpChartDescription(followUp.tests, u','));
        QLocale::setDefault(QLocale::c());
        QEvent change(QEvent::LocaleChange);
        QCoreApplication::sendEvent(window.findChild<QWidget *>(QStringLiteral("Chart")), &change);
        QVERIFY(chart->text(QAccessible::Description).contains(QStringLiteral("2.22 %")));
    }
};

QTEST_MAIN(TestFollowUpAccessibility)
#include "tst_followupaccessibility.moc"
