#include "protocol/frame.h"
#include "protocol/wiresocket.h"
#include "protocol/methodserver.h"
#include "protocol/tablejson.h"
#include "server/servermethods1client.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QThread>
#include <QThreadPool>
#include <QtEndian>

#include <future>
#include <thread>

using namespace varo;

namespace {

QJsonObject answer(const QJsonValue &result, const QJsonObject &out = {})
{
    QJsonObject o{{QStringLiteral("result"), result}};
    if (!out.isEmpty())
        o.insert(QStringLiteral("out"), out);
    return o;
}

QJsonObject streamOf(const QByteArray &b)
{
    return {{QStringLiteral("size"), double(b.size())}, {QStringLiteral("base64"), QString::fromLatin1(b.toBase64())}};
}

std::unique_ptr<DataSet> sampleTable(int rows)
{
    auto t = std::make_unique<DataSet>();
    t->addField(QStringLiteral("SIRANO"), FieldType::Int32);
    t->addField(QStringLiteral("STOKADI"), FieldType::WideString);
    t->addField(QStringLiteral("FIYAT"), FieldType::Float);
    t->addField(QStringLiteral("TUTAR"), FieldType::Currency);
    t->addField(QStringLiteral("TARIH"), FieldType::DateTime);
    t->addField(QStringLiteral("SEC"), FieldType::Boolean);
    t->addField(QStringLiteral("BUYUK"), FieldType::Int64);
    t->open();
    for (int r = 0; r < rows; ++r) {
        t->appendRecord();
        t->field(0)->setValue(r + 1);
        t->field(1)->setValue(r == 1 ? QVariant() : QVariant(QStringLiteral("Şanzıman \"yağı\"\t%1").arg(r)));
        t->field(2)->setValue(12.5 * r);
        t->field(3)->setValue(1234.56);
        t->field(4)->setValue(46366.25);
        t->field(5)->setValue(r % 2 == 0);
        t->field(6)->setValue(qint64(1) << 40);
    }
    return t;
}

void compareTables(const DataSet &got, const DataSet &want)
{
    QCOMPARE(got.fieldCount(), want.fieldCount());
    QCOMPARE(got.recordCount(), want.recordCount());
    for (int c = 0; c < want.fieldCount(); ++c) {
        QCOMPARE(got.field(c)->fieldName(), want.field(c)->fieldName());
        QCOMPARE(got.field(c)->dataType(), want.field(c)->dataType());
        for (int r = 0; r < want.recordCount(); ++r) {
            QCOMPARE(got.field(c)->isNull(r), want.field(c)->isNull(r));
            QCOMPARE(got.field(c)->value(r), want.field(c)->value(r));
        }
    }
}

// A server whose methods answer from the arguments, so the tests can see
// exactly which values arrived at which positions.
QJsonObject handle(const QString &m, const QJsonArray &p)
{
    if (m == u"EchoString")
        return answer(p.at(0));
    if (m == u"SepetVer")
        return answer(dataSetToJson(*sampleTable(p.at(0).toInt())));
    if (m == u"DosyaIndir")  // size left to the server
        return answer(streamOf(QByteArray("\x00\xff\x00", 3)));
    if (m == u"BannerResimVer")
        return answer(streamOf(QByteArray(5000, 'x')), {{QStringLiteral("size"), 5000}});
    if (m == u"BelgeIndir2") {
        if (!p.at(1).isNull() || !p.at(2).isNull() || !p.at(3).isObject())
            throw std::runtime_error("positions mixed up");
        if (p.at(0).toInt() < 0)
            throw std::runtime_error("Belge bulunamadı");
        const QString adi = p.at(3).toObject().value(QStringLiteral("fields")).toObject().value(QStringLiteral("FADI")).toString();
        return answer(streamOf("%PDF"), {{QStringLiteral("size"), 4}, {QStringLiteral("adi"), adi + QStringLiteral(".pdf")}});
    }
    if (m == u"BuyukGetir") {
        if (p.at(0).toString().isEmpty())
            return answer(QJsonValue());
        TSonucBilgisi s;
        s.setADI(QStringLiteral("BAYİ"));
        s.setVarmi(true);
        s.setVersion(5);
        return answer(s.toJson());
    }
    if (m == u"SepetEkle")  // the object goes in, null when missing
        return answer(p.at(0).isNull() ? 0 : 1);
    if (m == u"SiparisKaydet")
        return answer(p.at(1).toInt() > 0);
    if (m == u"KurlariAl")
        return answer(1, {{QStringLiteral("usd"), 32.45}, {QStringLiteral("eur"), 35.1}});
    throw std::runtime_error("not in this test");
}

}  // namespace

