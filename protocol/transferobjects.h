#pragma once

// Transfer objects: the classes whose instances travel between the client and
// the order server as JSON {"type": "<unit>.<class>", "id": n, "fields": {...}}
// with every field under its "F" name. Each class lists its fields once;
// copying and marshalling are derived from that list.

#include <QJsonObject>
#include <QString>

#include <memory>
#include <stdexcept>
#include <vector>

#define VARO_FIELDS_TSonucBilgisi(X) \
    X(QString, BILGISAYARID) \
    X(QString, SaticiMail) \
    X(int, Sirano) \
    X(QString, CariAdi) \
    X(QString, SIFRE) \
    X(int, SaticiNo) \
    X(int, CARINO) \
    X(int, AKTIF) \
    X(QString, Kullanicimail) \
    X(QString, ADI) \
    X(QString, SaticiTelefon) \
    X(QString, carikod) \
    X(bool, Varmi) \
    X(QString, SaticiAdi) \
    X(QString, BilgiSayarAdi) \
    X(QString, Disip) \
    X(QString, Icip) \
    X(QString, BilgisayarKullanici) \
    X(int, MusteriTipi) \
    X(int, Version)

#define VARO_FIELDS_TSiparisDipAyrinti(X) \
    X(QString, SizinMesaj) \
    X(QString, Durumu) \
    X(QString, Veren) \
    X(QString, Kargo) \
    X(QString, BizimMesaj) \
    X(QString, TeslimCinsi) \
    X(QString, KargoCinsi) \
    X(QString, SaticiNotu)

#define VARO_FIELDS_TTusSonuclari(X) \
    X(int, Alindi) \
    X(int, Onaylandi) \
    X(int, ParcaliHazirlandi) \
    X(int, SevkEdildi) \
    X(int, Hazirlandi) \
    X(int, Goruldu)

#define VARO_FIELDS_TMobilStok(X) \
    X(int, StokNo) \
    X(int, ResimVar) \
    X(QString, Resim) \
    X(int, Yeni) \
    X(QString, Departman) \
    X(double, VerilenSiparis) \
    X(QString, AltGrup) \
    X(int, Durum) \
    X(QString, Renk) \
    X(QString, Birim) \
    X(double, KDV) \
    X(double, AlinanSiparis) \
    X(double, Isk2) \
    X(QString, AnaGrup) \
    X(QString, Kod) \
    X(double, Isk3) \
    X(double, ListeFiyati) \
    X(QString, Beden) \
    X(double, NetFiyat) \
    X(double, Isk1) \
    X(double, KDVliFiyat) \
    X(double, Isk4) \
    X(QString, OzelKod) \
    X(int, Kampnayali) \
    X(QString, Barkod) \
    X(double, IndirimOran) \
    X(double, Kalan) \
    X(QString, UreticiKod) \
    X(double, KampanyaliFiyat) \
    X(QString, OemNo) \
    X(int, BarkodNo) \
    X(QString, PKod) \
    X(QString, DpKod) \
    X(QString, Adi) \
    X(double, Fiyat)

#define VARO_FIELDS_TMobilSepet(X) \
    X(int, KARGOID) \
    X(int, StokNo) \
    X(double, TARIH) \
    X(int, SIRANO) \
    X(QString, CARIADI) \
    X(double, VERILISTARIHI) \
    X(int, Durum) \
    X(double, MIKTAR) \
    X(int, VERENIDNO) \
    X(double, NETTUTAR) \
    X(double, KDVLITUTAR) \
    X(double, KDV) \
    X(int, AKTAR) \
    X(QString, SAAT) \
    X(double, VERGITUTARI) \
    X(QString, PKod) \
    X(QString, MODEL) \
    X(double, INDIRIMTUTAR) \
    X(int, STOK_STOKNO) \
    X(double, BIRIMFIYAT) \
    X(int, SEC) \
    X(QString, OEM2) \
    X(QString, OEM3) \
    X(QString, AnaGrup) \
    X(QString, MARKA) \
    X(QString, VEREN) \
    X(QString, STOKADI) \
    X(QString, OEM1) \
    X(int, CARINO) \
    X(int, VERENSIRANO) \
    X(int, ACIKLAMA) \
    X(double, INDIRIMORANI2) \
    X(QString, OEM4) \
    X(QString, KUR) \
    X(double, INDIRIMORANI3) \
    X(int, SIPARISNO) \
    X(double, IDNO) \
    X(QString, OzelKod) \
    X(QString, DpKod) \
    X(double, KURTL) \
    X(double, INDIRIMORANI1) \
    X(QString, DIGERADI) \
    X(QString, Barkod) \
    X(double, TUTAR) \
    X(QString, URETICIKODU) \
    X(double, Kalan) \
    X(QString, FINISHKOD) \
    X(QString, CARIKOD) \
    X(double, NETBIRIMFIYAT) \
    X(QString, OemNo) \
    X(int, TESLIMID) \
    X(int, ResimVar) \
    X(QString, Resim)

