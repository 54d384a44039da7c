#include "savetextfiledialog.h"
#include "startup.h"

#include "modaldriver.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace belva;

namespace {

// What a showing of the dialog looked like when it came up.
struct Shown
{
    QString title;
    QStringList filterCaptions;
    QString directory;
    QString fileNameText;
    QFileDialog::ViewMode viewMode = QFileDialog::Detail;
    bool sizeGrip = false;
    bool found = false;
};

// Shows the dialog and lets `drive` work it through its widgets; a question
// box that would pop up on top of it is noted and dismissed.
QString showDialog(SaveTextFileDialog &dialog, Shown &shown,
                   const std::function<void(QFileDialog *)> &drive, bool *questionAsked = nullptr)
{
    test::ModalDriver driver({test::Answer<QFileDialog>([&](QFileDialog *fd) {
        shown.found = true;
        shown.title = fd->windowTitle();
        if (auto *types = fd->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))) {
            for (int i = 0; i < types->count(); ++i)
                shown.filterCaptions << types->itemText(i);
        }
        shown.directory = fd->directory().absolutePath();
        if (auto *name = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            shown.fileNameText = name->text();
        shown.sizeGrip = fd->isSizeGripEnabled();
        shown.viewMode = fd->viewMode();
        drive(fd);
    })});
    const QString chosen = dialog.execute(nullptr);
    if (questionAsked)
        *questionAsked = !driver.boxTexts.isEmpty();
    return chosen;
}

void typeName(QFileDialog *fd, const QString &name)
{
    auto *edit = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->clear();
    for (const QChar ch : name) { // QTest::keyClicks knows ASCII only
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(edit, &press);
        QApplication::sendEvent(edit, &release);
    }
    QTest::keyClick(edit, Qt::Key_Return);
}

void cancel(QFileDialog *fd)
{
    QTest::keyClick(fd, Qt::Key_Escape);
}

} // namespace

class TestSaveTextFileDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstShowing();
    void filterListsTextFilesOnly();
    void chosenName_data();
    void chosenName();
    void existingFileReplacedWithoutQuestion();
    void nextShowingOffersLastName();
    void initialFolderSetAgain();
    void sharedSettingsLeftAlone();

private:
    QTemporaryDir m_dir;
};

// Qt's dialogs share ~/.config/QtProject.conf; this one must neither follow
// it (list view, last folder) nor write the folders it visited into it.
const char sharedSettings[] = "[FileDialog]\nviewMode=List\nlastVisited=file:///\nhistory=file:///\n";

void TestSaveTextFileDialog::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString config = m_dir.filePath(QStringLiteral("config"));
    QVERIFY(QDir().mkpath(config));
    QFile shared(config + QStringLiteral("/QtProject.conf"));
    QVERIFY(shared.open(QIODevice::WriteOnly));
    shared.write(sharedSettings);
    shared.close();
    // Before any dialog: Qt reads the variable once.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    SetUpApplication(*qApp);
}

void TestSaveTextFileDialog::firstShowing()
{
    SaveTextFileDialog dialog;
    Shown shown;
    const QString chosen = showDialog(dialog, shown, cancel);
    QVERIFY(shown.found);
    QCOMPARE(chosen, QString());
    QCOMPARE(dialog.fileName(), QString());
    QCOMPARE(shown.title, QStringLiteral("Sauvegarder sous..."));
    QCOMPARE(shown.filterCaptions, QStringList{QStringLiteral("Fichier Texte (.txt)")});
    QCOMPARE(shown.directory, QDir(QCoreApplication::applicationDirPath()).absolutePath());
    QCOMPARE(shown.fileNameText, QString());
    QVERIFY(shown.sizeGrip);
}

