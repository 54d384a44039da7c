// The follow-up's rules: dates read and put in order, the change row, the
// copied table and the message for the files left out.
#include "followup.h"

#include <QTest>

using namespace belva;

namespace {

FollowUpTest dated(const QString &dateText, const QLocale &locale, int index)
{
    FollowUpTest t;
    t.fileName = QStringLiteral("test%1.txt").arg(index);
    t.dateText = dateText;
    t.patient = QStringLiteral("Dupont Jean");
    t.date = ReadTestDate(dateText, locale, 2026);
    t.scores.fill(index);
    return t;
}

FollowUpTest withScores(const QString &date, std::array<long double, FollowUpScoreCount> scores,
                        const QString &patient = QStringLiteral("Dupont Jean"))
{
    FollowUpTest t;
    t.fileName = date + QStringLiteral(".txt");
    t.dateText = date;
    t.patient = patient;
    t.date = ReadTestDate(date, QLocale(QLocale::French, QLocale::France), 2026);
    t.scores = scores;
    return t;
}

} // namespace

class TestFollowUp : public QObject
{
    Q_OBJECT

private slots:
    void order_data();
    void order();
    void table_data();
    void table();
    void patientNames();
    void refusedFiles_data();
    void refusedFiles();
};

void TestFollowUp::order_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("chosen");   // date texts, in the order the files were chosen
    QTest::addColumn<QList<int>>("expected");  // chosen indices, in the order shown
    QTest::addColumn<int>("notes");

    const QString fr = QStringLiteral("fr_FR");
    QTest::newRow("already in order") << fr << QStringList{"01/02/2024", "15/03/2024"} << QList<int>{0, 1} << 0;
    QTest::newRow("month before day would reverse")
        << fr << QStringList{"02/01/2025", "01/02/2025"} << QList<int>{0, 1} << 0;
    QTest::newRow("years count first") << fr << QStringList{"01/01/2026", "31/12/2025"} << QList<int>{1, 0} << 0;
    QTest::newRow("same date keeps chosen order")
        << fr << QStringList{"05/05/2025", "01/01/2025", "05/05/2025"} << QList<int>{1, 0, 2} << 0;
    QTest::newRow("unreadable keeps its place")
        << fr << QStringList{"10/10/2025", "hier", "01/01/2025"} << QList<int>{2, 1, 0} << 1;
    QTest::newRow("unreadable first") << fr << QStringList{"n/a", "10/10/2025", "01/01/2025"} << QList<int>{0, 2, 1} << 1;
    QTest::newRow("no such day") << fr << QStringList{"31/02/2024", "29/02/2024", "01/01/2024"} << QList<int>{0, 2, 1}
                                 << 1;
    QTest::newRow("none readable") << fr << QStringList{"b", "a", ""} << QList<int>{0, 1, 2} << 3;
    QTest::newRow("regional format, month first")
        << QStringLiteral("en_US") << QStringList{"12/8/26", "1/5/26"} << QList<int>{1, 0} << 0;
    QTest::newRow("then day first with four-digit year")
        << QStringLiteral("en_US") << QStringList{"08/12/2026", "1/5/26", "01/06/2026"} << QList<int>{1, 2, 0} << 0;
    QTest::newRow("two-digit years end with this year")
        << QStringLiteral("de_DE") << QStringList{"01.01.26", "03.04.99", "08.12.26"} << QList<int>{1, 0, 2} << 0;
    QTest::newRow("ISO regional format")
        << QStringLiteral("fr_CA") << QStringList{"2026-03-01", "2025-12-31", "01/01/2026"} << QList<int>{1, 2, 0} << 0;
    QTest::newRow("blanks around the date") << fr << QStringList{" 02/01/2025", "01/01/2025 "} << QList<int>{1, 0} << 0;
}

void TestFollowUp::order()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, chosen);
    QFETCH(QList<int>, expected);
    QFETCH(int, notes);

    QList<FollowUpTest> tests;
    for (int i = 0; i < chosen.size(); ++i)
        tests.append(dated(chosen[i], QLocale(locale), i));
    const FollowUp f = OrderFollowUp(tests);
    QList<int> order;
    for (const FollowUpTest &t : f.tests)
        order.append(int(t.scores[0]));
    QCOMPARE(order, expected);
    QCOMPARE(f.notes.size(), notes);
    for (const QString &note : f.notes)
        QVERIFY2(note.startsWith(QStringLiteral("Date non reconnue « ")) && note.contains(QStringLiteral(".txt\"")),
                 qPrintable(note));
}

