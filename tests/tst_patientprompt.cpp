#include "patientnamevalidator.h"
#include "patientprompt.h"

#include "modaldriver.h"
#include "restrictions.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace belva;
using namespace Qt::StringLiterals;

namespace {

enum class Entry { Typed, Pasted, InputMethod };
enum class Answer { OkClick, Enter, EmptyOk, Cancel, Escape, Close };

// Runs the prompt as the commands do and answers it once it is up.
QString askAndAnswer(const std::function<void(PatientDialog *)> &answer)
{
    bool answered = false;
    test::ModalDriver driver({test::Answer<PatientDialog>([&](PatientDialog *dialog) {
        answered = true;
        if (!QTest::qWaitForWindowActive(dialog))
            qWarning("the prompt did not become active");
        answer(dialog);
    })});
    const QString name = AskPatientName();
    if (!answered)
        qWarning("the prompt was not found");
    return answered ? name : QStringLiteral("<not answered>");
}

// Key events carry whole characters, as a keyboard layout or a compose key
// would send them (a surrogate pair stays one event).
void typeInto(QLineEdit *edit, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype len = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, len);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, ch);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, ch);
        QApplication::sendEvent(edit, &press);
        QApplication::sendEvent(edit, &release);
        i += len - 1;
    }
}

void enter(QLineEdit *edit, Entry how, const QString &text)
{
    switch (how) {
    case Entry::Typed:
        typeInto(edit, text);
        break;
    case Entry::Pasted:
        QGuiApplication::clipboard()->setText(text);
        edit->paste();
        break;
    case Entry::InputMethod: {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(edit, &commit);
        break;
    }
    }
}

} // namespace

class TestPatientPrompt : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void answers_data();
    void answers();
    void lengthLimit_data();
    void lengthLimit();
    void characters_data();
    void characters();
    void geometry_data();
    void geometry();
};

void TestPatientPrompt::initTestCase()
{
    if (QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf")) < 0)
        BELVA_SKIP_OR_FAIL("Tahoma of fonts-wine is missing (run scripts/setup)");
}

void TestPatientPrompt::answers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("expected");

    const QString name = QStringLiteral("Dupont Jean-Étienne");
    QTest::newRow("OK clicked") << name << int(Answer::OkClick) << name;
    QTest::newRow("Enter is OK") << name << int(Answer::Enter) << name;
    QTest::newRow("OK on an empty entry") << QString() << int(Answer::EmptyOk) << QString();
    QTest::newRow("blanks kept") << QStringLiteral("  Martin  ") << int(Answer::OkClick)
                                 << QStringLiteral("  Martin  ");
    QTest::newRow("Annuler") << name << int(Answer::Cancel) << QString();
    QTest::newRow("Escape") << name << int(Answer::Escape) << QString();
    QTest::newRow("closed") << name << int(Answer::Close) << QString();
}

void TestPatientPrompt::answers()
{
    QFETCH(QString, typed);
    QFETCH(int, answer);
    QFETCH(QString, expected);

    const QString name = askAndAnswer([&](PatientDialog *dialog) {
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("Edit"));
        QVERIFY(edit);
        QCOMPARE(edit->text(), QString()); // starts empty
        QCOMPARE(dialog->focusWidget(), edit);
        typeInto(edit, typed);
        switch (Answer(answer)) {
        case Answer::OkClick:
        case Answer::EmptyOk:
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("OkButton")), Qt::LeftButton);
            break;
        case Answer::Enter:
            QTest::keyClick(edit, Qt::Key_Return);
            break;
        case Answer::Cancel:
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("CancelButton")), Qt::LeftButton);
            break;
        case Answer::Escape:
            QTest::keyClick(edit, Qt::Key_Escape);
            break;
        case Answer::Close:
            dialog->close();
            break;
        }
    });
    QCOMPARE(name, expected);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestPatientPrompt::lengthLimit_data()
{
    QTest::addColumn<int>("how");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("kept");

    QTest::newRow("255 typed") << int(Entry::Typed) << 255 << 255;
    QTest::newRow("256 typed") << int(Entry::Typed) << 256 << 255;
    QTest::newRow("300 pasted") << int(Entry::Pasted) << 300 << 255;
}

void TestPatientPrompt::lengthLimit()
{
    QFETCH(int, how);
    QFETCH(int, length);
    QFETCH(int, kept);

    // Accented letters count one each, as they do in the saved file.
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(i % 2 ? u'é' : u'a');

    const QString name = askAndAnswer([&](PatientDialog *dialog) {
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("Edit"));
        enter(edit, Entry(how), text);
        dialog->accept();
    });
    QCOMPARE(name, text.left(kept));
}

