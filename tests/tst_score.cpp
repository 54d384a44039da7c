// belvamg-score: golden outputs written by hand for each input form, encoding,
// delimiter and failure; the usage errors; saved tests written by the
// window's own writer read back; the score table against the window's
// scoring; outputs never destroyed (special files, an input named as output);
// folders walked; names from outside kept off the terminal and out of
// formulas; the exit statuses of the real program.
#include "encoding.h"
#include "reportexport.h"
#include "reports.h"
#include "rowscorer.h"
#include "scoring.h"
#include "windows1252.h"

#include "restrictions.h"
#include "scorerun.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

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

using test::Result;
using test::run;

QString item(int i)
{
    return QStringLiteral("q%1").arg(i);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

mode_t fileType(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

// A saved test as the window writes it, its scores its own.
QString savedTest(const QString &patient)
{
    ReportFields f;
    f.date = u"08/12/2026"_s;
    f.patient = patient;
    const char *answers = "30152401250314251032";
    for (int i = 0; i < ItemCount; ++i)
        f.answers[size_t(i)] = QString(QChar(answers[i]));
    const ScoreSet s = ComputeScores(f.answers, u',');
    for (int d = 0; d < DimensionCount; ++d)
        f.scores[size_t(d)] = s.dimensions[size_t(d)].text;
    f.status = s.status;
    return BuildTestReport(f, ReportVariant::Text);
}

// Runs with the current folder set to `folder`, where the names are.
Result runIn(const QString &folder, const QStringList &args, const QByteArray &input = {})
{
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder);
    const Result r = run(args, input);
    QDir::setCurrent(before);
    return r;
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
    void windows1252MatchesConverter();
    void outputReadAgain_data();
    void outputReadAgain();
    void outputIsNoInput_data();
    void outputIsNoInput();
    void specialOutputs_data();
    void specialOutputs();
    void regularOutputs_data();
    void regularOutputs();
    void folderEntries_data();
    void folderEntries();
    void unreadableFolder();
    void namesKeptOffTheTerminal_data();
    void namesKeptOffTheTerminal();
    void formulasGuarded();
    void outputEncoding_data();
    void outputEncoding();
    void exitStatus_data();
    void exitStatus();
    void systemReasonsInFrench();
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
    QTest::newRow("two CSV files, one header, each row's file first")
        << QStringList{u"excel-fr.csv"_s, u"excel-fr.csv"_s} << QByteArray() << readData(u"two-inputs.out.csv"_s)
        << QByteArray() << 0;
    QTest::newRow("folder of saved tests")
        << QStringList{u"saved"_s} << QByteArray() << readData(u"saved.out.csv"_s) << readData(u"saved.err"_s) << 1;
    QTest::newRow("missing codes, zero decimals, items q01..q20")
        << QStringList{u"missing-codes.csv"_s} << QByteArray() << readData(u"missing-codes.out.csv"_s)
        << readData(u"missing-codes.err"_s) << 1;
    QTest::newRow("pro-rating: Manquantes, --na codes")
        << QStringList{u"--missing=prorate"_s, u"--na=-99,NR"_s, u"missing-codes.csv"_s} << QByteArray()
        << readData(u"missing-codes.prorate.out.csv"_s) << readData(u"missing-codes.prorate.err"_s) << 1;
    QTest::newRow("an output read again: its score columns in place")
        << QStringList{u"rescored.csv"_s} << QByteArray() << readData(u"rescored.out.csv"_s)
        << readData(u"rescored.err"_s) << 1;
    QTest::newRow("CR line ends kept")
        << QStringList{u"cr-only.csv"_s} << QByteArray() << readData(u"cr-only.out.csv"_s) << readData(u"cr-only.err"_s) << 1;
    QTest::newRow("--encoding utf-8 on Windows-1252: those rows fail")
        << QStringList{u"--encoding=utf-8"_s, u"excel-fr.csv"_s} << QByteArray() << readData(u"excel-fr.utf8.out.csv"_s)
        << readData(u"excel-fr.utf8.err"_s) << 1;
    QTest::newRow("-o -: standard output")
        << QStringList{u"-o"_s, u"-"_s, u"excel-fr.csv"_s} << QByteArray() << readData(u"excel-fr.out.csv"_s) << QByteArray() << 0;
    QTest::newRow("--output-encoding=utf-8 for Windows-1252")
        << QStringList{u"--output-encoding=utf-8"_s, u"excel-fr.csv"_s} << QByteArray()
        << DecodeWindows1252(readData(u"excel-fr.out.csv"_s)).toUtf8() << QByteArray() << 0;
    QTest::newRow("--output-encoding=windows-1252 for UTF-8 with BOM")
        << QStringList{u"--output-encoding=windows-1252"_s, u"utf8-bom.csv"_s} << QByteArray()
        << EncodeWindows1252(QString::fromUtf8(readData(u"utf8-bom.out.csv"_s).mid(3))).bytes << QByteArray() << 0;
    QTest::newRow("--items in any case")
        << QStringList{u"--items"_s, items.join(u',').toLower(), u"--decimal-separator=,"_s, u"items.csv"_s}
        << QByteArray() << readData(u"items.out.csv"_s) << QByteArray() << 0;
    QTest::newRow("reliability: Windows-1252 and ';' kept, each scale listwise, figures that cannot be computed")
        << QStringList{u"--reliability"_s, u"reliability.csv"_s} << QByteArray() << readData(u"reliability.out.csv"_s)
        << readData(u"reliability.err"_s) << 1;
    QByteArray noTests = u"Échelle,Tests,Alpha,Moyenne,Écart-type,Plancher (%),Plafond (%),"
                         u"Corrélation item-total corrigée,Alpha sans l'item\n"_s.toUtf8();
    QByteArray tooFew;
    for (const char *scale : {"PS", "PH", "S", "DG"}) {
        noTests += scale + QByteArray(",0,,,,,,,\n");
        tooFew += u"fiabilité de "_s.toUtf8() + scale
                  + u" : 0 test avec une réponse à chacun de ses items, il en faut au moins 2 : ses chiffres restent vides\n"_s.toUtf8();
    }
    for (int i = 1; i <= ItemCount; ++i)
        noTests += "q" + QByteArray::number(i) + ",0,,,,,,,\n";
    QTest::newRow("reliability without tests: UTF-8, ',' kept")
        << QStringList{u"--reliability"_s, u"-"_s} << header(u"id"_s).replace(';', ',') << noTests << tooFew << 0;
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
        << u"belvamg-score : des tests enregistrés (saved) et des CSV (excel-fr.csv) ensemble : donnez-les séparément"_s + tryHelp;
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
        << QStringList{u"--items=q1,q2,q3,q4,q5,q6,q7,q8,q9,q10,q11,q12,q13,q14,q15,q16,q17,q18,q19,R20"_s, u"-"_s}
        << header(u"id"_s)
        << stdinAt + u"1: colonnes de --items introuvables : « R20 » ; colonnes trouvées : id, q1, q2, q3, q4, q5, q6, "
                     u"q7, q8, q9, q10, q11, q12, q13, q14, q15, q16, q17, q18, q19, q20\n"_s;
    QTest::newRow("empty input") << QStringList{u"-"_s} << QByteArray() << stdinAt + u"1: fichier vide : pas d'en-tête\n"_s;
    QTest::newRow("UTF-16") << QStringList{u"-"_s} << QByteArray("\xFF\xFEi\0d\0")
                            << stdinAt + u"1: fichier en UTF-16 : enregistrez-le en CSV UTF-8 ou Windows-1252\n"_s;
    QTest::newRow("unclosed quote")
        << QStringList{u"-"_s} << header(u"id"_s) + "\"P1;" + QByteArray(1100 * 1024, 'a')
        << stdinAt + u"2: champ de plus de 1 Mio (guillemet non fermé ?)\n"_s;
    QTest::newRow("quote never closed")
        << QStringList{u"-"_s} << header(u"id"_s) + "P1;3;0;1;5;2;4;0;1;2;5;0;3;1;4;2;5;1;0;3;2\n\"P2;3\n4;5\r\n\r\nP3;1\n"
        << stdinAt + u"3: guillemet ouvert à la ligne 3 et jamais fermé : les lignes 3 à 7, jusqu'à la fin, forment un seul champ\n"_s;
    QTest::newRow("header not UTF-8 with --encoding utf-8")
        << QStringList{u"--encoding=utf-8"_s, u"-"_s} << QByteArray("Nom;Pr\xe9nom\n")
        << stdinAt + u"1: en-tête : la colonne 2 n'est pas de l'UTF-8 (--encoding utf-8)\n"_s;
    QTest::newRow("--output-encoding=latin1") << QStringList{u"--output-encoding=latin1"_s, u"-"_s} << QByteArray()
        << u"belvamg-score : --output-encoding : « latin1 » n'est ni utf-8, ni utf-8-bom, ni windows-1252"_s + tryHelp;
    QTest::newRow("--na with an empty code") << QStringList{u"--na=-99,,NR"_s, u"-"_s} << QByteArray()
        << u"belvamg-score : --na : « -99,,NR » contient un code vide"_s + tryHelp;
    QTest::newRow("--format=xlsx") << QStringList{u"--format=xlsx"_s, u"-"_s} << QByteArray()
        << u"belvamg-score : --format : « xlsx » n'est ni csv, ni sav, ni dta"_s + tryHelp;
    QTest::newRow("--format=sav to standard output") << QStringList{u"--format=sav"_s, u"-o"_s, u"-"_s, u"-"_s} << QByteArray()
        << u"belvamg-score : --format=sav : donnez le fichier à écrire avec -o FICHIER"_s + tryHelp;
    QTest::newRow("--format=dta with --reliability") << QStringList{u"--format=dta"_s, u"--reliability"_s, u"-"_s}
        << QByteArray() << u"belvamg-score : --reliability écrit un tableau CSV : il ne va pas avec --format=dta"_s + tryHelp;
    QTest::newRow("--format=sav with --output-encoding")
        << QStringList{u"--format=sav"_s, u"--output-encoding=windows-1252"_s, u"-"_s} << QByteArray()
        << u"belvamg-score : --output-encoding ne vaut que pour le CSV : --format=sav écrit en UTF-8"_s + tryHelp;
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

    // Saved tests are Windows-1252, and so is what is written of them.
    const QStringList savedRows = DecodeWindows1252(saved.out).split(u"\r\n"_s);
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

void TestScore::outputReadAgain_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("input");

    QTest::newRow("failing rows") << QStringList() << u"missing-codes.csv"_s;
    QTest::newRow("pro-rated, Manquantes") << QStringList{u"--missing=prorate"_s} << u"prorate.csv"_s;
    QTest::newRow("Windows-1252, quotes, line end in a field") << QStringList() << u"excel-fr.csv"_s;
}

// An output given again as input comes out the same: its score columns are
// written afresh where they are, not added a second time.
void TestScore::outputReadAgain()
{
    QFETCH(QStringList, options);
    QFETCH(QString, input);

    const Result first = run(options + QStringList{input});
    const Result again = run(options + QStringList{u"-"_s}, first.out);
    QCOMPARE(again.out, first.out);
    QVERIFY(again.err.startsWith("(entrée standard):1: colonnes PS, PH, S, DG, Global et Erreur déjà présentes : "
                                 "calculées à nouveau à leur place\n"));
    QCOMPARE(again.status, first.status);
}

void TestScore::outputIsNoInput_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QString>("named");

    QTest::newRow("same name") << u"etude.csv"_s << QStringList{u"etude.csv"_s} << u"etude.csv"_s;
    QTest::newRow("the second of two inputs") << u"etude.csv"_s << QStringList{u"autre.csv"_s, u"./etude.csv"_s}
                                              << u"./etude.csv"_s;
    QTest::newRow("through a symbolic link") << u"lien.csv"_s << QStringList{u"etude.csv"_s} << u"etude.csv"_s;
    QTest::newRow("a second name of the file") << u"autre-nom.csv"_s << QStringList{u"etude.csv"_s} << u"etude.csv"_s;
    QTest::newRow("a saved test in the folder") << u"tests/a.txt"_s << QStringList{u"tests"_s} << u"tests/a.txt"_s;
}

