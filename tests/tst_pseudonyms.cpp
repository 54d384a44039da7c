// belvamg-score --pseudonymize: names normalised and folded as Unicode's
// simple folding says (against ICU), pseudonyms that the README's Python
// recipe recomputes, outputs of saved tests and CSV files that hold no byte
// of a name or a file name in any case or encoding, pseudonyms stable across
// files and runs, the correspondence table, and the key files and option
// mixes refused before anything is written.
#include "encoding.h"
#include "pseudonyms.h"
#include "reports.h"
#include "run.h"
#include "scoring.h"

#include "restrictions.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unicode/uchar.h>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using namespace belva;
using namespace belva::score;
using namespace Qt::StringLiterals;

namespace {

const QString SourceDir = QStringLiteral(TESTDATA_DIR "/../..");
const QByteArray Answers = "3;0;1;5;2;4;0;1;2;5;0;3;1;4;2;5;1;0;3;2";

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

bool writeFile(const QString &path, const QByteArray &bytes, QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.setPermissions(mode);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray cp1252(const QString &text)
{
    return EncodeWindows1252(text).bytes;
}

// A saved test as the window writes it, with answers 0..5 or a 7 in item 7.
QByteArray savedTest(const QString &patient, bool outOfScale = false)
{
    ReportFields f;
    f.date = u"08/12/2026"_s;
    f.patient = patient;
    const QByteArray answers = outOfScale ? "30152471250314251032" : "30152401250314251032";
    for (int i = 0; i < ItemCount; ++i)
        f.answers[size_t(i)] = QString(QChar(answers[i]));
    const ScoreSet s = ComputeScores(f.answers, u',');
    for (int d = 0; d < DimensionCount; ++d)
        f.scores[size_t(d)] = s.dimensions[size_t(d)].text;
    f.status = s.status;
    return cp1252(BuildTestReport(f, ReportVariant::Text));
}

QByteArray csvHeader(const QString &first)
{
    QStringList names{first};
    for (int i = 1; i <= ItemCount; ++i)
        names << u"q%1"_s.arg(i);
    return names.join(u';').toUtf8() + '\n';
}

// The rows of an output, its byte-order mark left out, as text.
QList<QStringList> rowsOf(const QByteArray &out)
{
    const bool utf8 = out.startsWith("\xEF\xBB\xBF") || !out.contains("\r\n");
    const QString text = utf8 ? QString::fromUtf8(out.startsWith("\xEF\xBB\xBF") ? out.mid(3) : out) : DecodeWindows1252(out);
    QList<QStringList> rows;
    for (const QString &line : text.split(QRegularExpression(u"\r?\n"_s), Qt::SkipEmptyParts))
        rows << line.split(u';');
    return rows;
}

// Fails when the bytes hold any of the words, in any case, read as UTF-8 or
// as Windows-1252.
void verifyHoldsNone(const QByteArray &bytes, const QStringList &words)
{
    const QString asUtf8 = QString::fromUtf8(bytes).toCaseFolded();
    const QString asCp1252 = DecodeWindows1252(bytes).toCaseFolded();
    for (const QString &word : words) {
        const QString folded = word.toCaseFolded();
        QVERIFY2(!asUtf8.contains(folded) && !asCp1252.contains(folded), qPrintable(u"« %1 » in the output"_s.arg(word)));
        QVERIFY2(!bytes.contains(word.toUtf8()) && !bytes.contains(word.toUpper().toUtf8()), qPrintable(word));
    }
}

// The words of names and file names, and the names whole.
QStringList wordsOf(const QStringList &texts)
{
    QStringList words;
    for (const QString &text : texts) {
        words << text;
        for (const QString &w : text.split(QRegularExpression(u"[\\s_.()/=-]+"_s), Qt::SkipEmptyParts))
            if (w.size() >= 3 && w != u"txt" && w != u"csv")
                words << w;
    }
    return words;
}

} // namespace

class TestPseudonyms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void normalizedName_data();
    void normalizedName();
    void simpleFoldingAsIcu();
    void recipeGivesThePseudonyms();
    void savedTestsLeakNothing();
    void csvLeaksNothing();
    void keyFile_data();
    void keyFile();
    void refusedBeforeWriting_data();
    void refusedBeforeWriting();
    void documented();

private:
    QTemporaryDir m_dir;
    QString m_key;      // a key file of 64 hexadecimal digits, CR LF at its end
    QString m_otherKey;
};

