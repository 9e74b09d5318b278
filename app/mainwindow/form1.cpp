#include "app/mainwindow/form1.h"

#include "app/identity/identity.h"
#include "app/shell/arkaplan.h"
#include "app/shell/mesajkutusu.h"
#include "app/shell/ortak.h"
#include "app/shell/tema.h"
#include "server/connection.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#ifndef VARO_WEB_SITE
#define VARO_WEB_SITE "http://localhost:8080/"
#endif

static void initShellResources() { Q_INIT_RESOURCE(shell); }

namespace varo::mainwindow {

const QString TForm1::kUygulamaBasligi = QStringLiteral("VARO Zorozizo Online Sipariş Programı  (Dilva)");
const QString TForm1::kPencereBasligi = QStringLiteral("VARO Zorozizo Online Sipariş Programı (Dilva)");
const QString TForm1::kCikisSorusu = QStringLiteral("Programdan Çıkmak İstiyor musunuz ?");

Form1Kancalari &form1Kancalari()
{
    static Form1Kancalari k;
    return k;
}

namespace {

QFrame *panel(const QString &ad, QWidget *parent, int yukseklik)
{
    auto *p = new QFrame(parent);
    p->setObjectName(ad);
    p->setFixedHeight(yukseklik);
    return p;
}

QLabel *etiket(const QString &ad, const QString &metin, Qt::Alignment hiza, QWidget *parent)
{
    auto *l = new QLabel(metin, parent);
    if (!ad.isEmpty())
        l->setObjectName(ad);
    l->setAlignment(hiza | Qt::AlignVCenter);
    return l;
}

} // namespace

QIcon TForm1::sekmeSimgesi(int index)
{
    initShellResources();
    static const QHash<int, QString> adlar = {
        {0, QStringLiteral("stok")},    {1, QStringLiteral("ekstre")},   {2, QStringLiteral("siparis")},
        {5, QStringLiteral("duyuru")},  {6, QStringLiteral("kampanya")}, {7, QStringLiteral("bakiye")},
        {8, QStringLiteral("sepet")},   {10, QStringLiteral("yeni")},    {11, QStringLiteral("pos")},
        {13, QStringLiteral("fiyat")},
    };
    const QString ad = adlar.value(index);
    return ad.isEmpty() ? QIcon() : QIcon(QStringLiteral(":/shell/icons/%1.svg").arg(ad));
}

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    initShellResources();
    resize(1344, 801);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);
    setWindowTitle(kPencereBasligi);
    portalHost = QStringLiteral("localhost");
    portalPort = QStringLiteral("9095");
    cerceveKur();
    for (const auto &kur : form1Kancalari().kurulumlar)
        kur(*this);
}

TForm1::~TForm1() = default;