void TestFollowUp::table_data()
{
    QTest::addColumn<QList<FollowUpTest>>("tests");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");

    const FollowUpTest first = withScores("08/12/2025", {20, 42.5L, 73.33L, 30, 41.46L});
    const FollowUpTest second = withScores("15/01/2026", {11.11L, 50, 80, 25, 41.53L});
    const FollowUpTest worse = withScores("01/06/2026", {0, 0, 0, 0, 0});
    const QString header = QStringLiteral("Date\tPS\tPH\tS\tDG\tGlobal\r\n");

    QTest::newRow("one test, no change row")
        << QList<FollowUpTest>{first} << QChar(u',') << header + "08/12/2025\t20\t42,5\t73,33\t30\t41,46\r\n";
    QTest::newRow("signed changes, comma")
        << QList<FollowUpTest>{first, second} << QChar(u',')
        << header + "08/12/2025\t20\t42,5\t73,33\t30\t41,46\r\n15/01/2026\t11,11\t50\t80\t25\t41,53\r\n"
                    "Évolution\t-8,89\t+7,5\t+6,67\t-5\t+0,07\r\n";
    QTest::newRow("from the first to the last, point")
        << QList<FollowUpTest>{first, second, worse} << QChar(u'.')
        << header + "08/12/2025\t20\t42.5\t73.33\t30\t41.46\r\n15/01/2026\t11.11\t50\t80\t25\t41.53\r\n"
                    "01/06/2026\t0\t0\t0\t0\t0\r\nÉvolution\t-20\t-42.5\t-73.33\t-30\t-41.46\r\n";
    QTest::newRow("no change is unsigned")
        << QList<FollowUpTest>{first, first} << QChar(u',')
        << header + "08/12/2025\t20\t42,5\t73,33\t30\t41,46\r\n08/12/2025\t20\t42,5\t73,33\t30\t41,46\r\n"
                    "Évolution\t0\t0\t0\t0\t0\r\n";
    FollowUpTest odd = withScores(QStringLiteral("le\t3\r\nmai"), {100, 100, 100, 100, 100});
    QTest::newRow("tabs and line ends in a date become blanks")
        << QList<FollowUpTest>{worse, odd} << QChar(u',')
        << header + "01/06/2026\t0\t0\t0\t0\t0\r\nle 3  mai\t100\t100\t100\t100\t100\r\n"
                    "Évolution\t+100\t+100\t+100\t+100\t+100\r\n";
}

void TestFollowUp::table()
{
    QFETCH(QList<FollowUpTest>, tests);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);
    QCOMPARE(FollowUpTableText(tests, separator), expected);
}

void TestFollowUp::patientNames()
{
    const auto names = [](QStringList patients) {
        QList<FollowUpTest> tests;
        for (const QString &p : patients)
            tests.append(withScores(QStringLiteral("01/01/2026"), {}, p));
        return OrderFollowUp(tests).patients;
    };
    QCOMPARE(PatientNamesWarning(names({"Dupont Jean", "Dupont Jean"})), QString());
    QCOMPARE(PatientNamesWarning(names({"Dupont Jean", "Dupond Jean", "Dupont Jean", ""})),
             QStringLiteral("Attention : ces tests portent des noms différents : « Dupont Jean », « Dupond Jean » "
                            "et « (sans nom) »."));
}

void TestFollowUp::refusedFiles_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("lines");

    QTest::newRow("one") << 1 << "Ce fichier n'a pas été retenu :" << "\"f1.txt\" refusé." << 2;
    QTest::newRow("three") << 3 << "Ces 3 fichiers n'ont pas été retenus :" << "\"f3.txt\" refusé." << 4;
    QTest::newRow("a reason without full stop")
        << 2 << "Ces 2 fichiers n'ont pas été retenus :"
        << "Impossible d'ouvrir le fichier \"f2.txt\". Permission non accordée." << 3;
    QTest::newRow("all listed") << 15 << "Ces 15 fichiers n'ont pas été retenus :" << "\"f15.txt\" refusé." << 16;
    QTest::newRow("one more") << 16 << "Ces 16 fichiers n'ont pas été retenus :" << "... et un autre fichier." << 17;
    QTest::newRow("many more") << 50 << "Ces 50 fichiers n'ont pas été retenus :" << "... et 35 autres fichiers." << 17;
}

void TestFollowUp::refusedFiles()
{
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(int, lines);
    QStringList reasons;
    for (int i = 1; i <= count; ++i) {
        reasons << (i % 2 ? QStringLiteral("\"f%1.txt\" refusé.").arg(i)
                          : QStringLiteral("Impossible d'ouvrir le fichier \"f%1.txt\". Permission non accordée").arg(i));
    }
    const QStringList message = RefusedFilesMessage(reasons).split(u'\n');
    QCOMPARE(message.size(), lines);
    QCOMPARE(message.front(), first);
    QCOMPARE(message.back(), last);
    QCOMPARE(message.value(1), reasons.front());
    for (const QString &line : message.mid(1))
        QVERIFY2(line.endsWith(u'.'), qPrintable(line)); // each reason a sentence
}

QTEST_APPLESS_MAIN(TestFollowUp)
#include "tst_followup.moc"