// Refused before anything is written: every file stays as it was.
void TestScore::outputIsNoInput()
{
    QFETCH(QString, output);
    QFETCH(QStringList, inputs);
    QFETCH(QString, named);

    QTemporaryDir dir;
    const QByteArray csv = readData(u"excel-fr.csv"_s);
    const QByteArray saved = EncodeWindows1252(savedTest(u"Zoé"_s)).bytes;
    QVERIFY(writeFile(dir.filePath(u"etude.csv"_s), csv) && writeFile(dir.filePath(u"autre.csv"_s), csv));
    QVERIFY(QFile::link(u"etude.csv"_s, dir.filePath(u"lien.csv"_s)));
    QCOMPARE(::link(QFile::encodeName(dir.filePath(u"etude.csv"_s)).constData(),
                    QFile::encodeName(dir.filePath(u"autre-nom.csv"_s)).constData()), 0);
    QVERIFY(QDir(dir.path()).mkdir(u"tests"_s) && writeFile(dir.filePath(u"tests/a.txt"_s), saved));

    const Result r = runIn(dir.path(), QStringList{u"-o"_s, output} + inputs);
    QCOMPARE(QString::fromUtf8(r.err),
             named + u" : c'est aussi le fichier de sortie (-o) : rien n'est écrit, choisissez un autre nom\n"_s);
    QCOMPARE(r.status, 2);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(readFile(dir.filePath(u"etude.csv"_s)), csv);
    QCOMPARE(readFile(dir.filePath(u"tests/a.txt"_s)), saved);
    QVERIFY(QFileInfo(dir.filePath(u"lien.csv"_s)).isSymLink());
}