void TestPatientPrompt::characters_data()
{
    QTest::addColumn<QString>("before"); // typed first
    QTest::addColumn<int>("caret");      // then the caret put there; -1: left at the end
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("refusals");   // each with the system beep
    QTest::addColumn<QString>("note");   // the note at the end, empty when hidden

    const auto typed = int(Entry::Typed);
    const auto pasted = int(Entry::Pasted);
    const auto composed = int(Entry::InputMethod);
    const QString accents = QStringLiteral("Éloïse Çava Œdipe-Müller 10 € ß");
    const QString none;

    QTest::newRow("accented letters typed") << none << -1 << typed << accents << accents << 0 << none;
    QTest::newRow("accented letters pasted") << none << -1 << pasted << accents << accents << 0 << none;
    QTest::newRow("accented letters composed") << none << -1 << composed << accents << accents << 0 << none;

    // A refused character stays named until the box closes, with every
    // other refused since it opened.
    const auto one = [](const QString &c) {
        return QStringLiteral("Caractère \"%1\" refusé : il ne peut pas être enregistré.").arg(c);
    };
    QTest::newRow("Łukasz Nguyễn typed") << none << -1 << typed << QStringLiteral("Łukasz Nguyễn")
                                        << QStringLiteral("ukasz Nguyn") << 2
                                        << QStringLiteral("Caractères \"Ł\", \"ễ\" refusés : ils ne peuvent pas être "
                                                          "enregistrés.");
    QTest::newRow("Nguyễn typed, letters after the refusal")
        << none << -1 << typed << QStringLiteral("Nguyễn") << QStringLiteral("Nguyn") << 1 << one(u"ễ"_s);
    QTest::newRow("the same character twice named once")
        << none << -1 << typed << QStringLiteral("Vũ Vũ") << QStringLiteral("V V") << 2 << one(u"ũ"_s);
    QTest::newRow("ễ typed last") << none << -1 << typed << QStringLiteral("Nguyễ") << QStringLiteral("Nguy") << 1
                                  << one(u"ễ"_s);
    QTest::newRow("emoji typed") << none << -1 << typed << QStringLiteral("Ana 🙂") << QStringLiteral("Ana ") << 1
                                 << one(u"🙂"_s);
    QTest::newRow("Łukasz pasted") << none << -1 << pasted << QStringLiteral("Łukasz") << none << 1 << one(u"Ł"_s);
    QTest::newRow("Nguyễn Văn pasted") << QStringLiteral("M. ") << -1 << pasted << QStringLiteral("Nguyễn Văn")
                                       << QStringLiteral("M. ") << 1 << one(u"ễ"_s);
    QTest::newRow("emoji pasted") << none << -1 << pasted << QStringLiteral("Ana 🙂") << none << 1 << one(u"🙂"_s);
    QTest::newRow("Nguyễn composed") << none << -1 << composed << QStringLiteral("Nguyễn") << none << 1
                                     << one(u"ễ"_s);
    QTest::newRow("control character pasted") << none << -1 << pasted << QStringLiteral("Du\x1bpont") << none << 1
                                              << one(u"\x1b"_s);

    // A paste ends at its first line end; a tab is a blank.
    QTest::newRow("CR LF pasted") << none << -1 << pasted << QStringLiteral("Dupont\r\nJean")
                                  << QStringLiteral("Dupont") << 0 << none;
    QTest::newRow("line copied with its end") << none << -1 << pasted << QStringLiteral("Jean Dupont\n")
                                              << QStringLiteral("Jean Dupont") << 0 << none;
    QTest::newRow("line end first") << QStringLiteral("Jean") << -1 << pasted << QStringLiteral("\rDupont")
                                    << QStringLiteral("Jean") << 0 << none;
    QTest::newRow("tab pasted") << none << -1 << pasted << QStringLiteral("Dupont\tJean")
                                << QStringLiteral("Dupont Jean") << 0 << none;
    QTest::newRow("tabs and lines pasted") << none << -1 << pasted << QStringLiteral("\tDupont\tJean\r\n12 rue X\r\n")
                                           << QStringLiteral(" Dupont Jean") << 0 << none;
    QTest::newRow("pasted before typed text") << QStringLiteral("Dupont") << 0 << pasted
                                              << QStringLiteral("Jean\t\r\nrue X") << QStringLiteral("Jean Dupont")
                                              << 0 << none;
    QTest::newRow("refused character after the line end") << none << -1 << pasted << QStringLiteral("Lech\nŁódź")
                                                           << QStringLiteral("Lech") << 0 << none;
}

