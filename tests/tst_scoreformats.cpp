// belvamg-score for the statistician: numbers and names as SPSS and Stata
// take them, the reliability figures of scales computed by hand, and a
// generated study written as .sav and .dta, read back by PSPP and pandas
// against the CSV output of the same run, with PSPP's RELIABILITY against
// --reliability.
#include "questionnaire.h"
#include "reliability.h"
#include "values.h"
#include "varnames.h"

#include "restrictions.h"
#include "scorerun.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace belva;
using namespace belva::score;
using namespace Qt::StringLiterals;

namespace {

using test::Result;
using test::run;

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The rows of a CSV text, quotes and doubled quotes undone.
QList<QStringList> parseCsv(const QString &text, QChar delimiter)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == delimiter) {
            row << field;
            field.clear();
        } else if (c == u'\n') {
            rows << (row << field);
            row.clear();
            field.clear();
        } else if (c != u'\r') {
            field += c;
        }
    }
    if (!field.isEmpty() || !row.isEmpty())
        rows << (row << field);
    return rows;
}

// PSPP's CSV output: each "Table: TITLE" with its rows, in order.
QList<QPair<QString, QList<QStringList>>> psppTables(const QString &output)
{
    QList<QPair<QString, QList<QStringList>>> tables;
    for (const QString &block : output.split(u"\n\n"_s)) {
        const qsizetype title = block.indexOf(u"Table: "_s);
        if (title < 0)
            continue;
        const qsizetype end = block.indexOf(u'\n', title);
        tables.append({block.mid(title + 7, end - title - 7), parseCsv(block.mid(end + 1), u',')});
    }
    return tables;
}

// The program's number for a score text ("47,08"), or NaN when empty.
double scoreNumber(const QString &text)
{
    return text.isEmpty() ? qQNaN() : QString(text).replace(u',', u'.').toDouble();
}

// What a generated study's cells must become, with its CSV text.
struct Study
{
    QByteArray csv;
    QStringList names; // the variables, as the files must name them
    // For each row, each input column: a number (NaN for missing) or a text.
    QList<QList<QVariant>> cells;
};

// A study of `rows` tests whose answers follow a level per test and scale,
// with missing ("", "NA") and refused ("x", "7", "2,5") answers, accents, a
// number column with French decimals, codes with padding zeros, headers
// that SPSS and Stata refuse or that the program's columns take, and a text
// longer than a short SPSS string.
Study generateStudy(int rows)
{
    Study s;
    const QStringList headers{u"Nom"_s, u"Âge"_s, u"Code"_s, u"2e visite"_s, u"BY"_s, u"nom"_s, u"Remarque"_s, u"Erreur"_s};
    s.names = QStringList{u"Nom"_s,  u"Age"_s,   u"Code"_s,     u"v2e_visite"_s,
                          u"v_BY"_s, u"nom_2"_s, u"Remarque"_s, u"Erreur_2"_s};
    QStringList header = headers;
    for (int i = 1; i <= ItemCount; ++i) {
        header << u"q%1"_s.arg(i);
        s.names << u"q%1"_s.arg(i);
    }
    s.csv = header.join(u';').toUtf8() + "\r\n";
    const QStringList people{u"Élodie Gênée"_s, u"François Cœur"_s, u"Anaïs Noël"_s, u"Zoé Lefèvre"_s, u"Ça ira"_s};
    QRandomGenerator rng(20261208);
    for (int r = 0; r < rows; ++r) {
        QStringList texts;
        QList<QVariant> cells;
        const auto text = [&](const QString &t) {
            texts << t;
            cells << t;
        };
        const auto number = [&](const QString &t, double v) {
            texts << t;
            cells << v;
        };
        text(u"%1 %2"_s.arg(people[r % people.size()]).arg(r));
        if (r % 17 == 3)
            number(r % 2 ? u"NA"_s : QString(), qQNaN());
        else
            number(QString::number(18 + r % 70), 18 + r % 70);
        text(u"%1"_s.arg(r % 900, 3, 10, QChar(u'0')));
        number(u"%1,%2"_s.arg(60 + r % 40).arg(r % 10), 60 + r % 40 + (r % 10) / 10.0);
        text(r % 3 ? u"oui"_s : u"non"_s);
        number(QString::number(r + 1), r + 1);
        text(r == 5 ? QString(300, u'é') : r == 6 ? u"=SOMME(A1)"_s : QString());
        text(r % 2 ? u"saisie relue"_s : QString()); // the input's own Erreur
        for (const DimensionInfo &d : dimensions()) {
            const int level = int(rng.bounded(HighestAnswer + 1));
            for (int item = d.firstItem; item <= d.lastItem; ++item) {
                const int draw = int(rng.bounded(100));
                const int answer = qBound(LowestAnswer, level + int(rng.bounded(3)) - 1, HighestAnswer);
                if (draw < 2)
                    number(draw ? u"NA"_s : QString(), qQNaN());
                else if (draw < 3)
                    number(QStringList{u"x"_s, u"7"_s, u"2,5"_s}[r % 3], qQNaN());
                else if (draw < 6)
                    number(u"%1,0"_s.arg(answer), answer);
                else
                    number(QString::number(answer), answer);
            }
        }
        s.csv += texts.join(u';').toUtf8() + "\r\n";
        s.cells << cells;
    }
    return s;
}

