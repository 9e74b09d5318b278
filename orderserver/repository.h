#pragma once

#include "protocol/dataset.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <stdexcept>

namespace varo::orderserver {

class Database;

// A request the server refuses; its text goes back to the caller as the
// error of the call.
class RequestError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the server reads from and writes into the session record that travels
// with many calls. Field names follow the record's properties.
struct Session {
    QString BILGISAYARID, SaticiMail, CariAdi, SIFRE, Kullanicimail, ADI, SaticiTelefon, carikod, SaticiAdi;
    QString BilgiSayarAdi, Disip, Icip, BilgisayarKullanici;
    int Sirano = 0, SaticiNo = 0, CARINO = 0, AKTIF = 0, MusteriTipi = 1, Version = 1;
    bool Varmi = false;
};

struct OrderFooter {
    QString SizinMesaj, Durumu, Veren, Kargo, BizimMesaj, TeslimCinsi, KargoCinsi, SaticiNotu;
};

struct StateCounts {
    int Alindi = 0, Onaylandi = 0, ParcaliHazirlandi = 0, SevkEdildi = 0, Hazirlandi = 0, Goruldu = 0;
};

struct OpeningScreen {
    int SiraNo = 0;
    QString Resim;  // JPEG as upper-case hexadecimal text
    QString Baslik, Arama;
};

struct BasketLineInput {
    int carino = 0, stokno = 0, verenid = 0;
    QString barkod, stokadi;
    double miktar = 0, kdv = 0, fiyat = 0, indirim = 0;
};

struct OrderInput {
    int carino = 0, teslim = 0, kargo = 0, kargoFirma = 0, verenid = 0;
    QString aciklama;
};

// A request waiting in the outbox.
struct OutboxMail {
    int sirano = 0;
    QString zaman, bilgisayarid, baslik, govde;
};

using Table = std::unique_ptr<varo::DataSet>;

// Order states as stored; the names are those the customer sees.
QString orderStateName(int durum);

// Every query the order server answers. All functions may be called from any
// worker thread at once: each uses the calling thread's connection.
class Repository {
public:
    explicit Repository(Database &db) : m_db(db) {}

    // Identity.
    Session sessionForComputer(const QString &computerId);
    void registerComputer(const QString &computerId, const QString &userName);  // throws RequestError
    int addUser(const QString &name, const QString &password, int type, int carino);
    void setUserActive(const QString &name, bool active);
    Table users();

    // Stock.
    Table searchStock(const QString &text, const Session &s, int cap = -1);
    Table searchGenuineList(const QString &text);
    Table newItems(int carino);
    Table campaignItems(int carino, int userType);
    Table stockByNumber(int stokno, const Session &s);
    QByteArray itemPicture(int stokno);  // empty for an unknown item
    QList<QVariantMap> stockObjects(const Table &t);  // one map per row, keyed like the mobile item fields

    // Basket.
    Table basket(int carino);
    int basketAdd(const Session &s, const BasketLineInput &in);
    int basketUpdate(const Session &s, const BasketLineInput &in, int line);
    int basketClear(const Session &s);
    int basketDeleteLine(const Session &s, int line);
    void basketSelect(int line, int selected);
    int basketCount(const Session &s);
    bool saveOrder(const Session &s, const OrderInput &in);

    // Delivery choices.
    Table deliveryModes();
    Table cargoTypes();
    Table carriers(int cargoType);

    // History.
    Table previousOrders(int carino);
    Table orderLines(int carino, int order);
    OrderFooter orderFooter(int order);
    Table statement(int carino, double fromSerial = 0, double toSerial = 0);
    Table statementOpening(int carino, double beforeSerial);
    Table invoiceLines(int carino, int idno);
    Table invoiceFooter(int idno);
    Table collection(int idno);
    Table openBalances(int carino);
    Table allOrdersOf(int carino, int stokno);
    int balanceReduce(const Session &s, int stokno, int orderLine, double newQuantity);
    int balanceReprice(const Session &s, int orderLine, double price, double discount);

    // Representatives.
    Table customers(const Session &s, const QString &text);
    StateCounts stateCounts(const Session &s);
    Table customersByState(const Session &s, int state);
    Table ordersReport(const Session &s, double fromSerial, double toSerial);
    Table bestSellers(const Session &s, double fromSerial, double toSerial);
    QByteArray reportPdf(int report, int carino, const QString &rep, double fromSerial, double toSerial);

    // Showcase and messages.
    QString tickerText();
    QByteArray bannerGif();  // the animated header banner
    QString setting(const QString &key, const QString &fallback = {});
    std::pair<double, double> rates();
    Table badges(const Session &s);
    QList<OpeningScreen> openingScreens(bool openingOnly);
    Table openingScreensTable();
    Table announcements();
    QVariantMap customerInfo(int carino, const QString &computerId);
    int queueMail(const QString &computerId, const QString &title, const QString &body);
    QList<OutboxMail> pendingMail(int limit);  // not yet sent, oldest first
    void markMailSent(int sirano);
    QString accountState(int carino);  // the dealer portal's query text
    Table departments();
    Table files();

private:
    Database &m_db;
};

}  // namespace varo::orderserver
