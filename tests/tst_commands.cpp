// The menu commands of the main window, end to end in process: the patient
// prompt, the save dialog and the message boxes answered as a user would.
#include "answercombobox.h"
#include "encoding.h"
#include "exportpdfdialog.h"
#include "goldenfields.h"
#include "modaldriver.h"
#include "printing.h"
#include "reportexport.h"
#include "reports.h"
#include "savedtestfile.h"
#include "scoring.h"
#include "startup.h"
#include "tform1.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using belva::test::ModalDriver;

ModalDriver::Step answerPatient(const QString &name)
{
    return [name](QWidget *w) {
        if (w->windowTitle() != QLatin1String("Patient..."))
            return false;
        w->findChild<QLineEdit *>(QStringLiteral("Edit"))->setText(name);
        w->findChild<QPushButton *>(QStringLiteral("OkButton"))->click();
        return true;
    };
}

ModalDriver::Step cancelPatient()
{
    return [](QWidget *w) {
        if (w->windowTitle() != QLatin1String("Patient..."))
            return false;
        w->findChild<QPushButton *>(QStringLiteral("CancelButton"))->click();
        return true;
    };
}

ModalDriver::Step answerSaveDialog(const QString &path)
{
    return [path](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        if (!dialog)
            return false;
        if (path.isEmpty()) {
            dialog->reject();
        } else {
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
            QMetaObject::invokeMethod(dialog, "accept");
        }
        return true;
    };
}

ModalDriver::Step acknowledgeBox()
{
    return [](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (!box)
            return false;
        box->button(QMessageBox::Ok)->click();
        return true;
    };
}

// What the "Exporter en PDF" dialog showed.
struct PdfDialogSeen
{
    QStringList filters;
    QString proposed;
    QString folder;
};

// Types `path` into it and accepts it; cancels it when `path` is empty.
ModalDriver::Step answerPdfDialog(const QString &path, PdfDialogSeen *seen = nullptr)
{
    return [path, seen](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        if (!dialog)
            return false;
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (seen)
            *seen = {dialog->nameFilters(), name->text(), dialog->directory().absolutePath()};
        if (path.isEmpty()) {
            dialog->reject();
        } else {
            name->setText(path);
            QMetaObject::invokeMethod(dialog, "accept");
        }
        return true;
    };
}

