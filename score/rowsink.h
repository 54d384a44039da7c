#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace belva::score {

// What a column of the output holds, for writers that type their columns or
// guard their cells.
enum class ColumnKind : std::uint8_t {
    Copied, // a column of a CSV input, its values as they were
    Text,   // text from elsewhere: a file name, a saved test's field, a message
    Answer, // an answer 0..5 read from a saved test
    Score,  // a percentage as the window writes it, with the run's decimal separator
    Count,  // a whole number
};

struct Column
{
    QString name;
    ColumnKind kind;
    int item = 0; // 1..20: the column holds that item's answers
};

// The text encoding of the input, as far as it is known.
enum class SourceEncoding { Unknown, Utf8, Utf8WithBom, Windows1252 };

// How the input was written, for a writer that writes the same way.
struct SourceStyle
{
    char delimiter = ';';
    const char *lineEnd = "\r\n";
    SourceEncoding encoding = SourceEncoding::Unknown;
};

// Where scored rows go: the columns once, then rows of as many values, each
// in UTF-8 (empty when there is none). Throws Failure when it cannot write.
class RowSink
{
public:
    virtual ~RowSink() = default;

    // Text that rows will hold, told before begin() (file names).
    virtual void willWrite(QStringView text) { Q_UNUSED(text); }
    // The input's encoding, once it is known (at the latest before the row
    // that first holds text beyond ASCII).
    virtual void sourceEncoding(SourceEncoding encoding) { Q_UNUSED(encoding); }

    virtual void begin(const std::vector<Column> &columns, const SourceStyle &style) = 0;
    virtual void row(const QByteArrayView *values) = 0;
    // Everything written out; nothing more comes.
    virtual void end() = 0;
};

// Score columns of every output, Erreur last.
inline constexpr const char *ScoreColumns[] = {"PS", "PH", "S", "DG", "Global"};
inline constexpr const char *ErrorColumn = "Erreur";
inline constexpr const char *MissingColumn = "Manquantes"; // with --missing=prorate
inline constexpr const char *FileColumn = "Fichier";

} // namespace belva::score