// A file value against what was meant: numbers equal (both missing, or
// the same double), texts equal (an empty one read as missing or not).
bool sameValue(const QVariant &expected, const QString &got, bool gotMissing)
{
    if (expected.typeId() == QMetaType::Double) {
        const double e = expected.toDouble();
        return std::isnan(e) ? gotMissing : !gotMissing && got.toDouble() == e;
    }
    return got == expected.toString();
}

QString psppCommand()
{
    return QStandardPaths::findExecutable(u"pspp"_s);
}

} // namespace

class TestScoreFormats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void numbers_data();
    void numbers();
    void variableNames_data();
    void variableNames();
    void scaleFigures_data();
    void scaleFigures();
    void filesReadBack_data();
    void filesReadBack();
    void reliabilityAsPspp();
    void textsTooLongForTheFormat_data();
    void textsTooLongForTheFormat();
    void rowWiderThanTheBuffers();
    void temporaryFolderRefused();

private:
    QTemporaryDir m_dir;
};

void TestScoreFormats::numbers_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<char>("separator");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");

    QTest::newRow("whole") << QByteArray("72") << ',' << true << 72.0;
    QTest::newRow("French decimals") << QByteArray("72,5") << ',' << true << 72.5;
    QTest::newRow("point decimals with ','") << QByteArray("72.25") << ',' << true << 72.25;
    QTest::newRow("',' when the separator is '.'") << QByteArray("72,5") << '.' << false << 0.0;
    QTest::newRow("the nearest double of a score") << QByteArray("47,08") << ',' << true << 47.08;
    QTest::newRow("blanks and a sign") << QByteArray(" -3.5 ") << '.' << true << -3.5;
    QTest::newRow("minus zero is zero") << QByteArray("-0") << '.' << true << 0.0;
    QTest::newRow("a code with padding zeros") << QByteArray("007") << '.' << false << 0.0;
    QTest::newRow("zero point something") << QByteArray("0.125") << '.' << true << 0.125;
    QTest::newRow("15 digits") << QByteArray("123456789012.345") << '.' << true << 123456789012.345;
    QTest::newRow("16 digits: not given back") << QByteArray("1234567890123456") << '.' << false << 0.0;
    QTest::newRow("exponent") << QByteArray("1e5") << '.' << false << 0.0;
    QTest::newRow("no digit after the point") << QByteArray("5.") << '.' << false << 0.0;
    QTest::newRow("no digit before the point") << QByteArray(".5") << '.' << false << 0.0;
    QTest::newRow("thousands") << QByteArray("1 234") << '.' << false << 0.0;
    QTest::newRow("empty") << QByteArray() << '.' << false << 0.0;
}

