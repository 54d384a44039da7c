#include "about.h"
#include "boldlabel.h"
#include "errors.h"
#include "notices.h"
#include "lines.h"
#include "modaldriver.h"
#include "restrictions.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <optional>

using belva::MemoryStatus;
using belva::test::Answer;
using belva::test::CloseEveryModal;
using belva::test::ModalDriver;

Q_DECLARE_METATYPE(std::optional<MemoryStatus>)

namespace {

constexpr quint64 GiB = quint64(1) << 30;

int DarkPixels(QWidget &widget)
{
    const QImage image = widget.grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += qGray(image.pixel(x, y)) < 128;
    }
    return n;
}

int LiveDialogs()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        n += qobject_cast<TFAbout *>(w) != nullptr;
    return n;
}

// An About box whose dialog cannot be built.
class FailingAboutBox : public TAboutBox
{
public:
    using TAboutBox::TAboutBox;

protected:
    std::unique_ptr<TFAbout> CreateForm() override
    {
        throw belva::Error(QStringLiteral("Ressources insuffisantes"));
    }
};

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void textsCapped_data();
    void textsCapped();
    void memoryLines_data();
    void memoryLines();
    void parseMemInfo_data();
    void parseMemInfo();
    void readsThisMachine();
    void labelsFit_data();
    void labelsFit();
    void etchedSeparator();
    void showsApplicationIcon();
    void boldLabel_data();
    void boldLabel();
    void execute_data();
    void execute();
    void executeTwiceBuildsTwoDialogs();
    void escapeLeavesBoxOpen();
    void creationFailureShowsNothing();
};

void TestAbout::initTestCase()
{
    QPixmap icon(32, 32);
    icon.fill(Qt::red);
    QApplication::setWindowIcon(QIcon(icon));
}

void TestAbout::cleanup()
{
    CloseEveryModal();
}

void TestAbout::textsCapped_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kept");

    const QString a150 = QString(150, u'a');
    const QString a100 = QString(100, u'a');
    // A character outside the 16-bit range straddling the limit is dropped whole.
    const QString pair = QString(99, u'b') + QString::fromUtf16(u"\U0001F600") + u'c';
    for (const char *name : {"ProductName", "Version", "Copyright"}) {
        QTest::addRow("%s, 150 characters", name) << QByteArray(name) << a150 << a100;
        QTest::addRow("%s, 100 characters", name) << QByteArray(name) << a100 << a100;
        QTest::addRow("%s, empty", name) << QByteArray(name) << QString() << QString();
        QTest::addRow("%s, surrogate pair at the limit", name) << QByteArray(name) << pair << QString(99, u'b');
    }
    QTest::newRow("accents kept") << QByteArray("ProductName") << QStringLiteral("BELVA MG – Évaluation")
                                  << QStringLiteral("BELVA MG – Évaluation");
}

void TestAbout::textsCapped()
{
    QFETCH(QByteArray, property);
    QFETCH(QString, text);
    QFETCH(QString, kept);

    TAboutBox box;
    QVERIFY(box.setProperty(property.constData(), text));
    QCOMPARE(box.property(property.constData()).toString(), kept);
}