void TestPseudonyms::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_key = m_dir.filePath(u"cle.txt"_s);
    m_otherKey = m_dir.filePath(u"autre-cle.txt"_s);
    QVERIFY(writeFile(m_key, "6f1d0c2e9a8b7c6d5e4f30211a2b3c4d5e6f708192a3b4c5d6e7f8091a2b3c4d\r\nsuite ignorée\n"));
    QVERIFY(writeFile(m_otherKey, "6f1d0c2e9a8b7c6d5e4f30211a2b3c4d5e6f708192a3b4c5d6e7f8091a2b3c4e"));
}

void TestPseudonyms::normalizedName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("normalized");

    QTest::newRow("blanks trimmed, runs made one: space, tab, no-break spaces, line end")
        << u" \tJean\u00A0\u00A0Pierre \u202F Dupont\r\n"_s << u"jean pierre dupont"_s;
    QTest::newRow("accented capitals folded, accents kept") << u"ÉLODIE GÊNÉE-ÇA"_s << u"élodie gênée-ça"_s;
    QTest::newRow("Windows-1252 letters") << u"ŒUVRARD Ÿvette ŠIMON Žofie"_s << u"œuvrard ÿvette šimon žofie"_s;
    QTest::newRow("ß stays, ẞ becomes ß (simple folding, not ss)") << u"Straße STRAẞE"_s << u"straße straße"_s;
    QTest::newRow("İ stays, I becomes i (not Turkish)") << u"İlker IŞIK"_s << u"İlker işik"_s;
    QTest::newRow("Σ, σ and final ς all σ") << u"ΣΩΚΡΆΤΗΣ σωκράτης"_s << u"σωκράτησ σωκράτησ"_s;
    QTest::newRow("ligature kept, micro sign and long s folded") << u"ﬀ µ ſ"_s << u"ﬀ μ s"_s;
    QTest::newRow("beyond the basic plane") << u"\U00010400\U00010428"_s << u"\U00010428\U00010428"_s;
    QTest::newRow("nothing but blanks: empty") << u" \t\u00A0\u3000"_s << QString();
}

void TestPseudonyms::normalizedName()
{
    QFETCH(QString, name);
    QFETCH(QString, normalized);
    QCOMPARE(NormalizedName(name), normalized);
}

// Every character folds as ICU's simple case folding folds it.
void TestPseudonyms::simpleFoldingAsIcu()
{
    int checked = 0;
    for (char32_t c = 0; c < 0x110000; ++c) {
        if ((c >= 0xD800 && c < 0xE000) || NormalizedName(QString::fromUcs4(&c, 1)).isEmpty())
            continue;
        const char32_t folded = char32_t(u_foldCase(UChar32(c), U_FOLD_CASE_DEFAULT));
        if (NormalizedName(QString::fromUcs4(&c, 1)) != QString::fromUcs4(&folded, 1))
            QFAIL(qPrintable(u"U+%1"_s.arg(uint(c), 4, 16, QChar(u'0'))));
        ++checked;
    }
    QVERIFY(checked > 1000000);
}