void TestScoreFormats::numbers()
{
    QFETCH(QByteArray, text);
    QFETCH(char, separator);
    QFETCH(bool, isNumber);
    QFETCH(double, value);

    const std::optional<Number> n = ReadNumber(text, separator);
    QCOMPARE(n.has_value(), isNumber);
    if (n) {
        QCOMPARE(n->value, value);
        QVERIFY(!std::signbit(n->value) || value < 0);
    }
}

void TestScoreFormats::variableNames_data()
{
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("valid names kept") << QStringList{u"id"_s, u"Age_2"_s} << QStringList{u"id"_s, u"Age_2"_s};
    QTest::newRow("accents and ligatures") << QStringList{u"Âge"_s, u"Sœur aînée"_s, u"Straße"_s}
                                           << QStringList{u"Age"_s, u"Soeur_ainee"_s, u"Strasse"_s};
    QTest::newRow("blanks, signs, a digit first")
        << QStringList{u"Poids (kg)"_s, u"2e visite"_s, u"__x__"_s, u"a - b"_s}
        << QStringList{u"Poids_kg"_s, u"v2e_visite"_s, u"x"_s, u"a_b"_s};
    QTest::newRow("reserved words of SPSS and Stata, any case")
        << QStringList{u"BY"_s, u"with"_s, u"Int"_s, u"str12"_s, u"strL"_s, u"string"_s}
        << QStringList{u"v_BY"_s, u"v_with"_s, u"v_Int"_s, u"v_str12"_s, u"v_strL"_s, u"string"_s};
    QTest::newRow("nothing left: the column's number") << QStringList{u"id"_s, u"€"_s, QString()}
                                                        << QStringList{u"id"_s, u"v2"_s, u"v3"_s};
    QTest::newRow("same name in another case, and again")
        << QStringList{u"Nom"_s, u"nom"_s, u"NOM"_s, u"nom_2"_s}
        << QStringList{u"Nom"_s, u"nom_2"_s, u"NOM_3"_s, u"nom_2_2"_s};
    const QString longName = u"Date de la première consultation au cabinet"_s;
    QTest::newRow("cut to 32, numbered within 32")
        << QStringList{longName, longName}
        << QStringList{u"Date_de_la_premiere_consultation"_s, u"Date_de_la_premiere_consultati_2"_s};
}

void TestScoreFormats::variableNames()
{
    QFETCH(QStringList, headers);
    QFETCH(QStringList, names);

    VariableNames taken;
    QStringList made;
    for (qsizetype i = 0; i < headers.size(); ++i)
        made << taken.make(headers[i], int(i + 1));
    QCOMPARE(made, names);
    for (const QString &name : made)
        QVERIFY2(VariableNames::isValid(name) && name.size() <= 32, qPrintable(name));
}

