#include "chmarchive.h"
#include "helpviewer.h"
#include "hh.h"
#include "hh_funcs.h"
#include "modaldriver.h"
#include "restrictions.h"
#include "viewerlibrary.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTreeWidget>

#include <functional>

using namespace belva::hh;

namespace {

QString helpFile()
{
    return HelpFilePath(QCoreApplication::applicationFilePath());
}

HelpViewerWindow *openHelp(const QString &file)
{
    return qobject_cast<HelpViewerWindow *>(HtmlHelp(nullptr, QFile::encodeName(file).constData(), HH_DISPLAY_TOPIC, 0));
}

QTextBrowser *browserOf(QWidget *w)
{
    return w->findChild<QTextBrowser *>(QStringLiteral("Topic"));
}

QTreeWidget *contentsOf(QWidget *w)
{
    return w->findChild<QTreeWidget *>(QStringLiteral("Contents"));
}

// Clicks the link whose text is `caption` in the topic shown.
bool clickLink(QTextBrowser *browser, const QString &caption)
{
    const QTextCursor found = browser->document()->find(caption);
    if (found.isNull() || !found.charFormat().isAnchor())
        return false;
    QTextCursor middle(browser->document());
    middle.setPosition((found.selectionStart() + found.selectionEnd()) / 2);
    browser->setTextCursor(middle);
    browser->ensureCursorVisible();
    const QPoint at = browser->cursorRect(middle).center();
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
    return true;
}

void setLibraryVariable(const QByteArray *value)
{
    if (value)
        qputenv(ViewerLibraryVariable, *value);
    else
        qunsetenv(ViewerLibraryVariable);
}

// Reloads the viewer library with BELVA_CHMLIB as given (null: unset).
void reload(const QByteArray *value)
{
    UnloadViewerLibrary();
    setLibraryVariable(value);
    LoadViewerLibrary();
}

} // namespace