// The README's recipe, run by Python, gives the program's pseudonyms.
void TestPseudonyms::recipeGivesThePseudonyms()
{
    const QString python = QStandardPaths::findExecutable(u"python3"_s);
    if (python.isEmpty())
        BELVA_SKIP_OR_FAIL("python3 is missing");
    const QStringList readme = QString::fromUtf8(readFile(SourceDir + u"/README.md"_s)).split(u'\n');
    const qsizetype start = readme.indexOf(QRegularExpression(u"^ *python3 - cle.txt .*<<'EOF'$"_s));
    QVERIFY2(start >= 0, "no recipe in the README");
    QStringList recipe;
    for (qsizetype i = start + 1; i < readme.size() && readme[i].trimmed() != u"EOF"; ++i)
        recipe << readme[i].trimmed();
    const QString script = m_dir.filePath(u"recette.py"_s);
    QVERIFY(writeFile(script, recipe.join(u'\n').toUtf8()));

    QString blanks;
    for (char32_t c = 1; c < 0x3001; ++c)
        if (QChar::isSpace(c) || (c >= 0x1C && c <= 0x1F))
            blanks += QChar(char16_t(c));
    QString letters;
    for (char16_t c = 0xC0; c < 0x530; ++c)
        if (!QChar::isSpace(c))
            letters += QChar(c);
    const QStringList names{u"Élodie Gênée"_s,
                            u"  ÉLODIE\u00A0 GÊNÉE\t"_s,
                            u"Œuvrard; \"Ÿvette\"\nŠIMON"_s,
                            u"Straße ẞ İlker ΣΑΣ ς ᾈ ᾼ K Å ꭰ ﬀ"_s,
                            u"\U00010400 Deseret"_s,
                            u"a"_s + blanks + u"b"_s,
                            letters};
    QByteArray csv = csvHeader(u"Nom"_s);
    for (const QString &name : names)
        csv += '"' + name.toUtf8().replace("\"", "\"\"") + "\";" + Answers + '\n';
    const Result r = run({u"--pseudonymize"_s, u"--key-file"_s, m_key, u"--identifiers=Nom"_s, u"-"_s}, csv);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.status, 0);
    const QList<QStringList> rows = rowsOf(r.out);
    QCOMPARE(rows.size(), names.size() + 1);
    for (qsizetype n = 0; n < names.size(); ++n) {
        QProcess p;
        p.start(python, {script, m_key, names[n]});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.readAllStandardError(), QByteArray());
        QCOMPARE(rows[n + 1][0], QString::fromUtf8(p.readAllStandardOutput()).trimmed());
    }
    QCOMPARE(rows[1][0], rows[2][0]); // one patient, two spellings
}

