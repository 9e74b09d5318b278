#include "orderserver/seed.h"

#include "orderserver/database.h"
#include "orderserver/stocktext.h"

#include <QBuffer>
#include <QColor>
#include <QDate>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QSqlQuery>

#include <array>
#include <cmath>

namespace varo::orderserver {

namespace {

// A small fixed generator: the standard distributions differ between library
// versions, and the demo data must not.
class Rng {
public:
    explicit Rng(quint64 seed) : m_s(seed) {}
    quint32 next()
    {
        m_s = m_s * 6364136223846793005ULL + 1442695040888963407ULL;
        return quint32(m_s >> 33);
    }
    int below(int n) { return n <= 0 ? 0 : int(next() % quint32(n)); }
    double real(double lo, double hi) { return lo + (hi - lo) * (next() / 2147483648.0); }

private:
    quint64 m_s;
};

double round2(double v) { return std::round(v * 100.0) / 100.0; }

struct Brand { const char *name; const char *prefix; };
const Brand kBrands[] = {
    {"BOSCH", "BP"}, {"VALEO", "VL"}, {"MAHLE", "MH"}, {"FEBI", "FB"}, {"SACHS", "SC"}, {"LEMFÖRDER", "LM"},
    {"GATES", "GT"}, {"SKF", "SK"}, {"MANN FILTER", "MN"}, {"TRW", "TR"}, {"NGK", "NG"}, {"DELPHI", "DL"},
    {"CONTINENTAL", "CT"}, {"BREMBO", "BR"}, {"HELLA", "HL"}, {"DAYCO", "DY"},
};
const char *const kModels[] = {
    "FIAT DOBLO 1.3 MJET", "FIAT LINEA 1.4", "RENAULT CLIO IV 1.5 DCI", "RENAULT MEGANE III", "FORD FOCUS II 1.6 TDCI",
    "FORD TRANSIT 2.2 TDCI", "VW GOLF VI 1.6 TDI", "VW PASSAT B7", "OPEL ASTRA J 1.4", "OPEL CORSA D",
    "TOYOTA COROLLA 1.4 D4D", "HYUNDAI ACCENT ERA", "PEUGEOT 301 1.6 HDI", "CITROEN C-ELYSEE", "DACIA DUSTER 1.5 DCI",
    "HONDA CIVIC 1.6", "SKODA OCTAVIA 1.6 TDI", "MERCEDES SPRINTER 311",
};
struct Part { const char *name; const char *group; double price; };
const Part kParts[] = {
    {"ÖN FREN BALATASI", "FREN SİSTEMİ", 850}, {"ARKA FREN BALATASI", "FREN SİSTEMİ", 620}, {"ÖN FREN DİSKİ", "FREN SİSTEMİ", 1450},
    {"YAĞ FİLTRESİ", "FİLTRE", 180}, {"HAVA FİLTRESİ", "FİLTRE", 240}, {"POLEN FİLTRESİ", "FİLTRE", 210},
    {"YAKIT FİLTRESİ", "FİLTRE", 390}, {"TRİGER SETİ", "MOTOR", 2650}, {"DEVİRDAİM POMPASI", "MOTOR", 1780},
    {"V KAYIŞI", "MOTOR", 320}, {"ATEŞLEME BUJİSİ", "ELEKTRİK", 160}, {"ATEŞLEME BOBİNİ", "ELEKTRİK", 1120},
    {"ÖN AMORTİSÖR", "SÜSPANSİYON", 1980}, {"ARKA AMORTİSÖR", "SÜSPANSİYON", 1540}, {"ROTİL", "SÜSPANSİYON", 410},
    {"ROT BAŞI", "DİREKSİYON", 380}, {"SALINCAK", "SÜSPANSİYON", 1260}, {"DEBRİYAJ SETİ", "ŞANZIMAN", 4200},
    {"TEKER RULMANI", "SÜSPANSİYON", 760}, {"FAR AMPULÜ H7", "AYDINLATMA", 95}, {"STOP LAMBASI", "AYDINLATMA", 880},
    {"RADYATÖR", "SOĞUTMA", 3100}, {"TERMOSTAT", "SOĞUTMA", 290}, {"MARŞ MOTORU", "ELEKTRİK", 5200},
    {"ALTERNATÖR", "ELEKTRİK", 6400}, {"SİLECEK SÜPÜRGESİ", "AKSESUAR", 140}, {"EGZOZ SUSTURUCU", "EGZOZ", 1350},
};
const char *const kCities[][2] = {
    {"İSTANBUL", "ÜMRANİYE"}, {"ANKARA", "OSTİM"}, {"İZMİR", "BORNOVA"}, {"BURSA", "NİLÜFER"}, {"KONYA", "SELÇUKLU"},
    {"ADANA", "SEYHAN"}, {"ANTALYA", "KEPEZ"}, {"KAYSERİ", "MELİKGAZİ"}, {"GAZİANTEP", "ŞAHİNBEY"}, {"SAMSUN", "İLKADIM"},
};
const char *const kFirmWords[] = {"OTO", "YEDEK PARÇA", "OTOMOTİV", "MOTOR", "GARAJ", "TİCARET"};
const char *const kNames[] = {"ÖZKAN", "YILDIZ", "DEMİR", "ŞAHİN", "ÇELİK", "AYDIN", "KAYA", "ARSLAN", "DOĞAN", "KOÇ"};

QString dateText(QDate d) { return d.toString(Qt::ISODate); }

QByteArray artwork(int number, int size, bool banner)
{
    Rng r(quint64(number) * 7919ULL + 17);
    QImage img(size, banner ? size / 2 : size, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, img.width(), img.height());
    g.setColorAt(0, QColor::fromHsv(r.below(360), 60, 250));
    g.setColorAt(1, QColor::fromHsv(r.below(360), 120, 200));
    p.fillRect(img.rect(), g);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 70), size / 40.0));
    p.setBrush(QColor::fromHsv(r.below(360), 40, 180));
    const int c = img.height() / 2;
    p.drawEllipse(QPoint(img.width() / 2, c), c * 2 / 3, c * 2 / 3);
    p.setBrush(QColor(240, 240, 240));
    p.drawEllipse(QPoint(img.width() / 2, c), c / 4, c / 4);
    for (int i = 0; i < 6; ++i) {
        const double a = i * M_PI / 3 + r.real(0, 0.5);
        p.drawEllipse(QPointF(img.width() / 2 + std::cos(a) * c / 2.2, c + std::sin(a) * c / 2.2), c / 12.0, c / 12.0);
    }
    p.end();
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG", 80);
    return out;
}

}  // namespace