void TestAbout::memoryLines_data()
{
    QTest::addColumn<quint64>("total");
    QTest::addColumn<int>("load");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("physMem");
    QTest::addColumn<QString>("physRes");

    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const QLocale fr(QLocale::French, QLocale::France);
    const QString g = fr.groupSeparator();
    QTest::newRow("512 MiB, load 37") << quint64(536870912) << 37 << en
                                      << QStringLiteral("Mémoire physique totale : 524,288 Ko")
                                      << QStringLiteral("Ressources système      : 63% libre.");
    QTest::newRow("load 0") << quint64(536870912) << 0 << en << QStringLiteral("Mémoire physique totale : 524,288 Ko")
                            << QStringLiteral("Ressources système      : 100% libre.");
    QTest::newRow("load 100") << quint64(536870912) << 100 << en
                              << QStringLiteral("Mémoire physique totale : 524,288 Ko")
                              << QStringLiteral("Ressources système      : 0% libre.");
    QTest::newRow("exactly 4 GiB") << 4 * GiB << 50 << en << QStringLiteral("Mémoire physique totale : 4,194,304 Ko")
                                   << QStringLiteral("Ressources système      : 50% libre.");
    QTest::newRow("16 GiB is not cut to 32 bits")
        << 16 * GiB << 50 << en << QStringLiteral("Mémoire physique totale : 16,777,216 Ko")
        << QStringLiteral("Ressources système      : 50% libre.");
    QTest::newRow("2 TiB") << 2048 * GiB << 1 << en << QStringLiteral("Mémoire physique totale : 2,147,483,648 Ko")
                           << QStringLiteral("Ressources système      : 99% libre.");
    QTest::newRow("French grouping") << 8 * GiB << 25 << fr
                                     << QStringLiteral("Mémoire physique totale : 8") + g + QStringLiteral("388") + g + QStringLiteral("608 Ko")
                                     << QStringLiteral("Ressources système      : 75% libre.");
    QTest::newRow("C locale still groups") << 8 * GiB << 25 << QLocale::c()
                                           << QStringLiteral("Mémoire physique totale : 8,388,608 Ko")
                                           << QStringLiteral("Ressources système      : 75% libre.");
    QTest::newRow("half a kilobyte rounds up") << quint64(1536) << 0 << en
                                               << QStringLiteral("Mémoire physique totale : 2 Ko")
                                               << QStringLiteral("Ressources système      : 100% libre.");
    QTest::newRow("less than half rounds down") << quint64(1024 * 1000 + 511) << 0 << en
                                                << QStringLiteral("Mémoire physique totale : 1,000 Ko")
                                                << QStringLiteral("Ressources système      : 100% libre.");
}

void TestAbout::memoryLines()
{
    QFETCH(quint64, total);
    QFETCH(int, load);
    QFETCH(QLocale, locale);
    QFETCH(QString, physMem);
    QFETCH(QString, physRes);

    const MemoryStatus status{total, load};
    QCOMPARE(belva::PhysicalMemoryLine(status, locale), physMem);
    QCOMPARE(belva::FreeResourcesLine(status), physRes);
}

void TestAbout::parseMemInfo_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<std::optional<MemoryStatus>>("expected");

    QTest::newRow("available given") << QByteArray("MemTotal:       16384000 kB\n"
                                                   "MemFree:         1000000 kB\n"
                                                   "MemAvailable:   12288000 kB\n"
                                                   "Buffers:          200000 kB\n")
                                     << std::optional(MemoryStatus{16384000ull * 1024, 25});
    QTest::newRow("older kernel: free, buffers, cached")
        << QByteArray("MemTotal: 1000 kB\nMemFree: 300 kB\nBuffers: 100 kB\nCached: 200 kB\n")
        << std::optional(MemoryStatus{1000ull * 1024, 40});
    QTest::newRow("nothing available") << QByteArray("MemTotal: 1000 kB\nMemAvailable: 0 kB\n")
                                       << std::optional(MemoryStatus{1000ull * 1024, 100});
    QTest::newRow("all available") << QByteArray("MemTotal: 1000 kB\nMemAvailable: 1000 kB\n")
                                   << std::optional(MemoryStatus{1000ull * 1024, 0});
    QTest::newRow("64 GiB") << QByteArray("MemTotal: 67108864 kB\nMemAvailable: 33554432 kB\n")
                            << std::optional(MemoryStatus{64 * GiB, 50});
    QTest::newRow("no total") << QByteArray("MemFree: 300 kB\n") << std::optional<MemoryStatus>();
    QTest::newRow("zero total") << QByteArray("MemTotal: 0 kB\n") << std::optional<MemoryStatus>();
    static const char garbage[] = "MemTotal: lots\n\0\xff";
    QTest::newRow("garbage") << QByteArray(garbage, sizeof garbage - 1) << std::optional<MemoryStatus>();
    QTest::newRow("empty") << QByteArray() << std::optional<MemoryStatus>();
}

void TestAbout::parseMemInfo()
{
    QFETCH(QByteArray, text);
    QFETCH(std::optional<MemoryStatus>, expected);

    const std::optional<MemoryStatus> status = belva::ParseMemInfo(text);
    QCOMPARE(status.has_value(), expected.has_value());
    if (expected) {
        QCOMPARE(status->totalPhysical, expected->totalPhysical);
        QCOMPARE(status->memoryLoad, expected->memoryLoad);
    }
}

