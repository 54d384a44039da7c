#include "hh_funcs.h"

#include "restrictions.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace belva::hh_funcs;

Q_DECLARE_METATYPE(FileVersion)

namespace {

const QString ProbeFile = QStringLiteral("$_Temp_$.$$$");
const QString LogFile = QStringLiteral("HHDebug.txt");

bool touch(const QString &path, const QByteArray &content = {})
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

QStringList readLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

FileVersion version(const QString &text)
{
    const QStringList p = text.split(u'.');
    return FileVersion{p.value(0).toUShort(), p.value(1).toUShort(), p.value(2).toUShort(), p.value(3).toUShort()};
}

QStringList filesNamed(const QString &root, const QString &name)
{
    QStringList found;
    QDirIterator it(root, {name}, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

// A folder of exactly that mode, whatever the umask.
bool makeFolder(const QString &path, mode_t mode)
{
    const QByteArray name = QFile::encodeName(path);
    return ::mkdir(name.constData(), mode) == 0 && ::chmod(name.constData(), mode) == 0;
}

// Giving a file to another user needs root.
#define REQUIRE_ROOT()                                                                \
    if (geteuid() != 0)                                                               \
        BELVA_SKIP_OR_FAIL("only root can give a file to another user")

} // namespace

// A program folder, a temporary folder and a system folder in a fresh
// temporary directory; the probe runs against them.
class TestHelpProbe : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *m_root = nullptr;
    QString m_prog, m_tmp, m_sys, m_shared, m_private;

    QString exe() const { return m_prog + QStringLiteral("/BelvaMG"); }
    ProbeEnvironment environment(const QStringList &parameters) const
    {
        return ProbeEnvironment{exe(), QStringList{exe()} + parameters, TempLocations{m_tmp, QString(), m_shared},
                                m_sys, QString()};
    }

private Q_SLOTS:
    void init()
    {
        m_root = new QTemporaryDir;
        QVERIFY(m_root->isValid());
        m_prog = m_root->filePath(QStringLiteral("prog"));
        m_tmp = m_root->filePath(QStringLiteral("tmp"));
        m_sys = m_root->filePath(QStringLiteral("sys"));
        m_shared = m_root->filePath(QStringLiteral("shared"));
        m_private = m_shared + QStringLiteral("/belvamg-") + QString::number(geteuid());
        for (const QString &d : {m_prog, m_tmp, m_sys, m_shared})
            QVERIFY(QDir().mkpath(d));
        QVERIFY(touch(exe()));
    }

    void cleanup()
    {
        ClearProbe();
        QLocale::setDefault(QLocale::system());
        QFile::setPermissions(m_prog, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        delete m_root;
        m_root = nullptr;
    }

    void paths()
    {
        ProbeEnvironment env = environment({});
        env.arguments[0] = QStringLiteral("./run/BelvaMG");
        RunProbe(env);
        QCOMPARE(State().ModuleFullName, exe());
        QCOMPARE(State()._ModuleDir, m_prog);
        QCOMPARE(State()._ModuleName, QStringLiteral("BelvaMG"));
        QCOMPARE(State()._RunDir, QStringLiteral("./run"));
        QCOMPARE(State().DebugLogDir, m_prog);
    }

    void debugSwitch_data()
    {
        QTest::addColumn<QStringList>("parameters");
        QTest::addColumn<bool>("marker");
        QTest::addColumn<bool>("debug");

        QTest::newRow("no parameter") << QStringList{} << false << false;
        QTest::newRow("/debug") << QStringList{"/debug"} << false << true;
        QTest::newRow("-debug") << QStringList{"-debug"} << false << true;
        QTest::newRow("/DEBUG in capitals") << QStringList{"/DEBUG"} << false << true;
        QTest::newRow("-DeBuG in mixed case") << QStringList{"-DeBuG"} << false << true;
        QTest::newRow("after other parameters") << QStringList{"patient", "x", "-debug"} << false << true;
        QTest::newRow("debug without prefix") << QStringList{"debug"} << false << false;
        QTest::newRow("--debug") << QStringList{"--debug"} << false << false;
        QTest::newRow("/debugx") << QStringList{"/debugx"} << false << false;
        QTest::newRow("\\debug") << QStringList{"\\debug"} << false << false;
        QTest::newRow("marker file") << QStringList{} << true << true;
        QTest::newRow("marker file, other parameters") << QStringList{"debug", "x"} << true << true;
    }

    void debugSwitch()
    {
        QFETCH(QStringList, parameters);
        QFETCH(bool, marker);
        QFETCH(bool, debug);
        if (marker)
            QVERIFY(touch(m_prog + QStringLiteral("/debug.debug")));

        RunProbe(environment(parameters));
        QCOMPARE(State().DebugMode, debug);
        QCOMPARE(QFile::exists(m_prog + u'/' + LogFile), debug);
    }

    void markerDirectoryIsNoSwitch()
    {
        QVERIFY(QDir().mkdir(m_prog + QStringLiteral("/debug.debug")));
        RunProbe(environment({}));
        QVERIFY(!State().DebugMode);
    }

    void previousLogDeleted_data()
    {
        QTest::addColumn<QStringList>("parameters");
        QTest::newRow("debug off") << QStringList{};
        QTest::newRow("debug on") << QStringList{"/debug"};
    }

    void previousLogDeleted()
    {
        QFETCH(QStringList, parameters);
        const QString log = m_prog + u'/' + LogFile;
        QVERIFY(touch(log, "previous run\n"));

        RunProbe(environment(parameters));
        if (parameters.isEmpty()) {
            QVERIFY(!QFile::exists(log));
        } else {
            const QStringList lines = readLines(log);
            QCOMPARE(lines.size(), 22);
            QVERIFY(!lines.contains(QStringLiteral("previous run")));
        }
    }

    // A folder that cannot exist (its parent is a file), and a read-only one
    // (permission bits apply, also to root).
    void unwritableProgramFolder_data()
    {
        QTest::addColumn<bool>("byPermissions");
        QTest::addColumn<QString>("logDir"); // TMPDIR, the private folder, or none
        QTest::newRow("folder under a file") << false << "tmp";
        QTest::newRow("folder under a file, no TMPDIR") << false << "private";
        QTest::newRow("folder under a file, private folder refused") << false << "refused";
        QTest::newRow("read-only folder") << true << "tmp";
    }

    void unwritableProgramFolder()
    {
        QFETCH(bool, byPermissions);
        QFETCH(QString, logDir);
        const bool refused = logDir == u"refused";
        ProbeEnvironment env = environment({QStringLiteral("/debug")});
        if (logDir != u"tmp")
            env.temp.tmpDir.clear();
        logDir = logDir == u"tmp" ? m_tmp : m_private;
        std::optional<belva::test::PermissionBitsApply> asUser;
        if (byPermissions) {
            QVERIFY(QFile::setPermissions(m_prog, QFile::ReadOwner | QFile::ExeOwner));
            QVERIFY(asUser.emplace().ok());
        } else {
            const QString blocker = m_root->filePath(QStringLiteral("blocker"));
            QVERIFY(touch(blocker));
            env.moduleFullName = blocker + QStringLiteral("/prog/BelvaMG");
            env.arguments[0] = env.moduleFullName;
        }
        QVERIFY(makeFolder(m_private, refused ? 0777 : 0700));
        QVERIFY(touch(logDir + u'/' + LogFile, "previous run\n"));

        RunProbe(env);
        DebugLogLine(QStringLiteral("!only in a folder of the user's own"));
        asUser.reset();
        const QStringList lines = readLines(logDir + u'/' + LogFile);
        QCOMPARE(lines.size(), refused ? 1 : 23);
        QCOMPARE(lines.value(0), refused ? QStringLiteral("previous run")
                                         : QStringLiteral("Filename:             \t") + logDir + u'/' + LogFile);
        QCOMPARE(filesNamed(m_root->path(), LogFile), QStringList{logDir + u'/' + LogFile});
        QCOMPARE(filesNamed(m_root->path(), ProbeFile), QStringList());
    }

    // The probe never truncates nor deletes what it did not create.
    void existingProbeFileKeepsItsBytes_data()
    {
        QTest::addColumn<bool>("link");
        QTest::newRow("file") << false;
        QTest::newRow("link to a file") << true;
    }

    void existingProbeFileKeepsItsBytes()
    {
        QFETCH(bool, link);
        const QString probe = m_prog + u'/' + ProbeFile;
        const QString target = link ? m_root->filePath(QStringLiteral("target")) : probe;
        QVERIFY(touch(target, "the user's own"));
        if (link)
            QVERIFY(QFile::link(target, probe));

        QVERIFY(DirectoryIsWritable(m_prog + QStringLiteral("//")));
        RunProbe(environment({}));
        QCOMPARE(State().DebugLogDir, m_prog);
        QCOMPARE(filesNamed(m_root->path(), QStringLiteral("$_Temp_$*")), QStringList{probe});
        QCOMPARE(readLines(target), QStringList{"the user's own"});
    }

    // Something planted at the log's name before start is removed, not
    // followed; one planted later is never written.
    void plantedAtLogPath_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("beforeStart");
        QTest::newRow("link, before start") << QStringLiteral("link") << true;
        QTest::newRow("dangling link, before start") << QStringLiteral("dangling link") << true;
        QTest::newRow("link") << QStringLiteral("link") << false;
        QTest::newRow("dangling link") << QStringLiteral("dangling link") << false;
        QTest::newRow("another user's file") << QStringLiteral("file") << false;
        QTest::newRow("named pipe") << QStringLiteral("pipe") << false;
    }

    void plantedAtLogPath()
    {
        QFETCH(QString, what);
        QFETCH(bool, beforeStart);
        const QString log = m_prog + u'/' + LogFile;
        const QString target = what == u"file" ? log : m_root->filePath(QStringLiteral("target"));
        if (what == u"file")
            REQUIRE_ROOT();
        if (!beforeStart)
            RunProbe(environment({QStringLiteral("/debug")}));
        QFile::remove(log);
        if (what != u"dangling link" && what != u"pipe")
            QVERIFY(touch(target, "the user's own\n"));
        if (what.endsWith(u"link"))
            QVERIFY(QFile::link(target, log));
        if (what == u"file")
            QCOMPARE(::chown(QFile::encodeName(log).constData(), getuid() + 1, getgid()), 0);
        if (what == u"pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(log).constData(), 0666), 0);

        if (beforeStart)
            RunProbe(environment({QStringLiteral("/debug")}));
        else
            DebugLogLine(QStringLiteral("!not for this file"));
        struct stat st{};
        if (what == u"pipe")
            QVERIFY(::lstat(QFile::encodeName(log).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
        else if (what == u"dangling link")
            QVERIFY(!QFileInfo::exists(target));
        else
            QCOMPARE(readLines(target), QStringList{"the user's own"});
        if (beforeStart) {
            QVERIFY(!QFileInfo(log).isSymLink());
            QCOMPARE(readLines(log).size(), 22);
        }
    }

    void header_data()
    {
        QTest::addColumn<QStringList>("parameters");
        QTest::addColumn<QString>("parameterRow");
        QTest::newRow("marker, no parameter") << QStringList{} << QString();
        QTest::newRow("one parameter") << QStringList{"/debug"} << QStringLiteral("/debug");
        QTest::newRow("several") << QStringList{"-DEBUG", "Dupont Jean", "x"} << QStringLiteral("-DEBUG | Dupont Jean | x");
    }

    void header()
    {
        QFETCH(QStringList, parameters);
        QFETCH(QString, parameterRow);
        QVERIFY(touch(m_prog + QStringLiteral("/debug.debug")));
        ProbeEnvironment env = environment(parameters);
        env.arguments[0] = QStringLiteral("prog/BelvaMG");

        RunProbe(env);
        const QStringList lines = readLines(m_prog + u'/' + LogFile);
        QCOMPARE(lines.size(), 22);

        const QString dashes(79, u'-');
        const QStringList fixed{
            QStringLiteral("Filename:             \t") + m_prog + QStringLiteral("/HHDebug.txt"),
            QString(), QString(), QString(), QString(), QString(), QString(),
            dashes,
            QStringLiteral("EXE Path =          \tprog/BelvaMG"),
            QStringLiteral("Cmdline Param(s) =  \t") + parameterRow,
            QStringLiteral("_RunDir =           \tprog"),
            QStringLiteral("_ModuleName =       \tBelvaMG"),
            QStringLiteral("_ModuleDir =        \t") + m_prog,
            dashes,
            QStringLiteral("_hhInstalled =      \tNO"),
            QStringLiteral("_hhVerStr =         \t"),
            QStringLiteral("_hhFriendlyVerStr = \t"),
            dashes,
            QStringLiteral("_ieInstalled =      \tNO"),
            QStringLiteral("_ieVerStr =         \t"),
            QStringLiteral("_ieFriendlyVerStr = \t"),
            QString(79, u'='),
        };
        for (int i = 0; i < fixed.size(); ++i) {
            if (!fixed.at(i).isNull())
                QCOMPARE(lines.at(i), fixed.at(i));
        }
        const QStringList patterns{
            QStringLiteral(R"(^Date:                 \t\S.*\S$)"),
            QStringLiteral(R"(^Operating System:      \t\S+ \d+\.\d+\.\d+$)"),
            QStringLiteral(R"(^SysLocale\.DefaultLCID: \t0x[0-9A-F]{4,}$)"),
            QStringLiteral(R"(^SysLocale\.PriLangID:   \t0x[0-9A-F]{4}$)"),
            QStringLiteral(R"(^SysLocale\.SubLangID:   \t0x00[0-3][0-9A-F]$)"),
            QStringLiteral(R"(^DecimalSeparator:      \t.$)"),
        };
        for (int i = 0; i < patterns.size(); ++i)
            QVERIFY2(QRegularExpression(patterns.at(i)).match(lines.at(i + 1)).hasMatch(), qPrintable(lines.at(i + 1)));
    }

    // The time as the regional settings write it, without a zone, in the
    // header's date and in front of a timed line.
    void timeWithoutZone_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("time"); // 05:19:56
        QTest::newRow("French") << "fr_FR" << "05:19:56";
        QTest::newRow("C") << "C" << "05:19:56";
        QTest::newRow("English, United States") << "en_US" << "5:19:56 AM";
        QTest::newRow("French, Canada: quoted units") << "fr_CA" << "05 h 19 min 56 s";
        QTest::newRow("Basque: zone in brackets") << "eu_ES" << "05:19:56";
        QTest::newRow("Chinese, Hong Kong: zone in square brackets") << "zh_Hant_HK" << "上午5:19:56";
        QTest::newRow("Albanian: zone after a comma") << "sq_AL" << "5:19:56 E PARADITES";
        QTest::newRow("Nuer: zone first") << "nus_SS" << "5:19:56 RW";
    }

    void timeWithoutZone()
    {
        QFETCH(QString, locale);
        QFETCH(QString, time);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(QLocale().toString(QTime(5, 19, 56), LongTimeFormat(QLocale())), time);

        RunProbe(environment({QStringLiteral("/debug")}));
        DebugLogLine(QStringLiteral("plain"));
        const QStringList lines = readLines(m_prog + u'/' + LogFile);
        const QString zone = QDateTime::currentDateTime().timeZoneAbbreviation();
        QVERIFY2(lines.value(1).startsWith(QStringLiteral("Date:                 \t")) && !lines.value(1).contains(zone),
                 qPrintable(lines.value(1)));
        QVERIFY2(lines.value(22).endsWith(QStringLiteral("   plain")) && !lines.value(22).contains(zone),
                 qPrintable(lines.value(22)));
    }

    void localeIdentifiers()
    {
        // The tests run in the C locale: ICU's invariant locale.
        QVERIFY(touch(m_prog + QStringLiteral("/debug.debug")));
        RunProbe(environment({}));
        const QStringList lines = readLines(m_prog + u'/' + LogFile);
        QCOMPARE(lines.value(3), QStringLiteral("SysLocale.DefaultLCID: \t0x007F"));
        QCOMPARE(lines.value(4), QStringLiteral("SysLocale.PriLangID:   \t0x007F"));
        QCOMPARE(lines.value(5), QStringLiteral("SysLocale.SubLangID:   \t0x0000"));
        QCOMPARE(lines.value(6), QStringLiteral("DecimalSeparator:      \t."));
    }

    void installedVersions_data()
    {
        QTest::addColumn<QString>("viewerFile");
        QTest::addColumn<QString>("browserFile");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("none") << QString() << QString()
                              << QStringList{"NO", "", "", "NO", "", ""};
        QTest::newRow("chmlib 1.0.0, no browser component")
            << QStringLiteral("libchm.so.1.0.0") << QString()
            << QStringList{"YES", "1.0.0.0", "< 1.0", "NO", "", ""};
        QTest::newRow("1.33 and an old component adjusted")
            << QStringLiteral("libchm.so.4.74.9273.0") << QStringLiteral("Shdocvw.dll.4.70.0.1155")
            << QStringList{"YES", "4.74.9273.0", "1.33", "YES", "4.70.1155.0", "Internet Explorer 3.0"};
        QTest::newRow("above 1.33, XP component")
            << QStringLiteral("libchm.so.4.74.9273.1") << QStringLiteral("Shdocvw.dll.6.0.2600.0")
            << QStringList{"YES", "4.74.9273.1", "> 1.33", "YES", "6.0.2600.0", "Internet Explorer 6 (Windows XP)"};
        QTest::newRow("component without a version")
            << QString() << QStringLiteral("Shdocvw.dll")
            << QStringList{"NO", "", "", "NO", "", ""};
    }

    void installedVersions()
    {
        QFETCH(QString, viewerFile);
        QFETCH(QString, browserFile);
        QFETCH(QStringList, rows);
        ProbeEnvironment env = environment({QStringLiteral("-debug")});
        if (!viewerFile.isEmpty()) {
            QVERIFY(touch(m_sys + u'/' + viewerFile));
            QVERIFY(QFile::link(viewerFile, m_sys + QStringLiteral("/libchm.so.1")));
            env.viewerLibraryPath = m_sys + QStringLiteral("/libchm.so.1");
        }
        if (!browserFile.isEmpty()) {
            QVERIFY(touch(m_sys + u'/' + browserFile));
            if (browserFile != QStringLiteral("Shdocvw.dll"))
                QVERIFY(QFile::link(browserFile, m_sys + QStringLiteral("/Shdocvw.dll")));
        }

        RunProbe(env);
        const QStringList lines = readLines(m_prog + u'/' + LogFile);
        const QStringList got{lines.value(14), lines.value(15), lines.value(16),
                              lines.value(18), lines.value(19), lines.value(20)};
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(got.at(i).section(u'\t', 1), rows.at(i));
        QCOMPARE(State()._hhInstalled, rows.at(0) == QStringLiteral("YES"));
        QCOMPARE(State()._ieInstalled, rows.at(3) == QStringLiteral("YES"));
    }

    void fileVersion_data()
    {
        QTest::addColumn<QString>("realName");
        QTest::addColumn<QString>("text");
        QTest::newRow("three numbers") << QStringLiteral("libchm.so.1.0.0") << QStringLiteral("1.0.0.0");
        QTest::newRow("one number") << QStringLiteral("libfoo.so.7") << QStringLiteral("7.0.0.0");
        QTest::newRow("four numbers") << QStringLiteral("x.dll.5.50.4807.2300") << QStringLiteral("5.50.4807.2300");
        QTest::newRow("no number") << QStringLiteral("Shdocvw.dll") << QString();
        QTest::newRow("five numbers") << QStringLiteral("libfoo.so.1.2.3.4.5") << QString();
        QTest::newRow("number above 16 bits") << QStringLiteral("libfoo.so.65536") << QString();
        QTest::newRow("largest number") << QStringLiteral("libfoo.so.65535") << QStringLiteral("65535.0.0.0");
    }

    void fileVersion()
    {
        QFETCH(QString, realName);
        QFETCH(QString, text);
        QVERIFY(touch(m_sys + u'/' + realName));
        QVERIFY(QFile::link(realName, m_sys + QStringLiteral("/link")));
        FileVersion v{1, 1, 1, 1};
        QCOMPARE(GetFileVersionText(m_sys + QStringLiteral("/link"), &v), text);
        QCOMPARE(VersionText(v), text.isEmpty() ? QStringLiteral("0.0.0.0") : text);
    }

    void fileVersionOfNothing()
    {
        FileVersion v{1, 2, 3, 4};
        QCOMPARE(GetFileVersionText(QString(), &v), QString());
        QCOMPARE(CompareVersions(v, FileVersion{}), 0);
        QCOMPARE(GetFileVersionText(m_sys + QStringLiteral("/libchm.so.1.0.0"), &v), QString());
        QCOMPARE(GetFileVersionText(m_sys, &v), QString());
    }

    void viewerName_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("name");
        QTest::newRow("exactly 1.33") << QStringLiteral("4.74.9273.0") << QStringLiteral("1.33");
        QTest::newRow("build above") << QStringLiteral("4.74.9273.1") << QStringLiteral("> 1.33");
        QTest::newRow("release above") << QStringLiteral("4.74.9274.0") << QStringLiteral("> 1.33");
        QTest::newRow("major above") << QStringLiteral("5.0.0.0") << QStringLiteral("> 1.33");
        QTest::newRow("just below 1.33") << QStringLiteral("4.74.9272.65535") << QStringLiteral("1.32");
        QTest::newRow("1.3") << QStringLiteral("4.74.8702.0") << QStringLiteral("1.3");
        QTest::newRow("1.21a") << QStringLiteral("4.73.8474.0") << QStringLiteral("1.21a");
        QTest::newRow("first 1.0") << QStringLiteral("4.72.7290.0") << QStringLiteral("1.0");
        QTest::newRow("below 1.0") << QStringLiteral("4.72.7289.9") << QStringLiteral("< 1.0");
        QTest::newRow("zero") << QStringLiteral("0.0.0.0") << QStringLiteral("< 1.0");
    }

    void viewerName()
    {
        QFETCH(QString, version);
        QFETCH(QString, name);
        QCOMPARE(ViewerFriendlyName(::version(version)), name);
    }

    void browserName_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("adjusted");
        QTest::addColumn<QString>("name");
        QTest::newRow("3.0, build in the release place") << QStringLiteral("4.70.0.1155") << QStringLiteral("4.70.1155.0")
                                                         << QStringLiteral("Internet Explorer 3.0");
        QTest::newRow("3.0 OSR2") << QStringLiteral("4.70.0.1158") << QStringLiteral("4.70.1158.0")
                                  << QStringLiteral("Internet Explorer 3.0 (OSR2)");
        QTest::newRow("minor 71 not adjusted") << QStringLiteral("4.71.0.1712") << QStringLiteral("4.71.0.1712")
                                               << QStringLiteral("Internet Explorer 3.02");
        QTest::newRow("release set, not adjusted") << QStringLiteral("4.70.1155.7") << QStringLiteral("4.70.1155.7")
                                                   << QStringLiteral("Internet Explorer 3.0");
        QTest::newRow("major 5 not adjusted") << QStringLiteral("5.0.0.2014") << QStringLiteral("5.0.0.2014")
                                              << QStringLiteral("Internet Explorer 4.01 Service Pack 2 (SP2)");
        QTest::newRow("XP") << QStringLiteral("6.0.2600.0") << QStringLiteral("6.0.2600.0")
                            << QStringLiteral("Internet Explorer 6 (Windows XP)");
        QTest::newRow("above XP") << QStringLiteral("6.0.2600.1") << QStringLiteral("6.0.2600.1")
                                  << QStringLiteral("> Internet Explorer 6");
        QTest::newRow("5.5 SP2") << QStringLiteral("5.50.4807.2300") << QStringLiteral("5.50.4807.2300")
                                 << QStringLiteral("Internet Explorer 5.5 Service Pack 2");
        QTest::newRow("below 1.0 Plus") << QStringLiteral("4.40.307.0") << QStringLiteral("4.40.307.0")
                                        << QStringLiteral("< Internet Explorer 1.0 (Plus!)");
    }

    void browserName()
    {
        QFETCH(QString, raw);
        QFETCH(QString, adjusted);
        QFETCH(QString, name);
        const FileVersion v = AdjustBrowserVersion(version(raw));
        QCOMPARE(VersionText(v), adjusted);
        QCOMPARE(BrowserFriendlyName(v), name);
    }

    void logLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("written"); // a pattern
        QTest::newRow("dash separator") << QStringLiteral("-") << QString(79, u'-');
        QTest::newRow("equals separator") << QStringLiteral("=") << QString(79, u'=');
        QTest::newRow("bang removed") << QStringLiteral("!text") << QStringLiteral("text");
        QTest::newRow("leading dash removed") << QStringLiteral("-x") << QStringLiteral("x");
        QTest::newRow("two dashes") << QStringLiteral("--") << QStringLiteral("-");
        QTest::newRow("plain line timed") << QStringLiteral("plain") << QStringLiteral("\\S.*   plain");
        QTest::newRow("empty line timed") << QString() << QStringLiteral("\\S.*   ");
    }

