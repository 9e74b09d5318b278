#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QHBoxLayout;
class QLineEdit;
class QMenu;
class QToolButton;

namespace varo {
class DataSet;
class DataSource;
class GridView;
namespace shell {
class TsPageControl;
class TsTabSheet;
class TMesgulAnimasyonu;
}  // namespace shell
}  // namespace varo

namespace varo::katalog {

// Parts of the main window the stock search lives in.
struct StokSekmesiYeri {
    QHBoxLayout *aramaCubugu = nullptr;  // the search bar; the edit and buttons go in front
    shell::TsPageControl *sayfalar = nullptr;
    shell::TsTabSheet *sstoklistesi = nullptr;
    shell::TMesgulAnimasyonu *gifstokara = nullptr;
};

// What the stock tab asks of the rest of the program.
struct StokSekmesiIslemleri {
    // Runs on a worker thread with its own connection: fills the table with
    // the rows found for the untrimmed text, throws when anything fails.
    std::function<void(const QString &kod, DataSet &hedef)> stokAraVaro;
    // The basket and its reload.
    std::function<DataSet *()> sepet;
    std::function<void()> sepetiYenile;
    // Add-to-basket for the current stock record, change of a basket line.
    std::function<void(int stokno)> stoktanSepeteEkle;
    std::function<void(int sirano)> sepetSatiriDegistir;
    std::function<void()> siparisBakiyeleriAc;
    std::function<void(int stokno)> tumSiparisleriAc;
};

// The stock search: search box with the letter mapping, "Ara"/"Temizle",
// background search, the stock list with its columns and popup menu.
class StokSekmesi : public QObject {
    Q_OBJECT
public:
    StokSekmesi(const StokSekmesiYeri &yer, StokSekmesiIslemleri islemler, QObject *parent = nullptr);
    ~StokSekmesi() override;

    QLineEdit *araedit = nullptr;
    QToolButton *SpeedButton2 = nullptr;  // "Ara"
    QToolButton *SpeedButton1 = nullptr;  // "Temizle"
    DataSet *stok = nullptr;
    DataSource *DataSource1 = nullptr;
    GridView *cxGrid1DBTableView1 = nullptr;
    QMenu *popstok = nullptr;

    bool aramaSuruyor() const;
    // Enter in the search box.
    void aramaBaslat();
    void SpeedButton2Click();
    void SpeedButton1Click();
    void cxGrid1DBTableView1DblClick();
    void s3Click();
    // Puts a text into the box and searches as "Ara" does.
    void metniAra(const QString &metin);
    // After another customer was chosen.
    void cariDegisti();
    void StokKolonGenislikleri();

    static const QString kBaglantiHatasi;
    // The tab's caption with rows found, and once the list was emptied.
    static const QString kBaslik;
    static const QString kBosBaslik;

signals:
    void aramaBitti(bool hata);

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void izgaraKur();
    void sekmeBasligi(const QString &baslik);

    StokSekmesiYeri m_yer;
    StokSekmesiIslemleri m_islem;
    bool m_suruyor = false;
    int m_cariSayaci = 0;  // customer changes so far
};

}  // namespace varo::katalog