class TestHelpViewer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        reload(nullptr);
        if (!ViewerAvailable())
            BELVA_SKIP_OR_FAIL("the help file library libchm.so.1 (package libchm1) is missing");
        QVERIFY2(QFile::exists(helpFile()), qPrintable(helpFile()));
    }

    void cleanup()
    {
        CloseAllHelpWindows();
        if (!ViewerLibraryLoaded() || qEnvironmentVariableIsSet(ViewerLibraryVariable))
            reload(nullptr);
    }

    void helpFilePath_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("path");
        QTest::newRow("program folder") << QStringLiteral("/opt/belva/BelvaMG") << QStringLiteral("/opt/belva/BelvaMG.chm");
        QTest::newRow("root folder") << QStringLiteral("/BelvaMG") << QStringLiteral("/BelvaMG.chm");
    }

    void helpFilePath()
    {
        QFETCH(QString, executable);
        QFETCH(QString, path);
        QCOMPARE(HelpFilePath(executable), path);
    }

    void viewerLibraryPath_data()
    {
        QTest::addColumn<QString>("variable"); // "<unset>" leaves it unset
        QTest::addColumn<bool>("found");
        QTest::newRow("system library") << QStringLiteral("<unset>") << true;
        QTest::newRow("missing file") << QStringLiteral("/nonexistent/libchm.so.1") << false;
        QTest::newRow("set and empty") << QString() << false;
        QTest::newRow("a folder") << QStringLiteral("/usr/lib") << false;
    }

    void viewerLibraryPath()
    {
        QFETCH(QString, variable);
        QFETCH(bool, found);
        const QByteArray value = variable.toLocal8Bit();
        setLibraryVariable(variable == QStringLiteral("<unset>") ? nullptr : &value);
        const QString path = GetViewerLibraryPath();
        qunsetenv(ViewerLibraryVariable);
        QCOMPARE(!path.isEmpty(), found);
        if (found) {
            QVERIFY(path.endsWith(QStringLiteral("/libchm.so.1")));
            QVERIFY(QFile::exists(path));
        }
    }

    void sitemap_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("tree"); // name=local, children in brackets
        const QString entryA = QStringLiteral(R"(<LI><OBJECT type="text/sitemap"><param name="Name" value="A"><param name="Local" value="a.html"></OBJECT>)");
        const QString entryB = QStringLiteral(R"(<LI><OBJECT type="text/sitemap"><param name="Name" value="B"><param name="Local" value="b.html#x"></OBJECT>)");
        const QString entryC = QStringLiteral(R"(<li><object type="text/sitemap"><param name="Local" value='c.html'><param name="Name" value="C &amp; d&eacute;j&agrave;"></object>)");
        QTest::newRow("flat") << QStringLiteral("<UL>") + entryA + entryB + QStringLiteral("</UL>") << QStringLiteral("A=a.html B=b.html#x");
        QTest::newRow("nested") << QStringLiteral("<UL>") + entryA + QStringLiteral("<UL>") + entryB + QStringLiteral("</UL>") + entryC + QStringLiteral("</UL>")
                                << QStringLiteral("A=a.html[B=b.html#x] C & déjà=c.html");
        QTest::newRow("site properties ignored")
            << QStringLiteral("<OBJECT type=\"text/site properties\"><param name=\"Name\" value=\"X\"></OBJECT><UL>") + entryA + QStringLiteral("</UL>")
            << QStringLiteral("A=a.html");
        QTest::newRow("no outer list") << entryA + entryB << QStringLiteral("A=a.html B=b.html#x");
        QTest::newRow("unbalanced closing lists") << QStringLiteral("</UL></UL><UL>") + entryA + QStringLiteral("</UL></UL>") + entryB
                                                  << QStringLiteral("A=a.html B=b.html#x");
        QTest::newRow("inner list first") << QStringLiteral("<UL><UL>") + entryA + QStringLiteral("</UL>") + entryB + QStringLiteral("</UL>")
                                          << QStringLiteral("=[A=a.html] B=b.html#x");
        QTest::newRow("empty") << QString() << QString();
    }

    void sitemap()
    {
        QFETCH(QString, html);
        QFETCH(QString, tree);
        std::function<QString(const QList<ContentsEntry> &)> show = [&](const QList<ContentsEntry> &entries) {
            QStringList parts;
            for (const ContentsEntry &e : entries) {
                QString part = e.name + u'=' + e.local;
                if (!e.children.isEmpty())
                    part += u'[' + show(e.children) + u']';
                parts << part;
            }
            return parts.join(u' ');
        };
        QCOMPARE(show(ParseSitemap(html)), tree);
    }

    void objectPath_data()
    {
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("path");
        QTest::newRow("relative") << QStringLiteral("index.html") << QStringLiteral("/index.html");
        QTest::newRow("absolute") << QStringLiteral("/index.html") << QStringLiteral("/index.html");
        QTest::newRow("subfolder, backslash") << QStringLiteral("images\\a.png") << QStringLiteral("/images/a.png");
        QTest::newRow("inside another file") << QStringLiteral("ms-its:BelvaMG.chm::/scores.html") << QStringLiteral("/scores.html");
    }

    void objectPath()
    {
        QFETCH(QString, local);
        QFETCH(QString, path);
        QCOMPARE(ObjectPath(local), path);
    }

    void opensDefaultTopic()
    {
        HelpViewerWindow *w = openHelp(helpFile());
        QVERIFY(w);
        QVERIFY(w->isWindow());
        QVERIFY(!w->parentWidget());
        QVERIFY(w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Aide de BELVA MG 1.0"));

        QTextBrowser *browser = browserOf(w);
        QCOMPARE(browser->source(), QUrl(QStringLiteral("chm:/index.html")));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Bienvenue dans BELVA MG")));

        QTreeWidget *contents = contentsOf(w);
        QVERIFY(!contents->findItems(QStringLiteral("Rouvrir un test"), Qt::MatchExactly).isEmpty());
        QCOMPARE(contents->currentItem()->text(0), QStringLiteral("Bienvenue dans BELVA MG"));
        QCOMPARE(contents->topLevelItem(3)->text(0), QStringLiteral("Calcul des scores"));
        QCOMPARE(contents->topLevelItem(3)->child(0)->text(0), QStringLiteral("Exemple chiffré"));
    }

    void readsStylesAndImages()
    {
        HelpViewerWindow *w = openHelp(helpFile());
        QTextBrowser *browser = browserOf(w);

        const QImage banner = QImage::fromData(browser->loadResource(QTextDocument::ImageResource,
                                                                    QUrl(QStringLiteral("images/banniere.png"))).toByteArray());
        QCOMPARE(banner.size(), QSize(540, 64));

        // The heading takes its colour from the style sheet inside the file.
        const QTextCursor heading = browser->document()->find(QStringLiteral("Bienvenue dans BELVA MG"));
        QVERIFY(!heading.isNull());
        QCOMPARE(heading.charFormat().foreground().color(), QColor(0x1f, 0x4e, 0x79));
    }

    void followsLinks()
    {
        HelpViewerWindow *w = openHelp(helpFile());
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QTextBrowser *browser = browserOf(w);
        QTreeWidget *contents = contentsOf(w);

        QVERIFY(clickLink(browser, QStringLiteral("Calcul des scores")));
        QTRY_COMPARE(browser->source(), QUrl(QStringLiteral("chm:/scores.html")));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Exemple chiffré")));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("15,69")));
        QCOMPARE(contents->currentItem()->text(0), QStringLiteral("Calcul des scores"));

        // A link to a place in another topic.
        QVERIFY(clickLink(browser, QStringLiteral("Les commandes des menus")));
        QTRY_COMPARE(browser->source(), QUrl(QStringLiteral("chm:/menus.html")));
        QVERIFY(clickLink(browser, QStringLiteral("Imprimer un test")));
        QTRY_COMPARE(browser->source(), QUrl(QStringLiteral("chm:/impression.html")));
        QVERIFY(clickLink(browser, QStringLiteral("Le nom du patient")));
        QTRY_COMPARE(browser->source(), QUrl(QStringLiteral("chm:/menus.html#patient")));

        QAction *back = w->findChild<QAction *>(QStringLiteral("Back"));
        QVERIFY(back->isEnabled());
        back->trigger();
        QCOMPARE(browser->source(), QUrl(QStringLiteral("chm:/impression.html")));

        // The table of contents leads to a place inside a topic.
        contents->setCurrentItem(contents->topLevelItem(3)->child(0));
        QCOMPARE(browser->source(), QUrl(QStringLiteral("chm:/scores.html#exemple")));

        w->findChild<QAction *>(QStringLiteral("Home"))->trigger();
        QCOMPARE(browser->source(), QUrl(QStringLiteral("chm:/index.html")));
    }

    void everyTopicOfTheContentsOpens()
    {
        HelpViewerWindow *w = openHelp(helpFile());
        QTextBrowser *browser = browserOf(w);
        QTreeWidget *contents = contentsOf(w);
        for (QTreeWidgetItemIterator it(contents); *it; ++it) {
            contents->setCurrentItem(*it);
            QVERIFY2(!browser->toPlainText().contains(QStringLiteral("Page introuvable")), qPrintable((*it)->text(0)));
            QVERIFY(browser->document()->blockCount() > 3);
        }
    }

    void missingTopic()
    {
        HelpViewerWindow *w = openHelp(helpFile());
        QTextBrowser *browser = browserOf(w);
        browser->setSource(QUrl(QStringLiteral("chm:/absent.html")));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Page introuvable")));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("/absent.html")));
    }

    void sameFileReusesItsWindow()
    {
        HelpViewerWindow *first = openHelp(helpFile());
        browserOf(first)->setSource(QUrl(QStringLiteral("chm:/scores.html")));
        HelpViewerWindow *second = openHelp(helpFile());
        QCOMPARE(second, first);
        QCOMPARE(HelpViewerWindow::windows().size(), 1);
        QCOMPARE(browserOf(first)->source(), QUrl(QStringLiteral("chm:/index.html")));
    }

    void closeAll()
    {
        QPointer<HelpViewerWindow> a = openHelp(helpFile());
        QTemporaryDir dir;
        QPointer<HelpViewerWindow> b = openHelp(dir.filePath(QStringLiteral("other.chm")));
        QVERIFY(a && b && a != b);
        QVERIFY(!HtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0));
        QVERIFY(!a);
        QVERIFY(!b);
        QVERIFY(HelpViewerWindow::windows().isEmpty());
    }

    void userClosedWindowIsNotReused()
    {
        QPointer<HelpViewerWindow> w = openHelp(helpFile());
        w->close();
        HelpViewerWindow *again = openHelp(helpFile());
        QVERIFY(again != w.data());
        QTRY_VERIFY(!w);
        QCOMPARE(HelpViewerWindow::windows().size(), 1);
    }

    void unreadableHelpFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::newRow("missing") << QStringLiteral("BelvaMG.chm") << QByteArray();
        QTest::newRow("not a help file") << QStringLiteral("BelvaMG.chm") << QByteArray("plain text, not compiled help\n");
        QTest::newRow("empty file") << QStringLiteral("BelvaMG.chm") << QByteArray("");
        QTest::newRow("a folder") << QString() << QByteArray();
    }

    void unreadableHelpFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = name.isEmpty() ? dir.path() : dir.filePath(name);
        if (!content.isNull()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        HelpViewerWindow *w = openHelp(path);
        QVERIFY(w);
        const QString text = browserOf(w)->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("Aide indisponible")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("introuvable ou illisible")));
        QVERIFY(text.contains(path));
        QVERIFY(!contentsOf(w)->isVisible());
    }

    void showHelpTopicsOpensTheFileBesideTheProgram()
    {
        ShowHelpTopics(nullptr);
        const QList<HelpViewerWindow *> windows = HelpViewerWindow::windows();
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows.first()->helpFile(), helpFile());
        QVERIFY(!windows.first()->parentWidget());
        QCOMPARE(browserOf(windows.first())->source(), QUrl(QStringLiteral("chm:/index.html")));
    }

    void libraryMissing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("path to nothing") << QStringLiteral("nothing");
        QTest::newRow("not a library") << QStringLiteral("text");
    }

    void libraryMissing()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("libchm.so.1")));
        if (kind == QStringLiteral("text")) {
            QFile f(QFile::decodeName(path));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a library\n");
        }
        reload(&path);
        QVERIFY(!ViewerLibraryLoaded());
        QVERIFY(!ViewerAvailable());
        QVERIFY(!ViewerEntryPoints().chm_open);

        QWidget mainWindow;
        mainWindow.show();
        QString caption, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool answered = false;
        belva::test::ModalDriver driver({belva::test::Answer<QMessageBox>([&](QMessageBox *box) {
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            answered = true;
            box->button(QMessageBox::Ok)->click();
        })});
        ShowHelpTopics(&mainWindow);
        QVERIFY(answered);
        QCOMPARE(caption, QStringLiteral("BELVA MG 1.0"));
        QCOMPARE(icon, QMessageBox::Information);
        QVERIFY(text.startsWith(QStringLiteral("L'aide ne peut pas être affichée")));
        QVERIFY(text.contains(QStringLiteral("libchm.so.1")));
        QVERIFY(HelpViewerWindow::windows().isEmpty());

        QVERIFY(!HtmlHelp(nullptr, QFile::encodeName(helpFile()).constData(), HH_DISPLAY_TOPIC, 0));
        QVERIFY(HelpViewerWindow::windows().isEmpty());
        CloseAllHelpWindows();
        UnloadViewerLibrary();
    }

    void modulesAroundTheProgram()
    {
        UnloadViewerLibrary();
        const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
        const char *argv[] = {program.constData(), "patient"};
        QPointer<HelpViewerWindow> w;
        {
            belva::HelpModules modules(2, argv);
            QVERIFY(ViewerAvailable());
            QCOMPARE(belva::hh_funcs::State()._ModuleName, QCoreApplication::applicationName());
            QVERIFY(belva::hh_funcs::State()._hhInstalled);
            QVERIFY(!belva::hh_funcs::State().DebugMode);
            // Left open by mistake: must not outlive the library.
            w = openHelp(helpFile());
            QVERIFY(w);
        }
        QVERIFY(!w);
        QVERIFY(!ViewerLibraryLoaded());
        QVERIFY(belva::hh_funcs::State()._ModuleDir.isEmpty());
        CloseAllHelpWindows();
    }
};

QTEST_MAIN(TestHelpViewer)
#include "tst_hh.moc"
