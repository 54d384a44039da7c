#include "reliability.h"

#include <cmath>

namespace belva::score {

namespace {

// n × Σab − Σa × Σb for every two items: n (n − 1) times their covariance,
// exact (a million tests of answers up to 5 need more than 64 bits).
using Wide = __int128;

// k / (k − 1) × (1 − Σ item variances ÷ variance of the total), from the
// scaled covariances' sum and the sum of their diagonal.
std::optional<double> alphaOf(int items, Wide total, Wide diagonal)
{
    if (items < 2 || total <= 0)
        return std::nullopt;
    return double(static_cast<long double>(items) / (items - 1) * static_cast<long double>(total - diagonal)
                  / static_cast<long double>(total));
}

} // namespace

ScaleSums::ScaleSums(int items, int highestAnswer)
    : m_items(items), m_highest(highestAnswer), m_sums(size_t(items)), m_products(size_t(items * items))
{
}

void ScaleSums::add(const int *answers)
{
    ++m_tests;
    int total = 0;
    for (int a = 0; a < m_items; ++a) {
        total += answers[a];
        m_sums[size_t(a)] += answers[a];
        qint64 *row = &m_products[size_t(a * m_items)];
        for (int b = 0; b < m_items; ++b)
            row[b] += answers[a] * answers[b];
    }
    m_floor += total == 0;
    m_ceiling += total == m_items * m_highest;
}

ScaleFigures ComputeFigures(const ScaleSums &sums)
{
    const int k = sums.items();
    const qint64 n = sums.tests();
    std::vector<Wide> c(size_t(k * k));
    for (int a = 0; a < k; ++a)
        for (int b = 0; b < k; ++b)
            c[size_t(a * k + b)] = Wide(n) * sums.products(a, b) - Wide(sums.sum(a)) * sums.sum(b);
    const auto cov = [&c, k](int a, int b) { return c[size_t(a * k + b)]; };

    Wide total = 0, diagonal = 0;
    qint64 sumOfTotals = 0;
    for (int a = 0; a < k; ++a) {
        diagonal += cov(a, a);
        sumOfTotals += sums.sum(a);
        for (int b = 0; b < k; ++b)
            total += cov(a, b);
    }
    const long double scaled = static_cast<long double>(n) * (n - 1); // n (n − 1)
    const long double highest = static_cast<long double>(k) * sums.highestAnswer();

    ScaleFigures f;
    f.tests = n;
    f.alpha = alphaOf(k, total, diagonal);
    f.mean = double(sumOfTotals * 100.0L / (n * highest));
    f.standardDeviation = double(std::sqrt(static_cast<long double>(total) / scaled) * 100.0L / highest);
    f.floorPercent = double(sums.atFloor() * 100.0L / n);
    f.ceilingPercent = double(sums.atCeiling() * 100.0L / n);
    for (int m = 0; m < k; ++m) {
        ItemFigures item;
        item.mean = double(static_cast<long double>(sums.sum(m)) / n);
        item.standardDeviation = double(std::sqrt(static_cast<long double>(cov(m, m)) / scaled));
        Wide withItem = 0; // Σ over j of cov(m, j)
        for (int b = 0; b < k; ++b)
            withItem += cov(m, b);
        const Wide rest = total - 2 * withItem + cov(m, m); // the other items' total
        const Wide cross = withItem - cov(m, m);            // the item with that total
        if (cov(m, m) > 0 && rest > 0)
            item.correctedItemTotal = double(static_cast<long double>(cross)
                                             / (std::sqrt(static_cast<long double>(cov(m, m)))
                                                * std::sqrt(static_cast<long double>(rest))));
        item.alphaWithoutItem = alphaOf(k - 1, rest, diagonal - cov(m, m));
        f.items.push_back(item);
    }
    return f;
}

} // namespace belva::score