// Saved tests whose names and file names hold accents and Windows-1252
// letters, one refused by the reader, one that cannot be opened: the output
// holds none of them, the scores are those of a run without pseudonyms, and
// standard error still names the files.
void TestPseudonyms::savedTestsLeakNothing()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"Étude Gênée"_s);
    QVERIFY(QDir().mkpath(folder));
    struct Test
    {
        QString file;
        QString patient;
        QByteArray bytes;
    };
    const QList<Test> tests{
        {u"Gênée_Élodie_suivi.txt"_s, u"Élodie Gênée"_s, {}},
        {u"ŒUVRARD Ÿvette.txt"_s, u"Œuvrard Ÿvette"_s, {}},
        {u"Šimonová-Žofie.txt"_s, u"ŠIMONOVÁ  Žofie"_s, {}},
        {u"=Lefèvre Zoé.txt"_s, u"=Lefèvre Zoé"_s, savedTest(u"=Lefèvre Zoé"_s, true)},
        {u"Dupont Jean-Étienne.txt"_s, u"Dupont Jean-Étienne"_s, "\r\n\tpas un test"},
        {u"Martin Paul-Ange.txt"_s, u"Martin Paul-Ange"_s, savedTest(u"Martin Paul-Ange"_s)},
    };
    QStringList texts{folder};
    for (const Test &t : tests) {
        QVERIFY(writeFile(folder + u'/' + t.file, t.bytes.isEmpty() ? savedTest(t.patient) : t.bytes));
        texts << t.file << t.patient;
    }
    QVERIFY(QFile::setPermissions(folder + u"/Martin Paul-Ange.txt"_s, {}));
    const QString table = dir.filePath(u"table.csv"_s);
    Result plain, hidden;
    {
        test::PermissionBitsApply asUser;
        QVERIFY(asUser.ok());
        plain = run({folder});
        hidden = run({u"--pseudonymize"_s, u"--key-file"_s, m_key, u"--pseudonym-table"_s, table, folder});
    }

    verifyHoldsNone(hidden.out, wordsOf(texts));
    QCOMPARE(hidden.status, 1);
    QCOMPARE(hidden.err, plain.err); // files named in full where they stay with the user
    QVERIFY(hidden.err.contains(u"Impossible d'ouvrir le fichier \"%1/Martin Paul-Ange.txt\""_s.arg(folder).toUtf8()));

    // Fichier left out, Patient replaced; everything else as without pseudonyms.
    const QList<QStringList> before = rowsOf(plain.out);
    const QList<QStringList> after = rowsOf(hidden.out);
    QCOMPARE(after.size(), before.size());
    QCOMPARE(after[0], before[0].mid(1));
    for (qsizetype n = 1; n < after.size(); ++n) {
        QCOMPARE(after[n].mid(1, after[n].size() - 2), before[n].mid(2, before[n].size() - 3));
        const bool refused = before[n][1].isEmpty();
        QCOMPARE(after[n][0].isEmpty(), refused);
        QVERIFY(refused || QRegularExpression(u"^P-[0-9a-f]{16}$"_s).match(after[n][0]).hasMatch());
        // Erreur: the file's path, where it was, is no more.
        QCOMPARE(after[n].last(), QString(before[n].last()).replace(before[n][0], u"(nom retiré)"_s));
    }
    const QStringList errors{after[1].last(), after[2].last(), after[4].last()};
    QCOMPARE(errors, (QStringList{u"q7 : 7 est hors de l'échelle 0 à 5"_s,
                                  u"\"\"\"(nom retiré)\"\" n'est pas un test BELVA MG enregistré (ligne 2).\""_s,
                                  u"\"Impossible d'ouvrir le fichier \"\"(nom retiré)\"\". Permission denied\""_s}));

    // The table maps each pseudonym back to its name, and is its owner's alone.
    QHash<QString, QString> names;
    for (const QStringList &row : rowsOf(readFile(table)).mid(1))
        names.insert(row[0], row[1]);
    QStringList mapped;
    for (const QStringList &row : after.mid(1))
        if (!row[0].isEmpty())
            mapped << names.value(row[0]);
    QCOMPARE(mapped, (QStringList{u"'=Lefèvre Zoé"_s, u"Élodie Gênée"_s, u"Œuvrard Ÿvette"_s, u"ŠIMONOVÁ  Žofie"_s}));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(table).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0600));
}

// Two CSV inputs, UTF-8 and Windows-1252, one patient spelled differently in
// each: one pseudonym for them, another with another key, no Fichier
// column, the scores of a run without pseudonyms, and no name anywhere.
void TestPseudonyms::csvLeaksNothing()
{
    QTemporaryDir dir;
    const QString utf8 = dir.filePath(u"Gênée Élodie.csv"_s);
    const QString windows = dir.filePath(u"ŒUVRARD.csv"_s);
    const QString head = u"Nom;Prénom;Note;"_s;
    QByteArray header = csvHeader(u"x"_s).mid(2);
    QVERIFY(writeFile(utf8, head.toUtf8() + header + u"Gênée;Élodie;RAS;"_s.toUtf8() + Answers + "\n"
                                + u"Œuvrard;Ÿvette;RAS;"_s.toUtf8() + Answers + "\n;;vide;" + Answers + "\n"));
    QVERIFY(writeFile(windows, cp1252(head) + header.replace('\n', "\r\n") + cp1252(u" GÊNÉE ;ÉLODIE;RAS;"_s)
                                   + QByteArray(Answers).replace("0;1;5", "0;x;5") + "\r\n"
                                   + cp1252(u"ŠIMON;Žofie;RAS;"_s) + Answers + "\r\n"));
    const QStringList common{u"--pseudonymize"_s, u"--identifiers=nom, PRÉNOM"_s, utf8, windows};
    const Result plain = run({utf8, windows});
    const Result hidden = run(QStringList{u"--key-file"_s, m_key} + common);
    const Result other = run(QStringList{u"--key-file"_s, m_otherKey} + common);

    verifyHoldsNone(hidden.out, wordsOf({utf8, windows, u"Gênée Élodie Œuvrard Ÿvette ŠIMON Žofie"_s}));
    QCOMPARE(hidden.status, 1);
    QCOMPARE(hidden.err, plain.err);
    const QList<QStringList> before = rowsOf(plain.out);
    const QList<QStringList> after = rowsOf(hidden.out);
    const QList<QStringList> otherKey = rowsOf(other.out);
    QCOMPARE(after[0], before[0].mid(1));
    QCOMPARE(after.size(), 6);
    for (qsizetype n = 1; n < after.size(); ++n) {
        QCOMPARE(after[n].mid(2), before[n].mid(3)); // answers, scores and Erreur
        for (int c = 0; c < 2; ++c) {
            QCOMPARE(after[n][c].isEmpty(), n == 3);
            QVERIFY(n == 3 || after[n][c] != otherKey[n][c]);
        }
    }
    QCOMPARE(after[4].mid(0, 2), after[1].mid(0, 2)); // Gênée Élodie in both files
    QCOMPARE(otherKey[4].mid(0, 2), otherKey[1].mid(0, 2));
    QCOMPARE(after[4].last(), u"q3 : 'x' n'est pas une valeur entière correcte"_s);
    QCOMPARE(run(QStringList{u"--key-file"_s, m_key} + common).out, hidden.out); // again: the same
}