void TestScore::specialOutputs_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("status");

    QTest::newRow("named pipe: written into") << u"pipe"_s << 0;
    QTest::newRow("character device: written into") << u"device"_s << 0;
    QTest::newRow("socket: cannot be opened, stays") << u"socket"_s << 2;
}

// What is not a regular file is written into, as a shell's ">" does, and
// never replaced by a regular file. The nodes are the test's own.
void TestScore::specialOutputs()
{
    QFETCH(QString, kind);
    QFETCH(int, status);

    QTemporaryDir dir;
    const QString path = dir.filePath(kind);
    const QByteArray native = QFile::encodeName(path);
    mode_t type = 0;
    int reader = -1;
    if (kind == u"pipe") {
        QCOMPARE(::mkfifo(native.constData(), 0600), 0);
        reader = ::open(native.constData(), O_RDONLY | O_NONBLOCK); // the writer then does not wait
        QVERIFY(reader >= 0);
        type = S_IFIFO;
    } else if (kind == u"device") {
        if (::mknod(native.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0) // as /dev/null
            BELVA_SKIP_OR_FAIL("making a device node needs root");
        type = S_IFCHR;
    } else {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, native.constData(), sizeof address.sun_path);
        QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
        ::close(fd);
        type = S_IFSOCK;
    }

    const Result r = run({u"-o"_s, path, u"excel-fr.csv"_s});
    QCOMPARE(r.status, status);
    if (kind == u"socket")
        QCOMPARE(QString::fromUtf8(r.err), path + u" : impossible de créer le fichier : No such device or address\n"_s);
    else
        QCOMPARE(r.err, QByteArray());
    if (reader >= 0) {
        QByteArray got(64 * 1024, '\0');
        const ssize_t n = ::read(reader, got.data(), size_t(got.size()));
        ::close(reader);
        QCOMPARE(got.left(qsizetype(n)), readData(u"excel-fr.out.csv"_s));
    }
    QCOMPARE(fileType(path), type);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), QStringList{kind});
}