void TestScoreFormats::scaleFigures_data()
{
    QTest::addColumn<QList<QList<int>>>("tests");
    QTest::addColumn<QList<double>>("scale"); // alpha (NaN: none), mean, SD, floor, ceiling
    QTest::addColumn<QList<double>>("item1"); // mean, SD, corrected item-total, alpha without it

    const double none = qQNaN();
    // Variances (n − 1): each item 5/3, the total 41/3, so alpha =
    // 3/2 × (1 − 15/41) = 39/41; percentage: mean 9.5/15, SD √(41/3)/15.
    // Item 1 and the other two (4, 6, 9, 9): covariance 3, variance 6, so
    // r = 3/√10; the other two alone: covariance 4/3, alpha = 2 × (1 − 10/18).
    QTest::newRow("hand-computed")
        << QList<QList<int>>{{1, 2, 2}, {2, 3, 3}, {4, 4, 5}, {3, 5, 4}}
        << QList<double>{39.0 / 41, 190.0 / 3, 100 * std::sqrt(41.0 / 3) / 15, 0, 0}
        << QList<double>{2.5, std::sqrt(5.0 / 3), 3 / std::sqrt(10.0), 8.0 / 9};
    // Two tests at 0 %, one at 100 %: total variance 201/4, item 1's 17/3.
    QTest::newRow("floor and ceiling")
        << QList<QList<int>>{{0, 0, 0}, {5, 5, 5}, {0, 0, 0}, {1, 2, 3}}
        << QList<double>{66.0 / 67, 35, 100 * std::sqrt(201.0 / 4) / 15, 50, 25}
        << QList<double>{1.5, std::sqrt(17.0 / 3), (65.0 / 6) / std::sqrt(17.0 / 3 * 275.0 / 12), 272.0 / 275};
    QTest::newRow("every test the same: no alpha, no correlation")
        << QList<QList<int>>{{2, 3, 1}, {2, 3, 1}, {2, 3, 1}} << QList<double>{none, 40, 0, 0, 0}
        << QList<double>{2, 0, none, none};
    // Items 2 and 3: variances 4 and 1, covariance 1; the total's 7.
    QTest::newRow("one item the same: its correlation only")
        << QList<QList<int>>{{1, 0, 3}, {1, 2, 5}, {1, 4, 4}}
        << QList<double>{3.0 / 7, 140.0 / 3, 100 * std::sqrt(7.0) / 15, 0, 0}
        << QList<double>{1, 0, none, 4.0 / 7};
}

void TestScoreFormats::scaleFigures()
{
    QFETCH(QList<QList<int>>, tests);
    QFETCH(QList<double>, scale);
    QFETCH(QList<double>, item1);

    ScaleSums sums(3, HighestAnswer);
    for (const QList<int> &t : tests)
        sums.add(t.constData());
    const ScaleFigures f = ComputeFigures(sums);
    const auto same = [](const std::optional<double> &got, double expected) {
        return std::isnan(expected) ? !got.has_value() : got && std::abs(*got - expected) < 1e-12;
    };
    QCOMPARE(f.tests, tests.size());
    QVERIFY2(same(f.alpha, scale[0]), qPrintable(QString::number(f.alpha.value_or(-99), 'g', 17)));
    QVERIFY(same(f.mean, scale[1]));
    QVERIFY(same(f.standardDeviation, scale[2]));
    QVERIFY(same(f.floorPercent, scale[3]));
    QVERIFY(same(f.ceilingPercent, scale[4]));
    const ItemFigures &i = f.items[0];
    QVERIFY(same(i.mean, item1[0]));
    QVERIFY(same(i.standardDeviation, item1[1]));
    QVERIFY2(same(i.correctedItemTotal, item1[2]), qPrintable(QString::number(i.correctedItemTotal.value_or(-99), 'g', 17)));
    QVERIFY2(same(i.alphaWithoutItem, item1[3]), qPrintable(QString::number(i.alphaWithoutItem.value_or(-99), 'g', 17)));
}

// A file as PSPP or pandas reads it: each variable's name, label, value
// labels and type, and the rows, a missing value as a null string.
struct FileRead
{
    QStringList names;
    QStringList labels;
    QList<QMap<QString, QString>> valueLabels;
    QList<QStringList> rows;
};

