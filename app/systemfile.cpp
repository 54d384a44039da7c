#include "systemfile.h"

#include "errors.h"

namespace belva {

void ThrowWriteError()
{
    throw Error(QStringLiteral("Erreur d'écriture dans le flux"));
}

} // namespace belva