void TestScore::regularOutputs_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("fails");

    for (const bool fails : {false, true}) {
        const char *end = fails ? ", failed run: as it was" : ": the output";
        QTest::addRow("earlier file, mode 0640%s", end) << u"file"_s << fails;
        QTest::addRow("file with a second name%s", end) << u"hard link"_s << fails;
        QTest::addRow("in a folder that takes no new file%s", end) << u"read-only folder"_s << fails;
    }
}

// An earlier regular file gets the whole output or stays as it was, keeps
// its mode and its other names, and nothing else is left beside it.
void TestScore::regularOutputs()
{
    QFETCH(QString, kind);
    QFETCH(bool, fails);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"scores.csv"_s);
    const QByteArray earlier = "ancien;contenu\n";
    QVERIFY(writeFile(path, earlier));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    const QString other = dir.filePath(u"autre-nom.csv"_s);
    if (kind == u"hard link")
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);
    const QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    const QByteArray input = readData(u"excel-fr.csv"_s) + (fails ? "\"jamais fermé" : "");
    Result r;
    {
        const bool readOnly = kind == u"read-only folder";
        if (readOnly)
            QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        std::optional<test::PermissionBitsApply> asUser;
        if (readOnly)
            QVERIFY(asUser.emplace().ok());
        r = run({u"-o"_s, path, u"-"_s}, input);
        asUser.reset();
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    }
    QCOMPARE(r.status, fails ? 2 : 0);
    QCOMPARE(readFile(path), fails ? earlier : readData(u"excel-fr.out.csv"_s));
    if (kind == u"hard link")
        QCOMPARE(readFile(other), readFile(path));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), entries);
}

