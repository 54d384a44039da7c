#pragma once

#include <QtGlobal>

#include <optional>
#include <vector>

// Cronbach's alpha of a scale and the figures of its items, from sums kept
// exactly in integers over the tests that answered every item of the scale:
// each item's sum and the sums of the products of every two items (an item
// with itself included). Covariances come from them without cancellation,
// and what a million tests take is what ten take.
namespace belva::score {

class ScaleSums
{
public:
    // `items` items answered from 0 to `highestAnswer`.
    ScaleSums(int items, int highestAnswer);

    // One test's answers to the scale's items, in item order.
    void add(const int *answers);

    [[nodiscard]] int items() const { return m_items; }
    [[nodiscard]] int highestAnswer() const { return m_highest; }
    [[nodiscard]] qint64 tests() const { return m_tests; }
    [[nodiscard]] qint64 sum(int item) const { return m_sums[size_t(item)]; }
    [[nodiscard]] qint64 products(int a, int b) const { return m_products[size_t(a * m_items + b)]; }
    [[nodiscard]] qint64 atFloor() const { return m_floor; }
    [[nodiscard]] qint64 atCeiling() const { return m_ceiling; }

private:
    int m_items;
    int m_highest;
    qint64 m_tests = 0;
    std::vector<qint64> m_sums;
    std::vector<qint64> m_products; // items × items
    qint64 m_floor = 0;             // tests with every answer 0
    qint64 m_ceiling = 0;           // tests with every answer the highest
};

struct ItemFigures
{
    double mean = 0;
    double standardDeviation = 0; // n − 1
    // The correlation of the item with the sum of the scale's other items;
    // none when either does not vary.
    std::optional<double> correctedItemTotal;
    // The scale's alpha without the item; none when the other items' total
    // does not vary.
    std::optional<double> alphaWithoutItem;
};

struct ScaleFigures
{
    qint64 tests = 0;
    std::optional<double> alpha; // none when the scale's total does not vary
    // Of the scale's percentage (its total ÷ its highest total × 100).
    double mean = 0;
    double standardDeviation = 0; // n − 1
    double floorPercent = 0;      // share of tests at 0 %
    double ceilingPercent = 0;    // share of tests at 100 %
    std::vector<ItemFigures> items;
};

// The figures of at least two tests.
[[nodiscard]] ScaleFigures ComputeFigures(const ScaleSums &sums);

} // namespace belva::score
