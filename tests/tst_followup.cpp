// The follow-up's rules: dates read in the forms the program writes, tests
// put in order or left out, names compared, the changes and their words,
// the copied text and the messages.
#include "encoding.h"
#include "followup.h"
#include "reports.h"
#include "scoring.h"

#include <QTest>

using namespace belva;
using namespace Qt::StringLiterals;

namespace {

FollowUpTest withScores(const QString &date, std::array<long double, FollowUpScoreCount> scores,
                        const QString &patient = QStringLiteral("Dupont Jean"))
{
    FollowUpTest t;
    t.fileName = date + QStringLiteral(".txt");
    t.dateText = date;
    t.patient = patient;
    t.date = ReadTestDate(date, QLocale(QLocale::French, QLocale::France), 2026).date;
    t.scores = scores;
    return t;
}

SavedTest savedTest(const QString &date, const QString &patient, const QString &answers)
{
    ReportFields f;
    f.date = date;
    f.patient = patient;
    for (int i = 0; i < ItemCount; ++i)
        f.answers[size_t(i)] = answers.mid(i, 1);
    const ScoreSet s = ComputeScores(f.answers, u',');
    for (int d = 0; d < DimensionCount; ++d)
        f.scores[size_t(d)] = s.dimensions[size_t(d)].text;
    f.status = s.status;
    const QByteArray bytes = EncodeWindows1252(BuildTestReport(f, ReportVariant::Text)).bytes;
    return ReadSavedTest(QByteArrayView(bytes), QStringLiteral("t.txt")).test;
}

const QLocale French(QLocale::French, QLocale::France);

} // namespace

class TestFollowUp : public QObject
{
    Q_OBJECT

private slots:
    void dates_data();
    void dates();
    void order_data();
    void order();
    void takenOrLeftOut();
    void copiedText_data();
    void copiedText();
    void names_data();
    void names();
    void refusedFiles_data();
    void refusedFiles();
};

void TestFollowUp::dates_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");    // invalid: no form reads it
    QTest::addColumn<QString>("form");
    QTest::addColumn<bool>("local");
    QTest::addColumn<QList<QDate>>("others");

    const QDate dec8(2026, 12, 8);
    const QList<QDate> none;
    QTest::newRow("French date in French") << "fr_FR" << "08/12/2026" << dec8 << "jj/mm/aaaa" << true << none;
    QTest::newRow("blanks around it") << "fr_FR" << " 08/12/2026 " << dec8 << "jj/mm/aaaa" << true << none;
    QTest::newRow("C locale's date in French") << "fr_FR" << "8 Dec 2026" << dec8 << "j mmm aaaa" << false << none;
    QTest::newRow("C locale's date in C") << "C" << "8 Dec 2026" << dec8 << "j mmm aaaa" << true << none;
    QTest::newRow("French date in C") << "C" << "08/12/2026" << dec8 << "jj/mm/aaaa" << false << none;
    QTest::newRow("French two-digit year") << "fr_FR" << "08/12/26" << dec8 << "jj/mm/aa" << false
                                           << QList<QDate>{QDate(2026, 8, 12)};
    QTest::newRow("English date, one way only") << "fr_FR" << "12/8/26" << dec8 << "m/j/aa" << false << none;
    QTest::newRow("English date in English") << "en_US" << "12/8/26" << dec8 << "m/j/aa" << true << none;
    QTest::newRow("two ways, English locale's first") << "en_US" << "08/12/26" << QDate(2026, 8, 12) << "m/j/aa"
                                                       << true << QList<QDate>{dec8};
    QTest::newRow("two ways, day first in C") << "C" << "05/03/26" << QDate(2026, 3, 5) << "jj/mm/aa" << false
                                              << QList<QDate>{QDate(2026, 5, 3)};
    QTest::newRow("day and month alike, one date") << "en_US" << "05/05/26" << QDate(2026, 5, 5) << "m/j/aa"
                                                   << true << none;
    QTest::newRow("four-digit year in English") << "en_US" << "08/12/2026" << dec8 << "jj/mm/aaaa" << false << none;
    QTest::newRow("ISO date") << "fr_FR" << "2026-12-08" << dec8 << "aaaa-mm-jj" << false << none;
    QTest::newRow("ISO locale") << "fr_CA" << "2026-12-08" << dec8 << "aaaa-mm-jj" << true << none;
    QTest::newRow("German two-digit year") << "de_DE" << "08.12.26" << dec8 << "jj.mm.aa" << true << none;
    QTest::newRow("two-digit year of last century") << "fr_FR" << "03/04/99" << QDate(1999, 4, 3) << "jj/mm/aa"
                                                    << false << QList<QDate>{QDate(1999, 3, 4)};
    QTest::newRow("no such day") << "fr_FR" << "31/02/2024" << QDate() << "" << false << none;
    QTest::newRow("words") << "fr_FR" << "le lendemain de l'intervention" << QDate() << "" << false << none;
    QTest::newRow("day without its zero") << "fr_FR" << "8/12/2026" << QDate() << "" << false << none;
}

