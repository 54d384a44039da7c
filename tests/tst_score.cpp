// belvamg-score: golden outputs written by hand for each input form, encoding,
// delimiter and failure; the usage errors; saved tests written by the
// window's own writer read back; the score table against the window's
// scoring; the exit statuses of the real program.
#include "reportexport.h"
#include "reports.h"
#include "rowscorer.h"
#include "run.h"
#include "scoring.h"

#include <QBuffer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace belva;
using namespace belva::score;
using namespace Qt::StringLiterals;

namespace {

const QString DataDir = QStringLiteral(TESTDATA_DIR "/score");

QByteArray readData(const QString &name)
{
    QFile file(DataDir + u'/' + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", qPrintable(name));
    return file.readAll();
}

struct Result
{
    int status;
    QByteArray out;
    QByteArray err;
};

Result run(const QStringList &args, const QByteArray &input = {})
{
    QByteArray inBytes = input, outBytes, errBytes;
    QBuffer in(&inBytes), out(&outBytes), err(&errBytes);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    const int status = Run(args, {in, out, err, false});
    return {status, outBytes, errBytes};
}

QString item(int i)
{
    return QStringLiteral("q%1").arg(i);
}

QByteArray header(const QString &first, const QString &extra = {})
{
    QStringList names{first};
    for (int i = 1; i <= ItemCount; ++i)
        names << item(i);
    if (!extra.isEmpty())
        names << extra;
    return names.join(u';').toUtf8() + '\n';
}

} // namespace

class TestScore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void golden_data();
    void golden();
    void usageErrors_data();
    void usageErrors();
    void savedTestsRoundTrip();
    void tableMatchesWindow();
    void exitStatus_data();
    void exitStatus();
    void writeErrorOnStandardOutput();
    void pipeNamedAsSavedTest();
};

void TestScore::initTestCase()
{
    // Messages name inputs as given: relative to the data folder.
    QVERIFY(QDir::setCurrent(DataDir));
}

void TestScore::golden_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>("status");

    const QByteArray failuresErr = readData(QStringLiteral("failures.err"));
    QStringList items;
    for (int i = 1; i <= ItemCount; ++i)
        items << QStringLiteral("R%1").arg(i, 2, 10, QChar(u'0'));

    QTest::newRow("spreadsheet export: ';', CR LF, Windows-1252, quotes")
        << QStringList{u"excel-fr.csv"_s} << QByteArray() << readData(u"excel-fr.out.csv"_s) << QByteArray() << 0;
    QTest::newRow("UTF-8 with BOM: ',', LF, every item name form, line end in quotes")
        << QStringList{u"utf8-bom.csv"_s} << QByteArray() << readData(u"utf8-bom.out.csv"_s) << QByteArray() << 0;
    QTest::newRow("tab-separated .txt, Windows-1252 from line 3")
        << QStringList{u"tab-export.txt"_s} << QByteArray() << readData(u"tab-export.out.csv"_s)
        << readData(u"tab-export.err"_s) << 0;
    QTest::newRow("every failure kind, blank rows skipped")
        << QStringList{u"failures.csv"_s} << QByteArray() << readData(u"failures.out.csv"_s) << failuresErr << 1;
    QTest::newRow("standard input")
        << QStringList{u"-"_s} << readData(u"failures.csv"_s) << readData(u"failures.out.csv"_s)
        << QByteArray(failuresErr).replace("failures.csv:", "(entrée standard):") << 1;
    QTest::newRow("pro-rating")
        << QStringList{u"--missing=prorate"_s, u"prorate.csv"_s} << QByteArray() << readData(u"prorate.out.csv"_s)
        << readData(u"prorate.err"_s) << 1;
    QTest::newRow("--items in another order, ',' decimals with ','")
        << QStringList{u"--items"_s, items.join(u','), u"--decimal-separator=,"_s, u"items.csv"_s} << QByteArray()
        << readData(u"items.out.csv"_s) << QByteArray() << 0;
    const QByteArray excel = readData(u"excel-fr.out.csv"_s);
    QTest::newRow("two CSV files, one header")
        << QStringList{u"excel-fr.csv"_s, u"excel-fr.csv"_s} << QByteArray()
        << excel + excel.mid(excel.indexOf('\n') + 1) << QByteArray() << 0;
    QTest::newRow("folder of saved tests")
        << QStringList{u"saved"_s} << QByteArray() << readData(u"saved.out.csv"_s) << readData(u"saved.err"_s) << 1;
    const QByteArray saved = readData(u"saved.out.csv"_s);
    QTest::newRow("one saved test")
        << QStringList{u"saved/a-good.txt"_s} << QByteArray() << saved.left(saved.indexOf("\r\nsaved/b") + 2)
        << QByteArray() << 0;
}

