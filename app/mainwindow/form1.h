#pragma once
// The main window: header, search bar, the ten tabs, legend and ticker.
// Feature areas install their contents into the pages and panels exposed
// here (see Form1Kancalari).

#include "app/mainwindow/acilis.h"
#include "app/shell/cerceve.h"
#include "protocol/transferobjects.h"
#include "server/connection.h"

#include <QMainWindow>
#include <functional>
#include <optional>
#include <vector>

class QAction;
class QFrame;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

namespace varo::mainwindow {

class TForm1;

// What other areas plug into the window. Every entry is optional.
struct Form1Kancalari {
    // Builds the contents of pages and panels; run at the end of the constructor.
    std::vector<std::function<void(TForm1 &)>> kurulumlar;
    // The login dialog; true when it ended with OK (the session is then filled).
    std::function<bool(TForm1 &)> girisDialogu;
    // Column changes of the feature grids after login.
    std::function<void(TForm1 &, const MusteriAyari &)> kolonAyarla;
    // The server side of the start-up task.
    std::function<std::shared_ptr<AcilisSunucusu>(TForm1 &)> acilisSunucusu;
    // The opening advertisements; the text the dialog returned, nothing when
    // it did not end with OK.
    std::function<std::optional<QString>(TForm1 &)> acilisReklami;
    // "Başka Cari Seç": the customer selection, run modally; it writes the
    // chosen customer into `sbilgi`.
    std::function<void(TForm1 &)> cariSecimi;
    // Run after the customer selection, whatever it ended with, so that the
    // features reload for the customer now in the session.
    std::vector<std::function<void(TForm1 &)>> cariDegisti;
    // Puts a text into the search box and searches as the "Ara" button does.
    std::function<void(TForm1 &, const QString &)> stokAra;
    // The ticker's text ticker: stop, clear, one HTML item when not empty, start.
    std::function<void(TForm1 &, const QString &)> kayanYaziYukle;
    // General menu.
    std::function<void(TForm1 &)> mailGonder;         // M1
    std::function<void(TForm1 &)> sifreDegistirme;    // N4
    std::function<void(TForm1 &)> webSitesiAc;        // websitesi1
};
Form1Kancalari &form1Kancalari();

class TForm1 : public QMainWindow, private AcilisArayuzu {
    Q_OBJECT
public:
    static const QString kUygulamaBasligi; // task bar (two blanks)
    static const QString kPencereBasligi;  // window caption (one blank)
    static const QString kCikisSorusu;

    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // Start-up sequence: look, titles, identity, server address, login,
    // start-up task. Returns only after a successful login.
    void FormCreate();
    void GirisYap();
    void musteriAyariUygula(const MusteriAyari &a);
    void baslangicGoreviniBaslat();
    void AcilisGoster();
    // "Başka Cari Seç" (musteritus).
    void CariSecimiAc();

    // The session as the server answered the login (the computer's identity filled before it), and
    // the main connection; background calls work on copies of both.
    TSonucBilgisi sbilgi;
    Connection bagc;
    QString portalHost;
    QString portalPort;

    int _acilisadet = 0;
    bool _acilisgoruldu = false;
    double _USDKUR = 1.0;
    double _EURKUR = 1.0;

    // Header.
    QFrame *Panel1 = nullptr;
    QWidget *GridPanel1 = nullptr;
    QLabel *kullanicilbl = nullptr;
    QLabel *cariadilbl = nullptr;
    QLabel *saticilbl = nullptr;
    QToolButton *sSpeedButton1 = nullptr;
    QMenu *Genelmenu = nullptr;
    QAction *M1 = nullptr, *N8 = nullptr, *N4 = nullptr, *N3 = nullptr, *websitesi1 = nullptr, *N2 = nullptr,
            *G1 = nullptr;
    shell::TRxGIFAnimator *RxGIFAnimator1 = nullptr;

    // Search bar: search widgets go into Panel2Duzeni before `kurlar`.
    QFrame *Panel2 = nullptr;
    QHBoxLayout *Panel2Duzeni = nullptr;
    QLabel *kurlar = nullptr;
    QPushButton *musteritus = nullptr;
    shell::TMesgulAnimasyonu *gifstokara = nullptr, *gifyeniler = nullptr, *gifkampanyali = nullptr,
                             *gifduyuru = nullptr, *gifekstre = nullptr, *gifoncekiler = nullptr,
                             *gifsanalpos = nullptr, *gifvaroara = nullptr;

    // Tabs.
    shell::TsPageControl *sPageControl1 = nullptr;
    shell::TsTabSheet *sstoklistesi = nullptr, *ssepet = nullptr, *sonceki = nullptr, *sccariekstre = nullptr,
                      *syeniler = nullptr, *skampanyali = nullptr, *sTabSheetduyuru = nullptr,
                      *sTabbakiyeler = nullptr, *sTabSheet2 = nullptr, *sanalcart = nullptr;

    // Legend and ticker.
    QFrame *Panel3 = nullptr;
    QFrame *Panel5 = nullptr;

    // Icon of the tab image list by index; null icon for unused indexes.
    static QIcon sekmeSimgesi(int index);

public slots:
    void G1Click();

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void cerceveKur();
    void sekmeleriKur();
    bool FormCloseQuery();

    // The start-up task's visible side.
    void baslikYaz(const QString &kullanici, const QString &cari, const QString &satici) override;
    void kayanYaziYukle(const QString &metin) override;
    void bannerYukle(const QByteArray &resim) override;
    void rozetYaz(const QString &sayfa, int deger) override;
    void kurlariYaz(double usd, double eur, const QString &metin) override;

    QLabel *m_kayanYedek = nullptr;
};

} // namespace varo::mainwindow