void TestScore::folderEntries_data()
{
    QTest::addColumn<bool>("recursive");
    QTest::newRow("sub-folder named") << false;
    QTest::newRow("--recursive") << true;
}

// Every entry of a folder that is not read is named with why; a named pipe
// is never opened (the walk would wait on it).
void TestScore::folderEntries()
{
    QFETCH(bool, recursive);

    QTemporaryDir dir;
    const QString root = dir.filePath(u"etude"_s);
    const QByteArray saved = EncodeWindows1252(savedTest(u"Zoé"_s)).bytes;
    QVERIFY(QDir().mkpath(root + u"/b-dossier"_s));
    QVERIFY(writeFile(root + u"/a.txt"_s, saved) && writeFile(root + u"/b-dossier/c.txt"_s, saved));
    QCOMPARE(::mkfifo(QFile::encodeName(root + u"/d-tube.txt"_s).constData(), 0600), 0);
    QVERIFY(QFile::link(u"nulle-part.txt"_s, root + u"/e-absent.txt"_s));
    QVERIFY(QFile::link(u"f-boucle.txt"_s, root + u"/f-boucle.txt"_s));
    QVERIFY(writeFile(root + u"/g-notes.pdf"_s, "%PDF"));
    QVERIFY(QFile::link(u"b-dossier"_s, root + u"/h-lien"_s));
    const int odd = ::open(QFile::encodeName(root).append("/i-\xff.txt").constData(), O_CREAT | O_WRONLY, 0600);
    QVERIFY(odd >= 0);
    ::close(odd);
    QVERIFY(writeFile(root + u"/j-illisible.txt"_s, saved) && QFile::setPermissions(root + u"/j-illisible.txt"_s, {}));

    QStringList args{root};
    if (recursive)
        args.prepend(u"--recursive"_s);
    Result r;
    {
        test::PermissionBitsApply asUser;
        QVERIFY(asUser.ok());
        r = run(args);
    }
    const QString ignored = root + u"/%1 : ignoré : %2\n"_s;
    QString err = recursive ? QString() : ignored.arg(u"b-dossier"_s, u"sous-dossier (--recursive pour le lire)"_s);
    err += ignored.arg(u"d-tube.txt"_s, u"tube nommé"_s) + ignored.arg(u"e-absent.txt"_s, u"lien symbolique vers un fichier absent"_s)
           + ignored.arg(u"f-boucle.txt"_s, u"lien symbolique en boucle"_s)
           + ignored.arg(u"g-notes.pdf"_s, u"pas un test enregistré (.txt)"_s)
           + ignored.arg(u"h-lien"_s, u"lien vers un dossier, non suivi"_s)
           + ignored.arg(u"i-\uFFFD.txt"_s, u"nom qui n'est pas valide dans l'encodage des noms de fichiers du système"_s)
           + u"%1/j-illisible.txt:1: Impossible d'ouvrir le fichier \"%1/j-illisible.txt\". Permission denied\n"_s.arg(root);
    QCOMPARE(QString::fromUtf8(r.err), err);
    QCOMPARE(r.status, 1);
    QStringList files;
    for (const QString &row : DecodeWindows1252(r.out).split(u"\r\n"_s, Qt::SkipEmptyParts).mid(1))
        files << row.section(u';', 0, 0);
    QStringList read{root + u"/a.txt"_s, root + u"/j-illisible.txt"_s};
    if (recursive)
        read.insert(1, root + u"/b-dossier/c.txt"_s);
    QCOMPARE(files, read);
}

void TestScore::unreadableFolder()
{
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), {}));
    Result r;
    {
        test::PermissionBitsApply asUser;
        QVERIFY(asUser.ok());
        r = run({dir.path()});
    }
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    QCOMPARE(QString::fromUtf8(r.err), dir.path() + u" : dossier illisible : Permission denied\n"_s);
    QCOMPARE(r.status, 2);
}

