#pragma once

#include <QByteArray>

class QIODevice;

namespace varo::katalog {

// Reads an item picture the server streams with its announced size, in
// blocks of 1024 bytes until a short block. The bytes are only good when
// their count matches the announcement; an announced 0 means no picture.
bool stokResmiOku(QIODevice &akim, qint64 boy, QByteArray *resim);

}  // namespace varo::katalog