void TestPatientPrompt::characters()
{
    QFETCH(QString, before);
    QFETCH(int, caret);
    QFETCH(int, how);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QFETCH(int, refusals);
    QFETCH(QString, note);

    const QString name = askAndAnswer([&](PatientDialog *dialog) {
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("Edit"));
        auto *noteLabel = dialog->findChild<QLabel *>(QStringLiteral("Note"));
        QVERIFY(noteLabel);
        typeInto(edit, before);
        if (caret >= 0)
            edit->setCursorPosition(caret);
        QSignalSpy refused(qobject_cast<const PatientNameValidator *>(edit->validator()),
                           &PatientNameValidator::refused);
        QVERIFY(refused.isValid());
        enter(edit, Entry(how), input);
        QCOMPARE(refused.count(), refusals);
        QCOMPARE(noteLabel->isVisible(), !note.isEmpty());
        if (!note.isEmpty())
            QCOMPARE(noteLabel->text(), note);
        dialog->accept();
    });
    QCOMPARE(name, expected);
}

void TestPatientPrompt::geometry_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("noted");

    QTest::newRow("as opened") << QString() << false;
    QTest::newRow("note shown") << QStringLiteral("Nguyễ") << true;
    QTest::newRow("note kept while typing on") << QStringLiteral("Nguyễn Văn Thị Hương") << true;
}

void TestPatientPrompt::geometry()
{
    QFETCH(QString, typed);
    QFETCH(bool, noted);

    PatientDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Patient..."));
    QCOMPARE(dialog.font().pixelSize(), 11);

    // Base units straight from the font: average letter width, rounded, and height.
    const QFontMetrics fm(dialog.font());
    const double average = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
    const int ux = int(average + 0.5);
    const int uy = fm.height();
    const DialogUnits du = DialogBaseUnits(dialog.font());
    QCOMPARE(du.x, ux);
    QCOMPARE(du.y, uy);
    const auto across = [&](int q) { return int(q * ux / 4.0 + 0.5); };
    const auto down = [&](int e) { return int(e * uy / 8.0 + 0.5); };

    auto *prompt = dialog.findChild<QLabel *>(QStringLiteral("Prompt"));
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("Edit"));
    auto *note = dialog.findChild<QLabel *>(QStringLiteral("Note"));
    auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("OkButton"));
    auto *cancel = dialog.findChild<QPushButton *>(QStringLiteral("CancelButton"));
    QVERIFY(prompt && edit && note && ok && cancel);
    const QPoint placed = dialog.pos();

    typeInto(edit, typed);
    QCOMPARE(note->isVisible(), noted);

    QCOMPARE(prompt->text(), QStringLiteral("Nom et Prénom ?"));
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(cancel->text(), QStringLiteral("Annuler"));
    QVERIFY(ok->isDefault());

    QCOMPARE(dialog.width(), across(180));
    QCOMPARE(prompt->pos(), QPoint(across(8), down(8)));
    QVERIFY(prompt->width() <= across(164));
    QVERIFY(prompt->width() >= fm.horizontalAdvance(prompt->text())); // short prompt: one line
    QVERIFY(prompt->height() >= fm.height());

    const QRect e = edit->geometry();
    QCOMPARE(e.topLeft(), QPoint(across(8), prompt->geometry().bottom() + 1 + 5));
    QCOMPARE(e.width(), across(164));

    // The note takes room under the entry only while it shows, its whole
    // text in view.
    int above = e.bottom();
    if (noted) {
        const QRect n = note->geometry();
        QCOMPARE(n.topLeft(), QPoint(across(8), e.bottom() + 1 + 5));
        QVERIFY(n.width() <= across(164));
        const QRect text = fm.boundingRect(QRect(0, 0, n.width(), 0xFFFF), Qt::TextWordWrap, note->text());
        QVERIFY2(text.width() <= n.width() && text.height() <= n.height(), qPrintable(note->text()));
        above = n.bottom();
    }
    const int buttonTop = above + 1 + 15;
    QCOMPARE(ok->geometry(), QRect(across(38), buttonTop, across(50), down(14)));
    QCOMPARE(cancel->geometry(), QRect(across(92), buttonTop, across(50), down(14)));
    QCOMPARE(dialog.height(), buttonTop + down(14) + 13);

    // Nothing sticks out of the client area; the box cannot be resized and
    // stays where it was put.
    QList<QWidget *> shown{prompt, edit, ok, cancel};
    if (noted)
        shown << note;
    for (QWidget *w : shown)
        QVERIFY2(dialog.rect().contains(w->geometry()), qPrintable(w->objectName()));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(dialog.pos(), placed);

    if (!noted) {
        const QRect screen = dialog.screen()->geometry();
        QVERIFY(qAbs(dialog.frameGeometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(dialog.frameGeometry().center().y() - screen.center().y()) <= 1);
    }
}

QTEST_MAIN(TestPatientPrompt)
#include "tst_patientprompt.moc"