// PSPP's dictionary and list of a .sav file.
FileRead readWithPspp(const QString &sav, const QString &workFolder)
{
    FileRead f;
    const QString syntax = workFolder + u"/lire.sps"_s;
    // The scores printed with every digit of the double the file holds.
    writeFile(syntax, u"GET FILE='%1'.\nDISPLAY DICTIONARY.\nFORMATS PS PH S DG Global (F24.15).\nLIST.\n"_s.arg(sav).toUtf8());
    QProcess pspp;
    pspp.start(psppCommand(), {u"-O"_s, u"format=csv"_s, syntax});
    pspp.waitForFinished(120000);
    const QString output = QString::fromUtf8(pspp.readAllStandardOutput());
    if (output.contains(u"warning"_s) || output.contains(u"error"_s))
        qWarning("%s", qPrintable(output.left(2000)));
    QList<bool> numeric;
    for (const auto &[title, rows] : psppTables(output)) {
        if (title == u"Variables"_s) {
            for (const QStringList &v : rows.mid(1)) {
                f.names << v.value(0);
                f.labels << v.value(2);
                numeric << !v.value(7).startsWith(u'A');
            }
            f.valueLabels.resize(f.names.size());
        } else if (title == u"Value Labels"_s) {
            qsizetype at = -1; // a variable is named by its label, or by its name when it has none
            for (const QStringList &v : rows.mid(1)) {
                if (!v.value(0).isEmpty())
                    at = qMax(f.labels.indexOf(v.value(0)), f.names.indexOf(v.value(0)));
                if (at >= 0)
                    f.valueLabels[at].insert(v.value(1), v.value(2));
            }
        } else if (title == u"Data List"_s) {
            for (QStringList row : rows.mid(1)) {
                for (qsizetype c = 0; c < row.size(); ++c)
                    if (numeric.value(c) && row[c].trimmed() == u".")
                        row[c] = QString();
                f.rows << row;
            }
        }
    }
    return f;
}

// pandas' reading of a .dta file (stata_read.py).
FileRead readWithPandas(const QString &dta)
{
    FileRead f;
    QProcess read;
    read.start(u"/usr/bin/python3"_s, {QStringLiteral(TESTDATA_DIR "/../stata_read.py"), dta});
    read.waitForFinished(60000);
    const QJsonObject file = QJsonDocument::fromJson(read.readAllStandardOutput()).object();
    const QJsonObject labels = file[u"labels"_s].toObject();
    const QJsonObject sets = file[u"valueLabelSets"_s].toObject();
    const QJsonObject setOf = file[u"setOf"_s].toObject();
    for (const QJsonValue &n : file[u"names"_s].toArray()) {
        f.names << n.toString();
        f.labels << labels[n.toString()].toString();
        QMap<QString, QString> values;
        const QJsonObject set = sets[setOf[n.toString()].toString()].toObject();
        for (auto v = set.begin(); v != set.end(); ++v)
            values.insert(v.key(), v.value().toString());
        f.valueLabels << values;
    }
    for (const QJsonValue &r : file[u"rows"_s].toArray()) {
        QStringList row;
        for (const QJsonValue &v : r.toArray())
            row << (v.isNull() ? QString() : v.isDouble() ? QString::number(v.toDouble(), 'g', 17) : v.toString());
        f.rows << row;
    }
    return f;
}

void TestScoreFormats::filesReadBack_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("SPSS, read by PSPP") << u"sav"_s;
    QTest::newRow("Stata, read by pandas") << u"dta"_s;
}