void TestFollowUp::dates()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QFETCH(QString, form);
    QFETCH(bool, local);
    QFETCH(QList<QDate>, others);

    const TestDate read = ReadTestDate(text, locale == "C"_L1 ? QLocale::c() : QLocale(locale), 2026);
    QCOMPARE(read.date, date);
    QCOMPARE(read.form, form);
    QCOMPARE(read.localForm, local);
    QCOMPARE(read.others, others);
}

void TestFollowUp::order_data()
{
    QTest::addColumn<QStringList>("chosen");   // date texts, in the order the files were chosen
    QTest::addColumn<QList<int>>("expected");  // chosen indices, in the order shown

    QTest::newRow("already in order") << QStringList{"01/02/2024", "15/03/2024"} << QList<int>{0, 1};
    QTest::newRow("month before day would reverse") << QStringList{"02/01/2025", "01/02/2025"} << QList<int>{0, 1};
    QTest::newRow("years count first") << QStringList{"01/01/2026", "31/12/2025"} << QList<int>{1, 0};
    QTest::newRow("same date keeps chosen order")
        << QStringList{"05/05/2025", "01/01/2025", "05/05/2025"} << QList<int>{1, 0, 2};
    QTest::newRow("forms mixed") << QStringList{"8 Dec 2026", "2026-01-05", "12/7/26"} << QList<int>{1, 2, 0};
}

void TestFollowUp::order()
{
    QFETCH(QStringList, chosen);
    QFETCH(QList<int>, expected);

    QList<FollowUpTest> tests;
    for (int i = 0; i < chosen.size(); ++i)
        tests.append(withScores(chosen[i], {static_cast<long double>(i)}));
    QList<int> order;
    for (const FollowUpTest &t : OrderFollowUp(tests).tests)
        order.append(int(t.scores[0]));
    QCOMPARE(order, expected);
}

