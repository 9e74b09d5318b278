#include "columnwidths.h"

namespace varo {

int columnWidthUnit(int gridWidth, int margin, int weightSum)
{
    if (weightSum <= 0)
        return 0;
    const int room = gridWidth - margin;
    if (room <= 0)
        return 0;
    return room / weightSum;  // integer division truncates, as the rule asks
}

WidthPlan planColumnWidths(const std::vector<WeightedColumn> &columns, int gridWidth, int screenWidth,
                           const ColumnWidthRule &rule)
{
    WidthPlan plan;
    if (!rule.usesWeights(screenWidth)) {
        plan.bestFit = true;
        return plan;
    }
    int sum = 0;
    for (const WeightedColumn &c : columns)
        if (c.visible && c.weight > 0)
            sum += c.weight;
    const int unit = columnWidthUnit(gridWidth, rule.margin, sum);
    plan.widths.reserve(columns.size());
    for (const WeightedColumn &c : columns) {
        // A visible column without weight would get width 0 and vanish; it
        // keeps its width instead.
        if (c.visible && c.weight > 0)
            plan.widths.emplace_back(c.weight * unit);
        else
            plan.widths.emplace_back(std::nullopt);
    }
    return plan;
}

}  // namespace varo