void TestScoreFormats::filesReadBack()
{
    QFETCH(QString, format);
    if (format == u"sav" && psppCommand().isEmpty())
        BELVA_SKIP_OR_FAIL("pspp is not installed (scripts/setup installs it)");
    if (format == u"dta" && QProcess::execute(u"/usr/bin/python3"_s, {u"-c"_s, u"import pandas"_s}) != 0)
        BELVA_SKIP_OR_FAIL("python3-pandas is not installed (scripts/setup installs it)");

    const Study study = generateStudy(300);
    const QString input = m_dir.filePath(u"etude.csv"_s);
    const QString file = m_dir.filePath(u"etude."_s + format);
    QVERIFY(writeFile(input, study.csv));
    const Result csv = run({u"--missing=prorate"_s, input});
    const Result written = run({u"--missing=prorate"_s, u"--format="_s + format, input, u"-o"_s, file});
    QCOMPARE(written.status, 1); // refused answers
    QCOMPARE(written.status, csv.status);
    QCOMPARE(written.err, csv.err);
    QCOMPARE(written.out, QByteArray());
    const QList<QStringList> rows = parseCsv(QString::fromUtf8(csv.out), u';');
    const FileRead f = format == u"sav" ? readWithPspp(file, m_dir.path()) : readWithPandas(file);

    // Names, labels (the header that had to change, the items' texts, the
    // scores' names), the answers' value labels.
    const QStringList scores{u"PS"_s, u"PH"_s, u"S"_s, u"DG"_s, u"Global"_s, u"Manquantes"_s, u"Erreur"_s};
    QCOMPARE(f.names, study.names + scores);
    QStringList labels{QString(), u"Âge"_s, QString(), u"2e visite"_s, u"BY"_s, u"nom"_s, QString(), u"Erreur"_s};
    for (const ItemInfo &item : items())
        labels << QString::fromUtf16(item.caption);
    labels << u"Retentissement psychologique (%)"_s << u"Retentissement physique (%)"_s << u"Retentissement social (%)"_s
           << u"Sentiment de douleur généralisée (%)"_s << u"Score global (%)"_s << u"Nombre d'items sans réponse"_s
           << QString();
    QCOMPARE(f.labels, labels);
    const QMap<QString, QString> answers{{u"0"_s, u"0 (aucune gêne)"_s}, {u"1"_s, u"1"_s}, {u"2"_s, u"2"_s},
                                         {u"3"_s, u"3"_s}, {u"4"_s, u"4"_s}, {u"5"_s, u"5 (gêne maximale)"_s}};
    const QMap<QString, QString> none;
    for (qsizetype c = 0; c < f.names.size(); ++c)
        QCOMPARE(f.valueLabels.value(c), f.names[c].startsWith(u'q') ? answers : none);

    // The values: those meant, then the scores and messages of the CSV output.
    QCOMPARE(f.rows.size(), study.cells.size());
    const qsizetype scoreAt = study.names.size();
    for (qsizetype r = 0; r < f.rows.size(); ++r) {
        const QStringList &got = f.rows[r];
        const QStringList &csvRow = rows[r + 1];
        for (qsizetype c = 0; c < scoreAt; ++c)
            QVERIFY2(sameValue(study.cells[r][c], got[c], got[c].isNull()), qPrintable(u"row %1 %2: %3"_s.arg(r).arg(f.names[c], got[c])));
        for (qsizetype c = scoreAt; c < scoreAt + 6; ++c)
            QVERIFY2(sameValue(scoreNumber(csvRow[c]), got[c], got[c].isNull()),
                     qPrintable(u"row %1 %2: %3 for %4"_s.arg(r).arg(f.names[c], got[c], csvRow[c])));
        QCOMPARE(got[scoreAt + 6], csvRow[scoreAt + 6]);
    }
}

