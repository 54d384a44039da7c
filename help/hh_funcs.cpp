#include "hh_funcs.h"

#include "hh_funcs_platform.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <array>

namespace belva::hh_funcs {

namespace {

ProbeState g_state;

enum class Test { Above, Equal, AtLeast };

struct NameRow
{
    Test test;
    FileVersion version;
    const char *name;
};

constexpr std::array<NameRow, 13> ViewerNames{{
    {Test::Above, {4, 74, 9273, 0}, "> 1.33"},
    {Test::Equal, {4, 74, 9273, 0}, "1.33"},
    {Test::AtLeast, {4, 74, 8857, 0}, "1.32"},
    {Test::AtLeast, {4, 74, 8793, 0}, "1.31"},
    {Test::AtLeast, {4, 74, 8702, 0}, "1.3"},
    {Test::AtLeast, {4, 73, 8561, 0}, "1.22"},
    {Test::AtLeast, {4, 73, 8474, 0}, "1.21a"},
    {Test::AtLeast, {4, 73, 8412, 0}, "1.21"},
    {Test::AtLeast, {4, 73, 8252, 0}, "1.2"},
    {Test::AtLeast, {4, 72, 8164, 0}, "1.1b"},
    {Test::AtLeast, {4, 72, 7325, 0}, "1.1a"},
    {Test::AtLeast, {4, 72, 7323, 0}, "1.1"},
    {Test::AtLeast, {4, 72, 7290, 0}, "1.0"},
}};
constexpr char ViewerOtherwise[] = "< 1.0";

constexpr std::array<NameRow, 32> BrowserNames{{
    {Test::Above, {6, 0, 2600, 0}, "> Internet Explorer 6"},
    {Test::Equal, {6, 0, 2600, 0}, "Internet Explorer 6 (Windows XP)"},
    {Test::AtLeast, {6, 0, 2479, 6}, "Internet Explorer 6 Public Preview (Beta) Refresh"},
    {Test::AtLeast, {6, 0, 2462, 0}, "Internet Explorer 6 Public Preview (Beta)"},
    {Test::AtLeast, {5, 50, 4807, 2300}, "Internet Explorer 5.5 Service Pack 2"},
    {Test::AtLeast, {5, 50, 4522, 1800}, "Internet Explorer 5.5 Service Pack 1"},
    {Test::AtLeast, {5, 50, 4308, 2900}, "Internet Explorer 5.5 Advanced Security Privacy Beta"},
    {Test::AtLeast, {5, 50, 4134, 600}, "Internet Explorer 5.5"},
    {Test::AtLeast, {5, 50, 4134, 100}, "Internet Explorer 5.5 for Windows Me (4.90.3000)"},
    {Test::AtLeast, {5, 50, 4030, 2400}, "Internet Explorer 5.5 & Internet Tools Beta"},
    {Test::AtLeast, {5, 50, 3825, 1300}, "Internet Explorer 5.5 Developer Preview"},
    {Test::AtLeast, {5, 0, 2919, 6307}, "Internet Explorer 5.01"},
    {Test::AtLeast, {5, 0, 2919, 3800}, "Internet Explorer 5.01 (Windows 2000 RC2, build 5.00.2128)"},
    {Test::AtLeast, {5, 0, 2919, 800}, "Internet Explorer 5.01 (Windows 2000 RC1, build 5.00.2072)"},
    {Test::AtLeast, {5, 0, 2721, 1400}, "Internet Explorer 5.0 updated"},
    {Test::AtLeast, {5, 0, 2614, 0}, "Internet Explorer 5.0b"},
    {Test::AtLeast, {5, 0, 2314, 0}, "Internet Explorer 5.0a"},
    {Test::AtLeast, {5, 0, 2014, 0}, "Internet Explorer 5.0"},
    {Test::AtLeast, {5, 0, 910, 0}, "Internet Explorer 5 Beta (Beta 2)"},
    {Test::AtLeast, {5, 0, 518, 0}, "Internet Explorer 5 Developer Preview (Beta 1)"},
    {Test::AtLeast, {4, 72, 3612, 0}, "Internet Explorer 4.01 Service Pack 2 (SP2)"},
    {Test::AtLeast, {4, 72, 3110, 0}, "Internet Explorer 4.01 Service Pack 1 (SP1)"},
    {Test::AtLeast, {4, 72, 2106, 0}, "Internet Explorer 4.01"},
    {Test::AtLeast, {4, 71, 1712, 0}, "Internet Explorer 4.0"},
    {Test::AtLeast, {4, 71, 1008, 0}, "Internet Explorer 4.0 Platform Preview 2.0 (PP2)"},
    {Test::AtLeast, {4, 71, 544, 0}, "Internet Explorer 4.0 Platform Preview 1.0 (PP1)"},
    {Test::AtLeast, {4, 70, 1300, 0}, "Internet Explorer 3.02"},
    {Test::AtLeast, {4, 70, 1215, 0}, "Internet Explorer 3.01"},
    {Test::AtLeast, {4, 70, 1158, 0}, "Internet Explorer 3.0 (OSR2)"},
    {Test::AtLeast, {4, 70, 1155, 0}, "Internet Explorer 3.0"},
    {Test::AtLeast, {4, 40, 520, 0}, "Internet Explorer 2.0"},
    {Test::AtLeast, {4, 40, 308, 0}, "Internet Explorer 1.0 (Plus!)"},
}};
constexpr char BrowserOtherwise[] = "< Internet Explorer 1.0 (Plus!)";

template<std::size_t N>
QString friendlyName(const std::array<NameRow, N> &rows, const char *otherwise, const FileVersion &v)
{
    for (const NameRow &row : rows) {
        const int c = CompareVersions(v, row.version);
        const bool passes = (row.test == Test::Above && c > 0) || (row.test == Test::Equal && c == 0)
                            || (row.test == Test::AtLeast && c >= 0);
        if (passes)
            return QString::fromLatin1(row.name);
    }
    return QString::fromLatin1(otherwise);
}

bool isDebugSwitch(const QString &parameter)
{
    return parameter.compare(u"/debug", Qt::CaseInsensitive) == 0
           || parameter.compare(u"-debug", Qt::CaseInsensitive) == 0;
}

QString hex4(uint value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(4, u'0');
}

// Each argument starts with a tab.
void headerLine(const char *label, const QString &argument)
{
    DebugLogLine(QLatin1String(label) + u'\t' + argument);
}

void writeHeader(const ProbeState &s, const QStringList &arguments)
{
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    const quint32 lcid = platform::DefaultLcid();
    const uint langId = lcid & 0xFFFF;
    const QString separator = QStringLiteral("-");

    headerLine("!Filename:             ", s.DebugLogDir + platform::PathSeparator() + QString::fromUtf16(DebugLogName));
    headerLine("!Date:                 ", locale.toString(now.date(), QLocale::ShortFormat) + u' '
                                              + locale.toString(now.time(), LongTimeFormat(locale)));
    headerLine("!Operating System:      ", platform::OperatingSystem());
    headerLine("!SysLocale.DefaultLCID: ", hex4(lcid));
    headerLine("!SysLocale.PriLangID:   ", hex4(langId & 0x3FF));
    headerLine("!SysLocale.SubLangID:   ", hex4(langId >> 10));
    headerLine("!DecimalSeparator:      ", locale.decimalPoint());
    DebugLogLine(separator);
    headerLine("!EXE Path =          ", arguments.value(0));
    headerLine("!Cmdline Param(s) =  ", arguments.mid(1).join(QStringLiteral(" | ")));
    headerLine("!_RunDir =           ", s._RunDir);
    headerLine("!_ModuleName =       ", s._ModuleName);
    headerLine("!_ModuleDir =        ", s._ModuleDir);
    DebugLogLine(separator);
    headerLine("!_hhInstalled =      ", s._hhInstalled ? QStringLiteral("YES") : QStringLiteral("NO"));
    headerLine("!_hhVerStr =         ", s._hhVerStr);
    headerLine("!_hhFriendlyVerStr = ", s._hhFriendlyVerStr);
    DebugLogLine(separator);
    headerLine("!_ieInstalled =      ", s._ieInstalled ? QStringLiteral("YES") : QStringLiteral("NO"));
    headerLine("!_ieVerStr =         ", s._ieVerStr);
    headerLine("!_ieFriendlyVerStr = ", s._ieFriendlyVerStr);
    DebugLogLine(QStringLiteral("="));
}

} // namespace

int CompareVersions(const FileVersion &a, const FileVersion &b)
{
    const quint16 left[] = {a.major, a.minor, a.release, a.build};
    const quint16 right[] = {b.major, b.minor, b.release, b.build};
    for (int i = 0; i < 4; ++i) {
        if (left[i] != right[i])
            return left[i] < right[i] ? -1 : 1;
    }
    return 0;
}

QString StripTrailingChar(QString text, QChar c)
{
    while (!text.isEmpty() && text.back() == c)
        text.chop(1);
    return text;
}

void DebugLogLine(const QString &line)
{
    if (!g_state.DebugLogDirFound)
        return;
    QString text = line;
    if (text == u"-")
        text = QString(80, u'-');
    else if (text == u"=")
        text = QString(80, u'=');
    if (!text.isEmpty() && (text.front() == u'!' || text.front() == u'-' || text.front() == u'='))
        text.remove(0, 1);
    else
        text = QLocale().toString(QTime::currentTime(), LongTimeFormat(QLocale())) + QStringLiteral("   ") + text;
    platform::AppendLogLine(g_state.DebugLogDir + platform::PathSeparator() + QString::fromUtf16(DebugLogName), text);
}

QString LongTimeFormat(const QLocale &locale)
{
    // The zone with what sets it apart: blanks or a comma before it, brackets
    // round it. Quoted text is literal and never holds it.
    static const QRegularExpression zone(QStringLiteral(R"([\s,]*(\(t+\)|\[t+\]|t+))"));
    const QStringList parts = locale.timeFormat(QLocale::LongFormat).split(u'\'');
    QString format;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            format += u'\'';
        format += i % 2 == 1 ? parts.at(i) : QString(parts.at(i)).remove(zone);
    }
    return format.trimmed();
}