void TestScore::golden()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(int, status);

    const Result r = run(args, input);
    QCOMPARE(QString::fromUtf8(r.err), QString::fromUtf8(err));
    QCOMPARE(QString::fromUtf8(r.out), QString::fromUtf8(out)); // readable when it fails
    QCOMPARE(r.out, out);
    QCOMPARE(r.status, status);
}

void TestScore::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("err");

    const QString tryHelp = u"\nEssayez « belvamg-score --help ».\n"_s;
    const QString stdinAt = u"(entrée standard):"_s;
    QTest::newRow("unknown option") << QStringList{u"--frobnicate"_s, u"excel-fr.csv"_s} << QByteArray()
                                    << u"belvamg-score : option inconnue « --frobnicate »"_s + tryHelp;
    QTest::newRow("option without its value") << QStringList{u"excel-fr.csv"_s, u"-o"_s} << QByteArray()
                                              << u"belvamg-score : l'option -o demande une valeur"_s + tryHelp;
    QTest::newRow("--missing=maybe") << QStringList{u"--missing=maybe"_s, u"-"_s} << QByteArray()
                                     << u"belvamg-score : --missing : « maybe » n'est ni refuse ni prorate"_s + tryHelp;
    QTest::newRow("--items with 19 names")
        << QStringList{u"--items=a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r,s"_s, u"-"_s} << QByteArray()
        << u"belvamg-score : --items : 20 noms de colonnes attendus, séparés par des virgules, dans l'ordre des items (19 donnés)"_s + tryHelp;
    QTest::newRow("no input") << QStringList{u"--missing=prorate"_s} << QByteArray()
                              << u"belvamg-score : aucune entrée : donnez un fichier CSV, des tests enregistrés ou - pour l'entrée standard"_s + tryHelp;
    QTest::newRow("saved tests with a CSV") << QStringList{u"saved"_s, u"excel-fr.csv"_s} << QByteArray()
        << u"belvamg-score : des tests enregistrés (saved/a-good.txt) et des CSV (excel-fr.csv) ensemble : donnez-les séparément"_s + tryHelp;
    QTest::newRow("no such file") << QStringList{u"nope.csv"_s} << QByteArray()
                                  << u"nope.csv : fichier ou dossier introuvable\n"_s;
    QTest::newRow("header without item columns")
        << QStringList{u"-"_s} << QByteArray("id;a;b\n1;2;3\n")
        << stdinAt + u"1: pas de colonne pour les réponses 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 "
                     u"(noms attendus : 1 à 20, q1 à q20 ou item1 à item20, sinon --items) ; colonnes trouvées : id, a, b\n"_s;
    QTest::newRow("item column named twice, after blank lines")
        << QStringList{u"-"_s} << QByteArray("\r\n\r\n") + header(u"id"_s, u"Item 7"_s)
        << stdinAt + u"3: la réponse 7 a plusieurs colonnes : q7, Item 7 ; colonnes trouvées : id, q1, q2, q3, q4, q5, q6, "
                     u"q7, q8, q9, q10, q11, q12, q13, q14, q15, q16, q17, q18, q19, q20, Item 7\n"_s;
    QTest::newRow("--items column absent")
        << QStringList{u"--items=q1,q2,q3,q4,q5,q6,q7,q8,q9,q10,q11,q12,q13,q14,q15,q16,q17,q18,q19,Q20"_s, u"-"_s}
        << header(u"id"_s)
        << stdinAt + u"1: colonnes de --items introuvables : « Q20 » ; colonnes trouvées : id, q1, q2, q3, q4, q5, q6, "
                     u"q7, q8, q9, q10, q11, q12, q13, q14, q15, q16, q17, q18, q19, q20\n"_s;
    QTest::newRow("empty input") << QStringList{u"-"_s} << QByteArray() << stdinAt + u"1: fichier vide : pas d'en-tête\n"_s;
    QTest::newRow("UTF-16") << QStringList{u"-"_s} << QByteArray("\xFF\xFEi\0d\0")
                            << stdinAt + u"1: fichier en UTF-16 : enregistrez-le en CSV UTF-8 ou Windows-1252\n"_s;
    QTest::newRow("unclosed quote")
        << QStringList{u"-"_s} << header(u"id"_s) + "\"P1;" + QByteArray(1100 * 1024, 'a')
        << stdinAt + u"2: champ de plus de 1 Mio (guillemet non fermé ?)\n"_s;
    QTest::newRow("second header differs") << QStringList{u"excel-fr.csv"_s, u"failures.csv"_s} << QByteArray()
        << u"failures.csv:1: en-tête différent de celui de excel-fr.csv ; colonnes trouvées : id, q1, q2, q3, q4, q5, "
           u"q6, q7, q8, q9, q10, q11, q12, q13, q14, q15, q16, q17, q18, q19, q20\n"_s;
}