void TestScoreFormats::reliabilityAsPspp()
{
    // RELIABILITY's alpha, corrected item-total correlations and alphas
    // without the item against --reliability's four decimals.
    if (psppCommand().isEmpty())
        BELVA_SKIP_OR_FAIL("pspp is not installed (scripts/setup installs it)");
    const QString input = m_dir.filePath(u"fiabilite.csv"_s);
    const QString sav = m_dir.filePath(u"fiabilite.sav"_s);
    QVERIFY(writeFile(input, generateStudy(400).csv));
    QCOMPARE(run({u"--format=sav"_s, input, u"-o"_s, sav}).status, 1);
    const Result reliability = run({u"--reliability"_s, input});
    QCOMPARE(reliability.status, 1);
    const QList<QStringList> table = parseCsv(QString::fromUtf8(reliability.out), u';');

    QString syntax = u"GET FILE='%1'.\nSET FORMAT=F12.6.\n"_s.arg(sav);
    for (const DimensionInfo &d : dimensions())
        syntax += u"RELIABILITY /VARIABLES=q%1 TO q%2 /SUMMARY=TOTAL.\n"_s.arg(d.firstItem).arg(d.lastItem);
    const QString syntaxFile = m_dir.filePath(u"fiabilite.sps"_s);
    QVERIFY(writeFile(syntaxFile, syntax.toUtf8()));
    QProcess pspp;
    pspp.start(psppCommand(), {u"-O"_s, u"format=csv"_s, syntaxFile});
    QVERIFY(pspp.waitForFinished(120000));
    int scale = 0;
    for (const auto &[title, rows] : psppTables(QString::fromUtf8(pspp.readAllStandardOutput()))) {
        if (title == u"Case Processing Summary"_s) {
            QCOMPARE(rows.value(1).value(0), u"Valid"_s);
            QCOMPARE(rows.value(1).value(1), table[1 + scale][1]);
        } else if (title == u"Reliability Statistics"_s) {
            QVERIFY(std::abs(rows.value(1).value(0).toDouble() - scoreNumber(table[1 + scale][2])) <= 1e-4);
        } else if (title == u"Item-Total Statistics"_s) {
            const DimensionInfo &d = dimensions()[size_t(scale++)];
            QCOMPARE(rows.size(), 1 + d.lastItem - d.firstItem + 1);
            for (int i = d.firstItem; i <= d.lastItem; ++i) {
                const QStringList &pspp = rows[1 + i - d.firstItem];
                const QStringList &ours = table[DimensionCount + i];
                QCOMPARE(ours[0], u"q%1"_s.arg(i));
                QVERIFY2(std::abs(pspp.value(3).toDouble() - scoreNumber(ours[7])) <= 1e-4, qPrintable(ours.join(u';')));
                QVERIFY2(std::abs(pspp.value(4).toDouble() - scoreNumber(ours[8])) <= 1e-4, qPrintable(ours.join(u';')));
            }
        }
    }
    QCOMPARE(scale, DimensionCount);
}

void TestScoreFormats::textsTooLongForTheFormat_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QList<int>>("bytes"); // of each column's text
    QTest::addColumn<QString>("refusal");  // empty: written

    const QStringList remark{u"Remarque"_s};
    QTest::newRow("Stata: 2045 bytes") << u"dta"_s << remark << QList<int>{2045} << QString();
    QTest::newRow("Stata: 2046 bytes")
        << u"dta"_s << remark << QList<int>{2046}
        << u"la colonne « Remarque » a un texte de 2046 octets, plus qu'un fichier Stata n'en admet (2045) : "
           u"rien n'est écrit ; --format=sav les admet jusqu'à 9072\n"_s;
    QTest::newRow("SPSS: 9072 bytes, 36 segments") << u"sav"_s << remark << QList<int>{9072} << QString();
    QTest::newRow("SPSS: 9073 bytes")
        << u"sav"_s << remark << QList<int>{9073}
        << u"la colonne « Remarque » a un texte de 9073 octets, plus qu'un fichier SPSS n'en admet (9072) : "
           u"rien n'est écrit\n"_s;
    QTest::newRow("SPSS: a segment's name another column's")
        << u"sav"_s << QStringList{u"Note"_s, u"Note1"_s} << QList<int>{256, 1}
        << u"les colonnes « Note » (un texte de plus de 255 octets) et « Note1 » auraient le même nom court dans "
           u"le fichier SPSS : rien n'est écrit ; renommez l'une d'elles ou choisissez --format=dta\n"_s;
    QTest::newRow("SPSS: names alike, texts short") << u"sav"_s << QStringList{u"Note"_s, u"Note1"_s}
                                                     << QList<int>{255, 1} << QString();
}

void TestScoreFormats::textsTooLongForTheFormat()
{
    QFETCH(QString, format);
    QFETCH(QStringList, columns);
    QFETCH(QList<int>, bytes);
    QFETCH(QString, refusal);

    QByteArray csv = columns.join(u';').toUtf8();
    for (int i = 1; i <= ItemCount; ++i)
        csv += ";q" + QByteArray::number(i);
    csv += '\n';
    for (const int n : bytes)
        csv += QByteArray(n, 'a') + ';';
    csv += QByteArray("1;").repeated(ItemCount).chopped(1) + '\n';
    const QString input = m_dir.filePath(u"long.csv"_s);
    const QString output = m_dir.filePath(u"long."_s + format);
    QVERIFY(writeFile(input, csv));
    QFile::remove(output);
    const Result r = run({u"--format="_s + format, input, u"-o"_s, output});
    QCOMPARE(QString::fromUtf8(r.err), refusal.isEmpty() ? QString() : output + u" : "_s + refusal);
    QCOMPARE(r.status, refusal.isEmpty() ? 0 : 2);
    QCOMPARE(QFile::exists(output), refusal.isEmpty());
}