QString VersionText(const FileVersion &v)
{
    return QStringLiteral("%1.%2.%3.%4").arg(v.major).arg(v.minor).arg(v.release).arg(v.build);
}

QString ViewerFriendlyName(const FileVersion &v)
{
    return friendlyName(ViewerNames, ViewerOtherwise, v);
}

FileVersion AdjustBrowserVersion(FileVersion v)
{
    if (v.major == 4 && v.minor <= 70 && v.release == 0) {
        v.release = v.build;
        v.build = 0;
    }
    return v;
}

QString BrowserFriendlyName(const FileVersion &v)
{
    return friendlyName(BrowserNames, BrowserOtherwise, v);
}

void RunProbe(const ProbeEnvironment &env)
{
    g_state = ProbeState{};
    ProbeState &s = g_state;
    const QChar sep = platform::PathSeparator();

    s.ModuleFullName = env.moduleFullName;
    s._ModuleDir = StripTrailingChar(DirectoryPart(s.ModuleFullName), sep);
    s._ModuleName = FileNamePart(s.ModuleFullName);
    s._RunDir = StripTrailingChar(DirectoryPart(env.arguments.value(0)), sep);

    const std::optional<QString> logDir = DirectoryIsWritable(s._ModuleDir) ? s._ModuleDir : GetTempDir(env.temp);
    s.DebugLogDir = logDir.value_or(QString());
    s.DebugLogDirFound = logDir.has_value();

    const QFileInfo marker(s._ModuleDir + sep + QString::fromUtf16(DebugMarkerName));
    s.DebugMode = marker.exists() && !marker.isDir();
    for (qsizetype i = 1; !s.DebugMode && i < env.arguments.size(); ++i)
        s.DebugMode = isDebugSwitch(env.arguments.at(i));

    s._hhVerStr = GetFileVersionText(env.viewerLibraryPath, &s.hhVersion);
    s._hhInstalled = !s._hhVerStr.isEmpty();
    s._hhFriendlyVerStr = s._hhVerStr.isEmpty() ? QString() : ViewerFriendlyName(s.hhVersion);

    FileVersion ie;
    QString ieText = GetFileVersionText(StripTrailingChar(env.systemDir, sep) + sep + QString::fromUtf16(BrowserComponentName), &ie);
    const FileVersion adjusted = AdjustBrowserVersion(ie);
    if (CompareVersions(adjusted, ie) != 0)
        ieText = VersionText(adjusted);
    s.ieVersion = adjusted;
    s._ieVerStr = ieText;
    s._ieInstalled = !ieText.isEmpty();
    s._ieFriendlyVerStr = ieText.isEmpty() ? QString() : BrowserFriendlyName(adjusted);

    if (!s.DebugLogDirFound)
        return;
    platform::RemoveLog(s.DebugLogDir + sep + QString::fromUtf16(DebugLogName));
    if (s.DebugMode)
        writeHeader(s, env.arguments);
}

const ProbeState &State()
{
    return g_state;
}

void ClearProbe()
{
    g_state = ProbeState{};
}

void InitializeModule(int argc, const char *const *argv)
{
    RunProbe(CurrentEnvironment(argc, argv));
}

void FinalizeModule()
{
    ClearProbe();
}

} // namespace belva::hh_funcs