class tst_Wire : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void scalarsAndOutValues();
    void tablesKeepTypesAndNulls();
    void streamsWithTheirSize();
    void badReplies_data();
    void badReplies();
    void belgeIndir2Positions();
    void objectsAndNulls();
    void serverErrorReachesClient();
    void preparedOncePerClient();
    void badFrames_data();
    void badFrames();
    void tableResults_data();
    void tableResults();
    void handshakeRefusedFailsFirstCall();
    void reopenedConnectionPreparesAgain();
    void unknownMethodClosesConnection();
    void jsonAsQtWritesIt_data();
    void jsonAsQtWritesIt();
    void opensByNameOrAddress_data();
    void opensByNameOrAddress();
    void baglantiKurGivesUpAfterElevenAttempts();
    void baglantiKurSucceedsWhenListenerStartsLate();

private:
    std::unique_ptr<Connection> open();
    QThreadPool m_pool;
    QThread m_thread;
    MethodServer *m_server = nullptr;
    MethodServer *m_dataSetServer = nullptr;  // answers tables as data sets, as the order server does
    std::atomic<int> m_calls = 0;
};

void tst_Wire::initTestCase()
{
    // The client blocks the test thread while it waits for answers, so the
    // listener runs an event loop of its own.
    m_thread.start();
    m_server = new MethodServer([this](const QString &m, const QJsonArray &p) {
        ++m_calls;
        return handle(m, p);
    }, &m_pool);
    m_server->setIdleTimeout(3000);
    m_server->setMaxFrame(1 << 20);
    m_server->moveToThread(&m_thread);
    bool ok = false;
    QMetaObject::invokeMethod(m_server, [&] { ok = m_server->listen(QHostAddress::LocalHost, 0); },
                              Qt::BlockingQueuedConnection);
    QVERIFY(ok);
    m_dataSetServer = new MethodServer(MethodServer::AnswerHandler([](const QString &m, const QJsonArray &p) {
        if (m != u"SepetVer")
            throw std::runtime_error("not in this test");
        const int rows = p.at(0).toInt();
        return rows < 0 ? MethodAnswer{} : MethodAnswer{QJsonValue(), QJsonObject(), sampleTable(rows)};
    }), &m_pool);
    m_dataSetServer->moveToThread(&m_thread);
    QMetaObject::invokeMethod(m_dataSetServer, [&] { ok = m_dataSetServer->listen(QHostAddress::LocalHost, 0); },
                              Qt::BlockingQueuedConnection);
    QVERIFY(ok);
}

