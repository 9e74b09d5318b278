#include "catalogue/resimokuma.h"

#include <QIODevice>

namespace varo::katalog {

bool stokResmiOku(QIODevice &akim, qint64 boy, QByteArray *resim)
{
    if (boy <= 0)
        return false;
    if (!akim.isSequential())
        akim.seek(0);
    QByteArray tampon;
    char blok[1024];
    for (;;) {
        const qint64 n = akim.read(blok, sizeof blok);
        if (n > 0)
            tampon.append(blok, n);
        if (n < qint64(sizeof blok))
            break;
        if (tampon.size() > boy)  // more than announced: no use reading on
            return false;
    }
    if (tampon.size() != boy)
        return false;
    *resim = tampon;
    return true;
}

}  // namespace varo::katalog
