#include "errorhandler.h"

#include "notices.h"
#include "version.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <cstdio>

namespace belva {

QString ErrorBoxText(const QString &message)
{
    if (message.isEmpty() || message.back().unicode() <= u'.')
        return message;
    return message + u'.';
}

void ShowError(const QString &message) noexcept
{
    try {
        const QPointer<QWidget> window = QApplication::activeWindow();
        QMessageBox box(QMessageBox::Critical, QString::fromUtf16(AppTitle), ErrorBoxText(message),
                        QMessageBox::Ok, window);
        // A typed "<b>" must show as typed.
        box.setTextFormat(Qt::PlainText);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
        // Give the keyboard back to the window the error came from, as a
        // window manager would; without one it stays nowhere.
        if (window && window->isVisible())
            window->activateWindow();
    } catch (...) {
        // No box could be shown (out of memory): say so where we still can.
        std::fputs("BELVA MG " BELVA_VERSION " : une erreur n'a pas pu être affichée\n", stderr);
    }
}

} // namespace belva