QByteArray itemPictureJpeg(int stokno, int size) { return artwork(stokno, size, false); }

void clearDatabase(Database &database)
{
    QSqlDatabase db = database.connection();
    Transaction tx(db);
    for (const char *t : {"postakutusu", "faturasatir", "hareket", "siparissatir", "siparis", "sepet", "bilgisayar", "kullanici",
                          "cari", "satici", "stok", "varoliste", "kargofirma", "kargotipi", "teslim", "duyuru", "ayar", "dosya"})
        exec(db, QStringLiteral("DELETE FROM ") + QLatin1String(t));
    tx.commit();
}

void seedDatabase(Database &database, const SeedOptions &o)
{
    QSqlDatabase db = database.connection();
    Rng r(20240501);
    Transaction tx(db);

    // Representatives.
    const char *const reps[][3] = {{"MEHMET ÖZTÜRK", "mehmet.ozturk@varo.example", "0532 111 22 33"},
                                   {"AYŞE KARACA", "ayse.karaca@varo.example", "0533 222 33 44"},
                                   {"HAKAN ERDEM", "hakan.erdem@varo.example", "0535 333 44 55"}};
    for (int i = 0; i < 3; ++i)
        exec(db, "INSERT INTO satici (saticino, adi, mail, telefon) VALUES (?,?,?,?)",
             {i + 1, QString::fromUtf8(reps[i][0]), QString::fromUtf8(reps[i][1]), QString::fromUtf8(reps[i][2])});

    // Customers; the last one is priced from cost.
    const int ncari = std::max(o.customers, 2);
    for (int i = 1; i <= ncari; ++i) {
        const bool raz = i == ncari;
        const auto &city = kCities[i % 10];
        const QString name = QString::fromUtf8(kNames[i % 10]) + QLatin1Char(' ') + QString::fromUtf8(kFirmWords[i % 6])
            + (i > 10 ? QStringLiteral(" %1").arg(i) : QString()) + QStringLiteral(" LTD. ŞTİ.");
        exec(db, "INSERT INTO cari (carino, carikod, cariadi, adres1, adres2, ilce, sehir, tel1, tel2, gsm, fax1, vergidairesi, "
                 "vergino, yetkili, email, anagrup, altgrup, ozelkod, iskonto, vade, saticino, sube) "
                 "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
             {i, raz ? QStringLiteral("120.RAZ.%1").arg(i, 3, 10, QLatin1Char('0')) : QStringLiteral("120.01.%1").arg(i, 3, 10, QLatin1Char('0')),
              name, QStringLiteral("SANAYİ SİTESİ %1. BLOK NO:%2").arg(1 + i % 9).arg(10 + i), QStringLiteral("OTO SANAYİ"),
              QString::fromUtf8(city[1]), QString::fromUtf8(city[0]), QStringLiteral("0216 %1 %2").arg(300 + i).arg(1000 + i * 7),
              QString(), QStringLiteral("0532 %1 %2").arg(400 + i).arg(2000 + i), QStringLiteral("0216 %1 9999").arg(300 + i),
              QString::fromUtf8(city[1]), QStringLiteral("%1").arg(1000000000LL + i * 7919LL),
              QString::fromUtf8(kNames[(i + 3) % 10]) + QStringLiteral(" BEY"), QStringLiteral("bayi%1@example.com").arg(i),
              QStringLiteral("BAYİ"), i % 3 ? QStringLiteral("A") : QStringLiteral("B"), QString(), double(10 + (i % 5) * 5),
              30 + (i % 3) * 15, 1 + i % 3, i % 4 ? QStringLiteral("MERKEZ") : QStringLiteral("ANKARA")});
    }

    // Demo users, one of each kind, plus the cost-priced customer's user.
    struct U { const char *name; const char *pass; int type; int carino; int rep; };
    const U users[] = {{"BAYI", "BAYI123", 0, 1, 1}, {"TEMSILCI", "TEMSILCI123", 1, 2, 1}, {"YONETICI", "YONETICI123", 2, 3, 2},
                       {"BAYI3", "BAYI3123", 3, 4, 2}, {"BAYI4", "BAYI4123", 4, 5, 3}, {"RAZBAYI", "RAZBAYI123", 0, ncari, 3}};
    int uno = 1;
    for (const U &u : users)
        exec(db, "INSERT INTO kullanici (sirano, adi, sifre, musteritipi, aktif, carino, saticino, mail, surum) VALUES (?,?,?,?,1,?,?,?,5)",
             {uno++, QString::fromUtf8(u.name), QString::fromUtf8(u.pass), u.type, u.carino, u.rep,
              QString::fromUtf8(u.name).toLower() + QStringLiteral("@example.com")});

    // Catalogue.
    QSqlQuery ins(db);
    ins.prepare("INSERT INTO stok (stokno, kod, finishkod, barkod, barkodno, oem1, oem2, oem3, oem4, ureticikodu, adi, digeradi, birim, "
                "marka, model, anagrup, altgrup, ozelkod, dpkod, pkod, kdv, listefiyati, maliyet, maliyetkur, yeni, kampanya, "
                "kampanyafiyat, durum, kalan, alinansiparis, verilensiparis, numaralar, arama) "
                "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    const int nb = int(std::size(kBrands)), nm = int(std::size(kModels)), np = int(std::size(kParts));
    for (int i = 1; i <= o.items; ++i) {
        const Brand &b = kBrands[(i - 1) % nb];
        const Part &part = kParts[((i - 1) / nb) % np];
        const QString model = QString::fromUtf8(kModels[r.below(nm)]);
        const QString finish = QString::fromLatin1(b.prefix) + QString::number(1000 + i);
        const QString kod = QStringLiteral("VR-%1").arg(i, 6, 10, QLatin1Char('0'));
        const QString barkod = QStringLiteral("869%1").arg(1000000000LL + i * 37LL);
        auto oem = [&](int k) {
            if (r.below(4) < k - 1) return QString();
            return QStringLiteral("%1%2 %3 %4").arg(QChar(u'0' + r.below(10))).arg(QChar(u'A' + r.below(26)))
                .arg(100 + r.below(900)).arg(100 + r.below(900));
        };
        const QString o1 = oem(1), o2 = oem(2), o3 = oem(3), o4 = oem(4);
        const QString uretici = QString::fromLatin1(b.prefix).left(1) + QStringLiteral("DB%1").arg(1000 + r.below(9000));
        const QString adi = QString::fromUtf8(part.name) + QLatin1Char(' ') + model;
        const double liste = round2(part.price * r.real(0.7, 1.6));
        const double maliyet = round2(liste * r.real(0.45, 0.65));
        const int kurSel = r.below(3);
        const double kalan = r.below(5) == 0 ? 0 : r.below(120);
        const int durum = kalan > 0 ? 1 : std::array<int, 5>{0, 2, 3, 4, 5}[size_t(r.below(5))];
        const bool yeni = r.below(40) == 0, kamp = r.below(30) == 0;
        const QVariantList vals = {i, kod, finish, barkod, i, o1, o2, o3, o4, uretici, adi, QString::fromUtf8(part.name),
                                   QStringLiteral("ADET"), QString::fromUtf8(b.name), model, QString::fromUtf8(part.group),
                                   QString(), kamp ? QStringLiteral("KAMPANYA") : QString(), QString::fromLatin1(b.prefix), QString(),
                                   18.0, liste, kurSel == 0 ? maliyet : round2(maliyet / (kurSel == 1 ? 32.45 : 35.10)),
                                   kurSel == 0 ? QStringLiteral("TL") : kurSel == 1 ? QStringLiteral("$") : QStringLiteral("€"),
                                   yeni ? 1 : 0, kamp ? 1 : 0, kamp ? round2(liste * 0.8) : 0.0, durum, kalan, double(r.below(6)),
                                   double(r.below(3)), joinNumbers({kod, finish, barkod, o1, o2, o3, o4, uretici}),
                                   joinNumbers({kod, finish, barkod, o1, o2, o3, o4, uretici, adi})};
        for (const QVariant &v : vals)
            ins.addBindValue(v.typeId() == QMetaType::QString && v.toString().isNull() ? QVariant(QStringLiteral("")) : v);
        if (!ins.exec())
            throw DbError("seed: stock insert failed");
    }

    // The genuine parts price list.
    for (int i = 1; i <= std::max(50, o.items / 10); ++i) {
        const Part &part = kParts[i % np];
        const QString kod = QStringLiteral("%1%2 %3 %4").arg(QChar(u'0' + r.below(10))).arg(QChar(u'K' + r.below(10)))
                                .arg(100 + r.below(900)).arg(100 + r.below(900));
        const QString ac = QStringLiteral("ORİJİNAL ") + QString::fromUtf8(part.name) + QLatin1Char(' ') + QString::fromUtf8(kModels[i % nm]);
        exec(db, "INSERT INTO varoliste (sirano, kod, aciklama, fiyat, kdv, arama) VALUES (?,?,?,?,18,?)",
             {i, kod, ac, round2(part.price * r.real(1.5, 2.5)), joinNumbers({kod, ac})});
    }

    // Delivery modes, cargo types and carriers.
    const char *const teslim[] = {"KARGO İLE", "SERVİS ARACI İLE", "GEL AL"};
    for (int i = 0; i < 3; ++i)
        exec(db, "INSERT INTO teslim (id, adi) VALUES (?,?)", {i + 1, QString::fromUtf8(teslim[i])});
    const char *const tipler[] = {"ALICI ÖDEMELİ", "GÖNDERİCİ ÖDEMELİ", "ANLAŞMALI"};
    for (int i = 0; i < 3; ++i)
        exec(db, "INSERT INTO kargotipi (id, adi) VALUES (?,?)", {i + 1, QString::fromUtf8(tipler[i])});
    const char *const firmalar[][2] = {{"YURTİÇİ KARGO", ""}, {"ARAS KARGO", "Cumartesi dağıtım yapılmamaktadır."},
                                       {"MNG KARGO", ""}, {"SÜRAT KARGO", "Ağır paketlerde ek ücret alınır."}};
    int ks = 1;
    for (int t = 1; t <= 3; ++t)
        for (int k = 0; k < 4; ++k)
            exec(db, "INSERT INTO kargofirma (sirano, tip, adi, uyari) VALUES (?,?,?,?)",
                 {ks++, t, QString::fromUtf8(firmalar[k][0]), QString::fromUtf8(firmalar[k][1])});

    // Orders with their lines, spread over the customers and states.
    const QDate today = QDate(2026, 12, 1);
    int lineNo = 1;
    for (int s = 1; s <= o.orders; ++s) {
        const int carino = 1 + (s - 1) % ncari;
        const int durum = r.below(6);
        const QDate d = today.addDays(-r.below(180));
        exec(db, "INSERT INTO siparis (sirano, carino, tarih, saat, durum, teslimid, kargoid, kargofirma, aciklama, verenid, bizimmesaj, saticinotu) "
                 "VALUES (?,?,?,?,?,?,?,?,?,?,?,?)",
             {s, carino, dateText(d), QStringLiteral("%1:%2:00").arg(8 + r.below(10), 2, 10, QLatin1Char('0')).arg(r.below(60), 2, 10, QLatin1Char('0')),
              durum, 1 + r.below(3), 1 + r.below(3), 1 + r.below(12), s % 4 ? QString() : QStringLiteral("Acil lütfen"),
              1, durum >= 1 ? QStringLiteral("Siparişiniz alınmıştır.") : QString(), s % 5 ? QString() : QStringLiteral("Fiyat teyit edildi")});
        const int lines = 1 + r.below(5);
        for (int l = 0; l < lines; ++l) {
            const int stokno = 1 + r.below(std::max(1, o.items));
            const double miktar = 1 + r.below(10);
            const double teslim = durum >= 3 ? (durum == 3 ? std::floor(miktar / 2) : (durum >= 4 ? miktar : 0)) : 0;
            exec(db, "INSERT INTO siparissatir (sirano, siparisno, stokno, barkod, stokadi, miktar, teslimedilen, kdv, fiyat, indirim, verenid) "
                     "SELECT ?, ?, stokno, barkod, adi, ?, ?, kdv, listefiyati, ?, 1 FROM stok WHERE stokno = ?",
                 {lineNo++, s, miktar, teslim, double(10 + (carino % 5) * 5), stokno});
        }
    }

    // Account movements: invoices with lines, collections and payments.
    int idno = 1, fs = 1;
    for (int c = 1; c <= ncari; ++c) {
        QDate d = today.addDays(-200);
        for (int k = 0; k < 8; ++k) {
            d = d.addDays(5 + r.below(20));
            const int kind = k % 4 == 3 ? 1 : (k == 6 ? 2 : 0);
            if (kind == 0) {
                double total = 0;
                const int lines = 1 + r.below(4);
                QList<QVariantList> rows;
                for (int l = 0; l < lines; ++l) {
                    const int stokno = 1 + r.below(std::max(1, o.items));
                    const double miktar = 1 + r.below(6);
                    const double fiyat = round2(100 + r.real(0, 900));
                    total += round2(miktar * fiyat * 0.85 * 1.18);
                    rows.append({fs++, idno, stokno, miktar, fiyat, 15.0, 18.0});
                }
                exec(db, "INSERT INTO hareket (idno, carino, tarih, vade, evrakno, turadi, aciklama, borc, alacak, saticino) VALUES (?,?,?,?,?,?,?,?,0,?)",
                     {idno, c, dateText(d), dateText(d.addDays(60)), QStringLiteral("F%1").arg(2026000 + idno), QStringLiteral("Satış Faturası"),
                      QStringLiteral("Toptan satış"), round2(total), 1 + c % 3});
                for (const QVariantList &row : rows)
                    exec(db, "INSERT INTO faturasatir (sirano, idno, stokno, miktar, fiyat, indirim, kdv) VALUES (?,?,?,?,?,?,?)", row);
            } else {
                exec(db, "INSERT INTO hareket (idno, carino, tarih, vade, evrakno, turadi, aciklama, borc, alacak, saticino) VALUES (?,?,?,?,?,?,?,?,?,?)",
                     {idno, c, dateText(d), dateText(d), QStringLiteral("T%1").arg(2026000 + idno),
                      kind == 1 ? QStringLiteral("Tahsilat") : QStringLiteral("Tediye"), kind == 1 ? QStringLiteral("Nakit tahsilat") : QStringLiteral("İade ödemesi"),
                      kind == 2 ? round2(r.real(100, 500)) : 0.0, kind == 1 ? round2(r.real(1000, 6000)) : 0.0, 1 + c % 3});
            }
            ++idno;
        }
    }

    // Opening screens and announcements.
    struct D { const char *title; const char *search; };
    const D duyurular[] = {{"Kış Kampanyası Başladı", "#KAMPANYA#"}, {"Yeni Gelen Ürünler", "#YENİ#"},
                           {"Bosch Fren Balatalarında Fırsat", "BP1001"}, {"Triger Setlerinde İndirim", "TRİGER SETİ"}};
    for (int i = 0; i < 4; ++i)
        exec(db, "INSERT INTO duyuru (sirano, baslik, arama, resim, acilis) VALUES (?,?,?,?,?)",
             {i + 1, QString::fromUtf8(duyurular[i].title), QString::fromUtf8(duyurular[i].search),
              QString::fromLatin1(artwork(9000 + i, 480, true).toHex().toUpper()), i < 2 ? 1 : 0});

    const QList<std::pair<QString, QString>> settings = {
        {QStringLiteral("kayanyazi"),
         QStringLiteral("<b>Kış kampanyası</b> başladı! <font color=\"#d00000\">Fren balatalarında %20 indirim</font> · "
                        "Siparişleriniz <i>16:00</i>'a kadar aynı gün kargoda.")},
        {QStringLiteral("usd"), QStringLiteral("32.45")},
        {QStringLiteral("eur"), QStringLiteral("35.10")},
        {QStringLiteral("surum"), QStringLiteral("5")},
    };
    for (const auto &[k, v] : settings)
        exec(db, "INSERT INTO ayar (anahtar, deger) VALUES (?,?)", {k, v});
    exec(db, "INSERT INTO dosya (sirano, adi, aciklama) VALUES (1, 'fiyat-listesi.pdf', 'Güncel fiyat listesi')");

    if (database.isPostgres()) {
        for (const char *t : {"sepet", "siparis", "siparissatir", "hareket", "faturasatir", "postakutusu"}) {
            const QString tn = QLatin1String(t);
            const QString key = tn == QLatin1String("hareket") ? QStringLiteral("idno") : QStringLiteral("sirano");
            exec(db, QStringLiteral("SELECT setval(pg_get_serial_sequence('%1','%2'), COALESCE((SELECT MAX(%2) FROM %1), 0) + 1, false)").arg(tn, key));
        }
    }
    tx.commit();
    // Statistics for the planner now rather than whenever autovacuum gets to
    // them: until then a freshly seeded large catalogue searched twice as slowly.
    if (database.isPostgres())
        exec(db, QStringLiteral("VACUUM ANALYZE"));
}

}  // namespace varo::orderserver
