#include "notices.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QString::fromUtf16(belva::MainWindowCaption));
    window.show();
    return app.exec();
}