// The reader's scores are taken as they are; a date no form reads leaves
// the test out; one read a way of several gets a note.
void TestFollowUp::takenOrLeftOut()
{
    const FollowUpTestReading taken =
        MakeFollowUpTest(savedTest(u" 15/01/2026 "_s, u"  Dupont Jean "_s, u"53012405123041035321"_s), u"a.txt"_s, French);
    QVERIFY(taken.ok());
    QCOMPARE(taken.test.date, QDate(2026, 1, 15));
    QCOMPARE(taken.test.dateText, u"15/01/2026"_s);
    QCOMPARE(taken.test.patient, u"Dupont Jean"_s);
    QCOMPARE(taken.test.scores, (std::array<long double, FollowUpScoreCount>{46.67L, 45, 26.67L, 55, 43.33L}));
    QVERIFY(taken.test.dateNote.isEmpty());

    const FollowUpTestReading unreadable =
        MakeFollowUpTest(savedTest(u"le lendemain"_s, u"Dupont Jean"_s, QString(20, u'1')), u"c.txt"_s, French);
    QVERIFY(!unreadable.ok());
    QCOMPARE(unreadable.refusal, u"\"c.txt\" : date du test illisible (« le lendemain »)."_s);

    const FollowUpTestReading twoWays =
        MakeFollowUpTest(savedTest(u"08/12/26"_s, u"Dupont Jean"_s, QString(20, u'1')), u"b.txt"_s,
                         QLocale(QLocale::English, QLocale::UnitedStates), 2026);
    QVERIFY(twoWays.ok());
    QCOMPARE(twoWays.test.date, QDate(2026, 8, 12));
    QCOMPARE(twoWays.test.dateNote, u"\"b.txt\" : date « 08/12/26 » lue au format m/j/aa de ce poste, le 12 août "
                                     "2026 ; elle se lit aussi le 8 décembre 2026."_s);
    QCOMPARE(OrderFollowUp({twoWays.test, taken.test}).notes, QStringList{twoWays.test.dateNote});
}

void TestFollowUp::copiedText_data()
{
    QTest::addColumn<QList<FollowUpTest>>("tests");
    QTest::addColumn<double>("threshold");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");

    const FollowUpTest first = withScores("08/12/2025", {20, 42.5L, 73.33L, 30, 41.46L});
    const FollowUpTest second = withScores("15/01/2026", {11.11L, 50, 80, 25, 41.53L});
    const FollowUpTest third = withScores("01/06/2026", {12.5L, 50, 60, 23.5L, 36.5L});
    const QString header = u"Date\tPS\tPH\tS\tDG\tGlobal\r\n"_s;

    QTest::newRow("one test, no change")
        << QList<FollowUpTest>{first} << 0.0 << QChar(u',')
        << u"Suivi du patient : Dupont Jean\r\n1 test, le 08/12/2025\r\n\r\n"_s + header
               + u"08/12/2025\t20\t42,5\t73,33\t30\t41,46\r\n"_s;
    QTest::newRow("a fall improves, a rise worsens")
        << QList<FollowUpTest>{first, second} << 0.0 << QChar(u',')
        << u"Suivi du patient : Dupont Jean\r\n2 tests, du 08/12/2025 au 15/01/2026\r\n\r\n"_s + header
               + u"08/12/2025\t20\t42,5\t73,33\t30\t41,46\r\n"
                 "15/01/2026\t11,11 (-8,89 points, amélioration)\t50 (+7,5 points, aggravation)\t"
                 "80 (+6,67 points, aggravation)\t25 (-5 points, amélioration)\t41,53 (+0,07 point, aggravation)\r\n"
                 "Évolution\t-8,89 points, amélioration\t+7,5 points, aggravation\t+6,67 points, aggravation\t"
                 "-5 points, amélioration\t+0,07 point, aggravation\r\n"_s;
    QTest::newRow("since the previous test, below the threshold stable, point")
        << QList<FollowUpTest>{first, second, third} << 5.0 << QChar(u'.')
        << u"Suivi du patient : Dupont Jean\r\n3 tests, du 08/12/2025 au 01/06/2026\r\n"
           "Seuil de changement : 5 points ; un changement plus petit se lit « stable ».\r\n\r\n"_s
               + header
               + u"08/12/2025\t20\t42.5\t73.33\t30\t41.46\r\n"
                 "15/01/2026\t11.11 (-8.89 points, amélioration)\t50 (+7.5 points, aggravation)\t"
                 "80 (+6.67 points, aggravation)\t25 (-5 points, amélioration)\t41.53 (+0.07 point, stable)\r\n"
                 "01/06/2026\t12.5 (+1.39 point, stable)\t50 (0 point, inchangé)\t60 (-20 points, amélioration)\t"
                 "23.5 (-1.5 point, stable)\t36.5 (-5.03 points, amélioration)\r\n"
                 "Évolution\t-7.5 points, amélioration\t+7.5 points, aggravation\t-13.33 points, amélioration\t"
                 "-6.5 points, amélioration\t-4.96 points, stable\r\n"_s;
    QTest::newRow("names differ: a Patient column and the warning")
        << QList<FollowUpTest>{first, withScores("15/01/2026", {20, 42.5L, 73.33L, 30, 41.46L}, u"Dupond\tJean"_s)}
        << 0.0 << QChar(u',')
        << u"Suivi du patient : « Dupont Jean », « Dupond Jean »\r\n2 tests, du 08/12/2025 au 15/01/2026\r\n"
           "Attention : ces tests portent des noms différents (colonne Patient) ; ils sont montrés comme ceux d'un "
           "même patient.\r\n\r\n"
           "Date\tPatient\tPS\tPH\tS\tDG\tGlobal\r\n"
           "08/12/2025\tDupont Jean\t20\t42,5\t73,33\t30\t41,46\r\n"
           "15/01/2026\tDupond Jean\t20 (0 point, inchangé)\t42,5 (0 point, inchangé)\t73,33 (0 point, inchangé)\t"
           "30 (0 point, inchangé)\t41,46 (0 point, inchangé)\r\n"
           "Évolution\t\t0 point, inchangé\t0 point, inchangé\t0 point, inchangé\t0 point, inchangé\t"
           "0 point, inchangé\r\n"_s;
}

