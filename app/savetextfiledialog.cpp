#include "savetextfiledialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListView>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>

namespace belva {

namespace {

// Qt's default side bar cuts its place names short ("Ordinat…").
void fitSidebar(QFileDialog *dialog)
{
    auto *splitter = dialog->findChild<QSplitter *>(QStringLiteral("splitter"));
    auto *sidebar = dialog->findChild<QListView *>(QStringLiteral("sidebar"));
    if (!splitter || !sidebar || splitter->count() != 2)
        return;
    const int needed = sidebar->sizeHintForColumn(0) + 2 * sidebar->frameWidth() + 8;
    const QList<int> sizes = splitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (needed > sizes.value(0) && total > needed)
        splitter->setSizes({needed, total - needed});
}

// Qt's default column widths cut the detail view's captions and dates
// ("Dernière modifica", "8 Dec …:15:53"): the other columns fit their
// contents and the name takes the rest.
QTreeView *fitColumns(QFileDialog *dialog)
{
    auto *tree = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!tree)
        return nullptr;
    QHeaderView *header = tree->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int i = 1; i < header->count(); ++i)
        header->setSectionResizeMode(i, QHeaderView::ResizeToContents);
    return tree;
}

// Once laid out, and again when a folder's entries have widened the other
// columns, widens the dialog (within the screen) so that names keep as much
// room as Qt gives them.
void widenForNames(QFileDialog *dialog, QTreeView *tree)
{
    const QHeaderView *header = tree->header();
    int others = 0;
    for (int i = 1; i < header->count(); ++i)
        others += header->sectionSize(i);
    const int names = QFontMetrics(tree->font()).horizontalAdvance(QString(26, u'w'));
    const int missing = names + others - tree->viewport()->width();
    if (missing <= 0)
        return;
    int width = dialog->width() + missing;
    if (const QScreen *screen = dialog->screen())
        width = qMin(width, screen->availableGeometry().width());
    const int grow = width - dialog->width();
    if (grow <= 0)
        return;
    dialog->setGeometry(dialog->geometry().adjusted(-grow / 2, 0, grow - grow / 2, 0));
}

} // namespace

void FitFileDialog(QFileDialog *dialog)
{
    dialog->setSizeGripEnabled(true);
    fitSidebar(dialog);
    if (QTreeView *tree = fitColumns(dialog)) {
        QTimer::singleShot(0, dialog, [dialog, tree] { widenForNames(dialog, tree); });
        if (auto *model = dialog->findChild<QFileSystemModel *>()) {
            QObject::connect(model, &QFileSystemModel::directoryLoaded, dialog, [dialog, tree] {
                QTimer::singleShot(0, dialog, [dialog, tree] { widenForNames(dialog, tree); });
            });
        }
    }
}

QString ExecuteForOneFile(QFileDialog *dialog)
{
    QPointer<QFileDialog> shown(dialog);
    const bool accepted = shown->exec() == QDialog::Accepted;
    QString chosen;
    if (shown) {
        if (accepted && !shown->selectedFiles().isEmpty())
            chosen = QFileInfo(shown->selectedFiles().constFirst()).absoluteFilePath();
        delete shown;
    }
    return chosen;
}

QString SaveTextFileDialog::execute(QWidget *parent)
{
    auto *dialog = new QFileDialog(parent, QStringLiteral("Sauvegarder sous..."));
    dialog->setObjectName(QStringLiteral("SaveTextFileDialog1"));
    // Qt's own dialog behaves alike on every desktop and can be driven by tests.
    dialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite
                       | QFileDialog::HideNameFilterDetails);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QString::fromUtf16(TextFileFilter));
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    FitFileDialog(dialog);

    // The executable's folder every time; a name chosen before opens its own folder.
    dialog->setDirectory(QCoreApplication::applicationDirPath());
    if (!m_fileName.isEmpty())
        dialog->selectFile(m_fileName);

    const QString chosen = ExecuteForOneFile(dialog);
    if (!chosen.isEmpty())
        m_fileName = chosen;
    return chosen;
}

} // namespace belva
