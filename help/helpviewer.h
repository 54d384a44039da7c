#pragma once

#include <QTextBrowser>
#include <QWidget>

#include <memory>

class QAction;
class QTreeWidget;
class QTreeWidgetItem;

namespace belva::hh {

class ChmArchive;
struct ContentsEntry;

// Shows the topics of one help file; links, style sheets and images are read
// from the file as well.
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    HelpBrowser(const ChmArchive *archive, QWidget *parent);
    QVariant loadResource(int type, const QUrl &name) override;

private:
    void followLink(const QUrl &link);

    const ChmArchive *const m_archive;
};

// A viewer window: the table of contents beside the topic.
class HelpViewerWindow : public QWidget
{
    Q_OBJECT

public:
    HelpViewerWindow(const QString &helpFile, QWidget *owner);
    ~HelpViewerWindow() override;

    [[nodiscard]] const QString &helpFile() const { return m_helpFile; }
    void showDefaultTopic();

    // The open window showing `helpFile`, if any.
    [[nodiscard]] static HelpViewerWindow *find(const QString &helpFile);
    [[nodiscard]] static QList<HelpViewerWindow *> windows();
    static void destroyAll();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void addEntries(QTreeWidgetItem *parent, const QList<ContentsEntry> &entries);
    void topicChanged(const QUrl &url);
    void contentsItemChanged(QTreeWidgetItem *item);
    void showMessage(const QString &heading, const QString &text);

    const QString m_helpFile;
    const std::unique_ptr<ChmArchive> m_archive;
    QTreeWidget *const m_contents;
    HelpBrowser *const m_browser;
    QAction *const m_back;
    QAction *const m_forward;
    QAction *const m_home;
    bool m_closing = false;
};

} // namespace belva::hh
