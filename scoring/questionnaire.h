#pragma once

#include <array>

// The fixed questionnaire: twenty items in four dimensions. The window, the
// reports and the tests all read these tables.
namespace belva {

inline constexpr int ItemCount = 20;
inline constexpr int DimensionCount = 4;

enum class Dimension { PS, PH, S, DG };

struct DimensionInfo
{
    Dimension dimension;
    const char16_t *code;          // "PS", "PH", "S", "DG"
    int firstItem;                 // 1-based, inclusive
    int lastItem;
    int divisor;                   // 5 × number of items
    const char16_t *groupCaption;  // caption of the window's group box
    const char16_t *scoreCaption;  // caption beside the score field
    const char16_t *reportLabel;   // label of the report's score line
    int reportTabs;                // tabs between that label and the value
    const char16_t *reportHeading; // heading of the item block in the test report
};

struct ItemInfo
{
    int number;                    // 1..20
    Dimension dimension;
    const char16_t *caption;
    int tabsText;                  // tabs after the report label, text variant
    int tabsPrint;                 // the same, print variant
};

[[nodiscard]] const std::array<DimensionInfo, DimensionCount> &dimensions();
[[nodiscard]] const std::array<ItemInfo, ItemCount> &items();
[[nodiscard]] const DimensionInfo &dimensionInfo(Dimension d);

// The six entries of every answer list.
inline constexpr int LowestAnswer = 0;
inline constexpr int HighestAnswer = 5;

} // namespace belva
