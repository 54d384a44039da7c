// belvamg-score --pseudonymize: names folded as ICU's simple case folding
// folds them, pseudonyms the README's Python recipe recomputes, outputs that
// hold no byte of a name or a file name in any case or encoding, and the
// key files and option mixes refused before anything is written.
#include "encoding.h"
#include "pseudonyms.h"
#include "reports.h"
#include "scoring.h"

#include "restrictions.h"
#include "scorerun.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unicode/uchar.h>

#include <sys/stat.h>

using namespace belva;
using namespace belva::score;
using namespace Qt::StringLiterals;

namespace {

const QByteArray Answers = "3;0;1;5;2;4;0;1;2;5;0;3;1;4;2;5;1;0;3;2";

using test::Result;
using test::run;

bool writeFile(const QString &path, const QByteArray &bytes, QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.setPermissions(mode);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A saved test as the window writes it; item 7 out of the scale with `seven`.
QByteArray savedTest(const QString &patient, bool seven = false)
{
    ReportFields f;
    f.date = u"08/12/2026"_s;
    f.patient = patient;
    for (int i = 0; i < ItemCount; ++i)
        f.answers[size_t(i)] = QString(QChar(u"30152401250314251032"[i]));
    if (seven)
        f.answers[6] = u"7"_s;
    const ScoreSet s = ComputeScores(f.answers, u',');
    for (int d = 0; d < DimensionCount; ++d)
        f.scores[size_t(d)] = s.dimensions[size_t(d)].text;
    f.status = s.status;
    return EncodeWindows1252(BuildTestReport(f, ReportVariant::Text)).bytes;
}

QByteArray header(const QString &first)
{
    QString names = first;
    for (int i = 1; i <= ItemCount; ++i)
        names += u";q%1"_s.arg(i);
    return names.toUtf8() + '\n';
}

// An output's rows, read as the writer wrote them.
QList<QStringList> rowsOf(const QByteArray &out)
{
    const bool bom = out.startsWith("\xEF\xBB\xBF");
    const QString text = bom || !out.contains("\r\n") ? QString::fromUtf8(out.mid(bom ? 3 : 0)) : DecodeWindows1252(out);
    QList<QStringList> rows;
    for (const QString &line : text.split(QRegularExpression(u"\r?\n"_s), Qt::SkipEmptyParts))
        rows << line.split(u';');
    return rows;
}

// Fails when the output holds a name, a file name or one of their words, in
// any case, read as UTF-8 or as Windows-1252.
void verifyHoldsNone(const QByteArray &out, const QStringList &texts)
{
    const QString asUtf8 = QString::fromUtf8(out).toCaseFolded();
    const QString asCp1252 = DecodeWindows1252(out).toCaseFolded();
    for (const QString &text : texts) {
        const QStringList words = text.split(QRegularExpression(u"[\\s_.()/=-]+"_s)) << text;
        for (const QString &word : words) {
            const QString w = word.toCaseFolded();
            if (w.size() >= 3 && w != u"txt" && w != u"csv")
                QVERIFY2(!asUtf8.contains(w) && !asCp1252.contains(w), qPrintable(word));
        }
    }
}

} // namespace

class TestPseudonyms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void simpleFoldingAsIcu();
    void recipeGivesThePseudonyms();
    void savedTestsLeakNothing();
    void csvLeaksNothing();
    void refusedBeforeWriting_data();
    void refusedBeforeWriting();

private:
    QTemporaryDir m_dir;
    QString m_key; // 64 hexadecimal digits, CR LF and a line more
};

void TestPseudonyms::initTestCase()
{
    m_key = m_dir.filePath(u"cle.txt"_s);
    QVERIFY(writeFile(m_key, "6f1d0c2e9a8b7c6d5e4f30211a2b3c4d5e6f708192a3b4c5d6e7f8091a2b3c4d\r\nsuite\n"));
}

