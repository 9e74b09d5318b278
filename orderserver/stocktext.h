#pragma once

#include <QString>
#include <QStringList>

namespace varo::orderserver {

// Part numbers are typed with blanks, dashes, dots and slashes in every
// possible place ("BP 1234", "BP-1234", "bp.1234"); the stored search text and
// the typed text are both reduced to upper-case letters and digits without
// those marks, so all spellings meet.
QString normalizeSearchText(const QString &text);

// "|A|B|C|": the normalized numbers of an item between bars, so an exact
// number is found as "|X|" and a number start as "|X".
QString joinNumbers(const QStringList &numbers);

// Longest search text honoured; longer texts cannot name a part and are refused.
constexpr int kMaxSearchLength = 100;
// Rows a stock search returns at most.
constexpr int kSearchRowCap = 500;

}  // namespace varo::orderserver
