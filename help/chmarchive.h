#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

struct chmFile;

namespace belva::hh {

// One entry of the help file's table of contents.
struct ContentsEntry
{
    QString name;
    QString local;                 // topic inside the file, may be empty
    QList<ContentsEntry> children;
};

// A help file opened through the viewer library's entry points, which must
// stay loaded as long as the archive lives.
class ChmArchive
{
public:
    explicit ChmArchive(const QString &path);
    ~ChmArchive();
    ChmArchive(const ChmArchive &) = delete;
    ChmArchive &operator=(const ChmArchive &) = delete;

    [[nodiscard]] bool isOpen() const { return m_file != nullptr; }
    // An object by its path inside the file ("/index.html"); null when absent.
    [[nodiscard]] QByteArray read(const QString &objectPath) const;

    [[nodiscard]] const QString &title() const { return m_title; }
    [[nodiscard]] const QString &defaultTopic() const { return m_defaultTopic; }
    [[nodiscard]] const QList<ContentsEntry> &contents() const { return m_contents; }

private:
    void readSystemInfo();

    chmFile *m_file = nullptr;
    QString m_title;
    QString m_defaultTopic;
    QString m_contentsFile;
    QList<ContentsEntry> m_contents;
};

// The object path a link inside the file names: "topic.html", "/topic.html"
// or "ms-its:file.chm::/topic.html" all give "/topic.html".
[[nodiscard]] QString ObjectPath(const QString &local);

// Reads the sitemap of a table of contents (.hhc).
[[nodiscard]] QList<ContentsEntry> ParseSitemap(const QString &html);

// Text of the help file's own sources: UTF-8 when valid, else Latin-1.
[[nodiscard]] QString DecodeText(const QByteArray &bytes);

} // namespace belva::hh
