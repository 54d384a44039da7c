// A build without ReadStat: no SPSS or Stata files.
#include "statfilewriter.h"

namespace belva::score {

bool StatFilesAvailable()
{
    return false;
}

std::unique_ptr<RowSink> MakeStatFileWriter(QIODevice &, const QString &, OutputFormat, const Settings &)
{
    return nullptr;
}

} // namespace belva::score