void TForm1::cerceveKur()
{
    auto *merkez = new QWidget(this);
    merkez->setObjectName(QStringLiteral("merkez"));
    auto *dikey = new QVBoxLayout(merkez);
    dikey->setContentsMargins(0, 0, 0, 0);
    dikey->setSpacing(0);
    setCentralWidget(merkez);

    // Header.
    Panel1 = panel(QStringLiteral("Panel1"), merkez, 90);
    auto *ust = new QHBoxLayout(Panel1);
    ust->setContentsMargins(4, 1, 4, 1);
    ust->setSpacing(4);
    GridPanel1 = new QWidget(Panel1);
    GridPanel1->setObjectName(QStringLiteral("GridPanel1"));
    auto *izgara = new QGridLayout(GridPanel1);
    izgara->setContentsMargins(0, 0, 0, 0);
    izgara->setHorizontalSpacing(2);
    izgara->setVerticalSpacing(0);
    izgara->setColumnStretch(0, 105);
    izgara->setColumnStretch(1, 895);
    kullanicilbl = etiket(QStringLiteral("kullanicilbl"), QString(), Qt::AlignLeft, GridPanel1);
    cariadilbl = etiket(QStringLiteral("cariadilbl"), QString(), Qt::AlignLeft, GridPanel1);
    saticilbl = etiket(QStringLiteral("saticilbl"), QString(), Qt::AlignLeft, GridPanel1);
    const QList<QPair<QString, QLabel *>> satirlar = {
        {QStringLiteral("Kullanıcı: "), kullanicilbl},
        {QStringLiteral("Firma: "), cariadilbl},
        {QStringLiteral("Temsilci: "), saticilbl},
    };
    for (int i = 0; i < satirlar.size(); ++i) {
        izgara->addWidget(etiket(QString(), satirlar[i].first, Qt::AlignRight, GridPanel1), i, 0);
        izgara->addWidget(satirlar[i].second, i, 1);
        izgara->setRowStretch(i, 1);
    }
    ust->addWidget(GridPanel1, 1);

    RxGIFAnimator1 = new shell::TRxGIFAnimator(Panel1);
    RxGIFAnimator1->setObjectName(QStringLiteral("RxGIFAnimator1"));
    RxGIFAnimator1->setFixedSize(405, 88);
    RxGIFAnimator1->resimYukle(QStringLiteral(":/shell/banner.gif"));
    ust->addWidget(RxGIFAnimator1, 0, Qt::AlignRight | Qt::AlignVCenter);

    Genelmenu = new QMenu(this);
    Genelmenu->setObjectName(QStringLiteral("Genelmenu"));
    const auto oge = [this](const QString &ad, const QString &baslik) {
        QAction *a = baslik == QLatin1String("-") ? Genelmenu->addSeparator() : Genelmenu->addAction(baslik);
        a->setObjectName(ad);
        return a;
    };
    M1 = oge(QStringLiteral("M1"), QStringLiteral("Mail Gönder"));
    N8 = oge(QStringLiteral("N8"), QStringLiteral("-"));
    N4 = oge(QStringLiteral("N4"), QStringLiteral("Şifre Değiştirme İsteği"));
    N3 = oge(QStringLiteral("N3"), QStringLiteral("-"));
    websitesi1 = oge(QStringLiteral("websitesi1"), QStringLiteral("websitesi"));
    N2 = oge(QStringLiteral("N2"), QStringLiteral("-"));
    G1 = oge(QStringLiteral("G1"), QStringLiteral("Çıkış"));
    connect(M1, &QAction::triggered, this, [this] {
        if (auto &h = form1Kancalari().mailGonder)
            h(*this);
    });
    connect(N4, &QAction::triggered, this, [this] {
        if (auto &h = form1Kancalari().sifreDegistirme)
            h(*this);
    });
    connect(websitesi1, &QAction::triggered, this, [this] {
        if (auto &h = form1Kancalari().webSitesiAc)
            h(*this);
    });
    connect(G1, &QAction::triggered, this, &TForm1::G1Click);

    sSpeedButton1 = new QToolButton(Panel1);
    sSpeedButton1->setObjectName(QStringLiteral("sSpeedButton1"));
    sSpeedButton1->setText(QStringLiteral("Menü"));
    sSpeedButton1->setIcon(QIcon(QStringLiteral(":/shell/icons/menu.svg")));
    sSpeedButton1->setIconSize(QSize(32, 32));
    sSpeedButton1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    sSpeedButton1->setPopupMode(QToolButton::InstantPopup);
    sSpeedButton1->setMenu(Genelmenu);
    sSpeedButton1->setFixedSize(75, 84);
    ust->addWidget(sSpeedButton1, 0, Qt::AlignVCenter);
    dikey->addWidget(Panel1);

    // Search bar.
    Panel2 = panel(QStringLiteral("Panel2"), merkez, 35);
    auto *arama = new QHBoxLayout(Panel2);
    arama->setContentsMargins(4, 1, 4, 1);
    arama->setSpacing(4);
    Panel2Duzeni = new QHBoxLayout;
    Panel2Duzeni->setSpacing(4);
    arama->addLayout(Panel2Duzeni);
    musteritus = new QPushButton(QStringLiteral("Başka Cari Seç"), Panel2);
    musteritus->setObjectName(QStringLiteral("musteritus"));
    musteritus->setVisible(false);
    connect(musteritus, &QPushButton::clicked, this, &TForm1::CariSecimiAc);
    arama->addWidget(musteritus);
    const auto mesgul = [this, arama](const QString &ad) {
        auto *g = new shell::TMesgulAnimasyonu(Panel2);
        g->setObjectName(ad);
        g->setVisible(false);
        arama->addWidget(g);
        return g;
    };
    gifstokara = mesgul(QStringLiteral("gifstokara"));
    gifyeniler = mesgul(QStringLiteral("gifyeniler"));
    gifkampanyali = mesgul(QStringLiteral("gifkampanyali"));
    gifduyuru = mesgul(QStringLiteral("gifduyuru"));
    gifekstre = mesgul(QStringLiteral("gifekstre"));
    gifoncekiler = mesgul(QStringLiteral("gifoncekiler"));
    gifsanalpos = mesgul(QStringLiteral("gifsanalpos"));
    gifvaroara = mesgul(QStringLiteral("gifvaroara"));
    arama->addStretch(1);
    kurlar = etiket(QStringLiteral("kurlar"), QStringLiteral("Kurlar"), Qt::AlignRight, Panel2);
    arama->addWidget(kurlar);
    dikey->addWidget(Panel2);

    sekmeleriKur();
    dikey->addWidget(sPageControl1, 1);

    Panel3 = panel(QStringLiteral("Panel3"), merkez, 27);
    dikey->addWidget(Panel3);
    Panel5 = panel(QStringLiteral("Panel5"), merkez, 125);
    dikey->addWidget(Panel5);
}