void TestScoreFormats::rowWiderThanTheBuffers()
{
    // Thirty texts of 9,000 bytes in one row: more than the temporary file's
    // and the output's blocks, and each one an SPSS text of 36 segments.
    if (psppCommand().isEmpty())
        BELVA_SKIP_OR_FAIL("pspp is not installed (scripts/setup installs it)");
    constexpr int Texts = 30;
    QStringList header;
    for (int c = 0; c < Texts; ++c)
        header << u"t"_s + QChar(u'a' + c / 26) + QChar(u'a' + c % 26);
    for (int i = 1; i <= ItemCount; ++i)
        header << u"q%1"_s.arg(i);
    QByteArray csv = header.join(u',').toUtf8() + '\n';
    QList<QByteArray> wide;
    for (int r = 0; r < 3; ++r) {
        QByteArrayList fields;
        for (int c = 0; c < Texts; ++c)
            fields << (r == 1 ? QByteArray(9000, char('a' + c % 26)) : QByteArray::number(r) + char('a' + c % 26));
        wide << fields.join(',');
        csv += wide.last() + QByteArray(",2").repeated(ItemCount) + '\n';
    }
    const QString input = m_dir.filePath(u"wide.csv"_s);
    const QString sav = m_dir.filePath(u"wide.sav"_s);
    QVERIFY(writeFile(input, csv));
    const Result r = run({u"--format=sav"_s, input, u"-o"_s, sav});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.status, 0);
    const QString syntax = m_dir.filePath(u"wide.sps"_s);
    QVERIFY(writeFile(syntax, u"GET FILE='%1'.\nLIST %2 TO %3.\n"_s.arg(sav, header.first(), header[Texts - 1]).toUtf8()));
    QProcess pspp;
    pspp.start(psppCommand(), {u"-O"_s, u"format=csv"_s, syntax});
    QVERIFY(pspp.waitForFinished(120000));
    const QString output = QString::fromUtf8(pspp.readAllStandardOutput());
    QVERIFY2(!output.contains(u"warning"_s), qPrintable(output.left(1000)));
    const QList<QStringList> list = psppTables(output).value(0).second;
    QCOMPARE(list.size(), 4);
    for (int row = 0; row < 3; ++row)
        QCOMPARE(list[row + 1].join(u','), QString::fromLatin1(wide[row]));
}

void TestScoreFormats::temporaryFolderRefused()
{
    // The rows cannot be kept aside: nothing is written, the folder is named.
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"lecture-seule"_s);
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    const QString input = dir.filePath(u"etude.csv"_s);
    const QString output = dir.filePath(u"etude.sav"_s);
    QVERIFY(writeFile(input, generateStudy(3).csv));
    const QByteArray before = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(folder));
    Result r;
    {
        const test::PermissionBitsApply asUser;
        if (!asUser.ok())
            BELVA_SKIP_OR_FAIL("cannot drop the capabilities that override permission bits");
        r = run({u"--format=sav"_s, input, u"-o"_s, output});
    }
    if (before.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", before);
    QVERIFY2(r.err.startsWith(u"impossible de créer un fichier temporaire dans %1 : "_s.arg(folder).toUtf8()), r.err.constData());
    QCOMPARE(r.status, 2);
    QVERIFY(!QFile::exists(output));
}

QTEST_GUILESS_MAIN(TestScoreFormats)
#include "tst_scoreformats.moc"