void TestScore::namesKeptOffTheTerminal_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("err");

    QByteArray row = header(u"id"_s) + "P1;3;0;1;5;2;4;x;1;2;5;0;3;1;4;2;5;1;0;3;2\n";
    QTest::newRow("file name with an escape and a line end")
        << u"a\x1b[31m\nb.csv"_s << row << u"a\\x1B[31m\\nb.csv:2: q7 : 'x' n'est pas une valeur entière correcte\n"_s;
    QTest::newRow("file name holding %1 and %2") << u"a%1b%2.csv"_s << row
                                                 << u"a%1b%2.csv:2: q7 : 'x' n'est pas une valeur entière correcte\n"_s;
    QTest::newRow("header names with a bell and a turned-around mark")
        << u"etude.csv"_s << QByteArray("id\x07;\xe2\x80\xae" "a\n")
        << u"etude.csv:1: pas de colonne pour les réponses 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, "
           u"19, 20 (noms attendus : 1 à 20, q1 à q20 ou item1 à item20, sinon --items) ; colonnes trouvées : id\\x07, \\u202Ea\n"_s;
}

void TestScore::namesKeptOffTheTerminal()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, input);
    QFETCH(QString, err);

    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(name), input));
    const Result r = runIn(dir.path(), {name});
    QCOMPARE(QString::fromUtf8(r.err), err);
}

// Values that do not come from a CSV input cannot start a spreadsheet
// formula; what a CSV input holds is copied as it was.
void TestScore::formulasGuarded()
{
    QTemporaryDir dir;
    const QByteArray csv = header(u"Nom"_s) + "=1+1;3;0;1;5;2;4;0;1;2;5;0;3;1;4;2;5;1;0;3;2\n";
    QVERIFY(writeFile(dir.filePath(u"=calc.csv"_s), csv) && writeFile(dir.filePath(u"@lien.csv"_s), csv));
    const Result fromCsv = runIn(dir.path(), {u"--"_s, u"=calc.csv"_s, u"@lien.csv"_s});
    const QStringList rows = QString::fromUtf8(fromCsv.out).split(u'\n');
    QCOMPARE(rows[1].section(u';', 0, 1), u"'=calc.csv;=1+1"_s);
    QCOMPARE(rows[2].section(u';', 0, 1), u"'@lien.csv;=1+1"_s);

    QVERIFY(writeFile(dir.filePath(u"+33 essai.txt"_s), EncodeWindows1252(savedTest(u"=SOMME(A1:A9)"_s)).bytes));
    const Result saved = runIn(dir.path(), {u"+33 essai.txt"_s});
    QCOMPARE(saved.err, QByteArray());
    QCOMPARE(DecodeWindows1252(saved.out).split(u"\r\n"_s)[1].section(u';', 0, 1), u"'+33 essai.txt;'=SOMME(A1:A9)"_s);
}

void TestScore::outputEncoding_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QString>("err");
    QTest::addColumn<int>("status");

    const QString noCp1252 = u"(sortie standard) : le caractère « Ł » (dans « %1 ») n'existe pas en Windows-1252"_s;
    QTest::newRow("a file name Windows-1252 cannot hold: UTF-8 with BOM")
        << QStringList{u"Łódź.csv"_s, u"b.csv"_s} << QStringList() << QByteArray("\xEF\xBB\xBF" "Fichier;Nom;")
        << noCp1252.arg(u"Łódź.csv"_s) + u", l'encodage de l'entrée : la sortie est en UTF-8 avec BOM\n"_s << 0;
    QTest::newRow("UTF-8 after Windows-1252, still in the buffer: UTF-8 with BOM")
        << QStringList{u"b.csv"_s, u"utf8.csv"_s} << QStringList() << QByteArray("\xEF\xBB\xBF" "Fichier;Nom;")
        << noCp1252.arg(u"Łukasz"_s) + u", l'encodage de l'entrée : la sortie est en UTF-8 avec BOM\n"_s << 0;
    QTest::newRow("UTF-8 after much Windows-1252: refused")
        << QStringList{u"long.csv"_s, u"utf8.csv"_s} << QStringList() << QByteArray("Fichier;Nom;")
        << noCp1252.arg(u"Łukasz"_s) + u", l'encodage de l'entrée, et la sortie en a déjà reçu une partie : relancez "
                                       u"avec --output-encoding=utf-8-bom\n"_s << 2;
    QTest::newRow("--output-encoding=windows-1252: refused")
        << QStringList{u"utf8.csv"_s} << QStringList{u"--output-encoding=windows-1252"_s} << QByteArray()
        << noCp1252.arg(u"Łukasz"_s) + u" (--output-encoding) : choisissez utf-8 ou utf-8-bom\n"_s << 2;
    QTest::newRow("much Windows-1252, blocks of output")
        << QStringList{u"long.csv"_s} << QStringList() << QByteArray("Nom;") << QString() << 0;
}