// Every character folds as ICU's simple case folding folds it ("ẞ" to "ß",
// "ς" to "σ"; "ß" and "İ" stay); blanks are left out.
void TestPseudonyms::simpleFoldingAsIcu()
{
    for (char32_t c = 0; c < 0x110000; ++c) {
        const QString folded = NormalizedName(QString::fromUcs4(&c, 1));
        const auto icu = char32_t(u_foldCase(UChar32(c), U_FOLD_CASE_DEFAULT));
        if (!folded.isEmpty() && (c < 0xD800 || c >= 0xE000) && folded != QString::fromUcs4(&icu, 1))
            QFAIL(qPrintable(u"U+%1"_s.arg(uint(c), 4, 16, QChar(u'0'))));
    }
}

// The README's recipe, run by Python, gives the program's pseudonyms.
void TestPseudonyms::recipeGivesThePseudonyms()
{
    const QString python = QStandardPaths::findExecutable(u"python3"_s);
    if (python.isEmpty())
        BELVA_SKIP_OR_FAIL("python3 is missing");
    const QStringList readme = QString::fromUtf8(readFile(QStringLiteral(TESTDATA_DIR "/../../README.md"))).split(u'\n');
    QStringList recipe;
    for (qsizetype i = readme.indexOf(QRegularExpression(u" *python3 - cle.txt .*<<'EOF'"_s)) + 1;
         i > 0 && i < readme.size() && readme[i].trimmed() != u"EOF"; ++i)
        recipe << readme[i].trimmed();
    const QString script = m_dir.filePath(u"recette.py"_s);
    QVERIFY(!recipe.isEmpty() && writeFile(script, recipe.join(u'\n').toUtf8()));

    QString blanks, letters;
    for (char16_t c = 1; c < 0x3001; ++c) {
        if (QChar::isSpace(c) || (c >= 0x1C && c <= 0x1F))
            blanks += QChar(c);
        else if (c >= 0xC0 && c < 0x530)
            letters += QChar(c);
    }
    const QStringList names{u"Élodie Gênée"_s, u"  ÉLODIE\u00A0 GÊNÉE\t"_s, u"Œuvrard; \"Ÿvette\"\nŠIMON"_s,
                            u"Straße ẞ İlker ΣΑΣ ς ᾈ ᾼ K Å ꭰ ﬀ \U00010400"_s, u"a"_s + blanks + u"b"_s, letters};
    QByteArray csv = header(u"Nom"_s);
    for (const QString &name : names)
        csv += '"' + name.toUtf8().replace("\"", "\"\"") + "\";" + Answers + '\n';
    const Result r = run({u"--pseudonymize"_s, u"--key-file"_s, m_key, u"--identifiers=Nom"_s, u"-"_s}, csv);
    QCOMPARE(r.status, 0);
    const QList<QStringList> rows = rowsOf(r.out);
    QCOMPARE(rows.size(), names.size() + 1);
    for (qsizetype n = 0; n < names.size(); ++n) {
        QProcess p;
        p.start(python, {script, m_key, names[n]});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(rows[n + 1][0], QString::fromUtf8(p.readAllStandardOutput()).trimmed());
    }
    QCOMPARE(rows[1][0], rows[2][0]); // one patient, two spellings
}

