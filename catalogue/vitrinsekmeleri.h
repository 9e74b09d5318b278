#pragma once

#include <QObject>
#include <QList>
#include <functional>

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

// One announcement of the opening-screen list.
struct Duyuru {
    int siraNo = 0;
    QString resimHex;  // picture as hexadecimal text
    QString baslik;
    QString arama;
};

// New items and campaign items: a list loaded in the background each time its
// tab is shown, with a double click into the basket.
class UrunVitrini : public QObject {
    Q_OBJECT
public:
    enum Tur { Yeniler, Kampanya };
    UrunVitrini(Tur tur, shell::TsTabSheet *sayfa, shell::TMesgulAnimasyonu *gif, QObject *parent = nullptr);

    // Worker thread: fills the table, throws on failure.
    std::function<void(DataSet &hedef)> yukle;
    // Double click on a row, with the stock number (the data set is on it).
    std::function<void(int stokno)> ciftTiklandi;

    DataSet *veri = nullptr;      // YENILER or kampstok
    DataSource *kaynak = nullptr;
    GridView *izgara = nullptr;   // cxGridDBTableView5 or cxGridDBTableViewkampanyali

    void Yukle();  // syenilerShow / skampanyaliShow
    void KolonGenislikleri(int ekranGenisligi = -1);
    void CiftTiklama();

signals:
    void yuklendi(bool hata);

private:
    shell::TsTabSheet *m_sayfa;
    shell::TMesgulAnimasyonu *m_gif;
    bool m_suruyor = false;
};

// The announcements: pictures in an unbound list; a double click leads on.
class DuyuruVitrini : public QObject {
    Q_OBJECT
public:
    DuyuruVitrini(shell::TsTabSheet *sayfa, shell::TMesgulAnimasyonu *gif, QObject *parent = nullptr);

    std::function<QList<Duyuru>()> yukle;  // worker thread; throws on failure
    std::function<void()> kampanyayaGit;
    std::function<void()> yenilereGit;
    std::function<void(const QString &metin)> ara;

    GridView *izgara = nullptr;  // cxGridduyuruBandedDuyuru
    void Yukle();
    void CiftTiklama();
    // Where the text of an announcement or opening advert leads.
    void aramaYonlendir(const QString &arama);

signals:
    void yuklendi(bool hata);

private:
    shell::TsTabSheet *m_sayfa;
    shell::TMesgulAnimasyonu *m_gif;
    bool m_suruyor = false;
};

}  // namespace varo::katalog