#define VARO_FIELDS_TMobilCariBilgisi(X) \
    X(QString, BILGISAYARID) \
    X(QString, SEHIR) \
    X(QString, FAX1) \
    X(QString, SATICIMAIL) \
    X(QString, SATICIADI) \
    X(QString, CARIADI) \
    X(QString, EMAIL) \
    X(QString, VERGIDAIRESI) \
    X(QString, YETKILI) \
    X(QString, AltGrup) \
    X(QString, TEL2) \
    X(QString, SIFRE) \
    X(QString, GSM) \
    X(QString, TEL1) \
    X(QString, ADRES2) \
    X(double, TLBORC) \
    X(double, TLALACAK) \
    X(QString, ADRES1) \
    X(QString, ULKE) \
    X(QString, AnaGrup) \
    X(int, CARINO) \
    X(double, TLBAKIYE) \
    X(QString, VERGINO) \
    X(QString, MAIL) \
    X(QString, OzelKod) \
    X(QString, KULLANICIADI) \
    X(QString, SATICITELEFON) \
    X(QString, CARIKOD) \
    X(QString, FAX2) \
    X(QString, ILCE)

#define VARO_FIELDS_TAcilisEkran(X) \
    X(int, SiraNo) \
    X(QString, Resim) \
    X(QString, Baslik) \
    X(QString, Arama)

namespace varo {

// Thrown when a marshalled object cannot be read: wrong class, wrong value kind.
struct MarshalError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace varo

#define VARO_FIELD_MEMBER(T, N) T F##N{}; \
public: const T &N() const { return F##N; } void set##N(const T &v) { F##N = v; } private:

#define VARO_TRANSFER_CLASS(C, UNIT) \
class C { \
public: \
    C(); \
    static QString className() { return QStringLiteral(UNIT "." #C); } \
    void Kopyala(const C &source); \
    QJsonObject toJson(int id = 1) const; \
    static std::unique_ptr<C> fromJson(const QJsonObject &json); /* throws varo::MarshalError */ \
    bool operator==(const C &o) const; \
private: \
    VARO_FIELDS_##C(VARO_FIELD_MEMBER) \
};

VARO_TRANSFER_CLASS(TSonucBilgisi, "baglantiu")
VARO_TRANSFER_CLASS(TSiparisDipAyrinti, "baglantiu")
VARO_TRANSFER_CLASS(TTusSonuclari, "baglantiu")
VARO_TRANSFER_CLASS(TMobilStok, "mobilstokunit")
VARO_TRANSFER_CLASS(TMobilSepet, "mobilstokunit")
VARO_TRANSFER_CLASS(TMobilCariBilgisi, "mobilstokunit")
VARO_TRANSFER_CLASS(TAcilisEkran, "mobilstokunit")

// The owning lists: destroying a list destroys its elements.
template <class T>
struct TransferList {
    std::vector<std::unique_ptr<T>> items;
    int Count() const { return int(items.size()); }
    T *operator[](int i) const { return items[std::size_t(i)].get(); }
};
using TMobilStoklar = TransferList<TMobilStok>;
using TMobilSepetler = TransferList<TMobilSepet>;
using TAcilisEkranlar = TransferList<TAcilisEkran>;

// Reads {"items": [...]} or {"fields": {"FItems"/"FEkranlar": [...]}} lists.
template <class T>
std::unique_ptr<TransferList<T>> listFromJson(const QJsonObject &json);

