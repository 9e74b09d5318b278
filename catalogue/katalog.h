#pragma once

#include "catalogue/sepeteekle.h"
#include "catalogue/vitrinsekmeleri.h"

#include <QObject>
#include <functional>
#include <optional>

class QDialog;
class QHBoxLayout;
class QWidget;

namespace varo::sepet {
class SepetDeposu;
}

namespace varo::katalog {

class StokSekmesi;
class FiyatListesi;
class Tstokayarinti;

// The window parts the catalogue fills.
struct KatalogYeri {
    QWidget *pencere = nullptr;
    QHBoxLayout *aramaCubugu = nullptr;
    shell::TsPageControl *sayfalar = nullptr;
    shell::TsTabSheet *sstoklistesi = nullptr, *syeniler = nullptr, *skampanyali = nullptr,
                      *sTabSheetduyuru = nullptr, *ssepet = nullptr,
                      *sTabSheet2 = nullptr;
    shell::TMesgulAnimasyonu *gifstokara = nullptr, *gifyeniler = nullptr, *gifkampanyali = nullptr,
                             *gifduyuru = nullptr, *gifvaroara = nullptr;
};

// The server calls behind the catalogue. Those marked "worker" run on a
// background thread with their own connection; the others on the UI thread
// with the main connection. All throw when the connection or the call fails.
struct KatalogSunucusu {
    std::function<void(const QString &kod, DataSet &hedef)> stokAraVaro;  // worker
    std::function<void(DataSet &hedef)> varoYenilerVer;                   // worker
    std::function<void(DataSet &hedef)> varoKampanyaliVer;                // worker
    std::function<QList<Duyuru>()> acilisEkranlarVer;                     // worker
    std::function<void(const QString &s, DataSet &hedef)> varodeAra;      // worker
    std::function<void(DataSet &hedef)> sepetVer;
    // Picture bytes checked against the announced size; nothing when there is none.
    std::function<std::optional<QByteArray>(int stokno)> resimVer;
    std::function<int(const SepetSatiriArgumanlari &)> sepetEkle;      // 1 when added
    std::function<int(const SepetSatiriArgumanlari &)> sepetGuncelle;  // 1 when changed
};

// Stock search, showcase tabs and the way into the basket, wired together.
class Katalog : public QObject {
    Q_OBJECT
public:
    Katalog(const KatalogYeri &yer, KatalogSunucusu sunucu, std::function<Oturum()> oturum,
            QObject *parent = nullptr);
    ~Katalog() override;

    StokSekmesi *stokSekmesi = nullptr;
    UrunVitrini *yeniler = nullptr;
    UrunVitrini *kampanya = nullptr;
    DuyuruVitrini *duyurular = nullptr;
    FiyatListesi *fiyatListesi = nullptr;
    sepet::SepetDeposu *sepetDeposu = nullptr;

    void StoktanSepeteEkle(int stokno);
    void YenilerdenSepeteEkle(int stokno);
    void KampanyadanSepeteEkle(int stokno);
    void SepetSatiriDegistir(int sirano);
    void SepetiYenile();
    // Another customer was chosen: the basket is the new customer's, the
    // stock rows priced for the old one go.
    void cariDegisti();

    // Shows the dialog modally; tests put an answer of their own here.
    std::function<int(Tstokayarinti &)> dialogCalistir;

private:
    void sayfayaGec(shell::TsTabSheet *sayfa);
    void vitrindenSec(UrunVitrini *v, int stokno, bool kampanyadan);
    void dialogla(SepeteEkleGorunum g, const DataSet *kaynak);
    void resimYukle(Tstokayarinti &d, int stokno);

    KatalogYeri m_yer;
    KatalogSunucusu m_sunucu;
    std::function<Oturum()> m_oturum;
};

}  // namespace varo::katalog