void TestAbout::readsThisMachine()
{
    const MemoryStatus status = belva::ReadMemoryStatus();
    QVERIFY(status.totalPhysical >= 16 * 1024 * 1024);
    QVERIFY(status.memoryLoad >= 0 && status.memoryLoad <= 100);
}

void TestAbout::labelsFit_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("pos");

    QTest::newRow("Label1") << "Label1" << QPoint(88, 96);
    QTest::newRow("Label2") << "Label2" << QPoint(88, 120);
    QTest::newRow("Label3") << "Label3" << QPoint(88, 136);
    QTest::newRow("lblPhysMem") << "lblPhysMem" << QPoint(86, 173);
    QTest::newRow("lblPhysRes") << "lblPhysRes" << QPoint(86, 193);
}

void TestAbout::labelsFit()
{
    QFETCH(QString, name);
    QFETCH(QPoint, pos);

    TFAbout form;
    form.SetTexts(QStringLiteral("BELVA MG"), QStringLiteral("Version 1.0 Win9x - WinXP"),
                  QString::fromUtf16(belva::CopyrightNotice));
    form.ShowMemoryStatus(MemoryStatus{512 * GiB, 100}); // a long figure
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.windowTitle(), QStringLiteral("A propos de..."));
    QCOMPARE(form.size(), QSize(294, 268));

    auto *label = form.findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->pos(), pos);
    QVERIFY(!label->text().isEmpty());
    QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(label->text()));
    QVERIFY(label->height() >= label->fontMetrics().height());
    QVERIFY(form.rect().contains(label->geometry()));

    // Nothing else on the label: other controls, nor the drawn separator.
    QList<QRect> others{QRect(86, 162, 195, 2)};
    for (const char *other : {"Image1", "Label1", "Label2", "Label3", "lblPhysMem", "lblPhysRes", "FImage", "Button1"}) {
        if (name != QLatin1String(other))
            others << form.findChild<QWidget *>(QLatin1String(other))->geometry();
    }
    for (const QRect &other : others)
        QVERIFY2(!label->geometry().intersects(other), qPrintable(name));
}

void TestAbout::etchedSeparator()
{
    TFAbout form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QImage image = form.grab().toImage();

    const QColor black(Qt::black);
    const QColor white(Qt::white);
    for (int x = 86; x <= 280; ++x) {
        QCOMPARE(image.pixelColor(x, 162), black);
        QCOMPARE(image.pixelColor(x, 163), white);
    }
    for (int y : {162, 163}) {
        QVERIFY(image.pixelColor(85, y) != black && image.pixelColor(85, y) != white);
        QVERIFY(image.pixelColor(281, y) != black && image.pixelColor(281, y) != white);
    }
    for (int x : {86, 180, 280}) {
        QVERIFY(image.pixelColor(x, 161) != black && image.pixelColor(x, 161) != white);
        QVERIFY(image.pixelColor(x, 164) != black && image.pixelColor(x, 164) != white);
    }
    auto *line1 = form.findChild<TLine *>(QStringLiteral("Line1"));
    QVERIFY(line1);
    QCOMPARE(QLine(line1->FromX(), line1->FromY(), line1->ToX(), line1->ToY()), QLine(0, 4, 195, 4));
}

void TestAbout::showsApplicationIcon()
{
    TFAbout form;
    auto *image = form.findChild<QLabel *>(QStringLiteral("FImage"));
    QVERIFY(image);
    const QPixmap pixmap = image->pixmap();
    QCOMPARE(pixmap.deviceIndependentSize().toSize(), QSize(32, 32));
    QCOMPARE(pixmap.toImage().pixelColor(16, 16), QColor(Qt::red));
    QVERIFY(image->alignment() & Qt::AlignTop);
    QVERIFY(image->alignment() & Qt::AlignLeft);

    auto *banner = form.findChild<QLabel *>(QStringLiteral("Image1"));
    QVERIFY(banner);
    QCOMPARE(banner->pixmap().size(), QSize(294, 77));
}

void TestAbout::boldLabel_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("product name") << QStringLiteral("BELVA MG");
    QTest::newRow("accents") << QStringLiteral("Évaluation veineuse");
    QTest::newRow("characters outside the bitmap font") << QStringLiteral("BELVA 中文 ✓");
}

