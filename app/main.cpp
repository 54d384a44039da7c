#include "hh.h"
#include "startup.h"
#include "tform1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The help viewer binding and the help probe live around the application.
    belva::HelpModules helpModules(argc, argv);
    QApplication app(argc, argv);
    belva::SetUpApplication(app);
    TForm1 form;
    form.show();
    return app.exec();
}