void TestScore::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(QString, err);

    // Written to a file, the output is left whole or not at all.
    QTemporaryDir dir;
    const QString output = dir.filePath(u"scores.csv"_s);
    const Result r = run(QStringList{u"-o"_s, output} + args, input);
    QCOMPARE(QString::fromUtf8(r.err), err);
    QCOMPARE(r.status, 2);
    QVERIFY(!QFile::exists(output));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestScore::savedTestsRoundTrip()
{
    // Tests saved by the window's own writer, read back; the same answers as
    // CSV rows must score the same.
    QTemporaryDir dir;
    QRandomGenerator rng(20261208);
    QByteArray csv = header(u"Fichier"_s);
    QList<ScoreSet> expected;
    for (int n = 0; n < 40; ++n) {
        ReportFields f;
        f.date = u"08/12/2026"_s;
        f.patient = u"Patiente n° %1 Gênée"_s.arg(n);
        AnswerTexts answers;
        for (int i = 0; i < ItemCount; ++i)
            answers[size_t(i)] = QString::number(rng.bounded(HighestAnswer + 1));
        f.answers = answers;
        const ScoreSet s = ComputeScores(answers, u',');
        for (int d = 0; d < DimensionCount; ++d)
            f.scores[size_t(d)] = s.dimensions[size_t(d)].text;
        f.status = s.status;
        expected << s;
        const QString name = dir.filePath(u"t%1.txt"_s.arg(n, 2, 10, QChar(u'0')));
        WriteReportFile(name, BuildTestReport(f, ReportVariant::Text));
        csv += (QStringList{name} + QStringList(answers.begin(), answers.end())).join(u';').toUtf8() + '\n';
    }

    const Result saved = run({dir.path()});
    QCOMPARE(saved.err, QByteArray());
    QCOMPARE(saved.status, 0);
    const Result fromCsv = run({u"-"_s}, csv);
    QCOMPARE(fromCsv.status, 0);

    const QStringList savedRows = QString::fromUtf8(saved.out).split(u"\r\n"_s);
    const QStringList csvRows = QString::fromUtf8(fromCsv.out).split(u'\n');
    QCOMPARE(savedRows.size(), expected.size() + 2); // header and the final line end
    for (qsizetype n = 0; n < expected.size(); ++n) {
        const QStringList s = savedRows[n + 1].split(u';');
        const QStringList c = csvRows[n + 1].split(u';');
        QCOMPARE(s[1], u"Patiente n° %1 Gênée"_s.arg(n));
        QCOMPARE(s.mid(3, ItemCount), c.mid(1, ItemCount));
        const ScoreSet &e = expected[n];
        const QStringList texts{e.dimensions[0].text, e.dimensions[1].text, e.dimensions[2].text,
                                e.dimensions[3].text, e.global.text, QString()};
        QCOMPARE(s.mid(3 + ItemCount), texts);
        QCOMPARE(c.mid(1 + ItemCount), texts);
    }
}