void TForm1::sekmeleriKur()
{
    sPageControl1 = new shell::TsPageControl(centralWidget());
    sPageControl1->setObjectName(QStringLiteral("sPageControl1"));
    struct Sekme {
        const char *ad;
        QString baslik;
        int simge;
        shell::TsTabSheet **alan;
    };
    const Sekme sekmeler[] = {
        {"sstoklistesi", QStringLiteral("Stok\r\nListesi"), 0, &sstoklistesi},
        {"ssepet", QStringLiteral("Sepet"), 8, &ssepet},
        {"sonceki", QStringLiteral("Sipariş\r\nDurumları"), 2, &sonceki},
        {"sccariekstre", QStringLiteral("Cari Ekstre"), 1, &sccariekstre},
        {"syeniler", QStringLiteral("Yeni\r\nStoklar"), 10, &syeniler},
        {"skampanyali", QStringLiteral("Kampanyalı"), 6, &skampanyali},
        {"sTabSheetduyuru", QStringLiteral("Duyurular"), 5, &sTabSheetduyuru},
        {"sTabbakiyeler", QStringLiteral("Bakiyeler"), 7, &sTabbakiyeler},
        {"sTabSheet2", QStringLiteral("Orjinal\r\nFiyatlar"), 13, &sTabSheet2},
        {"sanalcart", QStringLiteral("Sanal Pos"), 11, &sanalcart},
    };
    for (const Sekme &s : sekmeler)
        *s.alan = sPageControl1->sayfaEkle(QString::fromLatin1(s.ad), s.baslik, sekmeSimgesi(s.simge));
    sPageControl1->setCurrentIndex(0);
}

void TForm1::FormCreate()
{
    shell::TemaUygula(qApp);
    _acilisadet = 0;
    _acilisgoruldu = false;
    shell::setMesajYaziBoyutu(15);
    // The application name doubles as the task-bar title; the display name is
    // left unset because the platform would append it to every window caption.
    QCoreApplication::setApplicationName(kUygulamaBasligi);
    setWindowTitle(kPencereBasligi);
    _USDKUR = 1.0;
    _EURKUR = 1.0;

    sbilgi.Kopyala(TSonucBilgisi{});
    sbilgi.setBilgiSayarAdi(identity::BilgisayarAdiAl());
    sbilgi.setBilgisayarKullanici(identity::KullaniciAdiAl());
    sbilgi.setIcip(identity::IcIpAl());
    sbilgi.setBILGISAYARID(identity::BilgisayarIdAl());

    portalHost = varo::Connection::portalHost();
    portalPort = varo::Connection::portalPort();
    bagc.HostName = portalHost;
    bagc.Port = portalPort;
    websitesi1->setText(QStringLiteral(VARO_WEB_SITE));

    GirisYap();
    baslangicGoreviniBaslat();
}

void TForm1::GirisYap()
{
#ifndef VARO_SKIP_LOGIN
    if (auto &giris = form1Kancalari().girisDialogu) {
        if (!giris(*this)) {
            shell::SureciSonlandir(0);
            return;
        }
    }
#endif
    musteriAyariUygula(musteriAyariHesapla(sbilgi.MusteriTipi(), sbilgi.carikod()));
}

