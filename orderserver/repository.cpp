#include "orderserver/repository.h"

#include "protocol/textmaker.h"

#include "orderserver/database.h"
#include "orderserver/seed.h"
#include "orderserver/stocktext.h"

#include <QDate>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

#include <cmath>

// Resources of a static library are linked only when referenced.
static void initServerResources() { Q_INIT_RESOURCE(orderserver); }

namespace varo::orderserver {

using varo::DataSet;
using varo::FieldType;

namespace {

constexpr FieldType I = FieldType::Int32;
constexpr FieldType F = FieldType::Float;
constexpr FieldType S = FieldType::WideString;
constexpr FieldType D = FieldType::Date;

struct Col {
    const char *name;
    FieldType type;
};

Table makeTable(std::initializer_list<Col> cols)
{
    auto t = std::make_unique<DataSet>();
    QList<varo::FieldDef> defs;
    defs.reserve(qsizetype(cols.size()));
    for (const Col &c : cols)
        defs.append({QString::fromLatin1(c.name), c.type, c.type == S ? 255 : 0});
    t->setFieldDefs(defs);
    t->open();
    return t;
}

double round2(double v) { return std::round(v * 100.0) / 100.0; }

double serialOf(const QString &isoDate)
{
    const QDate d = QDate::fromString(isoDate, Qt::ISODate);
    return d.isValid() ? varo::dateToSerial(d) : 0.0;
}

QString isoOf(double serial) { return varo::serialToDate(serial).toString(Qt::ISODate); }

void addRow(DataSet &t, const QVariantList &values)
{
    const int row = t.appendRecord();
    for (int i = 0; i < values.size() && i < t.fieldCount(); ++i) {
        const QVariant &v = values[i];
        if (v.isValid() && !v.isNull())
            t.field(i)->setValue(row, v);
    }
}

// A table whose columns are the query's columns as they come, in order.
Table queryTable(QSqlDatabase db, std::initializer_list<Col> cols, const QString &sql, const QVariantList &binds = {})
{
    auto t = makeTable(cols);
    QSqlQuery q = exec(db, sql, binds);
    const int n = int(cols.size());
    QVariantList row;
    row.reserve(n);
    while (q.next()) {
        row.clear();
        for (int i = 0; i < n; ++i)
            row.append(q.value(i));
        addRow(*t, row);
    }
    return t;
}

// Rows written straight into the columns of a table made by makeTable, one
// value per column in column order: no per-cell variants on the way.
class RowWriter {
public:
    // `expectedRows`: how many rows will come when known (-1: not known).
    explicit RowWriter(DataSet &t, int expectedRows = -1) : m_t(t), m_rows(t.recordCount()), m_last(std::size_t(t.fieldCount()))
    {
        // Most answers are short lists; growing 50 columns cell by cell costs
        // more than the rows themselves.
        const std::size_t rows = std::size_t(m_rows) + std::size_t(expectedRows >= 0 ? expectedRows : 16);
        for (int c = 0; c < t.fieldCount(); ++c) {
            m_cols.push_back(&t.field(c)->column());
            m_types.push_back(t.field(c)->dataType());
            m_cols.back()->reserve(m_types.back(), rows);
        }
    }
    RowWriter &i(qint64 v)
    {
        check(varo::isIntegerType(m_types[m_c]));
        m_cols[m_c++]->ints.push_back(v);
        return *this;
    }
    RowWriter &f(double v)
    {
        check(varo::isFloatingType(m_types[m_c]));
        m_cols[m_c++]->reals.push_back(v);
        return *this;
    }
    RowWriter &s(QString v)
    {
        check(varo::isStringType(m_types[m_c]));
        m_cols[m_c++]->texts.push_back(std::move(v));
        return *this;
    }
    // Column i of the statement's row as text (NULL as an empty text). A value
    // equal to the one above it shares that row's string: codes, brands and
    // account names repeat down a list.
    RowWriter &s(const Statement &q, int i)
    {
        check(varo::isStringType(m_types[m_c]));
        const QByteArrayView bytes = q.utf8(i);
        Last &last = m_last[m_c];
        if (!last.valid || bytes.size() != qsizetype(last.bytes.size()) || std::memcmp(bytes.data(), last.bytes.data(), std::size_t(bytes.size())) != 0) {
            last.bytes.assign(bytes.data(), std::size_t(bytes.size()));
            last.text = bytes.isNull() ? QString() : m_texts.make(bytes.data(), bytes.size(), false);
            last.valid = true;
        }
        m_cols[m_c++]->texts.push_back(last.text);
        return *this;
    }
    // A text that may be SQL NULL (outer joins).
    RowWriter &sOrNull(const Statement &q, int i) { return q.isNull(i) ? null() : s(q, i); }
    RowWriter &null()
    {
        varo::Column &c = *m_cols[m_c];
        if (c.nulls.size() <= std::size_t(m_rows))
            c.nulls.resize(std::size_t(m_rows) + 1, false);
        c.nulls[std::size_t(m_rows)] = true;
        const FieldType t = m_types[m_c++];
        if (varo::isIntegerType(t))
            c.ints.push_back(0);
        else if (varo::isFloatingType(t))
            c.reals.push_back(0);
        else if (varo::isStringType(t))
            c.texts.emplace_back();
        else
            c.blobs.emplace_back();
        return *this;
    }
    void endRow()
    {
        if (m_c != m_cols.size())
            throw std::logic_error("row of the wrong width");
        m_c = 0;
        ++m_rows;
    }
    void commit() { m_t.commitBulkLoad(m_rows); }

private:
    void check(bool ok) const
    {
        if (m_c >= m_cols.size() || !ok)
            throw std::logic_error("value of the wrong kind for column " + std::to_string(m_c));
    }
    DataSet &m_t;
    std::vector<varo::Column *> m_cols;
    std::vector<FieldType> m_types;
    int m_rows;
    std::size_t m_c = 0;
    struct Last {
        bool valid = false;
        std::string bytes;
        QString text;
    };
    std::vector<Last> m_last;  // per column
    varo::TextMaker m_texts;   // the table's texts packed into shared blocks
};

void finish(DataSet &t)
{
    if (t.recordCount() > 0)
        t.first();
}

// Stock rows: the same columns for the search, the new items and the campaign
// items, so every grid of items reads one shape.
Table stockTable()
{
    return makeTable({{"STOK_STOKNO", I}, {"STOKNO", I}, {"KOD", S}, {"BARKOD", S}, {"BARKOD_BARKODNO", I}, {"FINISHKOD", S},
                      {"OEM1", S}, {"OEM2", S}, {"OEM3", S}, {"OEM4", S}, {"OEMNO", S}, {"URETICIKODU", S}, {"ADI", S},
                      {"DIGERADI", S}, {"DPKOD", S}, {"PKOD", S}, {"BIRIM", S}, {"MARKA", S}, {"MODEL", S}, {"ANAGRUP", S},
                      {"ALTGRUP", S}, {"OZELKOD", S}, {"KALAN", F}, {"KDV", I}, {"ALINANSIPARIS", F}, {"VERILENSIPARIS", F},
                      {"LISTEFIYATI", F}, {"MALIYET", S}, {"FIYAT", F}, {"ESKIFIYAT", F}, {"Y", I}, {"K", I}, {"INDIRIM", F},
                      {"NETFIYAT", F}, {"KDVDAHIL", F}, {"DURUM", I}, {"RESIMVAR", I}});
}

const char *const kStockColumns =
    "s.stokno, s.kod, s.barkod, s.barkodno, s.finishkod, s.oem1, s.oem2, s.oem3, s.oem4, s.ureticikodu, s.adi, s.digeradi, "
    "s.dpkod, s.pkod, s.birim, s.marka, s.model, s.anagrup, s.altgrup, s.ozelkod, s.kalan, s.kdv, s.alinansiparis, "
    "s.verilensiparis, s.listefiyati, s.maliyet, s.maliyetkur, s.kampanyafiyat, s.yeni, s.kampanya, s.durum";

struct Pricing {
    double iskonto = 0;
    bool fromCost = false;
    bool campaigns = true;
    double usd = 1, eur = 1;
};

QString costText(double amount, const QString &kur)
{
    return QString::number(amount, 'f', 2) + QLatin1Char(' ') + kur;
}

void addStockRow(RowWriter &w, const Statement &q, const Pricing &p)
{
    auto str = [&](int i) { return q.text(i); };
    auto num = [&](int i) { return q.real(i); };
    auto integer = [&](int i) { return q.integer(i); };
    const double liste = num(24);
    const double kdv = num(21);
    const double maliyet = num(25);
    const QString kur = str(26);
    const double kampFiyat = num(27);
    const bool kamp = integer(29) == 1 && p.campaigns;
    double indirim = p.iskonto;
    double net = round2(liste * (1 - indirim / 100.0));
    if (kamp && kampFiyat > 0 && kampFiyat < net) {
        net = kampFiyat;
        indirim = liste > 0 ? round2(100.0 * (1 - net / liste)) : 0;
    }
    if (p.fromCost) {
        const double rate = kur == QLatin1String("$") ? p.usd : kur == QLatin1String("€") ? p.eur : 1.0;
        net = round2(maliyet / 1.18 * rate);
        indirim = 0;
    }
    const qint64 stokno = integer(0);
    const QString oem1 = str(5);
    w.i(stokno).i(stokno).s(q, 1).s(q, 2).i(integer(3)).s(q, 4).s(oem1).s(q, 6).s(q, 7).s(q, 8).s(oem1);
    for (int c = 9; c <= 19; ++c)  // URETICIKODU .. OZELKOD
        w.s(q, c);
    w.f(num(20)).i(std::lround(kdv)).f(num(22)).f(num(23)).f(liste).s(costText(maliyet, kur)).f(liste).f(liste)
        .i(integer(28)).i(kamp ? 1 : 0).f(indirim).f(net).f(round2(net * (1 + kdv / 100.0))).i(integer(30)).i(1);
    w.endRow();
}

// Basket, order and balance lines share one shape.
Table lineTable(bool balances = false)
{
    auto t = makeTable({{"SEC", I}, {"VERILISTARIHI", D}, {"SIRANO", I}, {"SIPARISNO", I}, {"CARINO", I}, {"TARIH", D},
                        {"AKTAR", I}, {"STOKNO", I}, {"BARKOD", S}, {"FINISHKOD", S}, {"OEMNO", S}, {"STOKADI", S},
                        {"MIKTAR", F}, {"BIRIMFIYAT", F}, {"TUTAR", F}, {"INDIRIMORANI1", F}, {"INDIRIMORANI2", F},
                        {"INDIRIMORANI3", F}, {"INDIRIMTUTAR", F}, {"NETBIRIMFIYAT", F}, {"KDV", F}, {"VERGITUTARI", F},
                        {"NETTUTAR", F}, {"KUR", S}, {"KURTL", F}, {"VERENIDNO", I}, {"SAAT", S}, {"TESLIMID", I},
                        {"KARGOID", I}, {"ACIKLAMA", S}, {"IDNO", I}, {"VERENSIRANO", I}, {"VEREN", S}, {"CARIKOD", S},
                        {"CARIADI", S}, {"OEM1", S}, {"OEM2", S}, {"OEM3", S}, {"OEM4", S}, {"DIGERADI", S}, {"DPKOD", S},
                        {"PKOD", S}, {"STOK_STOKNO", I}, {"URETICIKODU", S}, {"MARKA", S}, {"MODEL", S}, {"ANAGRUP", S},
                        {"OZELKOD", S}, {"DURUM", I}, {"KALAN", F}, {"TESLIMEDILEN", F}, {"ALINANSIPARIS", F},
                        {"VERILENSIPARIS", F}, {"ELDEKI", F}, {"ILKFIYAT", F}, {"STOKHAR_NO", I}, {"TESLIM", S}, {"KARGO", S}});
    Q_UNUSED(balances);
    return t;
}

// Columns (in order) read by addLineRow; every line query selects these.
const char *const kLineColumns =
    "s.stokno, s.finishkod, s.oem1, s.oem2, s.oem3, s.oem4, s.digeradi, s.dpkod, s.pkod, s.ureticikodu, s.marka, s.model, "
    "s.anagrup, s.ozelkod, s.durum, s.kalan, s.alinansiparis, s.verilensiparis, c.carikod, c.cariadi, u.adi";

struct LineValues {
    int sec = 1, sirano = 0, siparisno = 0, carino = 0, verenid = 0, teslimid = 0, kargoid = 0, idno = 0;
    QString tarih, saat, barkod, stokadi, aciklama, teslim, kargo;
    double miktar = 0, fiyat = 0, indirim = 0, kdv = 0, teslimedilen = 0;
    bool openQuantity = false;  // KALAN is the open order quantity rather than the stock left
};

// Columns 2 to 11 of the basket and order-line queries: the same values under the same order.
void readLineColumns(const Statement &q, LineValues &v)
{
    v.carino = int(q.integer(2));
    v.tarih = q.text(3);
    v.saat = q.text(4);
    v.barkod = q.text(5);
    v.stokadi = q.text(6);
    v.miktar = q.real(7);
    v.fiyat = q.real(8);
    v.indirim = q.real(9);
    v.kdv = q.real(10);
    v.verenid = int(q.integer(11));
}

void addLineRow(RowWriter &w, const Statement &q, int base, const LineValues &v)
{
    auto str = [&](int i) { return q.text(base + i); };
    auto num = [&](int i) { return q.real(base + i); };
    auto integer = [&](int i) { return q.integer(base + i); };
    const double tutar = round2(v.miktar * v.fiyat);
    const double netBirim = round2(v.fiyat * (1 - v.indirim / 100.0));
    const double net = round2(v.miktar * netBirim);
    const double vergi = round2(net * v.kdv / 100.0);
    const double kalan = v.openQuantity ? v.miktar - v.teslimedilen : num(15);
    const double tarih = serialOf(v.tarih);
    const qint64 stokno = integer(0);
    const QString oem1 = str(2);
    w.i(v.sec).f(tarih).i(v.sirano).i(v.siparisno).i(v.carino).f(tarih).i(0).i(stokno).s(v.barkod).s(q, base + 1).s(oem1)
        .s(v.stokadi).f(v.miktar).f(v.fiyat).f(tutar).f(v.indirim).f(0.0).f(0.0).f(round2(tutar - net)).f(netBirim).f(v.kdv)
        .f(vergi).f(net).s(QStringLiteral("TL")).f(1.0).i(v.verenid).s(v.saat).i(v.teslimid).i(v.kargoid).s(v.aciklama)
        .i(v.idno).i(v.verenid).sOrNull(q, base + 20).s(q, base + 18).s(q, base + 19).s(oem1).s(q, base + 3).s(q, base + 4)
        .s(q, base + 5).s(q, base + 6).s(q, base + 7).s(q, base + 8).i(stokno).s(q, base + 9).s(q, base + 10).s(q, base + 11)
        .s(q, base + 12).s(q, base + 13).i(integer(14)).f(kalan)
        .f(v.teslimedilen).f(num(16)).f(num(17)).f(num(15)).f(v.fiyat).i(v.sirano).s(v.teslim).s(v.kargo);
    w.endRow();
}

void requirePositiveQuantity(double q)
{
    if (!std::isfinite(q) || q <= 0 || q > 1e6)
        throw RequestError("Miktar geçersiz");
}

void requireSanePrice(double price, double discount)
{
    if (!std::isfinite(price) || price < 0 || price > 1e8)
        throw RequestError("Fiyat geçersiz");
    if (!std::isfinite(discount) || discount < 0 || discount > 100)
        throw RequestError("İndirim oranı geçersiz");
}

QString nowTime() { return QTime::currentTime().toString(QStringLiteral("HH:mm:ss")); }
QString today() { return QDate::currentDate().toString(Qt::ISODate); }

}  // namespace

QString orderStateName(int durum)
{
    switch (durum) {
    case 0: return QStringLiteral("Alındı");
    case 1: return QStringLiteral("Onaylandı");
    case 2: return QStringLiteral("Görüldü");
    case 3: return QStringLiteral("Parçalı Hazırlandı");
    case 4: return QStringLiteral("Hazırlandı");
    case 5: return QStringLiteral("Sevk Edildi");
    default: return QString();
    }
}

// ---- identity ----

Session Repository::sessionForComputer(const QString &computerId)
{
    Session s;
    s.BILGISAYARID = computerId;
    s.Version = setting(QStringLiteral("surum"), QStringLiteral("5")).toInt();  // an unknown computer must not be sent to the update
    if (computerId.isEmpty() || computerId.size() > 200)
        return s;
    Statement q = m_db.statement(
                       "SELECT u.sirano, u.adi, u.sifre, u.musteritipi, u.aktif, u.mail, u.surum, c.carino, c.carikod, c.cariadi, "
                       "COALESCE(t.saticino, 0), COALESCE(t.adi, ''), COALESCE(t.mail, ''), COALESCE(t.telefon, '') "
                       "FROM bilgisayar b JOIN kullanici u ON u.sirano = b.kullanici JOIN cari c ON c.carino = u.carino "
                       "LEFT JOIN satici t ON t.saticino = COALESCE(u.saticino, c.saticino) WHERE b.bilgisayarid = ?",
                       {computerId});
    if (!q.next())
        return s;
    s.Varmi = true;
    s.Sirano = int(q.integer(0));
    s.ADI = q.text(1);
    s.SIFRE = q.text(2);
    s.MusteriTipi = int(q.integer(3));
    s.AKTIF = int(q.integer(4));
    s.Kullanicimail = q.text(5);
    s.Version = int(q.integer(6));
    s.CARINO = int(q.integer(7));
    s.carikod = q.text(8);
    s.CariAdi = q.text(9);
    s.SaticiNo = int(q.integer(10));
    s.SaticiAdi = q.text(11);
    s.SaticiMail = q.text(12);
    s.SaticiTelefon = q.text(13);
    return s;
}

void Repository::registerComputer(const QString &computerId, const QString &userName)
{
    if (computerId.trimmed().isEmpty())
        throw RequestError("Bilgisayar kimliği boş");
    QSqlDatabase db = m_db.connection();
    Transaction tx(db);
    const QVariant user = scalar(db, "SELECT sirano FROM kullanici WHERE adi = ?", {userName.toUpper()});
    if (!user.isValid())
        throw RequestError("Kullanıcı bulunamadı: " + userName.toStdString());
    exec(db, "DELETE FROM bilgisayar WHERE bilgisayarid = ?", {computerId});
    exec(db, "INSERT INTO bilgisayar (bilgisayarid, kullanici) VALUES (?, ?)", {computerId, user});
    tx.commit();
}

int Repository::addUser(const QString &name, const QString &password, int type, int carino)
{
    if (name.trimmed().isEmpty() || password.isEmpty() || type < 0 || type > 4)
        throw RequestError("Kullanıcı bilgileri geçersiz");
    QSqlDatabase db = m_db.connection();
    Transaction tx(db);
    if (!scalar(db, "SELECT carino FROM cari WHERE carino = ?", {carino}).isValid())
        throw RequestError("Cari bulunamadı");
    if (scalar(db, "SELECT sirano FROM kullanici WHERE adi = ?", {name.toUpper()}).isValid())
        throw RequestError("Kullanıcı zaten var");
    const int next = scalar(db, "SELECT COALESCE(MAX(sirano), 0) + 1 FROM kullanici").toInt();
    exec(db, "INSERT INTO kullanici (sirano, adi, sifre, musteritipi, aktif, carino, surum) VALUES (?,?,?,?,1,?,5)",
         {next, name.toUpper(), password.toUpper(), type, carino});
    tx.commit();
    return next;
}

void Repository::setUserActive(const QString &name, bool active)
{
    QSqlDatabase db = m_db.connection();
    QSqlQuery q = exec(db, "UPDATE kullanici SET aktif = ? WHERE adi = ?", {active ? 1 : 0, name.toUpper()});
    if (q.numRowsAffected() < 1)
        throw RequestError("Kullanıcı bulunamadı");
}

Table Repository::users()
{
    auto t = queryTable(m_db.connection(),
                        {{"SIRANO", I}, {"ADI", S}, {"SIFRE", S}, {"MUSTERITIPI", I}, {"AKTIF", I}, {"CARINO", I}, {"CARIKOD", S},
                         {"BILGISAYARLAR", I}},
                        "SELECT u.sirano, u.adi, u.sifre, u.musteritipi, u.aktif, u.carino, c.carikod, "
                        "(SELECT COUNT(*) FROM bilgisayar b WHERE b.kullanici = u.sirano) FROM kullanici u "
                        "JOIN cari c ON c.carino = u.carino ORDER BY u.sirano");
    finish(*t);
    return t;
}

// ---- stock ----

static Pricing pricingFor(Database &database, int carino, int userType, const QString &carikodHint)
{
    Pricing p;
    // One statement for the discount, the account code and both rates: it
    // runs before every stock list.
    Statement q = database.statement(
        "SELECT (SELECT iskonto FROM cari WHERE carino = ?), (SELECT carikod FROM cari WHERE carino = ?), "
        "(SELECT deger FROM ayar WHERE anahtar = 'usd'), (SELECT deger FROM ayar WHERE anahtar = 'eur')",
        {carino, carino});
    QString carikod = carikodHint;
    if (q.next()) {
        p.iskonto = q.real(0);
        if (!q.isNull(1))
            carikod = q.text(1);
        p.usd = q.real(2);
        p.eur = q.real(3);
    }
    p.fromCost = carikod.contains(QLatin1String("RAZ"));
    p.campaigns = userType != 4;
    if (p.usd <= 0) p.usd = 1;
    if (p.eur <= 0) p.eur = 1;
    return p;
}

// Stock rows priced for one customer: `rest` follows "SELECT <stock
// columns> FROM stok s" (conditions, order, limit).
static Table stockRows(Database &db, const Pricing &p, const QString &rest, const QVariantList &binds, bool replan = false)
{
    auto t = stockTable();
    Statement q = db.statement(QStringLiteral("SELECT %1 FROM stok s ").arg(QLatin1String(kStockColumns)) + rest, binds, replan);
    RowWriter w(*t, q.rowsKnown());
    while (q.next())
        addStockRow(w, q, p);
    w.commit();
    finish(*t);
    return t;
}

Table Repository::searchStock(const QString &text, const Session &s, int cap)
{
    auto t = stockTable();
    if (text.size() > kMaxSearchLength)
        throw RequestError("Arama metni çok uzun");
    const QString needle = normalizeSearchText(text);
    if (needle.size() < 2) {
        finish(*t);
        return t;
    }
    if (cap <= 0)
        cap = kSearchRowCap;
    const Pricing p = pricingFor(m_db, s.CARINO, s.MusteriTipi, s.carikod);
    // Exact numbers first, then numbers starting with the text, then matches
    // anywhere (descriptions included); the code keeps the order stable.
    const QString order = QStringLiteral(
        " ORDER BY CASE WHEN %1 > 0 THEN 0 WHEN %2 > 0 THEN 1 ELSE 2 END, s.finishkod, s.stokno LIMIT ?");
    QString sql;  // after "SELECT <stock columns> FROM stok s"
    QVariantList binds;
    const QString exact = QLatin1Char('|') + needle + QLatin1Char('|');
    const QString prefix = QLatin1Char('|') + needle;
    if (m_db.isPostgres()) {
        // The same capped candidates as on SQLite, through the pg_trgm indexes.
        auto likeOf = [](QString t) {
            t.replace(QLatin1String("\\"), QLatin1String("\\\\")).replace(QLatin1String("%"), QLatin1String("\\%"))
                .replace(QLatin1String("_"), QLatin1String("\\_"));
            return QLatin1Char('%') + t + QLatin1Char('%');
        };
        sql = QStringLiteral("WHERE s.stokno IN ("
                             "SELECT stokno FROM (SELECT stokno FROM stok WHERE numaralar LIKE ? LIMIT ?) a "
                             "UNION SELECT stokno FROM (SELECT stokno FROM stok WHERE numaralar LIKE ? LIMIT ?) b "
                             "UNION SELECT stokno FROM (SELECT stokno FROM stok WHERE arama LIKE ? LIMIT ?) c)")
            + order.arg(QStringLiteral("strpos(s.numaralar, ?)"), QStringLiteral("strpos(s.numaralar, ?)"));
        binds = {likeOf(exact), cap, likeOf(prefix), cap, likeOf(needle), cap, exact, prefix, cap};
    } else if (needle.size() >= 3) {
        // Candidates: exact numbers, number starts, and the first matches
        // anywhere in stock-number order, each capped; only these few rows
        // are read and ranked, so a three-letter text matching half of the
        // catalogue costs no more than a precise one. The trigram index takes
        // the texts as quoted phrases; quotes and bars were removed by the
        // normalisation, so nothing in them is syntax.
        sql = QStringLiteral("WHERE s.stokno IN ("
                             "SELECT id FROM (SELECT rowid AS id FROM stok_no_ara WHERE stok_no_ara MATCH ? LIMIT ?) "
                             "UNION SELECT id FROM (SELECT rowid AS id FROM stok_no_ara WHERE stok_no_ara MATCH ? LIMIT ?) "
                             "UNION SELECT id FROM (SELECT rowid AS id FROM stok_ara WHERE stok_ara MATCH ? LIMIT ?))")
            + order.arg(QStringLiteral("instr(s.numaralar, ?)"), QStringLiteral("instr(s.numaralar, ?)"));
        auto phrase = [](const QString &t) { return QLatin1Char('"') + t + QLatin1Char('"'); };
        binds = {phrase(exact), cap, phrase(prefix), cap, phrase(needle), cap, exact, prefix, cap};
    } else {
        sql = QStringLiteral("WHERE instr(s.arama, ?) > 0") + order.arg(QStringLiteral("instr(s.numaralar, ?)"), QStringLiteral("instr(s.numaralar, ?)"));
        binds = {needle, exact, prefix, cap};
    }
    return stockRows(m_db, p, sql, binds, true);
}

Table Repository::searchGenuineList(const QString &text)
{
    auto t = makeTable({{"SIRANO", I}, {"KOD", S}, {"ACIKLAMA", S}, {"KDVHARIC", F}, {"KDVDAHIL", F}});
    if (text.size() > kMaxSearchLength)
        throw RequestError("Arama metni çok uzun");
    const QString needle = normalizeSearchText(text);
    if (needle.size() < 2) {
        finish(*t);
        return t;
    }
    QSqlQuery q = exec(m_db.connection(),
                       m_db.isPostgres()
                           ? QStringLiteral("SELECT sirano, kod, aciklama, fiyat, kdv FROM varoliste WHERE strpos(arama, ?) > 0 ORDER BY kod LIMIT ?")
                           : QStringLiteral("SELECT sirano, kod, aciklama, fiyat, kdv FROM varoliste WHERE instr(arama, ?) > 0 ORDER BY kod LIMIT ?"),
                       {needle, kSearchRowCap});
    while (q.next()) {
        const double f = q.value(3).toDouble();
        addRow(*t, {q.value(0), q.value(1), q.value(2), f, round2(f * (1 + q.value(4).toDouble() / 100.0))});
    }
    finish(*t);
    return t;
}

Table Repository::newItems(int carino)
{
    return stockRows(m_db, pricingFor(m_db, carino, 0, {}), QStringLiteral("WHERE s.yeni = 1 ORDER BY s.stokno DESC LIMIT ?"), {kSearchRowCap});
}

Table Repository::campaignItems(int carino, int userType)
{
    if (userType == 4) {  // these dealers do not take part in campaigns
        auto t = stockTable();
        finish(*t);
        return t;
    }
    return stockRows(m_db, pricingFor(m_db, carino, userType, {}), QStringLiteral("WHERE s.kampanya = 1 ORDER BY s.finishkod LIMIT ?"),
                     {kSearchRowCap});
}

Table Repository::stockByNumber(int stokno, const Session &s)
{
    return stockRows(m_db, pricingFor(m_db, s.CARINO, s.MusteriTipi, s.carikod), QStringLiteral("WHERE s.stokno = ?"), {stokno});
}

QByteArray Repository::itemPicture(int stokno)
{
    if (!scalar(m_db.connection(), "SELECT stokno FROM stok WHERE stokno = ?", {stokno}).isValid())
        return {};
    return itemPictureJpeg(stokno);
}

QList<QVariantMap> Repository::stockObjects(const Table &t)
{
    QList<QVariantMap> out;
    for (int r = 0; r < t->recordCount(); ++r) {
        auto v = [&](const char *n) { return t->fieldByName(QString::fromLatin1(n))->value(r); };
        QVariantMap m;
        m[QStringLiteral("StokNo")] = v("STOK_STOKNO");
        m[QStringLiteral("ResimVar")] = 1;
        m[QStringLiteral("Yeni")] = v("Y");
        m[QStringLiteral("Departman")] = v("DPKOD");
        m[QStringLiteral("VerilenSiparis")] = v("VERILENSIPARIS");
        m[QStringLiteral("AltGrup")] = v("ALTGRUP");
        m[QStringLiteral("Durum")] = v("DURUM");
        m[QStringLiteral("Birim")] = v("BIRIM");
        m[QStringLiteral("KDV")] = v("KDV").toDouble();
        m[QStringLiteral("AlinanSiparis")] = v("ALINANSIPARIS");
        m[QStringLiteral("AnaGrup")] = v("ANAGRUP");
        m[QStringLiteral("Kod")] = v("FINISHKOD");
        m[QStringLiteral("ListeFiyati")] = v("LISTEFIYATI");
        m[QStringLiteral("NetFiyat")] = v("NETFIYAT");
        m[QStringLiteral("Isk1")] = v("INDIRIM");
        m[QStringLiteral("KDVliFiyat")] = v("KDVDAHIL");
        m[QStringLiteral("OzelKod")] = v("OZELKOD");
        m[QStringLiteral("Kampnayali")] = v("K");
        m[QStringLiteral("Barkod")] = v("BARKOD");
        m[QStringLiteral("IndirimOran")] = v("INDIRIM");
        m[QStringLiteral("Kalan")] = v("KALAN");
        m[QStringLiteral("UreticiKod")] = v("URETICIKODU");
        m[QStringLiteral("KampanyaliFiyat")] = v("K").toInt() ? v("NETFIYAT") : QVariant(0.0);
        m[QStringLiteral("OemNo")] = v("OEMNO");
        m[QStringLiteral("BarkodNo")] = v("BARKOD_BARKODNO");
        m[QStringLiteral("PKod")] = v("PKOD");
        m[QStringLiteral("DpKod")] = v("DPKOD");
        m[QStringLiteral("Adi")] = v("ADI");
        m[QStringLiteral("Fiyat")] = v("FIYAT");
        out.append(m);
    }
    return out;
}

// ---- basket ----

Table Repository::basket(int carino)
{
    auto t = lineTable();
    Statement q = m_db.statement(
                       QStringLiteral("SELECT b.sec, b.sirano, b.carino, b.tarih, b.saat, b.barkod, b.stokadi, b.miktar, b.fiyat, b.indirim, "
                                      "b.kdv, b.verenid, %1 FROM sepet b JOIN stok s ON s.stokno = b.stokno JOIN cari c ON c.carino = b.carino "
                                      "LEFT JOIN kullanici u ON u.sirano = b.verenid WHERE b.carino = ? ORDER BY b.sirano")
                           .arg(QLatin1String(kLineColumns)),
                       {carino});
    RowWriter w(*t, q.rowsKnown());
    while (q.next()) {
        LineValues v;
        v.sec = int(q.integer(0));
        v.sirano = int(q.integer(1));
        readLineColumns(q, v);
        addLineRow(w, q, 12, v);
    }
    w.commit();
    finish(*t);
    return t;
}

int Repository::basketAdd(const Session &s, const BasketLineInput &in)
{
    requirePositiveQuantity(in.miktar);
    requireSanePrice(in.fiyat, in.indirim);
    if (!std::isfinite(in.kdv) || in.kdv < 0 || in.kdv > 100)
        throw RequestError("KDV oranı geçersiz");
    QSqlDatabase db = m_db.connection();
    Transaction tx(db);
    if (!scalar(db, "SELECT carino FROM cari WHERE carino = ?", {in.carino}).isValid())
        throw RequestError("Cari bulunamadı");
    const QVariant stok = scalar(db, "SELECT adi FROM stok WHERE stokno = ?", {in.stokno});
    if (!stok.isValid())
        throw RequestError("Stok bulunamadı");
    exec(db, "INSERT INTO sepet (carino, stokno, barkod, stokadi, miktar, kdv, fiyat, indirim, verenid, sec, tarih, saat) "
             "VALUES (?,?,?,?,?,?,?,?,?,1,?,?)",
         {in.carino, in.stokno, in.barkod.left(64), in.stokadi.isEmpty() ? stok.toString() : in.stokadi.left(200), in.miktar, in.kdv,
          in.fiyat, in.indirim, in.verenid ? in.verenid : s.Sirano, today(), nowTime()});
    tx.commit();
    return 1;
}

int Repository::basketUpdate(const Session &s, const BasketLineInput &in, int line)
{
    requirePositiveQuantity(in.miktar);
    requireSanePrice(in.fiyat, in.indirim);
    QSqlDatabase db = m_db.connection();
    QSqlQuery q = exec(db, "UPDATE sepet SET miktar = ?, fiyat = ?, indirim = ?, verenid = ? WHERE sirano = ? AND carino = ?",
                       {in.miktar, in.fiyat, in.indirim, in.verenid ? in.verenid : s.Sirano, line, in.carino});
    return q.numRowsAffected() > 0 ? 1 : 0;
}

int Repository::basketClear(const Session &s)
{
    QSqlQuery q = exec(m_db.connection(), "DELETE FROM sepet WHERE carino = ?", {s.CARINO});
    return q.numRowsAffected();
}

int Repository::basketDeleteLine(const Session &s, int line)
{
    QSqlQuery q = exec(m_db.connection(), "DELETE FROM sepet WHERE sirano = ? AND carino = ?", {line, s.CARINO});
    return q.numRowsAffected() > 0 ? 1 : 0;
}

void Repository::basketSelect(int line, int selected)
{
    exec(m_db.connection(), "UPDATE sepet SET sec = ? WHERE sirano = ?", {selected ? 1 : 0, line});
}

int Repository::basketCount(const Session &s)
{
    return scalar(m_db.connection(), "SELECT COUNT(*) FROM sepet WHERE carino = ?", {s.CARINO}).toInt();
}

bool Repository::saveOrder(const Session &s, const OrderInput &in)
{
    QSqlDatabase db = m_db.connection();
    Transaction tx(db);
    if (!scalar(db, "SELECT carino FROM cari WHERE carino = ?", {in.carino}).isValid())
        return false;
    if (!scalar(db, "SELECT id FROM teslim WHERE id = ?", {in.teslim}).isValid()
        || !scalar(db, "SELECT id FROM kargotipi WHERE id = ?", {in.kargo}).isValid())
        return false;
    // The order takes exactly the lines seen here: a line added by another
    // caller meanwhile stays in the basket (on PostgreSQL each statement sees
    // newly committed rows, so a second "WHERE sec = 1" could pick it up and
    // delete it unsaved).
    QList<int> taken;
    {
        QSqlQuery q = exec(db,
                           m_db.isPostgres() ? QStringLiteral("SELECT sirano FROM sepet WHERE carino = ? AND sec = 1 ORDER BY sirano FOR UPDATE")
                                             : QStringLiteral("SELECT sirano FROM sepet WHERE carino = ? AND sec = 1 ORDER BY sirano"),
                           {in.carino});
        while (q.next())
            taken << q.value(0).toInt();
    }
    if (taken.isEmpty())
        return false;
    const QVariant id = scalar(db,
                               QStringLiteral("INSERT INTO siparis (carino, tarih, saat, durum, teslimid, kargoid, kargofirma, aciklama, verenid) "
                                              "VALUES (?,?,?,0,?,?,?,?,?) RETURNING sirano"),
                               {in.carino, today(), nowTime(), in.teslim, in.kargo, in.kargoFirma, in.aciklama.left(1000),
                                in.verenid ? in.verenid : s.Sirano});
    for (int line : taken) {
        exec(db, "INSERT INTO siparissatir (siparisno, stokno, barkod, stokadi, miktar, teslimedilen, kdv, fiyat, indirim, verenid, sepetsirano) "
                 "SELECT ?, stokno, barkod, stokadi, miktar, 0, kdv, fiyat, indirim, verenid, sirano FROM sepet WHERE sirano = ?",
             {id, line});
        exec(db, "DELETE FROM sepet WHERE sirano = ?", {line});
    }
    // Fault injection for the crash test: the process dies with the order
    // written but not committed.
    static const bool crashBeforeCommit = qEnvironmentVariableIsSet("VARO_CRASH_BEFORE_ORDER_COMMIT");
    if (crashBeforeCommit)
        std::abort();
    tx.commit();
    return true;
}

// ---- delivery ----

Table Repository::deliveryModes()
{
    auto t = queryTable(m_db.connection(), {{"ID", I}, {"ADI", S}}, "SELECT id, adi FROM teslim ORDER BY id");
    finish(*t);
    return t;
}

Table Repository::cargoTypes()
{
    auto t = queryTable(m_db.connection(), {{"ID", I}, {"ADI", S}}, "SELECT id, adi FROM kargotipi ORDER BY id");
    finish(*t);
    return t;
}

Table Repository::carriers(int cargoType)
{
    auto t = queryTable(m_db.connection(), {{"SIRANO", I}, {"ADI", S}, {"UYARI", S}},
                        "SELECT sirano, adi, uyari FROM kargofirma WHERE tip = ? ORDER BY sirano", {cargoType});
    finish(*t);
    return t;
}

// ---- history ----

Table Repository::previousOrders(int carino)
{
    auto t = makeTable({{"CARINO", I}, {"IDNO", I}, {"TARIH", D}, {"KUR", S}, {"KURTL", F}, {"VERENIDNO", I}, {"KARGO", S},
                        {"TESLIM", S}, {"VEREN", S}, {"CARIKOD", S}, {"CARIADI", S}, {"VERGI", F}, {"NETTUTAR", F}, {"TUTAR", F},
                        {"DURUM", S}, {"SAAT", S}, {"ACIKLAMA", S}, {"KARGOID", I}, {"TESLIMID", I}});
    QSqlQuery q = exec(m_db.connection(),
                       "SELECT o.carino, o.sirano, o.tarih, o.verenid, k.adi, t.adi, COALESCE(u.adi, ''), c.carikod, c.cariadi, "
                       "COALESCE((SELECT SUM(l.miktar * l.fiyat * (1 - l.indirim / 100.0) * l.kdv / 100.0) FROM siparissatir l WHERE l.siparisno = o.sirano), 0), "
                       "COALESCE((SELECT SUM(l.miktar * l.fiyat * (1 - l.indirim / 100.0)) FROM siparissatir l WHERE l.siparisno = o.sirano), 0), "
                       "COALESCE((SELECT SUM(l.miktar * l.fiyat) FROM siparissatir l WHERE l.siparisno = o.sirano), 0), "
                       "o.durum, o.saat, o.aciklama, o.kargoid, o.teslimid "
                       "FROM siparis o JOIN cari c ON c.carino = o.carino LEFT JOIN kargotipi k ON k.id = o.kargoid "
                       "LEFT JOIN teslim t ON t.id = o.teslimid LEFT JOIN kullanici u ON u.sirano = o.verenid "
                       "WHERE o.carino = ? ORDER BY o.tarih DESC, o.sirano DESC",
                       {carino});
    while (q.next())
        addRow(*t, {q.value(0), q.value(1), serialOf(q.value(2).toString()), QStringLiteral("TL"), 1.0, q.value(3), q.value(4),
                    q.value(5), q.value(6), q.value(7), q.value(8), round2(q.value(9).toDouble()), round2(q.value(10).toDouble()),
                    round2(q.value(11).toDouble()), orderStateName(q.value(12).toInt()), q.value(13), q.value(14), q.value(15),
                    q.value(16)});
    finish(*t);
    return t;
}

static void fillOrderLines(Database &database, DataSet &t, const QString &where, const QVariantList &binds, bool openOnly)
{
    Statement q = database.statement(
                       QStringLiteral("SELECT l.sirano, l.siparisno, o.carino, o.tarih, o.saat, l.barkod, l.stokadi, l.miktar, l.fiyat, "
                                      "l.indirim, l.kdv, l.verenid, l.teslimedilen, o.teslimid, o.kargoid, o.aciklama, "
                                      "COALESCE(te.adi, ''), COALESCE(kt.adi, ''), %1 FROM siparissatir l JOIN siparis o ON o.sirano = l.siparisno "
                                      "JOIN stok s ON s.stokno = l.stokno JOIN cari c ON c.carino = o.carino LEFT JOIN kullanici u ON u.sirano = l.verenid "
                                      "LEFT JOIN teslim te ON te.id = o.teslimid LEFT JOIN kargotipi kt ON kt.id = o.kargoid WHERE %2 %3 "
                                      "ORDER BY o.tarih DESC, l.siparisno DESC, l.sirano")
                           .arg(QLatin1String(kLineColumns), where,
                                openOnly ? QStringLiteral("AND l.miktar > l.teslimedilen AND o.durum < 5") : QString()),
                       binds);
    RowWriter w(t, q.rowsKnown());
    while (q.next()) {
        LineValues v;
        v.sirano = int(q.integer(0));
        v.siparisno = int(q.integer(1));
        v.idno = v.siparisno;
        readLineColumns(q, v);
        v.teslimedilen = q.real(12);
        v.teslimid = int(q.integer(13));
        v.kargoid = int(q.integer(14));
        v.aciklama = q.text(15);
        v.teslim = q.text(16);
        v.kargo = q.text(17);
        v.openQuantity = true;
        addLineRow(w, q, 18, v);
    }
    w.commit();
    finish(t);
}

Table Repository::orderLines(int carino, int order)
{
    auto t = lineTable();
    if (carino > 0)
        fillOrderLines(m_db, *t, QStringLiteral("l.siparisno = ? AND o.carino = ?"), {order, carino}, false);
    else
        fillOrderLines(m_db, *t, QStringLiteral("l.siparisno = ?"), {order}, false);
    return t;
}

OrderFooter Repository::orderFooter(int order)
{
    OrderFooter f;
    QSqlQuery q = exec(m_db.connection(),
                       "SELECT o.aciklama, o.durum, COALESCE(u.adi, ''), COALESCE(k.adi, ''), o.bizimmesaj, COALESCE(t.adi, ''), "
                       "COALESCE(kt.adi, ''), o.saticinotu FROM siparis o LEFT JOIN kullanici u ON u.sirano = o.verenid "
                       "LEFT JOIN kargofirma k ON k.sirano = o.kargofirma LEFT JOIN teslim t ON t.id = o.teslimid "
                       "LEFT JOIN kargotipi kt ON kt.id = o.kargoid WHERE o.sirano = ?",
                       {order});
    if (q.next()) {
        f.SizinMesaj = q.value(0).toString();
        f.Durumu = orderStateName(q.value(1).toInt());
        f.Veren = q.value(2).toString();
        f.Kargo = q.value(3).toString();
        f.BizimMesaj = q.value(4).toString();
        f.TeslimCinsi = q.value(5).toString();
        f.KargoCinsi = q.value(6).toString();
        f.SaticiNotu = q.value(7).toString();
    }
    return f;
}

Table Repository::statement(int carino, double fromSerial, double toSerial)
{
    auto t = makeTable({{"CARINO", I}, {"TARIH", D}, {"TURADI", S}, {"EVRAK", S}, {"BORC", F}, {"ALACAK", F}, {"KUR", S},
                        {"BAKIYE", F}, {"D", S}, {"IDNO", I}, {"ACIKLAMA", S}, {"VADE", D}, {"EVRAKNO", S}});
    QString where = QStringLiteral("carino = ?");
    QVariantList binds{carino};
    if (fromSerial > 0) {
        where += QStringLiteral(" AND tarih >= ?");
        binds << isoOf(fromSerial);
    }
    if (toSerial > 0) {
        where += QStringLiteral(" AND tarih <= ?");
        binds << isoOf(toSerial);
    }
    QSqlQuery q = exec(m_db.connection(),
                       QStringLiteral("SELECT carino, tarih, turadi, evrakno, borc, alacak, idno, aciklama, vade FROM hareket WHERE %1 "
                                      "ORDER BY tarih, idno").arg(where),
                       binds);
    // The running balance in date order, debit minus credit, from the first
    // row listed (no opening balance; a dated statement's opening comes from
    // CariEkstreVer2Baslik). Kept to the cent at every step, so long
    // statements do not drift. "B": the customer owes, "A": is owed.
    double balance = 0;
    while (q.next()) {
        balance = round2(balance + q.value(4).toDouble() - q.value(5).toDouble());
        const QString mark = balance > 0 ? QStringLiteral("B") : balance < 0 ? QStringLiteral("A") : QStringLiteral(" ");
        addRow(*t, {q.value(0), serialOf(q.value(1).toString()), q.value(2), q.value(3), q.value(4), q.value(5), QStringLiteral("TL"),
                    balance == 0 ? 0.0 : balance, mark, q.value(6), q.value(7), serialOf(q.value(8).toString()), q.value(3)});
    }
    finish(*t);
    return t;
}

Table Repository::statementOpening(int carino, double beforeSerial)
{
    auto t = makeTable({{"CARINO", I}, {"BORC", F}, {"ALACAK", F}, {"BAKIYE", F}});
    QSqlQuery q = exec(m_db.connection(),
                       "SELECT COALESCE(SUM(borc), 0), COALESCE(SUM(alacak), 0) FROM hareket WHERE carino = ? AND tarih < ?",
                       {carino, isoOf(beforeSerial)});
    if (q.next())
        addRow(*t, {carino, round2(q.value(0).toDouble()), round2(q.value(1).toDouble()),
                    round2(q.value(0).toDouble() - q.value(1).toDouble())});
    finish(*t);
    return t;
}

Table Repository::invoiceLines(int carino, int idno)
{
    auto t = makeTable({{"IDNO", I}, {"STOKHAR_CARINO", I}, {"TARIH", D}, {"EVRAKNO", S}, {"BELGENO", S}, {"TURADI", S},
                        {"STOKCARIKOD", S}, {"ENADI", S}, {"SATICIADI", S}, {"SUBE_NO", I}, {"BARKOD", S}, {"FINISHKOD", S},
                        {"OEMNO", S}, {"STOKADI", S}, {"MARKA", S}, {"MODEL", S}, {"ANAGRUP", S}, {"OZELKOD", S}, {"DPKOD", S},
                        {"PKOD", S}, {"URETICIKODU", S}, {"BIRIM", S}, {"KDV", F}, {"KUR", S}, {"KUR_KURSIMGE", S},
                        {"STOKHAR_MIKTAR", F}, {"STOKHAR_TLBIRIMFIYATI", F}, {"STOKHAR_INDIRIM1", F}, {"STOKHAR_INDIRIM2", F},
                        {"STOKHAR_INDIRIM3", F}, {"STOKHAR_INDIRIM8", F}, {"STOKHAR_TOPLAMINDIRIM", F}, {"STOKHAR_NETTLBIRIMFIYATI", F},
                        {"STOKHAR_TLTUTAR", F}, {"STOKHAR_NETTLTUTAR", F}, {"STOKHAR_TLVERGI", F}, {"STOKHAR_KURTL", F},
                        {"STOKHAR_DOVIZBIRIMFIYATI", F}, {"STOKHAR_NETDOVIZBIRIMFIYATI", F}, {"STOKHAR_DOVIZTUTAR", F},
                        {"STOKHAR_NETDOVIZTUTAR", F}, {"STOKHAR_DOVIZVERGI", F}, {"STOKHAR_DOVIZTOPLAMINDIRIM", F},
                        {"STOKHAR_DOVIZTOPLAMMASRAF", F}, {"STOKHAR_MASRAF1", F}, {"STOKHAR_MASRAF2", F}, {"STOKHAR_TOPLAMMASRAF", F},
                        {"STOKHAR_HAREKETTARIHI", D}, {"STOKHAR_IRSTARIHI", D}, {"STOKHAR_VADE", D}, {"STOKHAR_SAAT", S},
                        {"STOKHAR_HAREKETTIPI2", I}, {"STOKHAR_PARTI", S}, {"STOKHAR_RENK", S}, {"STOKHAR_BEDEN", S},
                        {"SATIRACIKLMASI", S}, {"IRSALIYEEVRAKNO", S}, {"IRSALIYETIPINO", I}, {"IRSALIYETIP2", I},
                        {"SIPARISEVRAKNO", S}, {"SIPARISTARIHI", D}, {"SIPARISTIPI", I}, {"TOPLAM", F}});
    QSqlQuery q = exec(m_db.connection(),
                       "SELECT h.idno, h.carino, h.tarih, h.evrakno, h.turadi, c.carikod, c.cariadi, COALESCE(t.adi, ''), s.barkod, "
                       "s.finishkod, s.oem1, s.adi, s.marka, s.model, s.anagrup, s.ozelkod, s.dpkod, s.pkod, s.ureticikodu, s.birim, "
                       "f.kdv, f.miktar, f.fiyat, f.indirim, h.vade FROM faturasatir f JOIN hareket h ON h.idno = f.idno "
                       "JOIN stok s ON s.stokno = f.stokno JOIN cari c ON c.carino = h.carino LEFT JOIN satici t ON t.saticino = h.saticino "
                       "WHERE f.idno = ? AND h.carino = ? ORDER BY f.sirano",
                       {idno, carino});
    while (q.next()) {
        const double miktar = q.value(21).toDouble(), fiyat = q.value(22).toDouble(), ind = q.value(23).toDouble(), kdv = q.value(20).toDouble();
        const double tutar = round2(miktar * fiyat), netBirim = round2(fiyat * (1 - ind / 100.0)), net = round2(miktar * netBirim);
        const double vergi = round2(net * kdv / 100.0), tarih = serialOf(q.value(2).toString());
        addRow(*t, {q.value(0), q.value(1), tarih, q.value(3), q.value(3), q.value(4), q.value(5), q.value(6), q.value(7), 1, q.value(8),
                    q.value(9), q.value(10), q.value(11), q.value(12), q.value(13), q.value(14), q.value(15), q.value(16), q.value(17),
                    q.value(18), q.value(19), kdv, QStringLiteral("TL"), QStringLiteral("TL"), miktar, fiyat, ind, 0.0, 0.0, 0.0,
                    round2(tutar - net), netBirim, tutar, net, vergi, 1.0, fiyat, netBirim, tutar, net, vergi, round2(tutar - net),
                    0.0, 0.0, 0.0, 0.0, tarih, tarih, serialOf(q.value(24).toString()), QStringLiteral("12:00:00"), 1, QString(),
                    QString(), QString(), QString(), q.value(3), 1, 1, QString(), tarih, 1, round2(net + vergi)});
    }
    finish(*t);
    return t;
}

Table Repository::invoiceFooter(int idno)
{
    auto t = makeTable({{"TOPLAM", F}, {"TOPLAMINDIRIM", F}, {"MATRAH", F}, {"KDVTUTAR", F}, {"KDVDAHIL", F}});
    QSqlQuery q = exec(m_db.connection(), "SELECT miktar, fiyat, indirim, kdv FROM faturasatir WHERE idno = ?", {idno});
    double toplam = 0, matrah = 0, kdvt = 0;
    bool any = false;
    while (q.next()) {
        any = true;
        const double tutar = round2(q.value(0).toDouble() * q.value(1).toDouble());
        const double net = round2(q.value(0).toDouble() * round2(q.value(1).toDouble() * (1 - q.value(2).toDouble() / 100.0)));
        toplam += tutar;
        matrah += net;
        kdvt += round2(net * q.value(3).toDouble() / 100.0);
    }
    if (any)
        addRow(*t, {round2(toplam), round2(toplam - matrah), round2(matrah), round2(kdvt), round2(matrah + kdvt)});
    finish(*t);
    return t;
}

Table Repository::collection(int idno)
{
    auto t = makeTable({{"IDNO", I}, {"CARINO", I}, {"TARIH", D}, {"VADE", D}, {"EVRAKNO", S}, {"TURADI", S}, {"ACIKLAMA", S},
                        {"BORC", F}, {"ALACAK", F}, {"TUTAR", F}, {"KUR", S}, {"SATICIADI", S}});
    QSqlQuery q = exec(m_db.connection(),
                       "SELECT h.idno, h.carino, h.tarih, h.vade, h.evrakno, h.turadi, h.aciklama, h.borc, h.alacak, COALESCE(t.adi, '') "
                       "FROM hareket h LEFT JOIN satici t ON t.saticino = h.saticino WHERE h.idno = ?",
                       {idno});
    while (q.next())
        addRow(*t, {q.value(0), q.value(1), serialOf(q.value(2).toString()), serialOf(q.value(3).toString()), q.value(4), q.value(5),
                    q.value(6), q.value(7), q.value(8), q.value(7).toDouble() + q.value(8).toDouble(), QStringLiteral("TL"), q.value(9)});
    finish(*t);
    return t;
}

Table Repository::openBalances(int carino)
{
    auto t = lineTable(true);
    fillOrderLines(m_db, *t, QStringLiteral("o.carino = ?"), {carino}, true);
    return t;
}

Table Repository::allOrdersOf(int carino, int stokno)
{
    auto t = lineTable(true);
    fillOrderLines(m_db, *t, QStringLiteral("o.carino = ? AND l.stokno = ?"), {carino, stokno}, false);
    return t;
}

int Repository::balanceReduce(const Session &s, int stokno, int orderLine, double newQuantity)
{
    if (!std::isfinite(newQuantity) || newQuantity < 0)
        throw RequestError("Miktar geçersiz");
    QSqlDatabase db = m_db.connection();
    Transaction tx(db);
    QSqlQuery q = exec(db,
                       "SELECT l.miktar, l.teslimedilen FROM siparissatir l JOIN siparis o ON o.sirano = l.siparisno "
                       "WHERE l.sirano = ? AND o.carino = ? AND (? = 0 OR l.stokno = ?)",
                       {orderLine, s.CARINO, stokno, stokno});
    if (!q.next())
        throw RequestError("Sipariş satırı bulunamadı");
    const double delivered = q.value(1).toDouble();
    // The open balance can shrink to nothing, never below what was delivered.
    exec(db, "UPDATE siparissatir SET miktar = ? WHERE sirano = ?", {delivered + newQuantity, orderLine});
    tx.commit();
    return 1;
}

int Repository::balanceReprice(const Session &s, int orderLine, double price, double discount)
{
    requireSanePrice(price, discount);
    if (s.MusteriTipi != 2)
        throw RequestError("Bu işlem için yetkiniz yok");
    QSqlQuery q = exec(m_db.connection(),
                       "UPDATE siparissatir SET fiyat = ?, indirim = ? WHERE sirano = ? AND siparisno IN "
                       "(SELECT sirano FROM siparis WHERE carino = ?)",
                       {price, discount, orderLine, s.CARINO});
    if (q.numRowsAffected() < 1)
        throw RequestError("Sipariş satırı bulunamadı");
    return 1;
}

// ---- representatives ----

Table Repository::customers(const Session &s, const QString &text)
{
    auto t = makeTable({{"CARINO", I}, {"CARIKOD", S}, {"CARIADI", S}, {"ADRES1", S}, {"ADRES2", S}, {"ILCE", S}, {"IL", S},
                        {"TEL1", S}, {"TEL2", S}, {"GSM", S}, {"FAX1", S}, {"FAX2", S}, {"VERGIDAIRESI", S}, {"VERGINO", S},
                        {"YETKILI", S}, {"EMAIL", S}, {"ANAGRUP", S}, {"ALTGRUP", S}, {"OZELKOD", S}, {"TLBAKIYE", F},
                        {"SATICISI", S}, {"VADE", I}, {"VADEKONTROLAY", I}, {"VADEKONTROLGUN", I}, {"KOD1", S}, {"KOD5", S},
                        {"SEPET", I}});
    if (text.size() > kMaxSearchLength)
        throw RequestError("Arama metni çok uzun");
    const QString pat = text.trimmed().toUpper();
    QString where = QStringLiteral("1 = 1");
    QVariantList binds;
    if (!pat.isEmpty()) {
        where = m_db.isPostgres() ? QStringLiteral("(strpos(upper(c.cariadi), ?) > 0 OR strpos(upper(c.carikod), ?) > 0)")
                                  : QStringLiteral("(instr(upper(c.cariadi), ?) > 0 OR instr(upper(c.carikod), ?) > 0 OR instr(c.cariadi, ?) > 0)");
        binds << pat << pat;
        if (!m_db.isPostgres())
            binds << pat;
    }
    // Representatives (type 1) see their own customers; type 2 sees all.
    if (s.MusteriTipi == 1 && s.SaticiNo > 0) {
        where += QStringLiteral(" AND c.saticino = ?");
        binds << s.SaticiNo;
    }
    QSqlQuery q = exec(m_db.connection(),
                       QStringLiteral("SELECT c.carino, c.carikod, c.cariadi, c.adres1, c.adres2, c.ilce, c.sehir, c.tel1, c.tel2, c.gsm, "
                                      "c.fax1, c.fax2, c.vergidairesi, c.vergino, c.yetkili, c.email, c.anagrup, c.altgrup, c.ozelkod, "
                                      "COALESCE((SELECT SUM(borc - alacak) FROM hareket h WHERE h.carino = c.carino), 0), COALESCE(t.adi, ''), c.vade, "
                                      "(SELECT COUNT(*) FROM sepet b WHERE b.carino = c.carino) "
                                      "FROM cari c LEFT JOIN satici t ON t.saticino = c.saticino WHERE %1 ORDER BY c.cariadi LIMIT 1000")
                           .arg(where),
                       binds);
    while (q.next())
        addRow(*t, {q.value(0), q.value(1), q.value(2), q.value(3), q.value(4), q.value(5), q.value(6), q.value(7), q.value(8), q.value(9),
                    q.value(10), q.value(11), q.value(12), q.value(13), q.value(14), q.value(15), q.value(16), q.value(17), q.value(18),
                    round2(q.value(19).toDouble()), q.value(20), q.value(21), 0, q.value(21), q.value(1), QString(), q.value(22)});
    finish(*t);
    return t;
}

StateCounts Repository::stateCounts(const Session &s)
{
    StateCounts c;
    QSqlQuery q = exec(m_db.connection(), "SELECT durum, COUNT(*) FROM siparis GROUP BY durum");
    while (q.next()) {
        const int n = q.value(1).toInt();
        switch (q.value(0).toInt()) {
        case 0: c.Alindi = n; break;
        case 1: c.Onaylandi = n; break;
        case 2: c.Goruldu = n; break;
        case 3: c.ParcaliHazirlandi = n; break;
        case 4: c.Hazirlandi = n; break;
        case 5: c.SevkEdildi = n; break;
        }
    }
    Q_UNUSED(s);
    return c;
}

Table Repository::customersByState(const Session &s, int state)
{
    auto t = makeTable({{"CARINO", I}, {"CARIKOD", S}, {"CARIADI", S}, {"IDNO", I}, {"TARIH", D}, {"DURUM", S}, {"TUTAR", F},
                        {"SATICISI", S}, {"SEPET", I}});
    QSqlQuery q = exec(m_db.connection(),
                       "SELECT c.carino, c.carikod, c.cariadi, o.sirano, o.tarih, o.durum, "
                       "COALESCE((SELECT SUM(l.miktar * l.fiyat * (1 - l.indirim / 100.0)) FROM siparissatir l WHERE l.siparisno = o.sirano), 0), "
                       "COALESCE(t.adi, ''), (SELECT COUNT(*) FROM sepet b WHERE b.carino = c.carino) "
                       "FROM siparis o JOIN cari c ON c.carino = o.carino LEFT JOIN satici t ON t.saticino = c.saticino "
                       "WHERE o.durum = ? ORDER BY o.tarih DESC, o.sirano DESC LIMIT 1000",
                       {state});
    while (q.next())
        addRow(*t, {q.value(0), q.value(1), q.value(2), q.value(3), serialOf(q.value(4).toString()), orderStateName(q.value(5).toInt()),
                    round2(q.value(6).toDouble()), q.value(7), q.value(8)});
    Q_UNUSED(s);
    finish(*t);
    return t;
}

Table Repository::ordersReport(const Session &s, double fromSerial, double toSerial)
{
    auto t = makeTable({{"IDNO", I}, {"TARIH", D}, {"CARIKOD", S}, {"CARIADI", S}, {"DURUM", S}, {"TUTAR", F}});
    QSqlQuery q = exec(m_db.connection(),
                       "SELECT o.sirano, o.tarih, c.carikod, c.cariadi, o.durum, "
                       "COALESCE((SELECT SUM(l.miktar * l.fiyat * (1 - l.indirim / 100.0)) FROM siparissatir l WHERE l.siparisno = o.sirano), 0) "
                       "FROM siparis o JOIN cari c ON c.carino = o.carino WHERE o.tarih >= ? AND o.tarih <= ? ORDER BY o.tarih, o.sirano",
                       {isoOf(fromSerial), isoOf(toSerial)});
    while (q.next())
        addRow(*t, {q.value(0), serialOf(q.value(1).toString()), q.value(2), q.value(3), orderStateName(q.value(4).toInt()),
                    round2(q.value(5).toDouble())});
    Q_UNUSED(s);
    finish(*t);
    return t;
}

Table Repository::bestSellers(const Session &s, double fromSerial, double toSerial)
{
    auto t = makeTable({{"STOKNO", I}, {"FINISHKOD", S}, {"ADI", S}, {"MARKA", S}, {"MIKTAR", F}, {"TUTAR", F}});
    QSqlQuery q = exec(m_db.connection(),
                       "SELECT s.stokno, s.finishkod, s.adi, s.marka, SUM(l.miktar), SUM(l.miktar * l.fiyat * (1 - l.indirim / 100.0)) "
                       "FROM siparissatir l JOIN siparis o ON o.sirano = l.siparisno JOIN stok s ON s.stokno = l.stokno "
                       "WHERE o.tarih >= ? AND o.tarih <= ? GROUP BY s.stokno, s.finishkod, s.adi, s.marka "
                       "ORDER BY SUM(l.miktar) DESC, s.stokno LIMIT 100",
                       {isoOf(fromSerial), isoOf(toSerial)});
    while (q.next())
        addRow(*t, {q.value(0), q.value(1), q.value(2), q.value(3), q.value(4), round2(q.value(5).toDouble())});
    Q_UNUSED(s);
    finish(*t);
    return t;
}

// ---- showcase and messages ----

QString Repository::setting(const QString &key, const QString &fallback)
{
    const QVariant v = scalar(m_db.connection(), "SELECT deger FROM ayar WHERE anahtar = ?", {key});
    return v.isValid() ? v.toString() : fallback;
}

QByteArray Repository::bannerGif()
{
    static const bool once = (initServerResources(), true);
    Q_UNUSED(once);
    QFile f(QStringLiteral(":/orderserver/banner.gif"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Repository::tickerText() { return setting(QStringLiteral("kayanyazi")); }

std::pair<double, double> Repository::rates()
{
    return {setting(QStringLiteral("usd"), QStringLiteral("0")).toDouble(), setting(QStringLiteral("eur"), QStringLiteral("0")).toDouble()};
}

Table Repository::badges(const Session &s)
{
    // Columns 0-4: basket lines, new items, campaign items, announcements,
    // balance (a floating-point number).
    auto t = makeTable({{"SEPET", I}, {"YENI", I}, {"KAMPANYA", I}, {"DUYURU", I}, {"BAKIYE", F}});
    QSqlDatabase db = m_db.connection();
    const int sepet = scalar(db, "SELECT COUNT(*) FROM sepet WHERE carino = ?", {s.CARINO}).toInt();
    const int yeni = std::min(kSearchRowCap, scalar(db, "SELECT COUNT(*) FROM stok WHERE yeni = 1").toInt());
    const int kamp = s.MusteriTipi == 4 ? 0 : std::min(kSearchRowCap, scalar(db, "SELECT COUNT(*) FROM stok WHERE kampanya = 1").toInt());
    const int duyuru = scalar(db, "SELECT COUNT(*) FROM duyuru").toInt();
    const double bakiye = scalar(db, "SELECT COALESCE(SUM(borc - alacak), 0) FROM hareket WHERE carino = ?", {s.CARINO}).toDouble();
    addRow(*t, {sepet, yeni, kamp, duyuru, round2(bakiye)});
    finish(*t);
    return t;
}

QList<OpeningScreen> Repository::openingScreens(bool openingOnly)
{
    QList<OpeningScreen> out;
    QSqlQuery q = exec(m_db.connection(),
                       openingOnly ? QStringLiteral("SELECT sirano, resim, baslik, arama FROM duyuru WHERE acilis = 1 ORDER BY sirano")
                                   : QStringLiteral("SELECT sirano, resim, baslik, arama FROM duyuru ORDER BY sirano"));
    while (q.next())
        out.append({q.value(0).toInt(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
    return out;
}

Table Repository::openingScreensTable()
{
    auto t = makeTable({{"SIRANO", I}, {"RESIM", S}, {"BASLIK", S}, {"ARAMA", S}});
    for (const OpeningScreen &o : openingScreens(false))
        addRow(*t, {o.SiraNo, o.Resim, o.Baslik, o.Arama});
    finish(*t);
    return t;
}

Table Repository::announcements()
{
    auto t = makeTable({{"SIRANO", I}, {"BASLIK", S}, {"ARAMA", S}});
    for (const OpeningScreen &o : openingScreens(false))
        addRow(*t, {o.SiraNo, o.Baslik, o.Arama});
    finish(*t);
    return t;
}

QVariantMap Repository::customerInfo(int carino, const QString &computerId)
{
    QVariantMap m;
    QSqlDatabase db = m_db.connection();
    QString user, pass;
    if (carino <= 0 && !computerId.isEmpty()) {
        QSqlQuery u = exec(db, "SELECT u.carino, u.adi, u.sifre, u.mail FROM bilgisayar b JOIN kullanici u ON u.sirano = b.kullanici "
                               "WHERE b.bilgisayarid = ?", {computerId});
        if (u.next()) {
            carino = u.value(0).toInt();
            user = u.value(1).toString();
            pass = u.value(2).toString();
            m[QStringLiteral("MAIL")] = u.value(3);
        }
    }
    m[QStringLiteral("BILGISAYARID")] = computerId;
    QSqlQuery q = exec(db,
                       "SELECT c.carino, c.carikod, c.cariadi, c.adres1, c.adres2, c.ilce, c.sehir, c.ulke, c.tel1, c.tel2, c.gsm, c.fax1, "
                       "c.fax2, c.vergidairesi, c.vergino, c.yetkili, c.email, c.anagrup, c.altgrup, c.ozelkod, COALESCE(t.adi, ''), "
                       "COALESCE(t.mail, ''), COALESCE(t.telefon, ''), "
                       "COALESCE((SELECT SUM(borc) FROM hareket h WHERE h.carino = c.carino), 0), "
                       "COALESCE((SELECT SUM(alacak) FROM hareket h WHERE h.carino = c.carino), 0) "
                       "FROM cari c LEFT JOIN satici t ON t.saticino = c.saticino WHERE c.carino = ?",
                       {carino});
    if (!q.next())
        return m;
    const char *const keys[] = {"CARINO", "CARIKOD", "CARIADI", "ADRES1", "ADRES2", "ILCE", "SEHIR", "ULKE", "TEL1", "TEL2", "GSM",
                                "FAX1", "FAX2", "VERGIDAIRESI", "VERGINO", "YETKILI", "EMAIL", "AnaGrup", "AltGrup", "OzelKod",
                                "SATICIADI", "SATICIMAIL", "SATICITELEFON", "TLBORC", "TLALACAK"};
    for (int i = 0; i < int(std::size(keys)); ++i)
        m[QString::fromLatin1(keys[i])] = q.value(i);
    m[QStringLiteral("TLBAKIYE")] = round2(q.value(23).toDouble() - q.value(24).toDouble());
    m[QStringLiteral("KULLANICIADI")] = user;
    m[QStringLiteral("SIFRE")] = pass;
    if (!m.contains(QStringLiteral("MAIL")))
        m[QStringLiteral("MAIL")] = q.value(16);
    return m;
}

int Repository::queueMail(const QString &computerId, const QString &title, const QString &body)
{
    if (title.size() > 500 || body.size() > 100000)
        throw RequestError("İleti çok uzun");
    exec(m_db.connection(), "INSERT INTO postakutusu (zaman, bilgisayarid, baslik, govde) VALUES (?,?,?,?)",
         {QDateTime::currentDateTimeUtc().toString(Qt::ISODate), computerId.left(200), title, body});
    return 1;
}

QList<OutboxMail> Repository::pendingMail(int limit)
{
    QList<OutboxMail> out;
    QSqlQuery q = exec(m_db.connection(),
                       "SELECT sirano, zaman, bilgisayarid, baslik, govde FROM postakutusu WHERE gonderildi = 0 ORDER BY sirano LIMIT ?",
                       {limit});
    while (q.next())
        out.append({q.value(0).toInt(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(), q.value(4).toString()});
    return out;
}

void Repository::markMailSent(int sirano)
{
    exec(m_db.connection(), "UPDATE postakutusu SET gonderildi = 1 WHERE sirano = ?", {sirano});
}

QString Repository::accountState(int carino)
{
    const QVariantMap m = customerInfo(carino, {});
    if (!m.contains(QStringLiteral("CARINO")))
        return {};
    // Query text of the dealer portal's card page.
    auto enc = [](const QVariant &v) { return QString::fromLatin1(QUrl::toPercentEncoding(v.toString())); };
    return QStringLiteral("carino=%1&sube=%2&firmasi=%3&bakiye=%4")
        .arg(enc(m.value(QStringLiteral("CARINO"))), enc(QStringLiteral("MERKEZ")), enc(m.value(QStringLiteral("CARIADI"))),
             enc(QString::number(m.value(QStringLiteral("TLBAKIYE")).toDouble(), 'f', 2)));
}

Table Repository::departments()
{
    auto t = queryTable(m_db.connection(), {{"DPKOD", S}, {"ADI", S}, {"ADET", I}},
                        "SELECT dpkod, MIN(marka), COUNT(*) FROM stok GROUP BY dpkod ORDER BY dpkod");
    finish(*t);
    return t;
}

Table Repository::files()
{
    auto t = queryTable(m_db.connection(), {{"SIRANO", I}, {"ADI", S}, {"ACIKLAMA", S}},
                        "SELECT sirano, adi, aciklama FROM dosya ORDER BY sirano");
    finish(*t);
    return t;
}

}  // namespace varo::orderserver