void TestScore::tableMatchesWindow()
{
    // Every combination of dimension sums, scored through the table and by
    // the window's scoring, with both decimal separators.
    for (const QChar separator : {QChar(u','), QChar(u'.')}) {
        RowScorer scorer(MissingAnswers::Refuse, separator);
        std::array<int, DimensionCount> sums{};
        std::array<int, DimensionCount> maxima{};
        for (int d = 0; d < DimensionCount; ++d)
            maxima[size_t(d)] = (dimensions()[size_t(d)].lastItem - dimensions()[size_t(d)].firstItem + 1) * HighestAnswer;
        int combinations = 0;
        for (;;) {
            // Answers spread over the items, not filled from the first.
            std::array<char, ItemCount> digits{};
            AnswerTexts texts;
            for (int d = 0; d < DimensionCount; ++d) {
                const DimensionInfo &dim = dimensions()[size_t(d)];
                const int count = dim.lastItem - dim.firstItem + 1;
                for (int k = 0; k < count; ++k) {
                    const int v = sums[size_t(d)] / count + (k < sums[size_t(d)] % count ? 1 : 0);
                    digits[size_t(dim.firstItem - 1 + k)] = char('0' + v);
                }
            }
            std::array<QByteArrayView, ItemCount> answers;
            for (int i = 0; i < ItemCount; ++i) {
                answers[size_t(i)] = QByteArrayView(&digits[size_t(i)], 1);
                texts[size_t(i)] = QString(QChar(digits[size_t(i)]));
            }
            ScoreTexts got;
            QVERIFY(scorer.scoreDigits(answers, got));
            const ScoreSet want = ComputeScores(texts, separator);
            for (int d = 0; d < DimensionCount; ++d)
                QCOMPARE(QString::fromUtf8(got[size_t(d)].view()), want.dimensions[size_t(d)].text);
            QCOMPARE(QString::fromUtf8(got[DimensionCount].view()), want.global.text);
            ++combinations;

            int d = 0;
            while (d < DimensionCount && ++sums[size_t(d)] > maxima[size_t(d)])
                sums[size_t(d++)] = 0;
            if (d == DimensionCount)
                break;
        }
        QCOMPARE(combinations, 46 * 21 * 16 * 21);
    }
}

void TestScore::exitStatus_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("written");

    QTest::newRow("every row scored") << QStringList{u"excel-fr.csv"_s} << QByteArray() << 0 << true;
    QTest::newRow("some rows failed") << QStringList{u"failures.csv"_s} << QByteArray() << 1 << true;
    QTest::newRow("piped in") << QStringList{u"-"_s} << readData(u"utf8-bom.csv"_s) << 0 << true;
    QTest::newRow("usage error") << QStringList{u"--delimiter=|"_s, u"excel-fr.csv"_s} << QByteArray() << 2 << false;
    QTest::newRow("header error") << QStringList{u"-"_s} << QByteArray("a;b\n") << 2 << false;
}

void TestScore::exitStatus()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(bool, written);

    QTemporaryDir dir;
    const QString output = dir.filePath(u"out.csv"_s);
    QProcess p;
    p.setWorkingDirectory(DataDir);
    p.start(QStringLiteral(BELVA_SCORE), QStringList{u"-o"_s, output} + args);
    QVERIFY(p.waitForStarted());
    p.write(input);
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), status);
    QCOMPARE(p.readAllStandardOutput(), QByteArray());
    QCOMPARE(QFile::exists(output), written);

    // Help goes to standard output, whatever else is given.
    QProcess help;
    help.start(QStringLiteral(BELVA_SCORE), QStringList{u"--help"_s} + args);
    QVERIFY(help.waitForFinished(60000));
    QCOMPARE(help.exitCode(), 0);
    QVERIFY(help.readAllStandardOutput().startsWith("Usage : belvamg-score"));
}

void TestScore::writeErrorOnStandardOutput()
{
    QProcess p;
    p.setWorkingDirectory(DataDir);
    p.setStandardOutputFile(u"/dev/full"_s);
    p.start(QStringLiteral(BELVA_SCORE), {u"excel-fr.csv"_s});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardError().startsWith("(sortie standard) : erreur d'écriture : "));
}

// A named pipe that bears a saved test's name is refused, not waited on.
void TestScore::pipeNamedAsSavedTest()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pipe = dir.filePath(u"tube.txt"_s);
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QProcess p;
    p.start(QStringLiteral(BELVA_SCORE), {pipe, u"saved/a-good.txt"_s});
    QVERIFY2(p.waitForFinished(10000), "belvamg-score waits on the pipe");
    QCOMPARE(p.exitCode(), 1);
    const QList<QByteArray> rows = p.readAllStandardOutput().split('\n');
    QVERIFY2(rows.value(1).startsWith(pipe.toUtf8() + ";;;") && rows.value(1).contains("Impossible d'ouvrir le fichier"),
             rows.value(1).constData());
    QVERIFY(rows.value(2).startsWith("saved/a-good.txt;Dupont"));
}

QTEST_GUILESS_MAIN(TestScore)
#include "tst_score.moc"
