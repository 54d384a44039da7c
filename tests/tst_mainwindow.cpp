// The main window driven with real keys: answers, scores, errors, reset.
#include "announcer.h"
#include "answercombobox.h"
#include "errorhandler.h"
#include "modaldriver.h"
#include "notices.h"
#include "questionnaire.h"
#include "startup.h"
#include "tform1.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <memory>
#include <stdexcept>

namespace {

struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    Qt::WindowModality modality = Qt::NonModal;
};

// Answers every modal message box as the user would (OK), recording it.
class BoxAnswerer
{
public:
    QList<SeenBox> boxes;

private:
    belva::test::ModalDriver m_driver{{}, belva::test::Answer<QMessageBox>([this](QMessageBox *box) {
        SeenBox seen{box->windowTitle(), box->text(), box->icon(), {}, box->windowModality()};
        for (QAbstractButton *b : box->buttons())
            seen.buttons << b->text();
        boxes << seen;
        box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
    })};
};

const QString ConversionText = QStringLiteral("'%1' n'est pas une valeur entière correcte.");

QString status(const QString &global)
{
    return QStringLiteral("Score global (%) : ") + global;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TForm1> form;
    std::unique_ptr<BoxAnswerer> answerer;

    void makeForm()
    {
        form.reset();
        form = std::make_unique<TForm1>();
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    AnswerComboBox *combo(int item) const
    {
        return form->findChild<AnswerComboBox *>(QStringLiteral("ComboBox%1").arg(item));
    }
    QLineEdit *field(const char *name) const { return form->findChild<QLineEdit *>(QLatin1String(name)); }
    QString statusText() const { return form->findChild<QLabel *>(QStringLiteral("StatusPanel1"))->text(); }
    QStringList fieldTexts() const
    {
        return {field("edSQRPS")->text(), field("edSQRPH")->text(), field("edSQRS")->text(), field("edSQRDG")->text(),
                statusText()};
    }
    QAction *action(const char *name) const { return form->findChild<QAction *>(QLatin1String(name)); }
    // The user moves into an item: its whole text is then selected.
    void focusItem(int item)
    {
        QVERIFY(QTest::qWaitForWindowActive(form.get())); // back from an error box
        combo(item)->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), combo(item));
    }
    void typeInto(int item, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        focusItem(item);
        QTest::keyClick(combo(item), key, modifiers);
    }
    // Pasted with Ctrl+V, or typed as one key event carrying the whole
    // character, as a keyboard layout or an input method sends it.
    static void enter(AnswerComboBox *box, bool pasted, const QString &input)
    {
        if (pasted) {
            QApplication::clipboard()->setText(input);
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, input, Qt::NoModifier);
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        belva::SetUpApplication(*qApp);
    }
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        answerer = std::make_unique<BoxAnswerer>();
        makeForm();
    }
    void cleanup()
    {
        form.reset();
        answerer.reset();
        QLocale::setDefault(QLocale::c());
    }

    void startState()
    {
        QCOMPARE(form->windowTitle(), QString::fromUtf16(belva::MainWindowCaption));
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("BELVA MG 1.0"));
        for (int item = 1; item <= belva::ItemCount; ++item) {
            AnswerComboBox *box = combo(item);
            QVERIFY(box->isEditable());
            QCOMPARE(box->answerText(), QStringLiteral("0"));
            QCOMPARE(box->currentIndex(), 0);
            QCOMPARE(box->count(), 6);
            QCOMPARE(box->itemText(5), QStringLiteral("5"));
        }
        QCOMPARE(fieldTexts(), QStringList({"0", "0", "0", "0", status("0")}));
        QCOMPARE(form->findChild<QLabel *>(QStringLiteral("StatusPanel0"))->text(),
                 QString::fromUtf16(belva::MakerNotice));
        QVERIFY(form->memo()->isHidden());
        QVERIFY(form->memo()->toPlainText().isEmpty());
        QCOMPARE(QApplication::focusWidget(), combo(1));
        QCOMPARE(combo(1)->lineEdit()->selectedText(), QStringLiteral("0"));
        QVERIFY(!QApplication::windowIcon().isNull());
        QCOMPARE(QApplication::windowIcon().availableSizes(),
                 QList<QSize>({{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}}));
        const QImage icon = QApplication::windowIcon().pixmap(32).toImage();
        QCOMPARE(icon.pixelColor(16, 1), QImage(QStringLiteral(":/icons/belvamg-32.png")).pixelColor(16, 1));
    }

    void fixedSize()
    {
        const int menuHeight = form->menuBar()->height();
        QCOMPARE(form->size(), QSize(585, menuHeight + 505));
        QCOMPARE(form->centralWidget()->geometry(), QRect(0, menuHeight, 585, 486));
        QCOMPARE(form->statusBar()->geometry(), QRect(0, menuHeight + 486, 585, 19));
        QCOMPARE(form->minimumSize(), form->size());
        QCOMPARE(form->maximumSize(), form->size());
        const QSize before = form->size();
        form->resize(800, 700);
        QCOMPARE(form->size(), before);
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(form->windowFlags() & Qt::WindowCloseButtonHint);
        const auto *panel0 = form->findChild<QLabel *>(QStringLiteral("StatusPanel0"));
        const auto *panel1 = form->findChild<QLabel *>(QStringLiteral("StatusPanel1"));
        QCOMPARE(panel0->width(), 415);
        QVERIFY(panel1->geometry().right() >= 580);
    }

    void menus()
    {
        QStringList names;
        for (QAction *menu : form->menuBar()->actions()) {
            names << menu->menu()->objectName() + u':' + menu->text();
            QString keys; // no two items of a menu share an access key
            for (QAction *item : menu->menu()->actions()) {
                names << (item->isSeparator() ? item->objectName() + u'-' : item->objectName() + u':' + item->text());
                QCOMPARE(item->shortcut(), item->objectName() == u"Ouvrir1" ? QKeySequence(QStringLiteral("Ctrl+O")) : QKeySequence());
                const qsizetype amp = item->text().indexOf(u'&');
                if (amp >= 0) {
                    const QChar key = item->text().at(amp + 1).toUpper();
                    QVERIFY2(!keys.contains(key), qPrintable(item->text()));
                    keys += key;
                }
            }
        }
        QCOMPARE(names, QStringList({"Fichier1:&Fichier", "Nouveau1:&Nouveau", "Ouvrir1:&Ouvrir...",
                                     "Suividupatient1:S&uivi du patient...", "N4-",
                                     "Sauvegardersous1:Sauvegarder sous...",
                                     "ExporterenPDF1:Exporter en P&DF...", "N2-", "Imprimer1:&Imprimer...",
                                     "Configurationimprimante1:Configuration imprimante...", "N3-",
                                     "Quitter1:&Quitter", "Edition1:&Edition", "Copier1:Copier &scores",
                                     "Copiertest1:Copier &test", "Aide1:&Aide",
                                     "Rubriquesdelaide1:&Rubriques de l'aide", "N1-", "Aproposde1:A &propos de..."}));
    }

    void pickFive_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<bool>("fromPopup");
        QTest::addColumn<QString>("ps");
        QTest::addColumn<QString>("global");
        const QLocale fr(QLocale::French, QLocale::France);
        const QLocale en(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("French, arrow keys") << fr << false << "11,11" << "2,78";
        QTest::newRow("French, list") << fr << true << "11,11" << "2,78";
        QTest::newRow("English, arrow keys") << en << false << "11.11" << "2.78";
        QTest::newRow("English, list") << en << true << "11.11" << "2.78";
    }
    void pickFive()
    {
        QFETCH(QLocale, locale);
        QFETCH(bool, fromPopup);
        QFETCH(QString, ps);
        QFETCH(QString, global);
        QLocale::setDefault(locale);
        makeForm();
        AnswerComboBox *box = combo(1);
        QSignalSpy changes(box, &AnswerComboBox::changed);
        if (fromPopup) {
            QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
            QAbstractItemView *list = box->view();
            QTRY_VERIFY(list->isVisible());
            for (int i = 0; i < 5; ++i)
                QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
            QTRY_VERIFY(!list->isVisible());
            QCOMPARE(changes.count(), 1);
        } else {
            for (int i = 0; i < 6; ++i) // the sixth press finds no further entry
                QTest::keyClick(box, Qt::Key_Down);
            QCOMPARE(changes.count(), 5);
        }
        QCOMPARE(box->answerText(), QStringLiteral("5"));
        QCOMPARE(box->currentIndex(), 5);
        QCOMPARE(fieldTexts(), QStringList({ps, "0", "0", "0", status(global)}));
        QVERIFY(answerer->boxes.isEmpty());
    }

    void nineEverywhereWithTab()
    {
        // Tab walks the items in order, each arriving with its text selected.
        QCOMPARE(QApplication::focusWidget(), combo(1));
        for (int item = 1; item <= belva::ItemCount; ++item) {
            QCOMPARE(QApplication::focusWidget(), combo(item));
            QCOMPARE(combo(item)->lineEdit()->selectedText(), QStringLiteral("0"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_9);
            QCOMPARE(combo(item)->answerText(), QStringLiteral("9"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget(), combo(1));
        QCOMPARE(fieldTexts(), QStringList({"180", "180", "180", "180", status("180")}));
        QVERIFY(answerer->boxes.isEmpty());
    }

    void shiftTabWalksBack()
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        for (int item = belva::ItemCount; item >= 1; --item) {
            QCOMPARE(QApplication::focusWidget(), combo(item));
            QCOMPARE(combo(item)->lineEdit()->selectedText(), QStringLiteral("0"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        }
        QCOMPARE(QApplication::focusWidget(), combo(belva::ItemCount));
    }

    // Any character is an answer, whether a report could hold it or not: it
    // becomes the text and fails the scoring with itself between the quotes.
    void anyCharacterIsAnAnswer_data()
    {
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("text");
        QTest::newRow("euro sign typed") << false << QStringLiteral("€") << QStringLiteral("€");
        QTest::newRow("e acute typed") << false << QStringLiteral("é") << QStringLiteral("é");
        QTest::newRow("Polish L typed") << false << QStringLiteral("Ł") << QStringLiteral("Ł");
        QTest::newRow("CJK typed") << false << QStringLiteral("五") << QStringLiteral("五");
        QTest::newRow("emoji typed") << false << QStringLiteral("🙂") << QStringLiteral("🙂");
        QTest::newRow("tab pasted") << true << QStringLiteral("\t") << QStringLiteral("\t");
        QTest::newRow("line feed pasted") << true << QStringLiteral("\n") << QStringLiteral("\n");
        QTest::newRow("escape pasted") << true << QStringLiteral("\x1b") << QStringLiteral("\x1b");
        QTest::newRow("Polish L pasted") << true << QStringLiteral("Ł") << QStringLiteral("Ł");
        QTest::newRow("emoji pasted") << true << QStringLiteral("🙂") << QStringLiteral("🙂");
        QTest::newRow("longer paste keeps its first character") << true << QStringLiteral("🙂5") << QStringLiteral("🙂");
        QTest::newRow("emoji after the first character dropped") << true << QStringLiteral("x🙂") << QStringLiteral("x");
    }
    void anyCharacterIsAnAnswer()
    {
        QFETCH(bool, pasted);
        QFETCH(QString, input);
        QFETCH(QString, text);
        AnswerComboBox *box = combo(7);
        QSignalSpy changes(box, &AnswerComboBox::changed);
        focusItem(7);
        enter(box, pasted, input);
        QCOMPARE(box->answerText(), text);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(answerer->boxes.size(), 1);
        QCOMPARE(answerer->boxes.first().text, ConversionText.arg(text));
    }

    // One character at most, a surrogate pair counting as one: nothing gets
    // in beside a character, and half a pair is never kept.
    void oneCharacter_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("caret"); // -1: whole text selected
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("raised");
        const QString emoji = QStringLiteral("🙂");
        QTest::newRow("emoji typed after a digit") << "5" << 1 << false << emoji << "5" << 0;
        QTest::newRow("emoji pasted after a digit") << "5" << 1 << true << emoji << "5" << 0;
        QTest::newRow("emoji pasted before a digit") << "5" << 0 << true << emoji << "5" << 0;
        QTest::newRow("digit typed after an emoji") << emoji << 2 << false << "3" << emoji << 0;
        QTest::newRow("digit pasted before an emoji") << emoji << 0 << true << "3" << emoji << 0;
        QTest::newRow("digit typed over an emoji") << emoji << -1 << false << "4" << "4" << 1;
        QTest::newRow("two digits pasted over the answer") << "0" << -1 << true << "12" << "1" << 1;
        // Replacing the selection is a change, as typing the same digit over it is.
        QTest::newRow("paste beginning with the answer") << "1" << -1 << true << "12" << "1" << 1;
    }
    void oneCharacter()
    {
        QFETCH(QString, start);
        QFETCH(int, caret);
        QFETCH(bool, pasted);
        QFETCH(QString, input);
        QFETCH(QString, text);
        QFETCH(int, raised);
        AnswerComboBox *box = combo(9);
        focusItem(9);
        box->setAnswerText(start);
        QCOMPARE(box->answerText(), start);
        if (caret < 0)
            box->lineEdit()->selectAll();
        else
            box->lineEdit()->setCursorPosition(caret);
        QSignalSpy changes(box, &AnswerComboBox::changed);
        enter(box, pasted, input);
        QCOMPARE(box->answerText(), text);
        QCOMPARE(changes.count(), raised);
    }

    void changeEvents_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("caret"); // -1: whole text selected
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("raised");
        QTest::newRow("digit over selection completes") << "0" << -1 << int(Qt::Key_3) << "3" << 3 << 1;
        QTest::newRow("digit after the answer is refused") << "0" << 1 << int(Qt::Key_3) << "0" << 0 << 0;
        QTest::newRow("digit before the answer is refused") << "0" << 0 << int(Qt::Key_3) << "0" << 0 << 0;
        QTest::newRow("digit 9 over selection") << "2" << -1 << int(Qt::Key_9) << "9" << 2 << 1;
        QTest::newRow("letter over selection") << "0" << -1 << int(Qt::Key_X) << "x" << 0 << 1;
        QTest::newRow("digit into empty field") << "" << 0 << int(Qt::Key_4) << "4" << 4 << 1;
        QTest::newRow("Backspace on selection") << "0" << -1 << int(Qt::Key_Backspace) << "" << 0 << 1;
        QTest::newRow("Backspace after the answer") << "3" << 1 << int(Qt::Key_Backspace) << "" << 3 << 1;
        QTest::newRow("Backspace on empty field") << "" << 0 << int(Qt::Key_Backspace) << "" << 0 << 1;
        QTest::newRow("Backspace before the answer") << "3" << 0 << int(Qt::Key_Backspace) << "3" << 3 << 1;
        QTest::newRow("Backspace after an emoji") << "🙂" << 2 << int(Qt::Key_Backspace) << "" << 0 << 1;
        QTest::newRow("Delete on selection") << "4" << -1 << int(Qt::Key_Delete) << "" << 4 << 1;
        QTest::newRow("Delete after the answer") << "4" << 1 << int(Qt::Key_Delete) << "4" << 4 << 0;
        QTest::newRow("arrow down picks next") << "1" << -1 << int(Qt::Key_Down) << "2" << 2 << 1;
        QTest::newRow("arrow up at first entry") << "0" << -1 << int(Qt::Key_Up) << "0" << 0 << 0;
        QTest::newRow("Enter changes nothing") << "3" << -1 << int(Qt::Key_Return) << "3" << 3 << 0;
        QTest::newRow("paste over selection") << "0" << -1 << int(Qt::Key_V) << "4" << 4 << 1;
    }
    void changeEvents()
    {
        QFETCH(QString, start);
        QFETCH(int, caret);
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, entry);
        QFETCH(int, raised);
        AnswerComboBox *box = combo(5);
        QSignalSpy changes(box, &AnswerComboBox::changed);
        focusItem(5);
        box->setAnswerText(start); // from the program: raises nothing
        QCOMPARE(changes.count(), 0);
        if (caret < 0)
            box->lineEdit()->selectAll();
        else
            box->lineEdit()->setCursorPosition(caret);
        QApplication::clipboard()->setText(QStringLiteral("4"));
        const auto modifiers = key == Qt::Key_V ? Qt::ControlModifier : Qt::NoModifier;
        QTest::keyClick(box, Qt::Key(key), modifiers);
        QCOMPARE(box->answerText(), text);
        QCOMPARE(box->currentIndex(), entry);
        QCOMPARE(changes.count(), raised);
    }

    void wheelTurnsOnlyTheFocusedAnswer()
    {
        const auto turn = [](AnswerComboBox *box) {
            const QPointF at(box->width() / 2, box->height() / 2);
            QWheelEvent wheel(at, box->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(box, &wheel);
        };
        turn(combo(2));
        QCOMPARE(combo(2)->answerText(), QStringLiteral("0"));
        turn(combo(1));
        QCOMPARE(combo(1)->answerText(), QStringLiteral("1"));
        QCOMPARE(field("edSQRPS")->text(), QStringLiteral("2,22"));
    }

    void backspaceOnZeroShowsTheErrorEachTime()
    {
        typeInto(1, Qt::Key_Backspace);
        QCOMPARE(combo(1)->answerText(), QString());
        QCOMPARE(answerer->boxes.size(), 1);
        QTest::keyClick(combo(1), Qt::Key_Backspace);
        QCOMPARE(answerer->boxes.size(), 2);
        for (const SeenBox &box : answerer->boxes) {
            QCOMPARE(box.text, ConversionText.arg(QString()));
            QCOMPARE(box.title, QStringLiteral("BELVA MG 1.0"));
            QCOMPARE(box.icon, QMessageBox::Critical);
            QCOMPARE(box.buttons, QStringList({QStringLiteral("OK")}));
            QCOMPARE(box.modality, Qt::ApplicationModal);
        }
        QCOMPARE(fieldTexts(), QStringList({"0", "0", "0", "0", status("0")}));
    }

    void invalidAnswerKeepsTheScoresUntilCorrected()
    {
        typeInto(3, Qt::Key_3);
        typeInto(19, Qt::Key_2);
        const QStringList before = fieldTexts();
        QCOMPARE(before, QStringList({"6,67", "0", "0", "10", status("4,17")}));
        QSignalSpy fieldWrites(field("edSQRDG"), &QLineEdit::textChanged);
        typeInto(20, Qt::Key_X);
        QCOMPARE(answerer->boxes.size(), 1);
        QCOMPARE(answerer->boxes.first().text, ConversionText.arg(QStringLiteral("x")));
        QCOMPARE(combo(20)->answerText(), QStringLiteral("x"));
        QCOMPARE(fieldTexts(), before);
        QCOMPARE(fieldWrites.count(), 0);
        // Back from the box, the item has its text selected again: a digit
        // replaces the "x" and rescores.
        QTRY_COMPARE(QApplication::focusWidget(), combo(20));
        QTRY_COMPARE(combo(20)->lineEdit()->selectedText(), QStringLiteral("x"));
        QTest::keyClick(combo(20), Qt::Key_4);
        QCOMPARE(combo(20)->answerText(), QStringLiteral("4"));
        QCOMPARE(fieldTexts(), QStringList({"6,67", "0", "0", "30", status("9,17")}));
        QCOMPARE(answerer->boxes.size(), 1);
    }

    void firstFailingItemIsReported()
    {
        typeInto(12, Qt::Key_A);
        typeInto(3, Qt::Key_B);
        QCOMPARE(answerer->boxes.size(), 2);
        QCOMPARE(answerer->boxes.at(1).text, ConversionText.arg(QStringLiteral("b")));
    }

    void scoreFieldRaisesOnProgramWrites()
    {
        QLineEdit *ph = field("edSQRPH");
        QSignalSpy writes(ph, &QLineEdit::textChanged);
        ph->setText(QStringLiteral("42"));
        // Its change ran the recalculation, which put the scored text back.
        QCOMPARE(ph->text(), QStringLiteral("0"));
        QCOMPARE(writes.count(), 2);
    }

    void reenteredRecalculationWritesEachFieldOnce()
    {
        for (int item : {1, 10, 14})
            combo(item)->setAnswerText(QStringLiteral("5"));
        QCOMPARE(fieldTexts(), QStringList({"0", "0", "0", "0", status("0")}));
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (const char *name : {"edSQRPS", "edSQRPH", "edSQRS", "edSQRDG"})
            spies.push_back(std::make_unique<QSignalSpy>(field(name), &QLineEdit::textChanged));
        typeInto(17, Qt::Key_5);
        QCOMPARE(fieldTexts(), QStringList({"11,11", "25", "33,33", "25", status("23,61")}));
        for (const auto &spy : spies)
            QCOMPARE(spy->count(), 1);
    }

    void nouveau_data()
    {
        QTest::addColumn<QList<int>>("answers"); // items typed "4" before
        QTest::addColumn<int>("invalidItem");     // 0: none
        QTest::addColumn<bool>("scores");         // whether a scoring runs
        QTest::newRow("after answers") << QList<int>{1, 2, 11, 15, 20} << 0 << true;
        QTest::newRow("after an error") << QList<int>{10} << 1 << true;
        QTest::newRow("already at zero") << QList<int>{} << 0 << false;
    }
    void nouveau()
    {
        QFETCH(QList<int>, answers);
        QFETCH(int, invalidItem);
        QFETCH(bool, scores);
        for (int item : answers)
            typeInto(item, Qt::Key_4);
        if (invalidItem)
            typeInto(invalidItem, Qt::Key_A);
        const qsizetype boxesBefore = answerer->boxes.size();
        form->memo()->setPlainText(QStringLiteral("rapport"));
        focusItem(7);
        QSignalSpy psWrites(field("edSQRPS"), &QLineEdit::textChanged);
        QSignalSpy phWrites(field("edSQRPH"), &QLineEdit::textChanged);

        action("Nouveau1")->trigger();

        for (int item = 1; item <= belva::ItemCount; ++item) {
            QCOMPARE(combo(item)->answerText(), QStringLiteral("0"));
            QCOMPARE(combo(item)->currentIndex(), 0);
        }
        QCOMPARE(fieldTexts(), QStringList({"0", "0", "0", "0", status("0")}));
        QVERIFY(form->memo()->toPlainText().isEmpty());
        QCOMPARE(QApplication::focusWidget(), combo(1));
        QCOMPARE(combo(1)->lineEdit()->selectedText(), QStringLiteral("0"));
        QCOMPARE(answerer->boxes.size(), boxesBefore);
        QCOMPARE(psWrites.count() + phWrites.count() > 0, scores);
    }

    void localeChangeIsFollowed()
    {
        QCOMPARE(form->decimalSeparator(), QChar(u','));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        QEvent change(QEvent::LocaleChange);
        QCoreApplication::sendEvent(form.get(), &change);
        QCOMPARE(form->decimalSeparator(), QChar(u'.'));
        typeInto(14, Qt::Key_1);
        QCOMPARE(fieldTexts(), QStringList({"0", "0", "6.67", "0", status("1.67")}));
    }

    void reportFieldsReadTheControls()
    {
        typeInto(2, Qt::Key_5);
        typeInto(13, Qt::Key_7);
        const belva::ReportFields fields = form->reportFields();
        QVERIFY(fields.date.isEmpty());
        QVERIFY(fields.patient.isEmpty());
        QCOMPARE(fields.answers[1], QStringLiteral("5"));
        QCOMPARE(fields.answers[12], QStringLiteral("7"));
        QCOMPARE(fields.answers[0], QStringLiteral("0"));
        QCOMPARE(fields.scores[0], QStringLiteral("11,11"));
        QCOMPARE(fields.scores[1], QStringLiteral("35"));
        QCOMPARE(fields.status, status("11,53"));
    }

    void accessibleNames()
    {
        typeInto(3, Qt::Key_3);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(combo(3));
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("3"));
        const auto labelsOf = [](QAccessibleInterface *target) {
            QStringList names;
            for (const auto &relation : target->relations(QAccessible::Label))
                names << relation.first->text(QAccessible::Name);
            return names;
        };
        QVERIFY(labelsOf(iface).contains(QStringLiteral("Se fatiguer vite")));
        const QStringList scoreLabels = labelsOf(QAccessible::queryAccessibleInterface(field("edSQRPS")));
        QVERIFY(scoreLabels.contains(QStringLiteral("Retentissement psychologique (%) :")));
    }

    // For the screen reader each answer is its question, with the scale as
    // description and its text as value; the text field that holds the value
    // stays its child and its focus.
    void answersReadAsTheirQuestions()
    {
        typeInto(20, Qt::Key_4);
        for (const belva::ItemInfo &item : belva::items()) {
            AnswerComboBox *box = combo(item.number);
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(box);
            QVERIFY(iface);
            QCOMPARE(iface->role(), QAccessible::ComboBox);
            QCOMPARE(iface->text(QAccessible::Name), QString::fromUtf16(item.caption));
            QCOMPARE(iface->text(QAccessible::Description), QStringLiteral("réponse de 0 à 5"));
            QCOMPARE(iface->text(QAccessible::Value), item.number == 20 ? QStringLiteral("4") : QStringLiteral("0"));
            QVERIFY(iface->state().editable && iface->state().expandable && iface->state().focusable);
            QCOMPARE(iface->childCount(), 2);
            QCOMPARE(iface->child(0)->object(), box->view());
            QAccessibleInterface *text = iface->focusChild();
            QVERIFY(text);
            QCOMPARE(text->object(), box->lineEdit());
            QCOMPARE(iface->indexOfChild(text), 1);
            QCOMPARE(text->parent()->object(), box);
            QCOMPARE(text->text(QAccessible::Value), box->answerText());
            QVERIFY(iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
        }
    }

    // After every change of an answer the screen reader is told the new
    // status text, once; a change that fails tells it nothing (its error box
    // speaks), nor does a refused key or the program's own writes.
    void announcesTheGlobalScore_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("caret"); // -1: whole text selected
        QTest::addColumn<QStringList>("said");
        QTest::newRow("digit over the answer") << int(Qt::Key_5) << -1 << QStringList{status("2,78")};
        QTest::newRow("the same digit again") << int(Qt::Key_0) << -1 << QStringList{status("0")};
        QTest::newRow("arrow down") << int(Qt::Key_Down) << -1 << QStringList{status("0,56")};
        QTest::newRow("digit beside the answer") << int(Qt::Key_5) << 1 << QStringList{};
        QTest::newRow("letter") << int(Qt::Key_X) << -1 << QStringList{};
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << -1 << QStringList{};
    }
    void announcesTheGlobalScore()
    {
        QFETCH(int, key);
        QFETCH(int, caret);
        QFETCH(QStringList, said);
        auto *announcer = form->findChild<belva::Announcer *>();
        QVERIFY(announcer);
        QVERIFY(announcer->isHidden());
        QCOMPARE(QAccessible::queryAccessibleInterface(announcer)->role(), QAccessible::Notification);
        QSignalSpy announced(announcer, &belva::Announcer::announced);
        focusItem(1);
        if (caret >= 0)
            combo(1)->lineEdit()->setCursorPosition(caret);
        QTest::keyClick(combo(1), Qt::Key(key));
        QStringList got;
        for (const QList<QVariant> &args : announced)
            got << args.at(0).toString();
        QCOMPARE(got, said);
        if (!said.isEmpty())
            QCOMPARE(QAccessible::queryAccessibleInterface(announcer)->text(QAccessible::Name), said.last());
        if (answerer->boxes.isEmpty())
            QCOMPARE(QApplication::focusWidget(), combo(1));
        action("Nouveau1")->trigger();
        QCOMPARE(announced.count(), said.size());
    }

    // A character that finds no room is refused, with the beep, before the
    // text field sees it: the text field would tell the screen reader of an
    // insertion before its validator refused it.
    void refusedKeysNeverReachTheTextField_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("caret"); // -1: whole text selected
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("refused");
        const int none = Qt::NoModifier;
        QTest::newRow("digit after the answer") << "0" << 1 << int(Qt::Key_3) << none << "3" << true;
        QTest::newRow("digit before the answer") << "0" << 0 << int(Qt::Key_3) << none << "3" << true;
        QTest::newRow("blank after the answer") << "2" << 1 << int(Qt::Key_Space) << none << " " << true;
        QTest::newRow("emoji after the answer") << "2" << 1 << int(Qt::Key_unknown) << none << "🙂" << true;
        QTest::newRow("letter after an emoji") << "🙂" << 2 << int(Qt::Key_X) << none << "x" << true;
        QTest::newRow("paste after the answer") << "2" << 1 << int(Qt::Key_V) << int(Qt::ControlModifier) << "" << true;
        QTest::newRow("digit over the answer") << "0" << -1 << int(Qt::Key_3) << none << "3" << false;
        QTest::newRow("digit into an empty field") << "" << 0 << int(Qt::Key_3) << none << "3" << false;
        QTest::newRow("Backspace after the answer") << "3" << 1 << int(Qt::Key_Backspace) << none << "" << false;
        QTest::newRow("arrow down beside the answer") << "3" << 1 << int(Qt::Key_Down) << none << "" << false;
        QTest::newRow("Ctrl+A beside the answer") << "3" << 1 << int(Qt::Key_A) << int(Qt::ControlModifier) << ""
                                                  << false;
    }
    void refusedKeysNeverReachTheTextField()
    {
        QFETCH(QString, start);
        QFETCH(int, caret);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, typed);
        QFETCH(bool, refused);
        AnswerComboBox *box = combo(6);
        focusItem(6);
        box->setAnswerText(start);
        if (caret < 0)
            box->lineEdit()->selectAll();
        else
            box->lineEdit()->setCursorPosition(caret);
        QApplication::clipboard()->setText(QStringLiteral("4"));
        QSignalSpy refusals(box, &AnswerComboBox::refused);
        QSignalSpy rejected(box->lineEdit(), &QLineEdit::inputRejected);
        QSignalSpy changes(box, &AnswerComboBox::changed);
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key(key), typed, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(refusals.count(), refused ? 1 : 0);
        QCOMPARE(rejected.count(), 0);
        if (refused) {
            QCOMPARE(box->answerText(), start);
            QCOMPARE(changes.count(), 0);
        }
    }

    void endsWithoutQuestion_data()
    {
        QTest::addColumn<bool>("byMenu");
        QTest::newRow("Quitter") << true;
        QTest::newRow("closing the window") << false;
    }
    void endsWithoutQuestion()
    {
        QFETCH(bool, byMenu);
        typeInto(4, Qt::Key_2);
        QTimer::singleShot(0, form.get(), [this, byMenu] {
            if (byMenu)
                action("Quitter1")->trigger();
            else
                form->close();
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
        watchdog.start(5000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(answerer->boxes.isEmpty());
    }

    void errorBoxText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("letter") << "Erreur" << "Erreur.";
        QTest::newRow("accented letter") << "Mémoire insuffisante é" << "Mémoire insuffisante é.";
        QTest::newRow("full stop") << "Fin." << "Fin.";
        QTest::newRow("blank") << "Fin " << "Fin ";
        QTest::newRow("exclamation") << "Fin!" << "Fin!";
        QTest::newRow("quote") << "'a'" << "'a'";
        QTest::newRow("hyphen") << "a-" << "a-";
        QTest::newRow("comma") << "a," << "a,";
        QTest::newRow("slash") << "a/" << "a/.";
        QTest::newRow("digit") << "a1" << "a1.";
        QTest::newRow("line break") << "a\n" << "a\n";
    }
    void errorBoxText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(belva::ErrorBoxText(message), shown);
    }

    void guardedShowsEveryFailure_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("program error") << 0 << "Impossible de créer le fichier \"a\"";
        QTest::newRow("standard exception") << 1 << "boom.";
        QTest::newRow("out of memory") << 2 << "Mémoire insuffisante.";
        QTest::newRow("anything else") << 3 << "Erreur inattendue.";
        QTest::newRow("markup shown as typed") << 4 << "'<b>' n'est pas une valeur entière correcte.";
    }
    void guardedShowsEveryFailure()
    {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        bool after = false;
        belva::Guarded([kind, &after] {
            switch (kind) {
            case 0:
                throw belva::Error(QStringLiteral("Impossible de créer le fichier \"a\""));
            case 1:
                throw std::runtime_error("boom");
            case 2:
                throw std::bad_alloc();
            case 3:
                throw 42;
            default:
                throw belva::ConversionError(QStringLiteral("<b>"));
            }
            after = true;
        });
        QVERIFY(!after);
        QCOMPARE(answerer->boxes.size(), 1);
        QCOMPARE(answerer->boxes.first().text, shown);
        QCOMPARE(answerer->boxes.first().title, QStringLiteral("BELVA MG 1.0"));
    }
    void markupIsShownAsText()
    {
        answerer.reset();
        QMessageBox *seen = nullptr;
        belva::test::ModalDriver driver({belva::test::Answer<QMessageBox>([&seen](QMessageBox *box) {
            seen = box;
            QCOMPARE(seen->textFormat(), Qt::PlainText);
            seen->accept();
        })});
        belva::ShowError(QStringLiteral("<i>a</i>"));
        QVERIFY(seen);
    }

    void captionsFitBesideTheirFields_data()
    {
        QTest::addColumn<QString>("fontFile");
        QTest::newRow("Tahoma") << QString::fromUtf16(belva::WindowFontFile);
        QTest::newRow("no Tahoma file") << QStringLiteral("/nonexistent/tahoma.ttf");
    }
    void captionsFitBesideTheirFields()
    {
        QFETCH(QString, fontFile);
        const QFont saved = QApplication::font();
        QApplication::setFont(belva::LoadWindowFont(fontFile));
        makeForm();
        for (int n = 1; n <= 24; ++n) {
            const auto *caption = form->findChild<QLabel *>(QStringLiteral("Label%1").arg(n));
            const QWidget *buddy = caption->buddy();
            QVERIFY(buddy);
            QCOMPARE(buddy->parentWidget(), caption->parentWidget());
            QVERIFY2(QFontMetrics(caption->font()).horizontalAdvance(caption->text()) <= caption->width(),
                     qPrintable(caption->text()));
            QVERIFY(caption->geometry().right() < buddy->x());
            QVERIFY(QFontMetrics(caption->font()).height() <= caption->height());
        }
        for (const QGroupBox *group : form->findChildren<QGroupBox *>()) {
            const QFontMetrics metrics(group->font());
            QVERIFY(metrics.horizontalAdvance(group->title()) < group->width() - 16);
        }
        const auto *panel0 = form->findChild<QLabel *>(QStringLiteral("StatusPanel0"));
        QVERIFY(QFontMetrics(panel0->font()).horizontalAdvance(panel0->text()) < panel0->contentsRect().width());
        QApplication::setFont(saved);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
