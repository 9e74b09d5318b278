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
    sepet->copyFrom(yeni);
    emit yenilendi(sepet->recordCount());
    return true;
}

int SepetDeposu::satirSayisi() const { return sepet->isActive() ? sepet->recordCount() : 0; }

}  // namespace varo::sepet