// The question before an existing file is replaced: Yes, or No and then the
// dialog cancelled.
ModalDriver::Step answerReplace(bool replace)
{
    return [replace](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (!box)
            return false;
        if (!replace) {
            if (auto *dialog = qobject_cast<QFileDialog *>(box->parentWidget()))
                QTimer::singleShot(0, dialog, &QDialog::reject);
        }
        box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
        return true;
    };
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TForm1> form;
    QTemporaryDir dir;

    QAction *action(const char *name) const { return form->findChild<QAction *>(QLatin1String(name)); }
    QString statusText() const { return form->findChild<QLabel *>(QStringLiteral("StatusPanel1"))->text(); }

    // Triggers a menu command with the modal windows answered by steps.
    QStringList run(const char *command, QList<ModalDriver::Step> steps, QStringList *boxTexts = nullptr)
    {
        ModalDriver driver(std::move(steps));
        action(command)->trigger();
        if (!driver.done())
            qWarning("not every expected window was shown: %s", qPrintable(driver.seen.join(u'|')));
        if (boxTexts)
            *boxTexts = driver.boxTexts;
        return driver.seen;
    }
    // The report the window's texts give, with today's date.
    belva::ReportFields expectedFields(const QString &patient) const
    {
        belva::ReportFields f = form->reportFields();
        f.date = belva::ReportDateText();
        f.patient = patient;
        return f;
    }
    // Items 1, 10 and 16 at 5, 2 and 3: (11,11 + 10 + 20 + 0) / 4.
    QString answeredStatus() const
    {
        return QStringLiteral("Score global (%) : 10") + form->decimalSeparator() + QStringLiteral("28");
    }
    void answer(int item, Qt::Key key)
    {
        auto *combo = form->findChild<QWidget *>(QStringLiteral("ComboBox%1").arg(item));
        combo->setFocus(Qt::TabFocusReason);
        QTest::keyClick(combo, key);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        // A home of the test's own, without a Documents folder.
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("home"))));
        qputenv("HOME", QFile::encodeName(dir.filePath(QStringLiteral("home"))));
        belva::SetUpApplication(*qApp);
    }
    void init()
    {
        form = std::make_unique<TForm1>();
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        answer(1, Qt::Key_5);
        answer(10, Qt::Key_2);
        answer(16, Qt::Key_3);
        QCOMPARE(statusText(), answeredStatus());
        QApplication::clipboard()->clear();
    }
    void cleanup() { form.reset(); }

    void copyScoresAsksNothing()
    {
        const QStringList seen = run("Copier1", {});
        QVERIFY2(seen.isEmpty(), qPrintable(seen.join(u'|')));
        const QString expected = belva::BuildScoresSummary(expectedFields(QString()));
        QCOMPARE(QApplication::clipboard()->text(), expected);
        QCOMPARE(form->memoText(), expected);
        QVERIFY(form->memo()->isHidden());
    }

    void copyTest_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("name");
        QTest::newRow("name given") << false << QStringLiteral("Dupont Jean-Étienne");
        QTest::newRow("no-break space and euro kept") << false << QStringLiteral("Ève\u00a0Müller €");
        QTest::newRow("empty name") << false << QString();
        QTest::newRow("prompt cancelled") << true << QString();
    }
    void copyTest()
    {
        QFETCH(bool, cancel);
        QFETCH(QString, name);
        const QStringList seen = run("Copiertest1", {cancel ? cancelPatient() : answerPatient(name)});
        QCOMPARE(seen, QStringList{QStringLiteral("Patient...")});
        const QString expected = belva::BuildTestReport(expectedFields(name), belva::ReportVariant::Text);
        QCOMPARE(QApplication::clipboard()->text(), expected);
        QCOMPARE(form->memoText(), expected);
    }

    // The saved bytes are the Windows-1252 encoding of what Copier test gives.
    void saveEqualsCopiedTest()
    {
        const QString name = QStringLiteral("Lætitia Çelik");
        run("Copiertest1", {answerPatient(name)});
        const QString copied = QApplication::clipboard()->text();
        QApplication::clipboard()->clear();

        const QString path = dir.filePath(QStringLiteral("rapport"));
        const QStringList seen = run("Sauvegardersous1", {answerPatient(name), answerSaveDialog(path)});
        QCOMPARE(seen, (QStringList{QStringLiteral("Patient..."), QStringLiteral("Sauvegarder sous...")}));
        const QByteArray bytes = readFile(path + QStringLiteral(".txt"));
        QCOMPARE(bytes, belva::EncodeWindows1252(copied).bytes);
        QVERIFY(bytes.startsWith("\r\n\t\r\n"));
        QVERIFY(bytes.endsWith("\r\n\t"));
        QVERIFY(bytes.contains("L\xe6titia \xc7" "elik"));
        QVERIFY(QApplication::clipboard()->text().isEmpty()); // saving copies nothing

        // A second save, another answer: the file is replaced without a question.
        answer(1, Qt::Key_0);
        const QStringList again = run("Sauvegardersous1", {answerPatient(QStringLiteral("B")), answerSaveDialog(path + QStringLiteral(".txt"))});
        QCOMPARE(again.size(), 2);
        QCOMPARE(readFile(path + QStringLiteral(".txt")),
                 belva::EncodeWindows1252(belva::BuildTestReport(expectedFields(QStringLiteral("B")), belva::ReportVariant::Text)).bytes);
    }

    void saveCancelledWritesNothing()
    {
        const QString path = dir.filePath(QStringLiteral("never.txt"));
        run("Sauvegardersous1", {answerPatient(QStringLiteral("X")), answerSaveDialog(QString())});
        QVERIFY(!QFile::exists(path));
        QCOMPARE(form->memoText(), belva::BuildTestReport(expectedFields(QStringLiteral("X")), belva::ReportVariant::Text));
    }

    void saveFailuresShown_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        const QString missing = dir.filePath(QStringLiteral("absent/rapport.txt"));
        QTest::newRow("missing folder") << missing
            << QStringLiteral("Impossible de créer le fichier \"%1\". No such file or directory.").arg(missing);
        // Through a link: the dialog would add ".txt" to the device's own name.
        const QString full = dir.filePath(QStringLiteral("plein.txt"));
        QFile::link(QStringLiteral("/dev/full"), full);
        QTest::newRow("full device") << full << QStringLiteral("Erreur d'écriture dans le flux.");
    }
    void saveFailuresShown()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        QStringList boxes;
        const QStringList seen = run("Sauvegardersous1", {answerPatient(QStringLiteral("Y")), answerSaveDialog(path), acknowledgeBox()}, &boxes);
        QCOMPARE(seen.last(), QStringLiteral("BELVA MG 1.0"));
        QCOMPARE(boxes, QStringList{message});
        // The report stays in the buffer; the window goes on.
        QCOMPARE(form->memoText(), belva::BuildTestReport(expectedFields(QStringLiteral("Y")), belva::ReportVariant::Text));
        QCOMPARE(statusText(), answeredStatus());
    }

    // An answer a Windows text file cannot hold: nothing is written, no file
    // is created or changed, the character is named, the report stays.
    void saveRefusesWhatTheFileCannotHold_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QByteArray>("before"); // the file's bytes; empty: no file
        QTest::newRow("Polish L, new file") << QStringLiteral("Ł") << QByteArray();
        QTest::newRow("CJK over an earlier file") << QStringLiteral("五") << QByteArray("\r\nancien rapport\r\n\t");
        QTest::newRow("emoji named whole") << QStringLiteral("🙂") << QByteArray("x");
    }
    void saveRefusesWhatTheFileCannotHold()
    {
        QFETCH(QString, answer);
        QFETCH(QByteArray, before);
        const QString path = dir.filePath(QStringLiteral("refus-%1.txt").arg(QTest::currentDataTag()));
        if (!before.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(before);
        }
        form->findChild<AnswerComboBox *>(QStringLiteral("ComboBox12"))->setAnswerText(answer);
        QStringList boxes;
        run("Sauvegardersous1", {answerPatient(QStringLiteral("W")), answerSaveDialog(path), acknowledgeBox()}, &boxes);
        QCOMPARE(boxes, QStringList{QStringLiteral("Le caractère \"%1\" ne peut pas être enregistré dans un fichier texte Windows.").arg(answer)});
        if (before.isEmpty())
            QVERIFY(!QFile::exists(path));
        else
            QCOMPARE(readFile(path), before);
        QCOMPARE(form->memoText(), belva::BuildTestReport(expectedFields(QStringLiteral("W")), belva::ReportVariant::Text));
        QVERIFY(form->memoText().contains(answer));
    }

    // Without any printer the report is built, then the command stops with
    // its message instead of the print dialog.
    void printWithoutPrinter()
    {
        QStringList boxes;
        const QStringList seen = run("Imprimer1", {answerPatient(QStringLiteral("Z")), acknowledgeBox()}, &boxes);
        QCOMPARE(seen, (QStringList{QStringLiteral("Patient..."), QStringLiteral("BELVA MG 1.0")}));
        QCOMPARE(boxes, QStringList{QStringLiteral("Aucune imprimante par défaut sélectionnée.")});
        QCOMPARE(form->memoText(), belva::BuildTestReport(expectedFields(QStringLiteral("Z")), belva::ReportVariant::Print));

        boxes.clear();
        QCOMPARE(run("Configurationimprimante1", {acknowledgeBox()}, &boxes), QStringList{QStringLiteral("BELVA MG 1.0")});
        QCOMPARE(boxes, QStringList{QStringLiteral("Aucune imprimante par défaut sélectionnée.")});
    }

    // The lines the print command sends are the window's own buffer's: a
    // name too long for one line of it makes two.
    void printedLinesOfTheBuffer_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("lines");
        QTest::newRow("short name") << QStringLiteral("Dupont Jean") << 52;
        QTest::newRow("long name") << belva::test::LongName << 53;
    }
    void printedLinesOfTheBuffer()
    {
        QFETCH(QString, name);
        QFETCH(int, lines);
        run("Imprimer1", {answerPatient(name), acknowledgeBox()});
        const QStringList sent = belva::MemoLines(form->memo());
        QCOMPARE(sent.size(), lines);
        QCOMPARE(sent.join(QString()), form->memoText().remove(QLatin1String("\r\n")));
    }

    void newClearsTheBuffer()
    {
        run("Copier1", {});
        QVERIFY(!form->memoText().isEmpty());
        action("Nouveau1")->trigger();
        QVERIFY(form->memoText().isEmpty());
        QCOMPARE(statusText(), QStringLiteral("Score global (%) : 0"));
    }

    // Saved, forgotten with Nouveau, reopened: the window shows the test
    // again, and copying it gives back the file's bytes.
    void reopenedTestCopiesBackItsFile()
    {
        const QString name = QStringLiteral("Lætitia Çelik");
        const QString path = dir.filePath(QStringLiteral("rouvert.txt"));
        run("Sauvegardersous1", {answerPatient(name), answerSaveDialog(path)});
        const QByteArray saved = readFile(path);
        action("Nouveau1")->trigger();
        QCOMPARE(statusText(), QStringLiteral("Score global (%) : 0"));

        form->memo()->setPlainText(QStringLiteral("x"));
        QCOMPARE(run("Ouvrir1", {answerSaveDialog(path)}), QStringList{QStringLiteral("Ouvrir un test")});
        QCOMPARE(statusText(), answeredStatus());
        QVERIFY(form->memoText().isEmpty());
        QCOMPARE(QApplication::focusWidget(), form->findChild<QWidget *>(QStringLiteral("ComboBox1"))->focusProxy());

        // The prompt proposes the test's name, selected: Enter keeps it.
        QString proposed, selected;
        run("Copiertest1", {[&](QWidget *w) {
            if (w->windowTitle() != QLatin1String("Patient..."))
                return false;
            auto *edit = w->findChild<QLineEdit *>(QStringLiteral("Edit"));
            proposed = edit->text();
            selected = edit->selectedText();
            w->findChild<QPushButton *>(QStringLiteral("OkButton"))->click();
            return true;
        }});
        QCOMPARE(proposed, name);
        QCOMPARE(selected, name);
        QCOMPARE(belva::EncodeWindows1252(QApplication::clipboard()->text()).bytes, saved);
    }

    // A reopened test keeps its own date until Nouveau.
    void reopenedTestKeepsItsDate()
    {
        belva::ReportFields f;
        f.date = QStringLiteral("01/02/2020");
        f.patient = QStringLiteral("Ancien");
        f.answers.fill(QStringLiteral("1"));
        const belva::ScoreSet scores = belva::ComputeScores(f.answers, u',');
        for (int d = 0; d < belva::DimensionCount; ++d)
            f.scores[d] = scores.dimensions[d].text;
        f.status = scores.status;
        const QString path = dir.filePath(QStringLiteral("ancien.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(belva::EncodeWindows1252(belva::BuildTestReport(f, belva::ReportVariant::Text)).bytes);
        file.close();

        run("Ouvrir1", {answerSaveDialog(path)});
        QCOMPARE(statusText(), QStringLiteral("Score global (%) : 20"));
        run("Copier1", {});
        QVERIFY(QApplication::clipboard()->text().startsWith(QStringLiteral("SCORES DU TEST BELVA du : 01/02/2020\r\n")));

        action("Nouveau1")->trigger();
        run("Copier1", {});
        QVERIFY(QApplication::clipboard()->text().startsWith(QStringLiteral("SCORES DU TEST BELVA du : ") + belva::ReportDateText() + u'\r'));
        QString proposed = QStringLiteral("<not shown>");
        run("Copiertest1", {[&](QWidget *w) {
            proposed = w->findChild<QLineEdit *>(QStringLiteral("Edit"))->text();
            static_cast<QDialog *>(w)->reject();
            return true;
        }});
        QCOMPARE(proposed, QString());
    }

    // A refused file or a cancelled dialog changes nothing in the window.
    void openRefusedOrCancelled_data()
    {
        QTest::addColumn<QString>("message");
        QTest::newRow("answer a") << QStringLiteral("\"refus.txt\" n'est pas un test BELVA MG enregistré (ligne 13).");
        QTest::newRow("cancelled") << QString();
    }
    void openRefusedOrCancelled()
    {
        QFETCH(QString, message);
        QByteArray bytes = belva::EncodeWindows1252(belva::BuildTestReport(expectedFields(QStringLiteral("N")), belva::ReportVariant::Text)).bytes;
        bytes.replace("matin : \t0", "matin : \ta");
        const QString path = dir.filePath(QStringLiteral("refus.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        run("Copier1", {});
        const QString memo = form->memoText();

        QStringList boxes;
        run("Ouvrir1", {answerSaveDialog(message.isEmpty() ? QString() : path), acknowledgeBox()}, &boxes);
        QCOMPARE(boxes, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(statusText(), answeredStatus());
        QCOMPARE(form->memoText(), memo);
    }

    void openNamedPipeDoesNotHang()
    {
        const QString path = dir.filePath(QStringLiteral("tube.txt"));
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        const belva::SavedTestReading r = belva::ReadSavedTestFile(path);
        QCOMPARE(r.refusal, QStringLiteral("Impossible d'ouvrir le fichier \"%1\". Invalid argument").arg(path));
    }

    // Exporter en PDF: the print report in the buffer, the dialog with the
    // patient's name and the date proposed, the document written there.
    void exportPdf()
    {
        const QString name = QStringLiteral("Lætitia Çelik");
        const QString typed = dir.filePath(QStringLiteral("export/rapport"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("export"))));
        PdfDialogSeen shown;
        const QStringList seen = run("ExporterenPDF1", {answerPatient(name), answerPdfDialog(typed, &shown)});
        QCOMPARE(seen, (QStringList{QStringLiteral("Patient..."), QStringLiteral("Exporter en PDF")}));
        QCOMPARE(shown.filters, QStringList{QStringLiteral("Document PDF (*.pdf)")});
        QCOMPARE(shown.folder, QDir::homePath()); // the user's folder, not the program's
        QCOMPARE(shown.proposed, belva::ProposedPdfFileName(name, belva::ReportDateText()));
        QCOMPARE(form->memoText(), belva::BuildTestReport(expectedFields(name), belva::ReportVariant::Print));
        QVERIFY(readFile(typed + QStringLiteral(".pdf")).startsWith("%PDF-1.4"));

        // The next export opens where the last one went.
        run("ExporterenPDF1", {answerPatient(name), answerPdfDialog(QString(), &shown)});
        QCOMPARE(shown.folder, dir.filePath(QStringLiteral("export")));
    }

    // An existing document is replaced only once confirmed; a write that
    // fails (a file size limit here) leaves it whole and shows the error.
    void exportPdfOverAnEarlierFile_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::addColumn<bool>("writeFails");
        QTest::newRow("replacement refused") << false << false;
        QTest::newRow("replacement confirmed") << true << false;
        QTest::newRow("write failing") << true << true;
    }
    void exportPdfOverAnEarlierFile()
    {
        QFETCH(bool, replace);
        QFETCH(bool, writeFails);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("dossier.pdf"));
        const QByteArray earlier("%PDF-1.4 ancien document");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(earlier) == earlier.size());
        file.close();

        struct rlimit saved {};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (writeFails) {
            struct rlimit small = saved;
            small.rlim_cur = 4096; // the document is larger
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        }
        QStringList boxes;
        QList<ModalDriver::Step> steps{answerPatient(QStringLiteral("P")), answerPdfDialog(path), answerReplace(replace)};
        if (writeFails)
            steps << acknowledgeBox();
        run("ExporterenPDF1", steps, &boxes);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(boxes.size(), writeFails ? 2 : 1);
        QVERIFY2(boxes.constFirst().contains(QStringLiteral("dossier.pdf")), qPrintable(boxes.constFirst()));
        if (writeFails)
            QCOMPARE(boxes.constLast(), QStringLiteral("Erreur d'écriture dans le flux."));
        const QByteArray now = readFile(path);
        if (replace && !writeFails)
            QVERIFY(now.startsWith("%PDF-1.4") && now.size() > 4096);
        else
            QCOMPARE(now, earlier);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("dossier.pdf")});
    }

    void aboutShowsAndCloses()
    {
        const QStringList seen = run("Aproposde1", {[](QWidget *w) {
            if (w->windowTitle() != QLatin1String("A propos de..."))
                return false;
            static_cast<QDialog *>(w)->accept();
            return true;
        }});
        QCOMPARE(seen, QStringList{QStringLiteral("A propos de...")});
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