void TestPseudonyms::keyFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("err");

    const QString key = u"%1 : fichier de la clé (--key-file) : "_s;
    QTest::newRow("missing") << u"absente"_s << key + u"introuvable"_s;
    QTest::newRow("a folder") << u"dossier"_s << key + u"c'est un dossier"_s;
    QTest::newRow("a named pipe, never waited on")
        << u"tube"_s << key + u"ce n'est pas un fichier ordinaire (tube, périphérique) : il n'est pas lu"_s;
    const QString tooShort = key + u"sa première ligne, la clé, a %2 octets, il en faut au moins 16 (une clé au hasard : "
                                   u"python3 -c \"import secrets; print(secrets.token_hex(32))\" > cle.txt)"_s;
    QTest::newRow("15 bytes, the line end not counted") << u"courte"_s << tooShort.arg(u"%1"_s, u"15"_s);
    QTest::newRow("empty first line, a long second one") << u"vide"_s << tooShort.arg(u"%1"_s, u"0"_s);
    QTest::newRow("a first line over 64 KiB") << u"longue"_s << key + u"sa première ligne dépasse 64 Kio : ce n'est pas une clé"_s;
    QTest::newRow("unreadable") << u"illisible"_s << key + u"illisible : Permission denied"_s;
    QTest::newRow("readable by others: a warning, the run goes on")
        << u"partagée"_s << u"%1 : attention : d'autres utilisateurs peuvent lire le fichier de la clé (chmod 600 %1)"_s;
}

// A key file that cannot give a key stops the run before anything is
// written, with no wait on a pipe.
void TestPseudonyms::keyFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, err);

    QTemporaryDir dir;
    const QString path = dir.filePath(kind);
    if (kind == u"dossier")
        QVERIFY(QDir().mkdir(path));
    else if (kind == u"tube")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == u"courte")
        QVERIFY(writeFile(path, "0123456789abcde\r\n0123456789abcdef"));
    else if (kind == u"vide")
        QVERIFY(writeFile(path, "\n0123456789abcdef0123456789abcdef"));
    else if (kind == u"longue")
        QVERIFY(writeFile(path, QByteArray(64 * 1024 + 1, 'k')));
    else if (kind == u"illisible")
        QVERIFY(writeFile(path, "0123456789abcdef", {}));
    else if (kind == u"partagée")
        QVERIFY(writeFile(path, "0123456789abcdef", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));

    const QString output = dir.filePath(u"scores.csv"_s);
    const QString table = dir.filePath(u"table.csv"_s);
    Result r;
    {
        test::PermissionBitsApply asUser;
        QVERIFY(asUser.ok());
        r = run({u"--pseudonymize"_s, u"--key-file"_s, path, u"--identifiers=Nom"_s, u"--pseudonym-table"_s, table,
                 u"-o"_s, output, u"-"_s},
                csvHeader(u"Nom"_s) + "Zoé;" + Answers + '\n');
    }
    const bool runs = kind == u"partagée";
    QCOMPARE(QString::fromUtf8(r.err), err.arg(path) + u'\n');
    QCOMPARE(r.status, runs ? 0 : 2);
    QCOMPARE(QFile::exists(output), runs);
    QCOMPARE(QFile::exists(table), runs);
}

