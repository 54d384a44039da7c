#include "startup.h"
#include "tform1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    belva::SetUpApplication(app);
    TForm1 form;
    form.show();
    return app.exec();
}
