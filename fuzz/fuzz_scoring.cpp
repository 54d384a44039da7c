// Answer conversion and scoring on arbitrary texts: a complete score set or
// the conversion error of the first failing answer, nothing else.
#include "scoring.h"

#include <QStringList>
#include <cstdlib>

using namespace belva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList parts = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)).split(u'\n');
    AnswerTexts answers;
    for (int i = 0; i < ItemCount; ++i)
        answers[i] = i < parts.size() ? parts[i] : QStringLiteral("0");

    int firstBad = -1;
    for (int i = 0; i < ItemCount && firstBad < 0; ++i) {
        try {
            (void)ParseAnswer(answers[i]);
        } catch (const ConversionError &) {
            firstBad = i;
        }
    }
    for (QChar sep : {QChar(u','), QChar(u'.')}) {
        try {
            const ScoreSet set = ComputeScores(answers, sep);
            if (firstBad >= 0)
                std::abort(); // a failing answer must fail the scoring
            for (const Score &s : set.dimensions)
                if (s.text.isEmpty() || s.text.contains(u'e'))
                    std::abort();
            if (!set.status.endsWith(set.global.text))
                std::abort();
        } catch (const ConversionError &e) {
            if (firstBad < 0 || e.message() != ConversionError(answers[firstBad]).message())
                std::abort();
        }
    }
    return 0;
}
