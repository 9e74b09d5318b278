#include "app/login/kullanicikayit.h"

#include "app/identity/identity.h"
#include "app/login/loginflow.h"
#include "app/shell/mesajkutusu.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

namespace varo::login {

std::optional<EksikAlan> ilkBosAlan(const IstekAlanlari &a)
{
    const struct {
        const QString *text;
        const char *name;
        const char *message;
    } required[] = {
        {&a.firmaadi, "firmaadi", "Firma Adı boş olamaz !"},
        {&a.adres1, "adres1", "Adres boş olamaz !"},
        {&a.ilce, "ilce", "İlçe Adı boş olamaz !"},
        {&a.sehir, "sehir", "Şehir Adı boş olamaz !"},
        {&a.telefon, "telefon", "Telefon  boş olamaz !"},
        {&a.yetkili, "yetkili", "Yetkili  boş olamaz !"},
        {&a.kullaniciadi, "kullaniciadi", "Kullanıcı  boş olamaz !"},
        {&a.sifre, "sifre", "Şifre  boş olamaz !"},
        {&a.mail, "mail", "Mail  boş olamaz !"},
    };
    for (const auto &r : required)
        if (r.text->trimmed().isEmpty())
            return EksikAlan{QString::fromLatin1(r.name), QString::fromUtf8(r.message)};
    return std::nullopt;
}

QString istekBasligi(TIstek mode)
{
    return mode == TIstek::tyeni ? QStringLiteral("B2B Yeni Kullanıcı İstek")
                                 : QStringLiteral("Şifre Değiştirme İsteği");
}

Tkullanicikayit::Tkullanicikayit(QWidget *owner, std::shared_ptr<IstekSunucusu> server, MessageFn mesaj)
    : QDialog(owner), m_server(std::move(server)), m_mesaj(std::move(mesaj))
{
    setObjectName(QStringLiteral("kullanicikayit"));
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);
    setFixedSize(705, 514);

    auto *root = new QVBoxLayout(this);
    m_lblid = new QLabel(this);
    m_lblid->setObjectName(QStringLiteral("lblid"));
    root->addWidget(m_lblid);

