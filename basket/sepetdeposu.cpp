#include "basket/sepetdeposu.h"

#include "protocol/dataset.h"

namespace varo::sepet {

SepetDeposu::SepetDeposu(QObject *parent) : QObject(parent)
{
    sepet = new DataSet(this);
    sepet->setObjectName(QStringLiteral("sepet"));
}

bool SepetDeposu::SepetiYenile()
{
    if (!sepetVer)
        return false;
    DataSet yeni;
    try {
        sepetVer(yeni);
    } catch (...) {
        return false;
    }
    // A loader that could not reach the server hands back nothing at all;
    // that must not pass for an empty basket.
    if (!yeni.isActive())
        return false;
    sepet->copyFrom(yeni);
    emit yenilendi(sepet->recordCount());
    return true;
}

void SepetDeposu::bosalt()
{
    sepet->emptyDataSet();
    sepet->close();
    emit yenilendi(0);
}

int SepetDeposu::satirSayisi() const { return sepet->isActive() ? sepet->recordCount() : 0; }

}  // namespace varo::sepet