void TestPseudonyms::refusedBeforeWriting_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("err");

    const QString tryHelp = u"\nEssayez « belvamg-score --help »."_s;
    const QStringList key{u"--pseudonymize"_s, u"--key-file"_s, u"cle.txt"_s};
    const QStringList csv{u"--identifiers=Nom"_s, u"etude.csv"_s};
    const QString again = u" : rien n'est écrit, choisissez un autre nom"_s;
    QTest::newRow("--pseudonymize without a key file")
        << QStringList{u"--pseudonymize"_s, u"etude.csv"_s}
        << u"belvamg-score : --pseudonymize demande --key-file FICHIER : la clé est la première ligne de ce fichier, "
           u"jamais sur la ligne de commande"_s + tryHelp;
    for (const char *option : {"--key-file=cle.txt", "--identifiers=Nom", "--pseudonym-table=table.csv"})
        QTest::addRow("%s without --pseudonymize", option)
            << QStringList{QString::fromLatin1(option), u"etude.csv"_s}
            << u"belvamg-score : %1 ne s'emploie qu'avec --pseudonymize"_s.arg(QString::fromLatin1(option).section(u'=', 0, 0))
                   + tryHelp;
    QTest::newRow("CSV without --identifiers")
        << key + QStringList{u"etude.csv"_s}
        << u"belvamg-score : --pseudonymize : nommez avec --identifiers=COLONNE,... les colonnes du CSV qui identifient "
           u"les patients (aucune n'est devinée)"_s + tryHelp;
    QTest::newRow("saved tests with --identifiers")
        << key + QStringList{u"--identifiers=Nom"_s, u"tests"_s}
        << u"belvamg-score : --identifiers ne vaut que pour des CSV : le Patient des tests enregistrés est toujours "
           u"remplacé par son pseudonyme"_s + tryHelp;
    QTest::newRow("identifier not in the header")
        << key + QStringList{u"--identifiers=Nom,Prenom"_s, u"etude.csv"_s}
        << u"etude.csv:1: colonnes de --identifiers introuvables : « Prenom » ; colonnes trouvées : Nom, q1, q2, q3, q4, q5, "
           u"q6, q7, q8, q9, q10, q11, q12, q13, q14, q15, q16, q17, q18, q19, q20"_s;
    QTest::newRow("identifier that holds answers") << key + QStringList{u"--identifiers=Q7"_s, u"etude.csv"_s}
                                                   << u"etude.csv:1: la colonne « q7 » (--identifiers) est une colonne de réponses"_s;
    QTest::newRow("the table is the output") << key + QStringList{u"-o"_s, u"t.csv"_s, u"--pseudonym-table=./t.csv"_s} + csv
                                             << u"./t.csv : c'est aussi le fichier de sortie (-o)"_s + again;
    QTest::newRow("the table is the output through a link")
        << key + QStringList{u"-o"_s, u"lien.csv"_s, u"--pseudonym-table=ancien.csv"_s} + csv
        << u"ancien.csv : c'est aussi le fichier de sortie (-o)"_s + again;
    QTest::newRow("the output is the key") << key + QStringList{u"-o"_s, u"cle.txt"_s} + csv
                                           << u"cle.txt : c'est aussi le fichier de la clé (--key-file)"_s + again;
    QTest::newRow("the table is the key") << key + QStringList{u"--pseudonym-table=cle.txt"_s} + csv
                                          << u"cle.txt : c'est aussi le fichier de la clé (--key-file)"_s + again;
    QTest::newRow("the key is an input") << key + QStringList{u"--identifiers=Nom"_s, u"cle.txt"_s}
                                         << u"cle.txt : c'est aussi le fichier de la clé (--key-file)"_s + again;
    QTest::newRow("the key is in the folder of saved tests")
        << QStringList{u"--pseudonymize"_s, u"--key-file"_s, u"tests/cle.txt"_s, u"tests"_s}
        << u"tests/cle.txt : c'est aussi le fichier de la clé (--key-file)"_s + again;
    QTest::newRow("the table is an input") << key + QStringList{u"--pseudonym-table=etude.csv"_s} + csv
                                           << u"etude.csv : c'est aussi la table des pseudonymes (--pseudonym-table)"_s + again;
    QTest::newRow("table and scores both on standard output")
        << key + QStringList{u"--pseudonym-table=-"_s} + csv
        << u"belvamg-score : --pseudonym-table - : la sortie standard reçoit déjà les scores"_s + tryHelp;
    QTest::newRow("a failure once rows are written: no table either")
        << key + QStringList{u"-o"_s, u"s.csv"_s, u"--pseudonym-table=t.csv"_s, u"--identifiers=Nom"_s, u"ouvert.csv"_s}
        << u"ouvert.csv:3: guillemet ouvert à la ligne 3 et jamais fermé : les lignes 3 à 4, jusqu'à la fin, forment un seul champ"_s;
}