void tst_Wire::cleanupTestCase()
{
    QMetaObject::invokeMethod(m_server, [this] { delete m_server; delete m_dataSetServer; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    m_pool.waitForDone();
}

std::unique_ptr<Connection> tst_Wire::open()
{
    auto c = std::make_unique<Connection>();
    c->HostName = QStringLiteral("127.0.0.1");
    c->Port = QString::number(m_server->serverPort());
    c->Open();
    return c;
}

void tst_Wire::scalarsAndOutValues()
{
    auto c = open();
    TServerMethods1Client client(*c);
    QCOMPARE(client.EchoString(QStringLiteral("Çğüşöı İ")), QStringLiteral("Çğüşöı İ"));
    double usd = 0, eur = 0;
    QCOMPARE(client.KurlariAl(usd, eur), 1);
    QCOMPARE(usd, 32.45);
    QCOMPARE(eur, 35.1);
    QCOMPARE(client.SiparisKaydet(nullptr, 7, 1, 1, QString(), 1, 0), true);
    QCOMPARE(client.SiparisKaydet(nullptr, 0, 1, 1, QString(), 1, 0), false);
}

void tst_Wire::tablesKeepTypesAndNulls()
{
    auto c = open();
    TServerMethods1Client client(*c);
    DataSet *t = client.SepetVer(3);
    QCOMPARE(t->recordCount(), 3);
    QCOMPARE(t->field(0)->dataType(), FieldType::Int32);
    QCOMPARE(t->field(2)->dataType(), FieldType::Float);
    QCOMPARE(t->field(3)->dataType(), FieldType::Currency);
    QCOMPARE(t->field(4)->dataType(), FieldType::DateTime);
    QCOMPARE(t->field(5)->dataType(), FieldType::Boolean);
    QCOMPARE(t->field(6)->dataType(), FieldType::Int64);
    QCOMPARE(t->field(1)->stringAt(0), QStringLiteral("Şanzıman \"yağı\"\t0"));
    QVERIFY(t->field(1)->isNull(1));
    QCOMPARE(t->field(2)->doubleAt(2), 25.0);
    QCOMPARE(t->field(4)->doubleAt(0), 46366.25);
    QCOMPARE(t->field(5)->boolAt(1), false);
    QCOMPARE(t->field(6)->intAt(0), qint64(1) << 40);
    DataSet empty;
    empty.copyFrom(*client.SepetVer(0));
    QCOMPARE(empty.recordCount(), 0);
    QCOMPARE(empty.fieldCount(), 7);
}

void tst_Wire::streamsWithTheirSize()
{
    auto c = open();
    TServerMethods1Client client(*c);
    qint64 size = -1;
    QIODevice *s = client.BannerResimVer(size);
    QCOMPARE(size, 5000);
    QCOMPARE(s->readAll().size(), 5000);
    // A handler that leaves the size out still gets it to the caller, and
    // bytes of every value come through unchanged.
    size = -1;
    s = client.DosyaIndir(size);
    QCOMPARE(size, 3);
    QCOMPARE(s->readAll(), QByteArray("\x00\xff\x00", 3));
}

void tst_Wire::badReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    auto frame = [](const QByteArray &body) {
        QByteArray head(4, Qt::Uninitialized);
        qToBigEndian<quint32>(quint32(body.size()), head.data());
        return head + body;
    };
    QTest::newRow("not json") << frame("values");
    QTest::newRow("broken table") << frame(R"({"values":[1,{"columns":[{"name":"A","type":1}],"data":[[{}]]}]})");
    QTest::newRow("ragged table") << frame(R"({"values":[1,{"columns":[{"name":"A","type":1},{"name":"B","type":1}],"data":[[1],[]]}]})");
    QTest::newRow("oversized length") << QByteArray::fromHex("7fffffff");
    QTest::newRow("truncated, then closed") << QByteArray::fromHex("00001000") + "{\"values\":[";
    QTest::newRow("silence") << QByteArray();
    QTest::newRow("missing attachment") << frame(R"({"values":[1,{"columns":[],"data":[]}],"attachments":1})");
    QTest::newRow("absurd attachment count") << frame(R"({"values":[],"attachments":100000})");
}

void tst_Wire::badReplies()
{
    // A scripted server: handshake and prepare as usual, then the reply of
    // the row. The client must fail the call, close its connection and not
    // wait longer than its call timeout.
    QFETCH(QByteArray, reply);
    std::atomic<bool> done = false;
    std::promise<quint16> port;
    std::thread script([&] {
        QTcpServer listener;
        port.set_value(listener.listen(QHostAddress::LocalHost, 0) ? listener.serverPort() : 0);
        if (!listener.waitForNewConnection(5000))
            return;
        std::unique_ptr<QTcpSocket> s(listener.nextPendingConnection());
        s->setParent(nullptr);
        if (!readFrame(*s, 3000, 4096, nullptr) || !writeFrame(*s, {{QStringLiteral("version"), kProtocolVersion}}, 3000, nullptr))
            return;
        if (!readFrame(*s, 3000, 4096, nullptr)
            || !writeFrame(*s, {{QStringLiteral("handle"), 0}, {QStringLiteral("params"), QJsonArray()}}, 3000, nullptr))
            return;
        if (!readFrame(*s, 3000, 4096, nullptr))
            return;
        s->write(reply);
        s->waitForBytesWritten(3000);
        if (reply.startsWith(QByteArray::fromHex("00001000")))
            s->disconnectFromHost();
        while (!done && s->state() == QAbstractSocket::ConnectedState)
            s->waitForReadyRead(50);
    });
    const quint16 listening = port.get_future().get();
    QVERIFY(listening);
    Connection c;
    c.HostName = QStringLiteral("127.0.0.1");
    c.Port = QString::number(listening);
    c.timeoutMs = 1500;
    c.maxFrame = 1 << 20;
    QElapsedTimer clock;
    clock.start();
    bool failed = false;
    try {
        c.Open();
        TServerMethods1Client client(c);
        client.SepetVer(1);
    } catch (const ConnectionError &e) {
        failed = true;
        QVERIFY(QByteArray(e.what()).size() > 0);
    }
    done = true;
    script.join();
    QVERIFY(failed);
    QVERIFY(!c.Connected());
    QVERIFY(clock.elapsed() < 5000);
}

void tst_Wire::belgeIndir2Positions()
{
    auto c = open();
    TServerMethods1Client client(*c);
    auto bilgi = std::make_unique<TSonucBilgisi>();
    bilgi->setADI(QStringLiteral("rapor"));
    qint64 size = 0;
    QString adi = QStringLiteral("eski");
    QIODevice *s = client.BelgeIndir2(3, size, adi, std::move(bilgi));
    QCOMPARE(size, 4);
    QCOMPARE(adi, QStringLiteral("rapor.pdf"));
    QCOMPARE(s->readAll(), QByteArray("%PDF"));
}

void tst_Wire::objectsAndNulls()
{
    auto c = open();
    TServerMethods1Client client(*c);
    TSonucBilgisi *s = client.BuyukGetir(QStringLiteral("ID-1"));
    QVERIFY(s);
    QCOMPARE(s->ADI(), QStringLiteral("BAYİ"));
    QCOMPARE(s->Varmi(), true);
    QCOMPARE(s->Version(), 5);
    QCOMPARE(client.BuyukGetir(QString()), nullptr);  // a null object is no error
    // A missing argument object travels as null and the method still runs.
    QCOMPARE(client.SepetEkle(nullptr, 1, 1, QString(), QString(), 1, 18, 1, 0, 1, 0), 0);
    QCOMPARE(client.SepetEkle(std::make_unique<TSonucBilgisi>(), 1, 1, QString(), QString(), 1, 18, 1, 0, 1, 0), 1);
}

void tst_Wire::serverErrorReachesClient()
{
    auto c = open();
    TServerMethods1Client client(*c);
    qint64 size = 0;
    QString adi = QStringLiteral("eski");
    try {
        client.BelgeIndir2(-1, size, adi, std::make_unique<TSonucBilgisi>());
        QFAIL("the call should have failed");
    } catch (const ServerError &e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Belge bulunamadı"));
    }
    QVERIFY(adi.isEmpty());  // an out string is empty after a failure
    // The connection still serves the next call.
    QCOMPARE(client.EchoString(QStringLiteral("tekrar")), QStringLiteral("tekrar"));
}

void tst_Wire::preparedOncePerClient()
{
    auto c = open();
    WireSocket *sock = c->socket();
    TServerMethods1Client client(*c);
    client.EchoString(QStringLiteral("a"));
    const qint64 afterFirst = sock->bytesAvailable();  // nothing pending between calls
    client.EchoString(QStringLiteral("b"));
    QCOMPARE(afterFirst, 0);
}

void tst_Wire::badFrames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("handshakeFirst");
    auto frame = [](const QByteArray &body) {
        QByteArray head(4, Qt::Uninitialized);
        qToBigEndian<quint32>(quint32(body.size()), head.data());
        return head + body;
    };
    QTest::newRow("no handshake") << frame(R"({"prepare":"TServerMethods1.EchoString"})") << false;
    QTest::newRow("wrong context") << frame(R"({"version":1,"context":"other/"})") << false;
    QTest::newRow("not json") << frame("{{{") << true;
    QTest::newRow("json array") << frame("[1,2]") << true;
    QTest::newRow("oversized length") << QByteArray::fromHex("7fffffff") + "{}" << true;
    QTest::newRow("truncated") << QByteArray::fromHex("00000100") + R"({"pre)" << true;
    QTest::newRow("unknown method") << frame(R"({"prepare":"TServerMethods1.Yok"})") << true;
    QTest::newRow("unprepared handle") << frame(R"({"execute":42,"values":[]})") << true;
    QTest::newRow("wrong value count") << frame(R"({"prepare":"TServerMethods1.EchoString"})")
                                                + frame(R"({"execute":0,"values":[]})") << true;
    QTest::newRow("unknown request") << frame(R"({"hello":1})") << true;
}