// Saved tests whose names and file names hold accents and Windows-1252
// letters, one refused by the reader, one that cannot be opened: nothing of
// them in the output, the rest as without pseudonyms, the files named in
// full on standard error, and a table, its owner's alone, that maps back.
void TestPseudonyms::savedTestsLeakNothing()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"Étude Gênée"_s);
    QVERIFY(QDir().mkpath(folder));
    const QStringList files{u"=Lefèvre Zoé.txt"_s, u"Dupont Jean-Étienne.txt"_s, u"Gênée_Élodie_suivi.txt"_s,
                            u"Martin Paul-Ange.txt"_s, u"ŒUVRARD Ÿvette.txt"_s, u"Šimonová-Žofie.txt"_s};
    const QStringList patients{u"=Lefèvre Zoé"_s, u"Dupont Jean-Étienne"_s, u"Élodie Gênée"_s,
                               u"Martin Paul-Ange"_s, u"Œuvrard Ÿvette"_s, u"ŠIMONOVÁ  Žofie"_s};
    for (qsizetype n = 0; n < files.size(); ++n)
        QVERIFY(writeFile(folder + u'/' + files[n], n == 1 ? QByteArray("\r\n\tpas un test") : savedTest(patients[n], n == 0),
                          n == 3 ? QFileDevice::Permissions() : QFileDevice::ReadOwner));
    const QString table = dir.filePath(u"table.csv"_s);
    Result plain, hidden;
    {
        test::PermissionBitsApply asUser;
        QVERIFY(asUser.ok());
        plain = run({folder});
        hidden = run({u"--pseudonymize"_s, u"--key-file"_s, m_key, u"--pseudonym-table"_s, table, folder});
    }
    verifyHoldsNone(hidden.out, files + patients + QStringList{folder});
    QCOMPARE(hidden.status, 1);
    QCOMPARE(hidden.err, plain.err);

    const QList<QStringList> before = rowsOf(plain.out);
    const QList<QStringList> after = rowsOf(hidden.out);
    QCOMPARE(after.size(), files.size() + 1);
    QCOMPARE(after[0], before[0].mid(1)); // no Fichier
    QHash<QString, QString> names;
    for (const QStringList &row : rowsOf(readFile(table)).mid(1))
        names.insert(row[0], row[1]);
    for (qsizetype n = 1; n < after.size(); ++n) {
        QCOMPARE(after[n].mid(1, ItemCount + 6), before[n].mid(2, ItemCount + 6)); // date, answers, scores
        QCOMPARE(after[n].last(), QString(before[n].last()).replace(before[n][0], u"(nom retiré)"_s));
        QCOMPARE(names.value(after[n][0]), before[n][1]);
    }
    QCOMPARE(after[4].last(), u"\"Impossible d'ouvrir le fichier \"\"(nom retiré)\"\". Permission denied\""_s);
    QVERIFY(QRegularExpression(u"^P-[0-9a-f]{16}$"_s).match(after[3][0]).hasMatch());
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(table).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0600));
}

