#pragma once

#include <QStringList>

class QWidget;

namespace belva {

// Qt's own open dialog for saved tests, made for one showing: the filter
// "Fichier Texte (*.txt)", opening in `folder`, one file or several. Returns
// the full paths chosen; empty when cancelled.
[[nodiscard]] QStringList ExecuteOpenTextFileDialog(QWidget *parent, const QString &title, const QString &folder,
                                                    bool several = false);

} // namespace belva
