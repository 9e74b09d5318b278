#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace varo::katalog {

// Where a double click on an announcement (or an opening advert) leads.
enum class DuyuruHedefi { Hicbiri, Kampanya, Yeniler, Arama };
DuyuruHedefi duyuruHedefi(const QString &arama);

// Pictures travel as hexadecimal text, two digits a byte; a last lone digit
// is a byte of its own. Returns nothing for text that is not hexadecimal.
bool HexCoz(const QString &hex, QByteArray *out);

// Weighted column widths: each visible column gets weight x unit, the unit
// being the truncated share of the usable width.
QList<int> agirlikliGenislikler(const QList<int> &agirliklar, int kullanilabilirGenislik);

}  // namespace varo::katalog
