#pragma once

#include "questionnaire.h"

#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>

// The twenty answers of one row to the five score texts of the window, or to
// the French messages that say why the row cannot be scored. An answer is a
// whole number 0..5, also when written with a decimal part of zeros ("4,0",
// "4.00"); an empty answer, "NA", "NaN", "#N/A", "." (as R, pandas, Excel
// and SAS write what is missing) and the codes given are no answer.
namespace belva::score {

enum class MissingAnswers { Refuse, Prorate };

// A score text in UTF-8 ("41,46", "100"); empty when the score is not given.
struct ScoreText
{
    char bytes[15] = {};
    std::uint8_t size = 0;

    [[nodiscard]] QByteArrayView view() const { return {bytes, size}; }
};

// PS, PH, S, DG and Global.
using ScoreTexts = std::array<ScoreText, DimensionCount + 1>;

// Sets a score text (cut to its room).
void SetScoreText(ScoreText &out, const QString &text);

class RowScorer
{
public:
    RowScorer(MissingAnswers missing, QChar decimalSeparator, const QStringList &missingCodes = {});
    ~RowScorer();
    RowScorer(const RowScorer &) = delete;
    RowScorer &operator=(const RowScorer &) = delete;

    // The common case: when each answer is one digit 0..5, alone or with a
    // decimal part of zeros, sets the five texts and returns true; otherwise
    // returns false and sets nothing.
    [[nodiscard]] bool scoreDigits(const std::array<QByteArrayView, ItemCount> &answers, ScoreTexts &out);

    // Any answers, as written; `columns` name them in the messages. Sets the
    // texts that can be given (the others empty) and the number of items not
    // answered, and returns the messages, none when the row is scored whole.
    [[nodiscard]] QStringList scoreTexts(const std::array<QString, ItemCount> &answers,
                                         const std::array<QString, ItemCount> &columns, ScoreTexts &out,
                                         int *unanswered = nullptr);

private:
    void scoreValues(const std::array<int, ItemCount> &values, ScoreTexts &out);
    [[nodiscard]] bool isMissing(const QString &trimmed) const;

    struct Cache;
    const MissingAnswers m_missing;
    const QChar m_separator;
    const QStringList m_missingCodes;
    std::unique_ptr<Cache> m_cache;
};

} // namespace belva::score