void TForm1::musteriAyariUygula(const MusteriAyari &a)
{
    if (a.temsilciGorunumu)
        musteritus->setVisible(true);
    if (a.kampanyaGizli)
        sPageControl1->setTabVisible(sPageControl1->indexOf(skampanyali), false);
    if (auto &kolon = form1Kancalari().kolonAyarla)
        kolon(*this, a);
}

void TForm1::baslangicGoreviniBaslat()
{
    std::shared_ptr<AcilisSunucusu> sunucu;
    if (auto &h = form1Kancalari().acilisSunucusu)
        sunucu = h(*this);
    const BaslikBilgisi baslik{sbilgi.ADI(), sbilgi.CariAdi(), sbilgi.SaticiAdi(), sbilgi.SaticiTelefon(), sbilgi.SaticiMail()};
    auto gorev = std::make_shared<AcilisGorevi>(baslik, std::move(sunucu), static_cast<AcilisArayuzu *>(this), this);
    shell::Async([gorev] { gorev->calistir(); })
        .Await(
            [this, gorev] {
                _acilisadet = gorev->acilisAdet();
                AcilisGoster();
            },
            this);
}

void TForm1::AcilisGoster()
{
    if (_acilisgoruldu || _acilisadet == 0)
        return;
    auto &reklam = form1Kancalari().acilisReklami;
    if (!reklam)
        return;
    const std::optional<QString> arama = reklam(*this);
    if (!arama)
        return;
    if (*arama == QLatin1String("#KAMPANYA#")) {
        if (sPageControl1->isTabVisible(sPageControl1->indexOf(skampanyali)))  // hidden from type 4
            sPageControl1->setActivePage(skampanyali);
    }
    else if (*arama == QStringLiteral("#YENİ#"))
        sPageControl1->setActivePage(syeniler);
    else if (auto &ara = form1Kancalari().stokAra)
        ara(*this, *arama);
}

void TForm1::CariSecimiAc()
{
    if (auto &secim = form1Kancalari().cariSecimi)
        secim(*this);
    const BaslikBilgisi b{sbilgi.ADI(), sbilgi.CariAdi(), sbilgi.SaticiAdi(), sbilgi.SaticiTelefon(), sbilgi.SaticiMail()};
    baslikYaz(b.ADI, b.CariAdi, saticiSatiri(b));
    for (const auto &h : form1Kancalari().cariDegisti)
        h(*this);
}

void TForm1::G1Click() { close(); }

bool TForm1::FormCloseQuery()
{
    if (shell::MesajKutusu(kCikisSorusu, shell::mtConfirmation, {shell::mbYes, shell::mbNo}, shell::mbYes)
        != shell::mrYes)
        return false;
    shell::SureciSonlandir(0);
    return true;
}

void TForm1::closeEvent(QCloseEvent *e)
{
    if (FormCloseQuery())
        e->accept();
    else
        e->ignore();
}

void TForm1::baslikYaz(const QString &kullanici, const QString &cari, const QString &satici)
{
    kullanicilbl->setText(kullanici);
    cariadilbl->setText(cari);
    saticilbl->setText(satici);
}

void TForm1::kayanYaziYukle(const QString &metin)
{
    if (auto &h = form1Kancalari().kayanYaziYukle) {
        h(*this, metin);
        return;
    }
    // Until the ticker is installed the text stands still in its panel.
    if (!m_kayanYedek) {
        m_kayanYedek = new QLabel(Panel5);
        m_kayanYedek->setObjectName(QStringLiteral("kayanyaziYedek"));
        m_kayanYedek->setTextFormat(Qt::RichText);
        QLayout *l = Panel5->layout() ? Panel5->layout() : new QHBoxLayout(Panel5);
        l->addWidget(m_kayanYedek);
    }
    m_kayanYedek->setText(metin);
}

void TForm1::bannerYukle(const QByteArray &resim) { RxGIFAnimator1->resimYukle(resim); }

void TForm1::rozetYaz(const QString &sayfa, int deger)
{
    if (shell::TsTabSheet *s = sPageControl1->sayfa(sayfa))
        s->setBagTag(deger);
}

void TForm1::kurlariYaz(double usd, double eur, const QString &metin)
{
    _USDKUR = usd;
    _EURKUR = eur;
    kurlar->setText(metin);
}

} // namespace varo::mainwindow
