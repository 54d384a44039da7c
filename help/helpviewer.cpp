#include "helpviewer.h"

#include "chmarchive.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QSplitter>
#include <QStringDecoder>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace belva::hh {

namespace {

QList<HelpViewerWindow *> g_windows;

constexpr char16_t Scheme[] = u"chm";

QUrl topicUrl(const QString &local)
{
    return QUrl(QString::fromUtf16(Scheme) + u':' + ObjectPath(local));
}

QString messagePage(const QString &heading, const QString &text)
{
    return QStringLiteral("<html><body style=\"font-family: Tahoma, 'DejaVu Sans', sans-serif\">"
                          "<h2 style=\"color: #1f4e79\">%1</h2><p>%2</p></body></html>")
        .arg(heading.toHtmlEscaped(), text.toHtmlEscaped());
}

QString decodeHtml(const QByteArray &data)
{
    QStringDecoder decoder = QStringDecoder::decoderForHtml(data);
    if (!decoder.isValid())
        return QString::fromLatin1(data);
    return decoder.decode(data);
}

} // namespace

HelpBrowser::HelpBrowser(const ChmArchive *archive, QWidget *parent)
    : QTextBrowser(parent)
    , m_archive(archive)
{
    setObjectName(QStringLiteral("Topic"));
    setOpenLinks(false);
    document()->setDocumentMargin(12);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::followLink);
}

QVariant HelpBrowser::loadResource(int type, const QUrl &name)
{
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (url.scheme() != QStringView(Scheme))
        return {};
    const QString path = url.path();
    const QByteArray data = m_archive->read(path);
    switch (type) {
    case QTextDocument::HtmlResource:
        if (data.isNull()) {
            return messagePage(QStringLiteral("Page introuvable"),
                               QStringLiteral("La page « %1 » ne se trouve pas dans le fichier d'aide.").arg(path));
        }
        return decodeHtml(data);
    case QTextDocument::StyleSheetResource:
        return data.isNull() ? QVariant() : QVariant(DecodeText(data));
    default:
        return data.isNull() ? QVariant() : QVariant(data);
    }
}

void HelpBrowser::followLink(const QUrl &link)
{
    const QUrl url = link.isRelative() ? source().resolved(link) : link;
    if (url.scheme() == QStringView(Scheme))
        setSource(url);
    else
        QDesktopServices::openUrl(url);
}

HelpViewerWindow::HelpViewerWindow(const QString &helpFile, QWidget *owner)
    : QWidget(owner, Qt::Window)
    , m_helpFile(helpFile)
    , m_archive(std::make_unique<ChmArchive>(helpFile))
    , m_contents(new QTreeWidget)
    , m_browser(new HelpBrowser(m_archive.get(), nullptr))
    , m_back(new QAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Précédent"), this))
    , m_forward(new QAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Suivant"), this))
    , m_home(new QAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Accueil"), this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    // Closing the main window ends the program even while help is shown.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(m_archive->title().isEmpty() ? QStringLiteral("Aide de BELVA MG") : m_archive->title());

    m_back->setObjectName(QStringLiteral("Back"));
    m_forward->setObjectName(QStringLiteral("Forward"));
    m_home->setObjectName(QStringLiteral("Home"));
    m_back->setShortcut(QKeySequence::Back);
    m_forward->setShortcut(QKeySequence::Forward);
    m_back->setEnabled(false);
    m_forward->setEnabled(false);

    auto *toolBar = new QToolBar(this);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar->addAction(m_back);
    toolBar->addAction(m_forward);
    toolBar->addAction(m_home);

    m_contents->setObjectName(QStringLiteral("Contents"));
    m_contents->setHeaderHidden(true);
    addEntries(nullptr, m_archive->contents());
    m_contents->expandAll();

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({230, 570});
    m_contents->setVisible(m_contents->topLevelItemCount() > 0);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(splitter);

    connect(m_back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_home, &QAction::triggered, this, &HelpViewerWindow::showDefaultTopic);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpViewerWindow::topicChanged);
    connect(m_contents, &QTreeWidget::currentItemChanged, this, &HelpViewerWindow::contentsItemChanged);

    resize(800, 580);
    g_windows.append(this);
}

HelpViewerWindow::~HelpViewerWindow()
{
    g_windows.removeAll(this);
    // The browser reads the archive, which goes before the base class would
    // delete the browser.
    delete m_browser;
}

void HelpViewerWindow::showDefaultTopic()
{
    if (!m_archive->isOpen()) {
        showMessage(QStringLiteral("Aide indisponible"),
                    QStringLiteral("Le fichier d'aide « %1 » est introuvable ou illisible. "
                                   "Il doit se trouver dans le dossier du programme BelvaMG ; "
                                   "réinstallez le programme pour le rétablir.")
                        .arg(QDir::toNativeSeparators(m_helpFile)));
        return;
    }
    if (m_archive->defaultTopic().isEmpty()) {
        showMessage(QStringLiteral("Aide indisponible"),
                    QStringLiteral("Le fichier d'aide « %1 » ne contient aucune page à afficher.")
                        .arg(QDir::toNativeSeparators(m_helpFile)));
        return;
    }
    m_browser->setSource(topicUrl(m_archive->defaultTopic()));
}

HelpViewerWindow *HelpViewerWindow::find(const QString &helpFile)
{
    const QString wanted = QDir::cleanPath(helpFile);
    for (HelpViewerWindow *w : std::as_const(g_windows)) {
        if (!w->m_closing && QDir::cleanPath(w->m_helpFile) == wanted)
            return w;
    }
    return nullptr;
}

QList<HelpViewerWindow *> HelpViewerWindow::windows()
{
    return g_windows;
}

void HelpViewerWindow::destroyAll()
{
    const QList<HelpViewerWindow *> all = g_windows;
    for (HelpViewerWindow *w : all)
        delete w;
}

void HelpViewerWindow::closeEvent(QCloseEvent *event)
{
    m_closing = true;
    event->accept();
    deleteLater();
}

void HelpViewerWindow::addEntries(QTreeWidgetItem *parent, const QList<ContentsEntry> &entries)
{
    for (const ContentsEntry &entry : entries) {
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_contents);
        item->setText(0, entry.name);
        if (!entry.local.isEmpty())
            item->setData(0, Qt::UserRole, topicUrl(entry.local));
        addEntries(item, entry.children);
    }
}

void HelpViewerWindow::topicChanged(const QUrl &url)
{
    QTreeWidgetItem *exact = nullptr;
    QTreeWidgetItem *samePage = nullptr;
    for (QTreeWidgetItemIterator it(m_contents); *it && !exact; ++it) {
        const QUrl itemUrl = (*it)->data(0, Qt::UserRole).toUrl();
        if (itemUrl == url)
            exact = *it;
        else if (!samePage && itemUrl.adjusted(QUrl::RemoveFragment) == url.adjusted(QUrl::RemoveFragment))
            samePage = *it;
    }
    QTreeWidgetItem *item = exact ? exact : samePage;
    if (item && item != m_contents->currentItem()) {
        const QSignalBlocker blocker(m_contents);
        m_contents->setCurrentItem(item);
    }
}

void HelpViewerWindow::contentsItemChanged(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const QUrl url = item->data(0, Qt::UserRole).toUrl();
    if (url.isValid() && url != m_browser->source())
        m_browser->setSource(url);
}

void HelpViewerWindow::showMessage(const QString &heading, const QString &text)
{
    m_browser->setHtml(messagePage(heading, text));
}

} // namespace belva::hh
