#include "orderserver/methods.h"

#include "orderserver/stocktext.h"

#include <QDate>
#include <QJsonDocument>

#include <cmath>

namespace varo::orderserver {

namespace {

const char *const kNames[] = {
    "DSServerModuleCreate", "EchoString", "ReverseString", "StokAra", "SepetVer", "OncekiSiparisler", "OncekiSiparisler2",
    "CariEkstreVer", "CariEkstreVer2", "CariEkstreVer2Baslik", "YenilerVer", "VaroYenilerVer", "YenilerVerMobile",
    "KampanyaliVer", "VaroKampanyaliVer", "KampanyaliVermMobil", "DuyuruVer", "DuyuruVer2", "BakiyelerVer", "BuyukGetir",
    "ResimVer5", "ResimVer6", "StokAraTesvo", "Dornavel", "StokAraVaro", "TeslimVer", "KargoVer", "KargolarVer", "SepetEkle",
    "SepetGuncelle", "SepetHepsiniSil", "CikisGonder", "SepetSatirSil", "SiparisKaydet", "Oncekiler", "SiparisAyrintisi",
    "FaturaGetir", "FaturaAltGetir", "Tahsilat", "BakiyeDuzenle", "BakiyeDegistir", "BakiyeFiyatDegistir",
    "SiparisAytintisiDip", "CariAra", "SepetSayisi", "TusSonuclariVer", "CariSepetVer", "DosyaIndir", "BelgeIndir",
    "BelgeIndir2", "KayanYaziGetir", "BannerResimVer", "RaporGetir", "KurlariAl", "BalonGetir", "TumSiparislerVer",
    "SepetSecimGuncelle", "MobilStokara", "MobilStokNoAra", "SepetMobilVer", "MailGonserCari", "MailGonserCariNormal",
    "MobilCariBilgisiGetir", "AcilisReklamAdet", "AcilisREklamVer", "AcilisEkranlarVer", "AcilisEkranlarVer2",
    "MobilStokaraGeri", "MobilStokaraAdimli", "DepartmanlariGetir", "VarodeAra", "DosyaListesi", "DosyaListesi2",
    "AcilisEkranlariVerData", "BuyukResimVer", "HttpResimVer", "KucukResimVer", "SifremiUnuttum", "BalonGetir2",
    "MobilSiparisKaydet", "RaporAlinanSiparisler", "RaporEnCokSatilanStoklar", "ParvenorVer", "CariDurumVer",
};

class Args {
public:
    explicit Args(const QJsonArray &a) : m_a(a) {}
    QString str(int i) const
    {
        const QJsonValue v = m_a.at(i);
        return v.isString() ? v.toString() : v.isDouble() ? QString::number(v.toDouble(), 'g', 15) : QString();
    }
    int i32(int i) const
    {
        const QJsonValue v = m_a.at(i);
        const double d = v.isString() ? v.toString().toDouble() : v.toDouble();
        if (!std::isfinite(d) || d < -2147483648.0 || d > 2147483647.0)
            throw RequestError("Parametre geçersiz");
        return int(d);
    }
    double dbl(int i) const
    {
        const QJsonValue v = m_a.at(i);
        return v.isString() ? v.toString().toDouble() : v.toDouble();
    }
    Session session(int i) const { return ServerMethods::sessionFromJson(m_a.at(i)); }

private:
    const QJsonArray &m_a;
};

MethodAnswer answer(const QJsonValue &result, const QJsonObject &out = {}) { return MethodAnswer{result, out, nullptr}; }
MethodAnswer answer(MethodAnswer &&a) { return std::move(a); }

// Tables stay columns up to the wire, which writes them straight from there.
MethodAnswer table(Table &&t) { return MethodAnswer{QJsonValue(), QJsonObject(), std::move(t)}; }

QJsonObject stream(const QByteArray &b) { return {{QStringLiteral("size"), double(b.size())}, {QStringLiteral("base64"), QString::fromLatin1(b.toBase64())}}; }

QJsonObject object(const char *type, const QJsonObject &fields)
{
    return {{QStringLiteral("type"), QString::fromLatin1(type)}, {QStringLiteral("fields"), fields}};
}

QJsonObject listOf(const char *type, const QJsonArray &items)
{
    return {{QStringLiteral("type"), QString::fromLatin1(type)}, {QStringLiteral("items"), items}};
}

QJsonObject screenObject(const OpeningScreen &o)
{
    return object("mobilstokunit.TAcilisEkran", {{QStringLiteral("FSiraNo"), o.SiraNo}, {QStringLiteral("FResim"), o.Resim},
                                                 {QStringLiteral("FBaslik"), o.Baslik}, {QStringLiteral("FArama"), o.Arama}});
}

QJsonObject stockObject(const QVariantMap &m)
{
    QJsonObject f;
    for (auto it = m.begin(); it != m.end(); ++it)
        f.insert(QLatin1Char('F') + it.key(), QJsonValue::fromVariant(it.value()));
    for (const char *k : {"FResim", "FRenk", "FBeden", "FOemNo"})
        if (!f.contains(QLatin1String(k)))
            f.insert(QLatin1String(k), QString());
    for (const char *k : {"FIsk2", "FIsk3", "FIsk4"})
        f.insert(QLatin1String(k), 0.0);
    return object("mobilstokunit.TMobilStok", f);
}

QJsonObject basketObjects(const Table &t)
{
    QJsonArray items;
    for (int r = 0; r < t->recordCount(); ++r) {
        QJsonObject f;
        for (int c = 0; c < t->fieldCount(); ++c) {
            const varo::Field *fd = t->field(c);
            const QString n = fd->fieldName();
            QString key = QLatin1Char('F') + n;
            if (n == QLatin1String("STOKNO")) key = QStringLiteral("FStokNo");
            else if (n == QLatin1String("DURUM")) key = QStringLiteral("FDurum");
            else if (n == QLatin1String("KALAN")) key = QStringLiteral("FKalan");
            else if (n == QLatin1String("OEMNO")) key = QStringLiteral("FOemNo");
            else if (n == QLatin1String("ANAGRUP")) key = QStringLiteral("FAnaGrup");
            else if (n == QLatin1String("OZELKOD")) key = QStringLiteral("FOzelKod");
            else if (n == QLatin1String("DPKOD")) key = QStringLiteral("FDpKod");
            else if (n == QLatin1String("PKOD")) key = QStringLiteral("FPKod");
            else if (n == QLatin1String("BARKOD")) key = QStringLiteral("FBarkod");
            f.insert(key, QJsonValue::fromVariant(fd->value(r)));
        }
        f.insert(QStringLiteral("FACIKLAMA"), 0);
        f.insert(QStringLiteral("FResimVar"), 1);
        f.insert(QStringLiteral("FResim"), QString());
        items.append(object("mobilstokunit.TMobilSepet", f));
    }
    return listOf("mobilstokunit.TMobilSepetler", items);
}

QString mailBody(const Args &a, int first, int count, const char *const *labels)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QString::fromUtf8(labels[i]) + QStringLiteral(": ") + a.str(first + i);
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

QStringList ServerMethods::methodNames()
{
    QStringList out;
    for (const char *n : kNames)
        out << QString::fromLatin1(n);
    return out;
}

Session ServerMethods::sessionFromJson(const QJsonValue &v)
{
    Session s;
    QJsonObject o = v.toObject();
    if (o.contains(QStringLiteral("fields")))
        o = o.value(QStringLiteral("fields")).toObject();
    auto str = [&](const char *n) {
        const QString k = QString::fromLatin1(n);
        return o.contains(k) ? o.value(k).toString() : o.value(k.mid(1)).toString();
    };
    auto num = [&](const char *n, int def) {
        const QString k = QString::fromLatin1(n);
        const QJsonValue x = o.contains(k) ? o.value(k) : o.value(k.mid(1));
        return x.isUndefined() || x.isNull() ? def : x.toInt(def);
    };
    s.BILGISAYARID = str("FBILGISAYARID");
    s.SaticiMail = str("FSaticiMail");
    s.Sirano = num("FSirano", 0);
    s.CariAdi = str("FCariAdi");
    s.SIFRE = str("FSIFRE");
    s.SaticiNo = num("FSaticiNo", 0);
    s.CARINO = num("FCARINO", 0);
    s.AKTIF = num("FAKTIF", 0);
    s.Kullanicimail = str("FKullanicimail");
    s.ADI = str("FADI");
    s.SaticiTelefon = str("FSaticiTelefon");
    s.carikod = str("Fcarikod");
    s.Varmi = o.value(QStringLiteral("FVarmi")).toBool();
    s.SaticiAdi = str("FSaticiAdi");
    s.BilgiSayarAdi = str("FBilgiSayarAdi");
    s.Disip = str("FDisip");
    s.Icip = str("FIcip");
    s.BilgisayarKullanici = str("FBilgisayarKullanici");
    s.MusteriTipi = num("FMusteriTipi", 1);
    s.Version = num("FVersion", 1);
    return s;
}

QJsonObject ServerMethods::sessionToJson(const Session &s)
{
    return object("baglantiu.TSonucBilgisi",
                  {{QStringLiteral("FBILGISAYARID"), s.BILGISAYARID}, {QStringLiteral("FSaticiMail"), s.SaticiMail},
                   {QStringLiteral("FSirano"), s.Sirano}, {QStringLiteral("FCariAdi"), s.CariAdi}, {QStringLiteral("FSIFRE"), s.SIFRE},
                   {QStringLiteral("FSaticiNo"), s.SaticiNo}, {QStringLiteral("FCARINO"), s.CARINO}, {QStringLiteral("FAKTIF"), s.AKTIF},
                   {QStringLiteral("FKullanicimail"), s.Kullanicimail}, {QStringLiteral("FADI"), s.ADI},
                   {QStringLiteral("FSaticiTelefon"), s.SaticiTelefon}, {QStringLiteral("Fcarikod"), s.carikod},
                   {QStringLiteral("FVarmi"), s.Varmi}, {QStringLiteral("FSaticiAdi"), s.SaticiAdi},
                   {QStringLiteral("FBilgiSayarAdi"), s.BilgiSayarAdi}, {QStringLiteral("FDisip"), s.Disip},
                   {QStringLiteral("FIcip"), s.Icip}, {QStringLiteral("FBilgisayarKullanici"), s.BilgisayarKullanici},
                   {QStringLiteral("FMusteriTipi"), s.MusteriTipi}, {QStringLiteral("FVersion"), s.Version}});
}

QJsonObject ServerMethods::tableToJson(const varo::DataSet &t)
{
    // Column by column, types by their wire code: the form the client's
    // table reader decodes fastest.
    QJsonArray cols, data;
    for (int c = 0; c < t.fieldCount(); ++c) {
        const varo::Field *f = t.field(c);
        cols.append(QJsonObject{{QStringLiteral("name"), f->fieldName()}, {QStringLiteral("type"), int(f->dataType())}});
        QJsonArray values;
        const bool isInt = varo::isIntegerType(f->dataType()), isReal = varo::isFloatingType(f->dataType());
        for (int r = 0; r < t.recordCount(); ++r) {
            if (f->isNull(r))
                values.append(QJsonValue());
            else if (isInt)
                values.append(double(f->intAt(r)));
            else if (isReal)
                values.append(f->doubleAt(r));
            else
                values.append(f->stringAt(r));
        }
        data.append(values);
    }
    return {{QStringLiteral("columns"), cols}, {QStringLiteral("data"), data}};
}

QJsonObject ServerMethods::call(const QString &method, const QJsonArray &params)
{
    const MethodAnswer a = run(method, params);
    QJsonObject o{{QStringLiteral("result"), a.table ? QJsonValue(tableToJson(*a.table)) : a.result}};
    if (!a.out.isEmpty())
        o.insert(QStringLiteral("out"), a.out);
    return o;
}

MethodAnswer ServerMethods::run(const QString &method, const QJsonArray &params)
{
    const Args a(params);
    const QString &m = method;
    auto is = [&](const char *n) { return m == QLatin1String(n); };

    if (is("DSServerModuleCreate")) return answer(QJsonValue());
    if (is("EchoString")) return answer(a.str(0));
    if (is("ReverseString")) {
        const QString s = a.str(0);
        QString r;
        r.reserve(s.size());
        for (auto it = s.crbegin(); it != s.crend(); ++it)
            r += *it;
        return answer(r);
    }
    if (is("StokAra")) {
        Session s;
        s.CARINO = a.str(1).toInt();
        s.MusteriTipi = a.i32(2);
        return answer(table(m_repo.searchStock(a.str(0), s)));
    }
    if (is("StokAraTesvo") || is("Dornavel") || is("StokAraVaro"))
        return answer(table(m_repo.searchStock(a.str(0), a.session(1))));
    if (is("SepetVer")) return answer(table(m_repo.basket(a.i32(0))));
    if (is("OncekiSiparisler") || is("OncekiSiparisler2") || is("Oncekiler")) return answer(table(m_repo.previousOrders(a.i32(0))));
    if (is("CariEkstreVer")) return answer(table(m_repo.statement(a.i32(0))));
    if (is("CariEkstreVer2")) return answer(table(m_repo.statement(a.i32(0), a.dbl(1), a.dbl(2))));
    if (is("CariEkstreVer2Baslik")) return answer(table(m_repo.statementOpening(a.i32(0), a.dbl(1))));
    if (is("YenilerVer") || is("VaroYenilerVer") || is("YenilerVerMobile")) return answer(table(m_repo.newItems(a.i32(0))));
    if (is("KampanyaliVer") || is("VaroKampanyaliVer") || is("KampanyaliVermMobil"))
        return answer(table(m_repo.campaignItems(a.i32(0), a.i32(1))));
    if (is("DuyuruVer") || is("DuyuruVer2")) return answer(table(m_repo.announcements()));
    if (is("BakiyelerVer")) return answer(table(m_repo.openBalances(a.i32(0))));
    if (is("BuyukGetir")) return answer(sessionToJson(m_repo.sessionForComputer(a.str(0))));
    if (is("ResimVer5") || is("HttpResimVer")) {
        const QByteArray pic = m_repo.itemPicture(a.i32(0));
        return answer(stream(pic), {{QStringLiteral("boy"), double(pic.size())}});
    }
    if (is("ResimVer6")) {
        const QByteArray pic = m_repo.itemPicture(a.i32(0));
        QJsonArray bytes;
        for (char c : pic)
            bytes.append(int(quint8(c)));
        return answer(bytes, {{QStringLiteral("boy"), double(pic.size())}});
    }
    if (is("BuyukResimVer") || is("KucukResimVer")) {
        const QByteArray pic = m_repo.itemPicture(a.i32(0));
        const QString hex = QString::fromLatin1(pic.toHex().toUpper());
        return is("BuyukResimVer") ? answer(hex, {{QStringLiteral("boy"), double(pic.size())}}) : answer(hex);
    }
    if (is("TeslimVer")) return answer(table(m_repo.deliveryModes()));
    if (is("KargoVer")) return answer(table(m_repo.cargoTypes()));
    if (is("KargolarVer")) return answer(table(m_repo.carriers(a.i32(0))));
    if (is("SepetEkle") || is("SepetGuncelle")) {
        const Session s = a.session(0);
        BasketLineInput in{a.i32(1), a.i32(2), a.i32(9), a.str(3), a.str(4), a.dbl(5), a.dbl(6), a.dbl(7), a.dbl(8)};
        return answer(is("SepetEkle") ? m_repo.basketAdd(s, in) : m_repo.basketUpdate(s, in, a.i32(10)));
    }
    if (is("SepetHepsiniSil")) return answer(m_repo.basketClear(a.session(0)));
    if (is("CikisGonder")) return answer(QJsonValue());
    if (is("SepetSatirSil")) return answer(m_repo.basketDeleteLine(a.session(0), a.i32(1)));
    if (is("SiparisKaydet")) {
        const Session s = a.session(0);
        return answer(m_repo.saveOrder(s, {a.i32(1), a.i32(2), a.i32(3), a.i32(6), a.i32(5), a.str(4)}));
    }
    if (is("SiparisAyrintisi")) return answer(table(m_repo.orderLines(a.i32(0), a.i32(1))));
    if (is("FaturaGetir")) return answer(table(m_repo.invoiceLines(a.i32(0), a.i32(1))));
    if (is("FaturaAltGetir")) return answer(table(m_repo.invoiceFooter(a.i32(0))));
    if (is("Tahsilat")) return answer(table(m_repo.collection(a.i32(0))));
    // Removing a balance closes the line's open quantity; changing it sets the
    // new open quantity (Bakiye); re-pricing keeps the quantity.
    if (is("BakiyeDuzenle")) return answer(m_repo.balanceReduce(a.session(0), a.i32(1), a.i32(3), 0.0));
    if (is("BakiyeDegistir")) return answer(m_repo.balanceReduce(a.session(0), a.i32(1), a.i32(3), a.dbl(5)));
    if (is("BakiyeFiyatDegistir")) return answer(m_repo.balanceReprice(a.session(0), a.i32(3), a.dbl(7), a.dbl(8)));
    if (is("SiparisAytintisiDip")) {
        const OrderFooter f = m_repo.orderFooter(a.i32(1));
        return answer(object("baglantiu.TSiparisDipAyrinti",
                             {{QStringLiteral("FSizinMesaj"), f.SizinMesaj}, {QStringLiteral("FDurumu"), f.Durumu},
                              {QStringLiteral("FVeren"), f.Veren}, {QStringLiteral("FKargo"), f.Kargo},
                              {QStringLiteral("FBizimMesaj"), f.BizimMesaj}, {QStringLiteral("FTeslimCinsi"), f.TeslimCinsi},
                              {QStringLiteral("FKargoCinsi"), f.KargoCinsi}, {QStringLiteral("FSaticiNotu"), f.SaticiNotu}}));
    }
    if (is("CariAra")) return answer(table(m_repo.customers(a.session(0), a.str(1))));
    if (is("SepetSayisi")) return answer(m_repo.basketCount(a.session(0)));
    if (is("TusSonuclariVer")) {
        const StateCounts c = m_repo.stateCounts(a.session(0));
        return answer(object("baglantiu.TTusSonuclari",
                             {{QStringLiteral("FAlindi"), c.Alindi}, {QStringLiteral("FOnaylandi"), c.Onaylandi},
                              {QStringLiteral("FParcaliHazirlandi"), c.ParcaliHazirlandi}, {QStringLiteral("FSevkEdildi"), c.SevkEdildi},
                              {QStringLiteral("FHazirlandi"), c.Hazirlandi}, {QStringLiteral("FGoruldu"), c.Goruldu}}));
    }
    if (is("CariSepetVer")) return answer(table(m_repo.customersByState(a.session(0), a.i32(1))));
    if (is("DosyaIndir") || is("ParvenorVer")) {
        const QByteArray pdf = m_repo.reportPdf(6, 0, {}, 0, 0);
        return is("ParvenorVer") ? answer(stream(pdf)) : answer(stream(pdf), {{QStringLiteral("size"), double(pdf.size())}});
    }
    if (is("BelgeIndir") || is("BelgeIndir2")) {
        const QByteArray pdf = m_repo.reportPdf(6, 0, {}, 0, 0);
        return answer(stream(pdf), {{QStringLiteral("size"), double(pdf.size())}, {QStringLiteral("adi"), QStringLiteral("belge%1.pdf").arg(a.i32(0))}});
    }
    if (is("KayanYaziGetir")) return answer(m_repo.tickerText());
    if (is("BannerResimVer")) {
        const QByteArray gif = m_repo.bannerGif();
        return answer(stream(gif), {{QStringLiteral("size"), double(gif.size())}});
    }
    if (is("RaporGetir")) {
        const QByteArray pdf = m_repo.reportPdf(a.i32(0), a.i32(3), a.str(4), a.dbl(5), a.dbl(6));
        return answer(stream(pdf), {{QStringLiteral("size"), double(pdf.size())}});
    }
    if (is("KurlariAl")) {
        const auto [usd, eur] = m_repo.rates();
        return answer(1, {{QStringLiteral("usd"), usd}, {QStringLiteral("eur"), eur}});
    }
    if (is("BalonGetir")) return answer(table(m_repo.badges(a.session(0))));
    if (is("BalonGetir2")) {
        Session s;
        s.CARINO = a.i32(0);
        const Table t = m_repo.badges(s);
        return answer(1, {{QStringLiteral("sepet"), int(t->field(0)->intAt(0))}, {QStringLiteral("yenistok"), int(t->field(1)->intAt(0))},
                          {QStringLiteral("kampnayali"), int(t->field(2)->intAt(0))}, {QStringLiteral("duyuru"), int(t->field(3)->intAt(0))},
                          {QStringLiteral("Bakiye"), int(std::lround(t->field(4)->doubleAt(0)))},
                          {QStringLiteral("dosya"), m_repo.files()->recordCount()}});
    }
    if (is("TumSiparislerVer")) return answer(table(m_repo.allOrdersOf(a.i32(0), a.i32(1))));
    if (is("SepetSecimGuncelle")) {
        m_repo.basketSelect(a.i32(0), a.i32(1));
        return answer(QJsonValue());
    }
    if (is("MobilStokara") || is("MobilStokaraAdimli") || is("MobilStokaraGeri")) {
        const Table t = m_repo.searchStock(a.str(0), a.session(1));
        const QList<QVariantMap> all = m_repo.stockObjects(t);
        int from = 0, count = int(all.size());
        if (is("MobilStokaraAdimli")) {
            from = std::max(0, a.i32(4));
            count = std::max(0, a.i32(5));
        }
        QJsonArray items;
        for (int i = from; i < all.size() && i < from + count; ++i)
            items.append(stockObject(all[i]));
        if (is("MobilStokaraGeri"))
            return answer(int(all.size()));
        if (is("MobilStokaraAdimli"))
            return answer(listOf("mobilstokunit.TMobilStoklar", items),
                          {{QStringLiteral("kalan"), from + count < all.size()}, {QStringLiteral("toplam"), int(all.size())}});
        return answer(listOf("mobilstokunit.TMobilStoklar", items));
    }
    if (is("MobilStokNoAra")) {
        const Table t = m_repo.stockByNumber(a.i32(0), a.session(1));
        const QList<QVariantMap> all = m_repo.stockObjects(t);
        return answer(all.isEmpty() ? QJsonValue() : QJsonValue(stockObject(all.first())));
    }
    if (is("SepetMobilVer")) return answer(basketObjects(m_repo.basket(a.i32(0))));
    if (is("MailGonserCari") || is("MailGonserCariNormal")) {
        static const char *const labels[] = {"Firma Adı", "Adres 1", "Adres 2", "İlçe", "Şehir", "Telefon", "Fax", "Vergi Dairesi",
                                             "Vergi No", "Yetkili", "Kullanıcı Adı", "Şifre", "Mail", "Kargo/Ambar", "Konu"};
        const int n = is("MailGonserCariNormal") ? 15 : 14;
        return answer(m_repo.queueMail(a.str(0), a.str(1), mailBody(a, 2, n, labels)));
    }
    if (is("MobilCariBilgisiGetir")) {
        const QVariantMap info = m_repo.customerInfo(a.i32(0), a.str(1));
        static const char *const fields[] = {"BILGISAYARID", "SEHIR", "FAX1", "SATICIMAIL", "SATICIADI", "CARIADI", "EMAIL",
                                             "VERGIDAIRESI", "YETKILI", "AltGrup", "TEL2", "SIFRE", "GSM", "TEL1", "ADRES2",
                                             "TLBORC", "TLALACAK", "ADRES1", "ULKE", "AnaGrup", "CARINO", "TLBAKIYE", "VERGINO",
                                             "MAIL", "OzelKod", "KULLANICIADI", "SATICITELEFON", "CARIKOD", "FAX2", "ILCE"};
        QJsonObject f;
        for (const char *k : fields) {
            const QString key = QString::fromLatin1(k);
            const bool numeric = key == QLatin1String("CARINO") || key.startsWith(QLatin1String("TL"));
            f.insert(QLatin1Char('F') + key, info.contains(key) ? QJsonValue::fromVariant(info.value(key))
                                                                : (numeric ? QJsonValue(0) : QJsonValue(QString())));
        }
        return answer(object("mobilstokunit.TMobilCariBilgisi", f));
    }
    if (is("AcilisReklamAdet")) return answer(int(m_repo.openingScreens(true).size()));
    if (is("AcilisREklamVer")) {
        const auto screens = m_repo.openingScreens(true);
        const int i = a.i32(0);
        return answer(i >= 0 && i < screens.size() ? screenObject(screens[i]) : screenObject(OpeningScreen{}));
    }
    if (is("AcilisEkranlarVer") || is("AcilisEkranlarVer2")) {
        QJsonArray items;
        for (const OpeningScreen &o : m_repo.openingScreens(false))
            items.append(screenObject(o));
        if (is("AcilisEkranlarVer2"))
            return answer(object("mobilstokunit.TAcilisEkranlariki", {{QStringLiteral("FEkranlar"), items}}));
        return answer(listOf("mobilstokunit.TAcilisEkranlar", items));
    }
    if (is("DepartmanlariGetir")) return answer(table(m_repo.departments()));
    if (is("VarodeAra")) return answer(table(m_repo.searchGenuineList(a.str(0))));
    if (is("DosyaListesi") || is("DosyaListesi2")) return answer(table(m_repo.files()));
    if (is("AcilisEkranlariVerData")) return answer(table(m_repo.openingScreensTable()));
    if (is("SifremiUnuttum")) {
        const QVariantMap info = m_repo.customerInfo(0, a.str(0));
        const QString mail = info.value(QStringLiteral("MAIL")).toString();
        if (!info.contains(QStringLiteral("CARINO")) || mail.isEmpty())
            return answer(false, {{QStringLiteral("mailvarmi"), 0}});
        m_repo.queueMail(a.str(0), QStringLiteral("Şifre Hatırlatma"), QStringLiteral("Kullanıcı: %1\nAdres: %2")
                                                                          .arg(info.value(QStringLiteral("KULLANICIADI")).toString(), mail));
        return answer(true, {{QStringLiteral("mailvarmi"), 1}});
    }
    if (is("MobilSiparisKaydet")) {
        // The mobile client sends its basket by its user's record number.
        Session s;
        s.Sirano = a.i32(0);
        const Table u = m_repo.users();
        for (int r = 0; r < u->recordCount(); ++r)
            if (u->fieldByName(QStringLiteral("SIRANO"))->intAt(r) == s.Sirano)
                s.CARINO = int(u->fieldByName(QStringLiteral("CARINO"))->intAt(r));
        return answer(s.CARINO > 0 && m_repo.saveOrder(s, {s.CARINO, 1, 1, 1, s.Sirano, QStringLiteral("Mobil sipariş")}) ? 1 : 0);
    }
    if (is("RaporAlinanSiparisler")) return answer(table(m_repo.ordersReport(a.session(0), a.dbl(1), a.dbl(2))));
    if (is("RaporEnCokSatilanStoklar")) return answer(table(m_repo.bestSellers(a.session(0), a.dbl(1), a.dbl(2))));
    if (is("CariDurumVer")) return answer(m_repo.accountState(a.i32(0)));
    throw RequestError("Bilinmeyen metot: " + method.toStdString());
}

}  // namespace varo::orderserver