void tst_Wire::badFrames()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, handshakeFirst);
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, m_server->serverPort());
    QVERIFY(s.waitForConnected(2000));
    if (handshakeFirst) {
        QVERIFY(writeFrame(s, {{QStringLiteral("version"), kProtocolVersion}, {QStringLiteral("context"), kDataSnapContext}}, 2000, nullptr));
        QVERIFY(readFrame(s, 2000, 1 << 20, nullptr));
    }
    s.write(bytes);
    s.waitForBytesWritten(2000);
    // Whatever came, the last answer is an error and the server hangs up.
    QString error;
    std::optional<QJsonObject> last;
    while (auto r = readFrame(s, 5000, 1 << 20, &error))
        last = r;
    QVERIFY2(last && last->contains(QStringLiteral("error")), qPrintable(error));
    QVERIFY(s.state() == QAbstractSocket::UnconnectedState || s.waitForDisconnected(3000));
    // And the next client is served as usual.
    auto c = open();
    TServerMethods1Client client(*c);
    QCOMPARE(client.EchoString(QStringLiteral("hâlâ")), QStringLiteral("hâlâ"));
}

void tst_Wire::tableResults_data()
{
    QTest::addColumn<bool>("dataSetHandler");
    QTest::addColumn<bool>("framesAsked");  // a client of today; without, one of before
    QTest::addColumn<int>("rows");
    QTest::newRow("json handler, as a frame") << false << true << 3;
    QTest::newRow("data set handler, as a frame") << true << true << 3;
    QTest::newRow("data set handler, inside the reply") << true << false << 3;
    QTest::newRow("json handler, inside the reply") << false << false << 3;
    QTest::newRow("no rows, as a frame") << true << true << 0;
    QTest::newRow("no rows, inside the reply") << true << false << 0;
    QTest::newRow("no table at all") << true << true << -1;
    // Larger than the client reads ahead: the rest goes straight into the frame.
    QTest::newRow("many rows, as a frame") << true << true << 20000;
}

