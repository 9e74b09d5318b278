#pragma once

#include "grid/gridcolumn.h"

#include <QList>

namespace varo::katalog {

// The three grids that list stock rows: the search result, the new items and
// the campaign items. They bind the same server columns in the same order and
// differ only in a few captions, in which columns they show, and in the price
// column the campaign list replaces with the old price.
enum class StokIzgarasi { StokListesi, Yeniler, Kampanya };

QList<GridColumn> stokKolonlari(StokIzgarasi izgara);

}  // namespace varo::katalog
