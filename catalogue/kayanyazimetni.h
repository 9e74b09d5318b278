#pragma once

#include <QFont>
#include <QString>
#include <memory>

class QTextDocument;

namespace varo::katalog {

// Turns the ticker's small HTML dialect into a one-line rich text document:
// B/STRONG, I, U, S/STRIKE, SUP/SUB (70 %), SMALL (75 %), BIG (125 %),
// FONT (FACE, SIZE in points or +n/-n, COLOR, BGCOLOR), A (HREF), IMG (SRC,
// WIDTH, HEIGHT, HSPACE, VSPACE). Other tags are dropped and their text kept;
// a missing closing tag ends at the end of the text, a stray one is ignored.
// Runs of blanks and line breaks show as one blank, as a browser would.
std::unique_ptr<QTextDocument> kayanYaziBelgesi(const QString &markup, const QFont &temel);

}  // namespace varo::katalog
