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
// the French messages that say why the row cannot be scored.
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
    RowScorer(MissingAnswers missing, QChar decimalSeparator);
    ~RowScorer();
    RowScorer(const RowScorer &) = delete;
    RowScorer &operator=(const RowScorer &) = delete;

    // The common case: when each answer is one digit 0..5 and nothing else,
    // sets the five texts and returns true; otherwise returns false and sets
    // nothing.
    [[nodiscard]] bool scoreDigits(const std::array<QByteArrayView, ItemCount> &answers, ScoreTexts &out);

    // Any answers, as written; `columns` name them in the messages. Sets the
    // texts that can be given (the others empty) and returns the messages,
    // none when the row is scored whole.
    [[nodiscard]] QStringList scoreTexts(const std::array<QString, ItemCount> &answers,
                                         const std::array<QString, ItemCount> &columns, ScoreTexts &out);

private:
    void scoreValues(const std::array<int, ItemCount> &values, ScoreTexts &out);

    struct Cache;
    const MissingAnswers m_missing;
    const QChar m_separator;
    std::unique_ptr<Cache> m_cache;
};

} // namespace belva::score