// Two CSV inputs, UTF-8 and Windows-1252, one patient spelled differently in
// each: one pseudonym for both, in every run; others with another key; no
// Fichier column; the scores of a run without pseudonyms.
void TestPseudonyms::csvLeaksNothing()
{
    QTemporaryDir dir;
    const QString utf8 = dir.filePath(u"Gênée Élodie.csv"_s);
    const QString windows = dir.filePath(u"ŒUVRARD.csv"_s);
    const QByteArray head = header(u"Nom;Prénom;Note"_s);
    QVERIFY(writeFile(utf8, head + "Gênée;Élodie;RAS;" + Answers + "\nŒuvrard;Ÿvette;RAS;" + Answers + "\n;;vide;" + Answers + '\n'));
    QVERIFY(writeFile(windows, EncodeWindows1252(QString::fromUtf8(head + " GÊNÉE ;ÉLODIE;RAS;3;0;x" + Answers.mid(5)
                                                                  + "\nŠIMON;Žofie;RAS;" + Answers + '\n'))
                                   .bytes));
    const QStringList options{u"--pseudonymize"_s, u"--identifiers=nom, PRÉNOM"_s, utf8, windows};
    const Result plain = run({utf8, windows});
    const Result hidden = run(QStringList{u"--key-file"_s, m_key} + options);
    const QString shared = dir.filePath(u"k"_s);
    QVERIFY(writeFile(shared, "6f1d0c2e9a8b7c6d5e4f30211a2b3c4d5e6f708192a3b4c5d6e7f8091a2b3c4e",
                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
    const Result other = run(QStringList{u"--key-file"_s, shared} + options);
    const QList<QStringList> otherKey = rowsOf(other.out);
    QVERIFY(other.err.startsWith(u"%1 : attention : d'autres utilisateurs peuvent lire le fichier de la clé (chmod 600 %1)\n"_s
                                     .arg(shared).toUtf8()));

    verifyHoldsNone(hidden.out, {utf8, windows, u"Gênée Élodie Œuvrard Ÿvette ŠIMON Žofie"_s});
    QCOMPARE(hidden.status, 1);
    QCOMPARE(hidden.err, plain.err);
    QCOMPARE(run(QStringList{u"--key-file"_s, m_key} + options).out, hidden.out);
    const QList<QStringList> before = rowsOf(plain.out);
    const QList<QStringList> after = rowsOf(hidden.out);
    QCOMPARE(after.size(), 6);
    QCOMPARE(after[0], before[0].mid(1));
    for (qsizetype n = 1; n < after.size(); ++n) {
        QCOMPARE(after[n].mid(2), before[n].mid(3)); // answers, scores, Erreur
        for (int c = 0; c < 2; ++c)
            QVERIFY(n == 3 ? after[n][c].isEmpty() : after[n][c].startsWith(u"P-"_s) && after[n][c] != otherKey[n][c]);
    }
    QCOMPARE(after[4].mid(0, 2), after[1].mid(0, 2));
    QCOMPARE(otherKey[4].mid(0, 2), otherKey[1].mid(0, 2));
    QCOMPARE(after[4].last(), u"q3 : 'x' n'est pas une valeur entière correcte"_s);
}

void TestPseudonyms::refusedBeforeWriting_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("err");

    const QString usage = u"belvamg-score : %1\nEssayez « belvamg-score --help »."_s;
    const QString reserved = u"%1 : c'est aussi %2 : rien n'est écrit, choisissez un autre nom"_s;
    const QString keyRole = u"le fichier de la clé (--key-file)"_s;
    const QString badKey = u"%1 : fichier de la clé (--key-file) : %2"_s;
    const QString tooShort = u"sa première ligne, la clé, a %1 octets, il en faut au moins 16 (une clé au hasard : "
                             u"python3 -c \"import secrets; print(secrets.token_hex(32))\" > cle.txt)"_s;
    const QStringList on{u"--pseudonymize"_s, u"--key-file"_s};
    const QStringList csv{u"--identifiers=Nom"_s, u"etude.csv"_s};
    QTest::newRow("no key file") << QStringList{u"--pseudonymize"_s, u"etude.csv"_s}
        << usage.arg(u"--pseudonymize demande --key-file FICHIER : la clé est la première ligne de ce fichier, jamais sur la ligne de commande"_s);
    QTest::newRow("--identifiers without --pseudonymize") << csv << usage.arg(u"--identifiers ne s'emploie qu'avec --pseudonymize"_s);
    QTest::newRow("CSV without --identifiers") << on + QStringList{u"cle.txt"_s, u"etude.csv"_s}
        << usage.arg(u"--pseudonymize : nommez avec --identifiers=COLONNE,... les colonnes du CSV qui identifient les patients (aucune n'est devinée)"_s);
    QTest::newRow("identifier not in the header") << on + QStringList{u"cle.txt"_s, u"--identifiers=Nom,Prenom"_s, u"etude.csv"_s}
        << u"etude.csv:1: colonnes de --identifiers introuvables : « Prenom » ; colonnes trouvées : Nom, q1, q2, q3, q4, q5, "
           u"q6, q7, q8, q9, q10, q11, q12, q13, q14, q15, q16, q17, q18, q19, q20"_s;
    QTest::newRow("identifier holding answers") << on + QStringList{u"cle.txt"_s, u"--identifiers=Q7"_s, u"etude.csv"_s}
        << u"etude.csv:1: la colonne « q7 » (--identifiers) est une colonne de réponses"_s;
    QTest::newRow("table is the output through a link")
        << on + QStringList{u"cle.txt"_s, u"-o"_s, u"lien.csv"_s, u"--pseudonym-table=ancien.csv"_s} + csv
        << reserved.arg(u"ancien.csv"_s, u"le fichier de sortie (-o)"_s);
    QTest::newRow("new table, new output, one name") << on + QStringList{u"cle.txt"_s, u"-o"_s, u"t.csv"_s, u"--pseudonym-table=./t.csv"_s} + csv
        << reserved.arg(u"./t.csv"_s, u"le fichier de sortie (-o)"_s);
    QTest::newRow("output is the key") << on + QStringList{u"cle.txt"_s, u"-o"_s, u"cle.txt"_s} + csv << reserved.arg(u"cle.txt"_s, keyRole);
    QTest::newRow("key among the saved tests") << on + QStringList{u"tests/cle.txt"_s, u"tests"_s} << reserved.arg(u"tests/cle.txt"_s, keyRole);
    QTest::newRow("key is an input") << on + QStringList{u"cle.txt"_s, u"--identifiers=Nom"_s, u"cle.txt"_s}
                                     << reserved.arg(u"cle.txt"_s, keyRole);
    QTest::newRow("table is an input") << on + QStringList{u"cle.txt"_s, u"--pseudonym-table=etude.csv"_s} + csv
        << reserved.arg(u"etude.csv"_s, u"la table des pseudonymes (--pseudonym-table)"_s);
    QTest::newRow("a failure once rows are written: no table either")
        << on + QStringList{u"cle.txt"_s, u"-o"_s, u"s.csv"_s, u"--pseudonym-table=t.csv"_s, u"--identifiers=Nom"_s, u"ouvert.csv"_s}
        << u"ouvert.csv:3: guillemet ouvert à la ligne 3 et jamais fermé : les lignes 3 à 4, jusqu'à la fin, forment un seul champ"_s;
    QTest::newRow("key missing") << on + QStringList{u"absente"_s} + csv << badKey.arg(u"absente"_s, u"introuvable"_s);
    QTest::newRow("key is a folder") << on + QStringList{u"tests"_s} + csv << badKey.arg(u"tests"_s, u"c'est un dossier"_s);
    QTest::newRow("key is a named pipe, never waited on") << on + QStringList{u"tube"_s} + csv
        << badKey.arg(u"tube"_s, u"ce n'est pas un fichier ordinaire (tube, périphérique) : il n'est pas lu"_s);
    QTest::newRow("key of 15 bytes before CR LF") << on + QStringList{u"courte"_s} + csv << badKey.arg(u"courte"_s, tooShort.arg(15));
    QTest::newRow("key line empty, then a long one") << on + QStringList{u"vide"_s} + csv << badKey.arg(u"vide"_s, tooShort.arg(0));
    QTest::newRow("key line over 64 KiB") << on + QStringList{u"longue"_s} + csv
        << badKey.arg(u"longue"_s, u"sa première ligne dépasse 64 Kio : ce n'est pas une clé"_s);
    QTest::newRow("key unreadable") << on + QStringList{u"illisible"_s} + csv << badKey.arg(u"illisible"_s, u"illisible : Permission denied"_s);
}

// Exit status 2, and every file stays as it was: no output, no table.
void TestPseudonyms::refusedBeforeWriting()
{
    QFETCH(QStringList, args);
    QFETCH(QString, err);

    QTemporaryDir dir;
    const QByteArray csv = header(u"Nom"_s) + "Zoé;" + Answers + '\n';
    QVERIFY(writeFile(dir.filePath(u"etude.csv"_s), csv) && writeFile(dir.filePath(u"ancien.csv"_s), "ancien\n")
            && writeFile(dir.filePath(u"ouvert.csv"_s), csv + "\"Jean;" + Answers + '\n')
            && writeFile(dir.filePath(u"cle.txt"_s), readFile(m_key)) && writeFile(dir.filePath(u"courte"_s), "0123456789abcde\r\n0123456789abcdef")
            && writeFile(dir.filePath(u"vide"_s), "\n0123456789abcdef0123456789abcdef")
            && writeFile(dir.filePath(u"longue"_s), QByteArray(64 * 1024 + 1, 'k')) && writeFile(dir.filePath(u"illisible"_s), "0123456789abcdef", {}));
    QVERIFY(QFile::link(u"ancien.csv"_s, dir.filePath(u"lien.csv"_s)));
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(u"tube"_s)).constData(), 0600), 0);
    QVERIFY(QDir(dir.path()).mkdir(u"tests"_s) && writeFile(dir.filePath(u"tests/a.txt"_s), savedTest(u"Zoé"_s))
            && writeFile(dir.filePath(u"tests/cle.txt"_s), readFile(m_key)));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);

    const QString current = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    Result r;
    {
        test::PermissionBitsApply asUser;
        QVERIFY(asUser.ok());
        r = run(args);
    }
    QVERIFY(QDir::setCurrent(current));
    QCOMPARE(QString::fromUtf8(r.err), err + u'\n');
    QCOMPARE(r.status, 2);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), before);
    QCOMPARE(readFile(dir.filePath(u"cle.txt"_s)), readFile(m_key));
    QCOMPARE(readFile(dir.filePath(u"ancien.csv"_s)), QByteArray("ancien\n"));
}

QTEST_GUILESS_MAIN(TestPseudonyms)
#include "tst_pseudonyms.moc"