    void logLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, written);
        RunProbe(environment({}));
        DebugLogLine(line);
        const QStringList lines = readLines(m_prog + u'/' + LogFile);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(written)).match(lines.at(0)).hasMatch(),
                 qPrintable(lines.at(0)));
    }

    void logLineDroppedWhenUnwritable()
    {
        RunProbe(environment({}));
        QVERIFY(QDir(m_prog).removeRecursively());
        QVERIFY(touch(m_prog));
        DebugLogLine(QStringLiteral("!lost"));
        QVERIFY(QFileInfo(m_prog).isFile());
        QCOMPARE(filesNamed(m_root->path(), LogFile), QStringList());
    }

    // The private folder before start: "0700", "0755", another "user's",
    // a "link" to a folder of mode 0700, a "file", or nothing.
    void tempDir_data()
    {
        QTest::addColumn<QString>("tmpDir");
        QTest::addColumn<QString>("runtimeDir");
        QTest::addColumn<QString>("privateFolder");
        QTest::addColumn<QString>("found"); // "refused" for none, "" for the root
        QTest::newRow("TMPDIR, trailing slashes") << "tmp//" << "sys" << "" << "tmp";
        QTest::newRow("TMPDIR missing") << "missing" << "sys" << "" << "";
        QTest::newRow("XDG_RUNTIME_DIR") << "" << "sys" << "" << "sys";
        QTest::newRow("private folder made") << "" << "" << "" << "private";
        QTest::newRow("private folder") << "" << "" << "0700" << "private";
        QTest::newRow("loose mode") << "" << "" << "0755" << "refused";
        QTest::newRow("another user's") << "" << "" << "user's" << "refused";
        QTest::newRow("link to a private folder") << "" << "" << "link" << "refused";
        QTest::newRow("file") << "" << "" << "file" << "refused";
    }

    void tempDir()
    {
        QFETCH(QString, tmpDir);
        QFETCH(QString, runtimeDir);
        QFETCH(QString, privateFolder);
        QFETCH(QString, found);
        const QByteArray folder = QFile::encodeName(m_private);
        const QString elsewhere = m_root->filePath(QStringLiteral("elsewhere"));
        if (privateFolder == u"user's")
            REQUIRE_ROOT();
        if (privateFolder == u"link")
            QVERIFY(makeFolder(elsewhere, 0700) && QFile::link(elsewhere, m_private));
        else if (privateFolder == u"file")
            QVERIFY(touch(m_private));
        else if (!privateFolder.isEmpty())
            QVERIFY(makeFolder(m_private, privateFolder == u"0755" ? 0755 : 0700));
        if (privateFolder == u"user's")
            QCOMPARE(::chown(folder.constData(), getuid() + 1, getgid()), 0);

        const auto path = [this](const QString &p) { return p.isEmpty() ? p : m_root->filePath(p); };
        const std::optional<QString> dir = GetTempDir(TempLocations{path(tmpDir), path(runtimeDir), m_shared});
        QCOMPARE(dir.has_value(), found != u"refused");
        QCOMPARE(dir.value_or(QString()), found == u"private" ? m_private : found == u"refused" ? QString() : path(found));
        struct stat st{};
        if (found == u"private")
            QCOMPARE(::stat(folder.constData(), &st) == 0 ? st.st_mode & 07777 : 0, 0700u);
    }

    void clearedAtEnd()
    {
        RunProbe(environment({QStringLiteral("/debug")}));
        QVERIFY(State().DebugMode);
        ClearProbe();
        QVERIFY(State()._ModuleDir.isEmpty());
        QVERIFY(State().DebugLogDir.isEmpty());
        QVERIFY(!State().DebugMode);
    }
};

QTEST_GUILESS_MAIN(TestHelpProbe)
#include "tst_hh_funcs.moc"