void tst_Wire::tableResults()
{
    QFETCH(bool, dataSetHandler);
    QFETCH(bool, framesAsked);
    QFETCH(int, rows);
    const quint16 port = (dataSetHandler ? m_dataSetServer : m_server)->serverPort();
    DataSet want;
    if (rows >= 0)
        want.copyFrom(*sampleTable(rows));
    DataSet got;
    if (framesAsked) {
        Connection c;
        c.HostName = QStringLiteral("127.0.0.1");
        c.Port = QString::number(port);
        c.Open();
        TServerMethods1Client client(c);
        got.copyFrom(*client.SepetVer(rows));
        QVERIFY(c.tableFrames());
    } else {
        // The conversation of a client that does not know table frames.
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(s.waitForConnected(2000));
        QVERIFY(writeFrame(s, {{QStringLiteral("version"), kProtocolVersion}, {QStringLiteral("context"), kDataSnapContext}}, 2000, nullptr));
        const auto hello = readFrame(s, 2000, 1 << 20, nullptr);
        QVERIFY(hello && !hello->contains(QStringLiteral("tableFrames")));
        QVERIFY(writeFrame(s, {{QStringLiteral("prepare"), QStringLiteral("TServerMethods1.SepetVer")}}, 2000, nullptr));
        QVERIFY(readFrame(s, 2000, 1 << 20, nullptr));
        QVERIFY(writeFrame(s, {{QStringLiteral("execute"), 0}, {QStringLiteral("values"), QJsonArray{rows}}}, 2000, nullptr));
        const auto reply = readFrame(s, 2000, 1 << 20, nullptr);
        QVERIFY(reply && !reply->contains(QStringLiteral("attachments")));
        dataSetFromJson(reply->value(QStringLiteral("values")).toArray().at(1).toObject(), got);
    }
    compareTables(got, want);
}

