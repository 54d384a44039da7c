#include "chmarchive.h"

#include "viewerlibrary.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextDocumentFragment>

#include <chm_lib.h>

namespace belva::hh {

namespace {

// No object of our help file comes near this; a damaged length must not
// make us allocate gigabytes.
constexpr unsigned long long MaxObjectSize = 32ull * 1024 * 1024;

enum SystemCode : quint16 { ContentsFileCode = 0, DefaultTopicCode = 2, TitleCode = 3 };

quint16 readWord(const QByteArray &data, qsizetype at)
{
    return quint16(uchar(data.at(at)) | (uchar(data.at(at + 1)) << 8));
}

QString decodeEntities(const QString &text)
{
    if (!text.contains(u'&'))
        return text;
    return QTextDocumentFragment::fromHtml(text).toPlainText();
}

} // namespace

QString DecodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return text;
}

ChmArchive::ChmArchive(const QString &path)
{
    const EntryPoints &ep = ViewerEntryPoints();
    if (path.isEmpty() || !ViewerAvailable())
        return;
    m_file = ep.chm_open(QFile::encodeName(path).constData());
    if (!m_file)
        return;
    readSystemInfo();
    if (!m_contentsFile.isEmpty())
        m_contents = ParseSitemap(DecodeText(read(ObjectPath(m_contentsFile))));
    if (m_defaultTopic.isEmpty() && !m_contents.isEmpty())
        m_defaultTopic = m_contents.first().local;
}

ChmArchive::~ChmArchive()
{
    if (m_file)
        ViewerEntryPoints().chm_close(m_file);
}

QByteArray ChmArchive::read(const QString &objectPath) const
{
    if (!m_file)
        return {};
    const EntryPoints &ep = ViewerEntryPoints();
    chmUnitInfo info{};
    if (ep.chm_resolve_object(m_file, objectPath.toUtf8().constData(), &info) != CHM_RESOLVE_SUCCESS)
        return {};
    if (info.length > MaxObjectSize)
        return {};
    if (info.length == 0)
        return QByteArray("");
    QByteArray data(qsizetype(info.length), Qt::Uninitialized);
    const long long got = ep.chm_retrieve_object(m_file, &info, reinterpret_cast<unsigned char *>(data.data()), 0,
                                                 static_cast<long long>(info.length));
    if (got <= 0)
        return {};
    data.truncate(qsizetype(got));
    return data;
}

// The #SYSTEM object: a version word, then entries of a code, a length and
// the data (texts end with a NUL).
void ChmArchive::readSystemInfo()
{
    const QByteArray data = read(QStringLiteral("/#SYSTEM"));
    qsizetype at = 4;
    while (at + 4 <= data.size()) {
        const quint16 code = readWord(data, at);
        const quint16 length = readWord(data, at + 2);
        at += 4;
        if (at + length > data.size())
            break;
        QByteArray value = data.mid(at, length);
        at += length;
        const qsizetype nul = value.indexOf('\0');
        if (nul >= 0)
            value.truncate(nul);
        switch (code) {
        case ContentsFileCode:
            m_contentsFile = DecodeText(value);
            break;
        case DefaultTopicCode:
            m_defaultTopic = DecodeText(value);
            break;
        case TitleCode:
            m_title = DecodeText(value);
            break;
        default:
            break;
        }
    }
}

QString ObjectPath(const QString &local)
{
    QString path = local.trimmed();
    const qsizetype inner = path.indexOf(u"::");
    if (inner >= 0)
        path = path.mid(inner + 2);
    path.replace(u'\\', u'/');
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    return path;
}

QList<ContentsEntry> ParseSitemap(const QString &html)
{
    static const QRegularExpression tagPattern(QStringLiteral(R"(<\s*(/?)\s*([A-Za-z]+)([^>]*)>)"));
    static const QRegularExpression attrPattern(
        QStringLiteral(R"attr(([A-Za-z-]+)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))attr"));

    QList<ContentsEntry> roots;
    // The lists being filled, outermost first.
    QList<QList<ContentsEntry> *> levels{&roots};
    int listDepth = 0;
    bool inSitemapObject = false;
    ContentsEntry current;

    auto it = tagPattern.globalMatch(html);
    while (it.hasNext()) {
        const QRegularExpressionMatch tag = it.next();
        const bool closing = !tag.captured(1).isEmpty();
        const QString name = tag.captured(2).toLower();
        QHash<QString, QString> attributes;
        auto ait = attrPattern.globalMatch(tag.captured(3));
        while (ait.hasNext()) {
            const QRegularExpressionMatch a = ait.next();
            QString value = a.captured(2);
            if (a.capturedStart(3) >= 0)
                value = a.captured(3);
            else if (a.capturedStart(4) >= 0)
                value = a.captured(4);
            attributes.insert(a.captured(1).toLower(), decodeEntities(value));
        }

        if (name == u"ul") {
            // The outermost list holds the top entries; each inner one the
            // children of the entry written just before it.
            if (closing) {
                listDepth = qMax(0, listDepth - 1);
                if (levels.size() > 1 && levels.size() > listDepth)
                    levels.removeLast();
            } else {
                if (listDepth++ > 0) {
                    QList<ContentsEntry> *level = levels.last();
                    if (level->isEmpty())
                        level->append(ContentsEntry{}); // a list with no entry before it
                    levels.append(&level->last().children);
                }
            }
        } else if (name == u"object") {
            if (!closing) {
                inSitemapObject = attributes.value(QStringLiteral("type")).compare(u"text/sitemap", Qt::CaseInsensitive) == 0;
                current = ContentsEntry{};
            } else if (inSitemapObject) {
                inSitemapObject = false;
                // Only the innermost list grows, so the outer lists' addresses hold.
                levels.last()->append(current);
            }
        } else if (name == u"param" && inSitemapObject) {
            const QString param = attributes.value(QStringLiteral("name")).toLower();
            if (param == u"name" && current.name.isEmpty())
                current.name = attributes.value(QStringLiteral("value"));
            else if (param == u"local" && current.local.isEmpty())
                current.local = attributes.value(QStringLiteral("value"));
        }
    }
    return roots;
}

} // namespace belva::hh