void TestAbout::boldLabel()
{
    QFETCH(QString, text);

    const QString wineFont = QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf");
    TFAbout form; // loads the dialog's font
    QFont font = form.findChild<QLabel *>(QStringLiteral("Label1"))->font();
    QVERIFY(font.bold());
    QCOMPARE(font.pointSize(), 10);

    const QString fontFile = QFile::exists(wineFont) ? wineFont : QString();
    TBoldLabel bold;
    bold.setFont(font);
    bold.SetBitmapFontFile(fontFile);
    bold.setText(text);
    bold.adjustSize();
    font.setBold(false);
    TBoldLabel regular;
    regular.setFont(font);
    regular.SetBitmapFontFile(fontFile);
    regular.setText(text);
    regular.adjustSize();

    QVERIFY(bold.width() > regular.width());
    QVERIFY(bold.height() >= regular.height());
    QVERIFY(DarkPixels(bold) > DarkPixels(regular) * 5 / 4);
    if (text != QLatin1String("BELVA MG"))
        return;
    if (fontFile.isEmpty())
        BELVA_SKIP_OR_FAIL("the MS Sans Serif font file of fonts-wine is missing (run scripts/setup)");
    QCOMPARE(bold.height(), 16); // the 10 point strike: 13-pixel characters
}

void TestAbout::execute_data()
{
    QTest::addColumn<bool>("byButton"); // OK, or the close box

    QTest::newRow("OK") << true;
    QTest::newRow("close box") << false;
}

void TestAbout::execute()
{
    QFETCH(bool, byButton);

    QWidget mainWindow;
    auto *box = new TAboutBox(&mainWindow);
    box->SetProductName(QStringLiteral("BELVA MG"));
    box->SetVersion(QStringLiteral("Version 1.0 Win9x - WinXP"));

    QStringList seen;
    bool wasAbout = false;
    ModalDriver driver({Answer<QWidget>([&](QWidget *modal) {
        wasAbout = qobject_cast<TFAbout *>(modal) != nullptr;
        for (const char *name : {"Label1", "Label2", "Label3"}) {
            if (auto *label = modal->findChild<QLabel *>(QLatin1String(name)))
                seen << label->text();
        }
        if (byButton) {
            if (auto *ok = modal->findChild<QPushButton *>(QStringLiteral("Button1")))
                QTest::mouseClick(ok, Qt::LeftButton);
        } else {
            modal->close();
        }
    })});
    box->Execute();

    QVERIFY(wasAbout);
    QCOMPARE(seen, QStringList({QStringLiteral("BELVA MG"), QStringLiteral("Version 1.0 Win9x - WinXP"),
                                QStringLiteral("Copyright © 2026 Équipe BELVA.")}));
    QCOMPARE(LiveDialogs(), 0);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestAbout::executeTwiceBuildsTwoDialogs()
{
    TAboutBox box;
    QList<QWidget *> dialogs;
    for (int i = 0; i < 2; ++i) {
        int destroyed = 0;
        ModalDriver driver({Answer<QWidget>([&](QWidget *modal) {
            dialogs << modal;
            connect(modal, &QObject::destroyed, this, [&] { ++destroyed; });
            modal->close();
        })});
        box.Execute();
        QCOMPARE(destroyed, 1);
    }
    QCOMPARE(dialogs.size(), 2);
}

void TestAbout::escapeLeavesBoxOpen()
{
    TAboutBox box;
    bool openAfterEscape = false;
    ModalDriver driver({Answer<QWidget>([&](QWidget *modal) {
        QTest::keyClick(modal, Qt::Key_Escape);
        QCoreApplication::processEvents();
        openAfterEscape = modal->isVisible();
        QTest::keyClick(modal, Qt::Key_Return); // OK has the focus
    })});
    box.Execute();
    QVERIFY(openAfterEscape);
    QCOMPARE(LiveDialogs(), 0);
}

void TestAbout::creationFailureShowsNothing()
{
    FailingAboutBox box;
    bool shown = false;
    {
        ModalDriver driver({Answer<QWidget>([&](QWidget *modal) {
            shown = true;
            modal->close();
        })});
        box.Execute(); // beeps, returns at once
        QTest::qWait(50);
    }
    QVERIFY(!shown);
    QCOMPARE(LiveDialogs(), 0);
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