void tst_Wire::handshakeRefusedFailsFirstCall()
{
    Connection c;
    c.HostName = QStringLiteral("127.0.0.1");
    c.Port = QString::number(m_server->serverPort());
    c.DatasnapContext = QStringLiteral("other/");
    c.Open();  // only the TCP connection so far; the handshake leaves with the first call
    TServerMethods1Client client(c);
    try {
        client.EchoString(QStringLiteral("a"));
        QFAIL("the call should have failed");
    } catch (const ConnectionError &e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Desteklenmeyen protokol"));
    }
    QVERIFY(!c.Connected());
}

void tst_Wire::reopenedConnectionPreparesAgain()
{
    // Handles belong to one connection: after a reopen the client prepares
    // again instead of sending a handle the new connection never gave.
    auto c = open();
    TServerMethods1Client client(*c);
    double usd = 0, eur = 0;
    QCOMPARE(client.EchoString(QStringLiteral("a")), QStringLiteral("a"));
    QCOMPARE(client.KurlariAl(usd, eur), 1);
    c->Close();
    c->Open();
    QCOMPARE(client.KurlariAl(usd, eur), 1);
    QCOMPARE(client.EchoString(QStringLiteral("b")), QStringLiteral("b"));
}

void tst_Wire::unknownMethodClosesConnection()
{
    auto c = open();
    TServerMethods1Client client(*c);
    try {
        client.execute(9999, QStringLiteral("Yok"), {});
        QFAIL("the call should have failed");
    } catch (const ServerError &e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Bilinmeyen metot: TServerMethods1.Yok"));
    }
    QVERIFY(!c->Connected());  // the server hung up after refusing the prepare
}

void tst_Wire::jsonAsQtWritesIt_data()
{
    QTest::addColumn<QJsonValue>("value");
    QTest::newRow("null") << QJsonValue();
    QTest::newRow("booleans") << QJsonValue(QJsonArray{true, false});
    QTest::newRow("integers") << QJsonValue(QJsonArray{0, -1, 2147483647, 9007199254740991.0, -9007199254740991.0});
    QTest::newRow("fractions") << QJsonValue(QJsonArray{0.1, -2.5, 1e300, 5e-324, 1234.56, 1e21});
    QTest::newRow("beyond 2^53") << QJsonValue(QJsonArray{9007199254740994.0, 1.8446744073709552e19});
    QTest::newRow("not finite") << QJsonValue(QJsonArray{qQNaN(), qInf(), -qInf()});
    QTest::newRow("texts") << QJsonValue(QJsonArray{QString(), QStringLiteral("Çğüşöı İ"), QStringLiteral("\"\\/\b\f\n\r\t"),
                                                   QString(QChar(1)) + QChar(0x1f) + QChar(0x7f), QStringLiteral("😀")});
    QTest::newRow("nested") << QJsonValue(QJsonObject{{QStringLiteral("z"), 1}, {QStringLiteral("a"), QJsonArray{QJsonObject{}, QJsonArray{}}},
                                                      {QStringLiteral("ş"), QJsonValue()}});
}