// Nothing is written, nor left behind: the output, the table, the key and
// the inputs stay as they were.
void TestPseudonyms::refusedBeforeWriting()
{
    QFETCH(QStringList, args);
    QFETCH(QString, err);

    QTemporaryDir dir;
    const QByteArray csv = csvHeader(u"Nom"_s) + "Zoé;" + Answers + '\n';
    const QByteArray key = "0123456789abcdef0123456789abcdef\n";
    QVERIFY(writeFile(dir.filePath(u"etude.csv"_s), csv) && writeFile(dir.filePath(u"cle.txt"_s), key)
            && writeFile(dir.filePath(u"ancien.csv"_s), "ancien\n")
            && writeFile(dir.filePath(u"ouvert.csv"_s), csv + "\"Jean;" + Answers + '\n'));
    QVERIFY(QFile::link(u"ancien.csv"_s, dir.filePath(u"lien.csv"_s)));
    QVERIFY(QDir(dir.path()).mkdir(u"tests"_s) && writeFile(dir.filePath(u"tests/a.txt"_s), savedTest(u"Zoé"_s))
            && writeFile(dir.filePath(u"tests/cle.txt"_s), key));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    const QString current = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const Result r = run(args);
    QVERIFY(QDir::setCurrent(current));
    QCOMPARE(QString::fromUtf8(r.err), err + u'\n');
    QCOMPARE(r.status, 2);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QCOMPARE(readFile(dir.filePath(u"cle.txt"_s)), key);
    QCOMPARE(readFile(dir.filePath(u"ancien.csv"_s)), QByteArray("ancien\n"));
}

// --help, the manual page and the README explain the options and what they
// do not protect.
void TestPseudonyms::documented()
{
    const Result help = run({u"--help"_s});
    const QString manual = QString::fromUtf8(readFile(SourceDir + u"/packaging/belvamg-score.1"_s)).remove(u'\\');
    const QString readme = QString::fromUtf8(readFile(SourceDir + u"/README.md"_s));
    for (const QString &text : {QString::fromUtf8(help.out), manual, readme}) {
        for (const char *option : {"--pseudonymize", "--key-file", "--identifiers", "--pseudonym-table", "HMAC-SHA256"})
            QVERIFY2(text.contains(QLatin1String(option)), option);
        QVERIFY(text.contains(u"ne protège pas"_s, Qt::CaseInsensitive) || text.contains(u"does not protect"_s));
        QVERIFY(text.contains(u"date"_s));
    }
}

QTEST_GUILESS_MAIN(TestPseudonyms)
#include "tst_pseudonyms.moc"