void TestFollowUp::copiedText()
{
    QFETCH(QList<FollowUpTest>, tests);
    QFETCH(double, threshold);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);
    FollowUp f = OrderFollowUp(tests);
    f.threshold = threshold;
    QCOMPARE(FollowUpCopyText(f, separator), expected);
}

void TestFollowUp::names_data()
{
    QTest::addColumn<QStringList>("names");     // as the files hold them
    QTest::addColumn<QStringList>("patients");  // the distinct names
    QTest::addColumn<QString>("question");      // empty: none asked

    QTest::newRow("one name") << QStringList{"Dupont Jean", "Dupont Jean"} << QStringList{"Dupont Jean"} << QString();
    QTest::newRow("blanks around a name") << QStringList{" Dupont Jean", "Dupont Jean  "} << QStringList{"Dupont Jean"}
                                          << QString();
    QTest::newRow("one letter apart, and an empty name")
        << QStringList{"Dupont Jean", "Dupond Jean", "Dupont Jean", " "}
        << QStringList{"Dupont Jean", "Dupond Jean", ""}
        << u"Les tests choisis portent des noms différents :\nDupont Jean\nDupond Jean\n(sans nom)\n"
           "Les afficher comme ceux d'un même patient ?"_s;
    QStringList many;
    QString listed;
    for (int i = 1; i <= 17; ++i) {
        many << QStringLiteral("Patient %1").arg(i);
        if (i <= 15)
            listed += QStringLiteral("Patient %1\n").arg(i);
    }
    QTest::newRow("seventeen names, fifteen listed")
        << many << many
        << u"Les tests choisis portent des noms différents :\n"_s + listed
               + u"... et 2 autres noms\nLes afficher comme ceux d'un même patient ?"_s;
}

void TestFollowUp::names()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, patients);
    QFETCH(QString, question);

    QList<FollowUpTest> tests;
    for (const QString &name : names) {
        const FollowUpTestReading r =
            MakeFollowUpTest(savedTest(u"01/01/2026"_s, name, QString(20, u'0')), u"t.txt"_s, French);
        QVERIFY(r.ok());
        tests.append(r.test);
    }
    const FollowUp f = OrderFollowUp(tests);
    QCOMPARE(f.patients, patients);
    QCOMPARE(HasPatientColumn(f), !question.isEmpty());
    QCOMPARE(PatientNamesWarning(f.patients).isEmpty(), question.isEmpty());
    if (!question.isEmpty())
        QCOMPARE(MixedNamesQuestion(f.patients), question);
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
