// The yardstick for BelvaMG's start-up: exactly the main window's widgets
// (menu bar, 5 group boxes, 24 labels, 20 editable drop-downs, 4 read-only
// fields, status bar with two panels), with no logic, no font loading, no
// translations and no icon.
#include "notices.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QString::fromUtf16(belva::MainWindowCaption));

    QMenu *file = window.menuBar()->addMenu(QStringLiteral("&Fichier"));
    file->addAction(QStringLiteral("&Nouveau"));
    file->addSeparator();
    file->addAction(QStringLiteral("Sauvegarder sous..."));
    file->addSeparator();
    file->addAction(QStringLiteral("&Imprimer..."));
    file->addAction(QStringLiteral("Configuration imprimante..."));
    file->addSeparator();
    file->addAction(QStringLiteral("&Quitter"));
    QMenu *edit = window.menuBar()->addMenu(QStringLiteral("&Edition"));
    edit->addAction(QStringLiteral("Copier &scores"));
    edit->addAction(QStringLiteral("Copier &test"));
    QMenu *help = window.menuBar()->addMenu(QStringLiteral("&Aide"));
    help->addAction(QStringLiteral("&Rubriques de l'aide"));
    help->addSeparator();
    help->addAction(QStringLiteral("A &propos de..."));

    auto *central = new QWidget(&window);
    central->setFixedSize(585, 486);
    window.setCentralWidget(central);
    const int groupTop[] = {8, 160, 240, 320, 400};
    const int groupHeight[] = {145, 73, 73, 73, 73};
    const int groupRows[] = {5, 2, 2, 2, 2};
    const int groupCells[] = {9, 4, 3, 4, 4};
    for (int g = 0; g < 5; ++g) {
        auto *group = new QGroupBox(QStringLiteral("Retentissement : "), central);
        group->setGeometry(8, groupTop[g], 569, groupHeight[g]);
        for (int cell = 0; cell < groupCells[g] && cell / 2 < groupRows[g]; ++cell) {
            const int row = cell / 2, column = cell % 2;
            auto *label = new QLabel(QStringLiteral("Avoir des difficultés à se mettre en train"), group);
            label->setGeometry(column ? 272 : 16, 24 + 24 * row, column ? 236 : 188, 13);
            if (g < 4) {
                auto *box = new QComboBox(group);
                box->setEditable(true);
                box->addItems({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                               QStringLiteral("4"), QStringLiteral("5")});
                box->setGeometry(column ? 512 : 208, 20 + 24 * row, 41, 21);
            } else {
                auto *field = new QLineEdit(QStringLiteral("0"), group);
                field->setReadOnly(true);
                field->setGeometry(column ? 512 : 208, 20 + 24 * row, 41, 21);
            }
        }
    }
    auto *panel0 = new QLabel(QStringLiteral("Équipe BELVA MG"), &window);
    panel0->setFixedWidth(415);
    window.statusBar()->addWidget(panel0);
    window.statusBar()->addWidget(new QLabel(QStringLiteral("Score global (%) : 0"), &window), 1);
    window.statusBar()->setFixedHeight(19);
    window.show();
    return app.exec();
}
