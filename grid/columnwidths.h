#pragma once

#include <optional>
#include <vector>

namespace varo {

// The weighted column width rule shared by the list grids, with its variants
// as parameters:
//   unit  = integer part of (grid width - margin) / sum of the visible weights
//   width = weight * unit, for each visible column
// Some grids size by weight only on screens wider than a threshold and fall
// back to best fit on smaller ones.
struct ColumnWidthRule {
    int margin = 30;
    // 0: always size by weight. Otherwise weights apply only when the screen
    // is wider than this many pixels; best fit is used on the others.
    int minScreenWidth = 0;

    static constexpr int kSmallScreen = 1152;

    static ColumnWidthRule fixedMargin(int margin) { return {margin, 0}; }
    static ColumnWidthRule bestFitOnSmallScreens(int margin = 30) { return {margin, kSmallScreen}; }

    bool usesWeights(int screenWidth) const { return minScreenWidth <= 0 || screenWidth > minScreenWidth; }
};

struct WeightedColumn {
    int weight = 1;
    bool visible = true;
};

// The integer width unit; 0 when nothing visible carries weight or the grid
// is narrower than its margin.
int columnWidthUnit(int gridWidth, int margin, int weightSum);

// Widths for every column; hidden and weightless ones get std::nullopt (the
// rule leaves them alone). On a small screen the plan asks for best fit
// instead and carries no widths.
struct WidthPlan {
    bool bestFit = false;
    std::vector<std::optional<int>> widths;
};
WidthPlan planColumnWidths(const std::vector<WeightedColumn> &columns, int gridWidth, int screenWidth,
                           const ColumnWidthRule &rule);

}  // namespace varo