void TestSaveTextFileDialog::filterListsTextFilesOnly()
{
    QVERIFY(m_dir.isValid());
    const QString folder = m_dir.filePath(QStringLiteral("filter"));
    QVERIFY(QDir().mkpath(folder));
    for (const char *name : {"rapport.txt", "notes.doc", "image.png"}) {
        QFile f(folder + u'/' + QLatin1String(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

    SaveTextFileDialog dialog;
    Shown shown;
    QStringList listed;
    showDialog(dialog, shown, [&](QFileDialog *fd) {
        fd->setDirectory(folder);
        auto *view = fd->findChild<QListView *>(QStringLiteral("listView"));
        QVERIFY(view);
        // The folder is read in the background.
        QTRY_VERIFY(view->model()->rowCount(view->rootIndex()) > 0);
        QTest::qWait(100);
        for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
            listed << view->model()->index(r, 0, view->rootIndex()).data().toString();
        cancel(fd);
    });
    QCOMPARE(listed, QStringList{QStringLiteral("rapport.txt")});
}

void TestSaveTextFileDialog::chosenName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");

    QTest::newRow("no extension gets .txt") << QStringLiteral("rapport") << QStringLiteral("rapport.txt");
    QTest::newRow(".txt kept") << QStringLiteral("bilan.txt") << QStringLiteral("bilan.txt");
    QTest::newRow("other extension kept") << QStringLiteral("notes.doc") << QStringLiteral("notes.doc");
    QTest::newRow("accents and blanks") << QStringLiteral("Éloïse Çava") << QStringLiteral("Éloïse Çava.txt");
}

void TestSaveTextFileDialog::chosenName()
{
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QVERIFY(m_dir.isValid());

    SaveTextFileDialog dialog;
    Shown shown;
    const QString chosen = showDialog(dialog, shown, [&](QFileDialog *fd) {
        fd->setDirectory(m_dir.path());
        typeName(fd, typed);
    });
    const QString expected = QDir(m_dir.path()).absoluteFilePath(saved);
    QCOMPARE(chosen, expected);
    QCOMPARE(dialog.fileName(), expected);
    QVERIFY(!QFile::exists(expected)); // the dialog only chooses
}

void TestSaveTextFileDialog::existingFileReplacedWithoutQuestion()
{
    QVERIFY(m_dir.isValid());
    const QString path = m_dir.filePath(QStringLiteral("existant.txt"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("ancien");
    }

    SaveTextFileDialog dialog;
    Shown shown;
    bool questionAsked = false;
    const QString chosen = showDialog(dialog, shown, [&](QFileDialog *fd) {
        fd->setDirectory(m_dir.path());
        typeName(fd, QStringLiteral("existant"));
    }, &questionAsked);
    QVERIFY(!questionAsked);
    QCOMPARE(chosen, QDir(m_dir.path()).absoluteFilePath(QStringLiteral("existant.txt")));
}

void TestSaveTextFileDialog::nextShowingOffersLastName()
{
    QVERIFY(m_dir.isValid());
    const QString folder = m_dir.filePath(QStringLiteral("patients"));
    QVERIFY(QDir().mkpath(folder));
    const QString first = QDir(folder).absoluteFilePath(QStringLiteral("premier.txt"));

    SaveTextFileDialog dialog;
    Shown shown;
    QCOMPARE(showDialog(dialog, shown, [&](QFileDialog *fd) {
        fd->setDirectory(folder);
        typeName(fd, QStringLiteral("premier"));
    }), first);

    // Offered as it was, and accepted as offered.
    Shown second;
    QCOMPARE(showDialog(dialog, second, [](QFileDialog *fd) {
        QTest::keyClick(fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")), Qt::Key_Return);
    }), first);
    QCOMPARE(second.directory, QDir(folder).absolutePath());
    QCOMPARE(second.fileNameText, QStringLiteral("premier.txt"));

    // A cancelled showing keeps the name for the next one.
    Shown third;
    QCOMPARE(showDialog(dialog, third, cancel), QString());
    QCOMPARE(dialog.fileName(), first);
    Shown fourth;
    showDialog(dialog, fourth, cancel);
    QCOMPARE(fourth.directory, QDir(folder).absolutePath());
    QCOMPARE(fourth.fileNameText, QStringLiteral("premier.txt"));
}

void TestSaveTextFileDialog::initialFolderSetAgain()
{
    QVERIFY(m_dir.isValid());
    SaveTextFileDialog dialog;
    Shown first;
    showDialog(dialog, first, [&](QFileDialog *fd) {
        fd->setDirectory(m_dir.path()); // the user wanders off, then cancels
        cancel(fd);
    });
    Shown second;
    showDialog(dialog, second, cancel);
    QCOMPARE(second.directory, QDir(QCoreApplication::applicationDirPath()).absolutePath());
}

void TestSaveTextFileDialog::sharedSettingsLeftAlone()
{
    // Every test above has shown the dialog by now.
    SaveTextFileDialog dialog;
    Shown shown;
    showDialog(dialog, shown, [&](QFileDialog *fd) {
        fd->setDirectory(m_dir.path());
        typeName(fd, QStringLiteral("réglages"));
    });
    QCOMPARE(shown.viewMode, QFileDialog::Detail);

    const QDir config(m_dir.filePath(QStringLiteral("config")));
    QCOMPARE(config.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("QtProject.conf")});
    QFile shared(config.filePath(QStringLiteral("QtProject.conf")));
    QVERIFY(shared.open(QIODevice::ReadOnly));
    QCOMPARE(shared.readAll(), QByteArray(sharedSettings));
}

QTEST_MAIN(TestSaveTextFileDialog)
#include "tst_savetextfiledialog.moc"
