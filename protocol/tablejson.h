#pragma once

#include "dataset.h"

#include <QJsonObject>

namespace varo {

// Tables travel column by column: {"columns":[{"name":..,"type":<code>}],
// "data":[[values of column 0], [values of column 1], ...]}, null allowed.
// The decoder also reads the row form {"columns":[{"name","type":<name>}],
// "rows":[[...], ...]}. Dates travel as day serials or ISO text.
QJsonObject dataSetToJson(const DataSet &table);

// Replaces `into`'s structure and rows; throws std::runtime_error on a
// malformed table (unknown type, ragged columns, wrong value kinds).
void dataSetFromJson(const QJsonObject &json, DataSet &into);

}  // namespace varo
