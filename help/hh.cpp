#include "hh.h"

#include "helpviewer.h"
#include "hh_funcs.h"
#include "notices.h"
#include "viewerlibrary.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>

namespace belva::hh {

void UnloadViewerLibrary()
{
    // A viewer window still open would read through the entry points.
    HelpViewerWindow::destroyAll();
    FreeViewerLibrary();
}

QWidget *HtmlHelp(QWidget *owner, const char *file, quint32 command, quintptr data)
{
    Q_UNUSED(data);
    if (!ViewerAvailable())
        return nullptr;
    switch (command) {
    case HH_DISPLAY_TOPIC: {
        const QString path = file ? QFile::decodeName(file) : QString();
        HelpViewerWindow *window = HelpViewerWindow::find(path);
        if (!window || window->parentWidget() != owner)
            window = new HelpViewerWindow(path, owner);
        window->showDefaultTopic();
        window->show();
        window->raise();
        window->activateWindow();
        return window;
    }
    case HH_CLOSE_ALL:
        HelpViewerWindow::destroyAll();
        return nullptr;
    default:
        return nullptr;
    }
}

QString HelpFilePath(const QString &executableFilePath)
{
    return hh_funcs::DirectoryPart(executableFilePath) + QString::fromUtf16(HelpFileName);
}

void ShowHelpTopics(QWidget *messageParent)
{
    if (!ViewerAvailable()) {
        QMessageBox box(QMessageBox::Information, QString::fromUtf16(AppTitle),
                        QStringLiteral("L'aide ne peut pas être affichée : la bibliothèque de lecture "
                                       "des fichiers d'aide (%1, paquet libchm1) est introuvable ou inutilisable.\n\n"
                                       "Installez-la, puis relancez BELVA MG.")
                            .arg(QLatin1String(ViewerLibraryName)),
                        QMessageBox::Ok, messageParent);
        box.setObjectName(QStringLiteral("HelpUnavailable"));
        box.setWindowTitle(QString::fromUtf16(AppTitle));
        box.exec();
        return;
    }
    const QString path = HelpFilePath(QCoreApplication::applicationFilePath());
    HtmlHelp(nullptr, QFile::encodeName(path).constData(), HH_DISPLAY_TOPIC, 0);
}

void CloseAllHelpWindows()
{
    if (ViewerLibraryLoaded())
        HtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

} // namespace belva::hh