// The output keeps the input's encoding while it can hold the text, and says
// when it cannot; every row arrives once, whatever the blocks it is written in.
void TestScore::outputEncoding()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, start);
    QFETCH(QString, err);
    QFETCH(int, status);

    QTemporaryDir dir;
    const QByteArray answers = ";3;0;1;5;2;4;0;1;2;5;0;3;1;4;2;5;1;0;3;2\n";
    const QByteArray head = header(u"Nom"_s);
    QByteArray longCsv = head;
    for (int n = 0; n < 4000; ++n)
        longCsv += "Zo\xe9 " + QByteArray::number(n) + answers;
    QVERIFY(writeFile(dir.filePath(u"Łódź.csv"_s), head + "\xc9lodie" + answers));
    QVERIFY(writeFile(dir.filePath(u"b.csv"_s), head + "\xc9lodie" + answers));
    QVERIFY(writeFile(dir.filePath(u"utf8.csv"_s), head + "\xc5\x81ukasz" + answers));
    QVERIFY(writeFile(dir.filePath(u"long.csv"_s), longCsv));

    const Result r = runIn(dir.path(), options + files);
    QCOMPARE(QString::fromUtf8(r.err), err);
    QCOMPARE(r.status, status);
    QVERIFY(r.out.startsWith(start));
    if (status != 0)
        return;
    const bool utf8 = r.out.startsWith("\xEF\xBB\xBF");
    const QStringList rows = (utf8 ? QString::fromUtf8(r.out.mid(3)) : DecodeWindows1252(r.out)).split(u'\n', Qt::SkipEmptyParts);
    QStringList names;
    for (const QString &row : rows.mid(1))
        names << row.section(u';', files.size() > 1 ? 1 : 0, files.size() > 1 ? 1 : 0);
    QStringList expected;
    for (const QString &file : files) {
        if (file == u"long.csv")
            for (int n = 0; n < 4000; ++n)
                expected << u"Zoé %1"_s.arg(n);
        else
            expected << (file == u"utf8.csv" ? u"Łukasz"_s : u"Élodie"_s);
    }
    QCOMPARE(names, expected);
}

void TestScore::windows1252MatchesConverter()
{
    // Every byte, and every character of the basic plane, against the
    // platform's converter.
    const Windows1252 &table = Windows1252::instance();
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        char utf8[3];
        const char *end = table.toUtf8(QByteArrayView(&byte, 1), utf8);
        QCOMPARE(QByteArray(utf8, end - utf8), DecodeWindows1252(QByteArrayView(&byte, 1)).toUtf8());
    }
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        const QString text = QString::fromUcs4(&c, 1);
        const EncodedText expected = EncodeWindows1252(text);
        char got[4];
        const char *end = table.fromUtf8(text.toUtf8(), got);
        QCOMPARE(end != nullptr, expected.ok());
        if (end)
            QCOMPARE(QByteArray(got, end - got), expected.bytes);
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

void TestScore::systemReasonsInFrench()
{
    QTemporaryDir dir;
    QProcess p;
    p.setWorkingDirectory(DataDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"fr_FR.UTF-8"_s);
    p.setProcessEnvironment(env);
    const QString output = dir.filePath(u"absent/scores.csv"_s);
    p.start(QStringLiteral(BELVA_SCORE), {u"-o"_s, output, u"excel-fr.csv"_s});
    QVERIFY(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    if (err.endsWith(u"No such file or directory\n"_s))
        BELVA_SKIP_OR_FAIL("no French locale fr_FR.UTF-8 (run scripts/setup)");
    QCOMPARE(err, output + u" : impossible de créer le fichier : Aucun fichier ou dossier de ce type\n"_s);
    QCOMPARE(p.exitCode(), 2);
}

void TestScore::writeErrorOnStandardOutput()
{
    // A node of the test's own, as /dev/full: every write fails.
    QTemporaryDir dir;
    const QString full = dir.filePath(u"full"_s);
    if (::mknod(QFile::encodeName(full).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        BELVA_SKIP_OR_FAIL("making a device node needs root");
    QProcess p;
    p.setWorkingDirectory(DataDir);
    p.setStandardOutputFile(full);
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