    auto heading = [this](const QString &text) {
        auto *l = new QLabel(text, this);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    auto caption = [this](const QString &text) {
        auto *l = new QLabel(text, this);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };

    // One grid for both groups so their captions line up.
    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setVerticalSpacing(8);
    int row = 0;
    auto section = [&](const QString &text) { grid->addWidget(heading(text), row++, 0, 1, 3); };
    auto full = [&](const QString &cap, const char *name) {
        grid->addWidget(caption(cap), row, 0);
        grid->addWidget(addEdit(name), row, 1, 1, 2);
        ++row;
    };
    auto halves = [&](const QString &cap, const char *left, const char *right) {
        grid->addWidget(caption(cap), row, 0);
        grid->addWidget(addEdit(left), row, 1);
        grid->addWidget(addEdit(right), row, 2);
        ++row;
    };
    section(QStringLiteral("Firma Bilgileri"));
    full(QStringLiteral("Firma Adı:"), "firmaadi");
    full(QStringLiteral("Adres:"), "adres1");
    full(QStringLiteral("Adres2:"), "adres2");
    halves(QStringLiteral("İlçe/Şehir:"), "ilce", "sehir");
    halves(QStringLiteral("Telefon/Fax:"), "telefon", "fax");
    halves(QStringLiteral("Vergi Dairesi / No:"), "vd", "vn");
    full(QStringLiteral("Yetkili:"), "yetkili");
    section(QStringLiteral("Kullanıcı Bilgileri"));
    full(QStringLiteral("Kullanıcı Adı:"), "kullaniciadi");
    full(QStringLiteral("Şifre:"), "sifre");
    full(QStringLiteral("Mail:"), "mail");
    full(QStringLiteral("Kargo Ambar:"), "kargoambar");
    root->addLayout(grid);
    root->addStretch(1);

    auto *bar = new QHBoxLayout;
    auto *gonder = new QPushButton(QStringLiteral("Gönder"), this);
    gonder->setObjectName(QStringLiteral("Button2"));
    gonder->setAutoDefault(false);
    auto *kapat = new QPushButton(QStringLiteral("Kapat"), this);
    kapat->setObjectName(QStringLiteral("Button1"));
    kapat->setAutoDefault(false);
    gonder->setMinimumSize(110, 32);
    kapat->setMinimumSize(110, 32);
    bar->addWidget(gonder);
    bar->addStretch(1);
    bar->addWidget(kapat);
    root->addLayout(bar);
    connect(gonder, &QPushButton::clicked, this, &Tkullanicikayit::Button2Click);
    connect(kapat, &QPushButton::clicked, this, &Tkullanicikayit::Button1Click);

    for (int i = 1; i < m_edits.size(); ++i)
        setTabOrder(m_edits.at(i - 1), m_edits.at(i));
    m_edits.first()->setFocus();

    m_idsi = identity::BilgisayarIdAl();
    m_lblid->setText(QStringLiteral("Bilgisayar ID: ") + identity::BilgisayarIdAl());
}

QLineEdit *Tkullanicikayit::addEdit(const char *name)
{
    auto *e = new QLineEdit(this);
    e->setObjectName(QLatin1String(name));
    m_edits << e;
    return e;
}

Tkullanicikayit *Tkullanicikayit::Yeni(QWidget *owner, std::shared_ptr<IstekSunucusu> server, MessageFn mesaj)
{
    auto *f = new Tkullanicikayit(owner, std::move(server), std::move(mesaj));
    f->setWindowTitle(QStringLiteral("B2B İstek Formu"));
    f->m_durum = TIstek::tyeni;
    return f;
}

Tkullanicikayit *Tkullanicikayit::Ac(QWidget *owner, std::shared_ptr<IstekSunucusu> server,
                                     const QString &adi, const QString &cariAdi, MessageFn mesaj)
{
    auto *f = new Tkullanicikayit(owner, std::move(server), std::move(mesaj));
    f->findChild<QLineEdit *>(QStringLiteral("kullaniciadi"))->setText(adi);
    f->findChild<QLineEdit *>(QStringLiteral("firmaadi"))->setText(cariAdi);
    f->CariBilgisiDoldur();
    f->setWindowTitle(QStringLiteral("Şifre Değiştirme İsteği"));
    f->m_durum = TIstek::teski;
    return f;
}

void Tkullanicikayit::CariBilgisiDoldur()
{
    if (!m_server)
        return;
    std::optional<CariBilgisi> c;
    try {
        c = m_server->MobilCariBilgisiGetir(0, identity::BilgisayarIdAl());
    } catch (const std::exception &e) {
        notify(QString::fromUtf8(e.what()), MessageKind::Hata);
        return;
    }
    if (!c)
        return;
    auto set = [this](const char *name, const QString &v) {
        findChild<QLineEdit *>(QLatin1String(name))->setText(v);
    };
    set("adres1", c->ADRES1);
    set("adres2", c->ADRES2);
    set("ilce", c->ILCE);
    set("sehir", c->SEHIR);
    set("telefon", c->TEL1);
    set("fax", c->FAX1);
    set("vd", c->VERGIDAIRESI);
    set("vn", c->VERGINO);
}

IstekAlanlari Tkullanicikayit::alanlar() const
{
    auto t = [this](const char *name) { return findChild<QLineEdit *>(QLatin1String(name))->text(); };
    return {t("firmaadi"), t("adres1"), t("adres2"), t("ilce"), t("sehir"), t("telefon"), t("fax"),
            t("vd"), t("vn"), t("yetkili"), t("kullaniciadi"), t("sifre"), t("mail"), t("kargoambar")};
}

void Tkullanicikayit::notify(const QString &text, MessageKind kind)
{
    if (m_mesaj) {
        m_mesaj(text, kind);
        return;
    }
    const shell::MesajTuru tur = kind == MessageKind::Hata    ? shell::mtError
                                 : kind == MessageKind::Uyari ? shell::mtWarning
                                                              : shell::mtInformation;
    shell::MesajKutusu(text, tur, {shell::mbOK}, shell::mbOK);
}

void Tkullanicikayit::Button2Click()
{
    if (const auto eksik = ilkBosAlan(alanlar())) {
        auto *e = findChild<QLineEdit *>(eksik->alan);
        e->selectAll();
        e->setFocus();
        notify(eksik->mesaj, MessageKind::Uyari);
        return;
    }
    IstekGonder(istekBasligi(m_durum));
}

void Tkullanicikayit::IstekGonder(const QString &baslik)
{
    if (!m_server)
        return;
    bool sent = false;
    try {
        sent = m_server->MailGonserCari(identity::BilgisayarIdAl(), baslik, alanlar());
    } catch (const std::exception &e) {
        // A server error is reported with its own text; the form stays open.
        notify(QString::fromUtf8(e.what()), MessageKind::Hata);
        return;
    }
    if (sent)
        notify(QStringLiteral("İsteğiniz Gönderildi!"), MessageKind::Bilgi);
}

void Tkullanicikayit::Button1Click() { reject(); }

} // namespace varo::login