void tst_Wire::jsonAsQtWritesIt()
{
    // The wire's own writer must say exactly what the document writer says.
    QFETCH(QJsonValue, value);
    QByteArray mine;
    appendJson(mine, QJsonArray{value});
    QCOMPARE(mine, QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact));
}

void tst_Wire::opensByNameOrAddress_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<QString>("error");  // words of the failure; empty: the call works
    QTest::newRow("address") << QStringLiteral("127.0.0.1") << true << QString();
    QTest::newRow("name") << QStringLiteral("localhost") << true << QString();
    QTest::newRow("nothing listening") << QStringLiteral("127.0.0.1") << false << QStringLiteral("refused");
    QTest::newRow("unknown name") << QStringLiteral("no-such-host.invalid") << true << QStringLiteral("Sunucu bulunamadı");
}

void tst_Wire::opensByNameOrAddress()
{
    QFETCH(QString, host);
    QFETCH(bool, listening);
    QFETCH(QString, error);
    quint16 port = m_server->serverPort();
    if (!listening) {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    Connection c;
    c.HostName = host;
    c.Port = QString::number(port);
    QElapsedTimer clock;
    clock.start();
    try {
        c.Open();
        TServerMethods1Client client(c);
        QCOMPARE(client.EchoString(QStringLiteral("merhaba")), QStringLiteral("merhaba"));
        QVERIFY2(error.isEmpty(), "the call should have failed");
    } catch (const ConnectionError &e) {
        QVERIFY2(!error.isEmpty(), e.what());
        QVERIFY2(QString::fromUtf8(e.what()).contains(error), e.what());
        QVERIFY(!c.Connected());
    }
    QVERIFY(clock.elapsed() < 3000);
}

void tst_Wire::baglantiKurGivesUpAfterElevenAttempts()
{
    QTcpServer probe;  // a port that nobody listens on
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const QString port = QString::number(probe.serverPort());
    probe.close();
    int reports = 0;
    setConnectionErrorReporter([&](const QString &t) {
        ++reports;
        QCOMPARE(t, kBaglantiKurulamiyor);
    });
    Connection c;
    c.HostName = QStringLiteral("127.0.0.1");
    c.Port = port;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!BaglantiKur(c, 1));
    QVERIFY2(clock.elapsed() >= 5500, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(reports, 1);
    setRetryWaitForTesting(10);
    QVERIFY(!BaglantiKur(c, 0));
    QCOMPARE(reports, 1);  // flag 0 is silent
    setRetryWaitForTesting(500);
    setConnectionErrorReporter({});
}

void tst_Wire::baglantiKurSucceedsWhenListenerStartsLate()
{
    // The listener comes up on its own thread after the second attempt failed.
    QThread thread;
    thread.start();
    QThreadPool pool;
    MethodServer *late = new MethodServer(handle, &pool);
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    late->moveToThread(&thread);
    QTimer::singleShot(0, late, [] {});
    QTimer::singleShot(0, late, [] {});
    QMetaObject::invokeMethod(late, [late, port] {
        QTimer::singleShot(750, late, [late, port] { late->listen(QHostAddress::LocalHost, port); });
    }, Qt::QueuedConnection);
    int reports = 0;
    setConnectionErrorReporter([&](const QString &) { ++reports; });
    Connection c;
    c.HostName = QStringLiteral("127.0.0.1");
    c.Port = QString::number(port);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(BaglantiKur(c, 1));
    const qint64 ms = clock.elapsed();
    QVERIFY2(ms >= 1000 && ms < 1500, qPrintable(QString::number(ms)));  // two failures, two waits
    QCOMPARE(reports, 0);
    c.Close();
    QMetaObject::invokeMethod(late, [late] { late->close(); delete late; }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
    pool.waitForDone();
    setConnectionErrorReporter({});
}

QTEST_GUILESS_MAIN(tst_Wire)
#include "tst_wire.moc"
