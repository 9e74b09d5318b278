#include "protocol/transferobjects.h"

#include <QJsonArray>
#include <QTest>

// Every field of a class gets a distinct non-default value, built from the
// same field list the class itself is made from.
namespace {
int g_counter = 0;
void fill(QJsonObject &f, const char *name, QString *) { f.insert(QLatin1String(name), QStringLiteral("değer %1").arg(++g_counter)); }
void fill(QJsonObject &f, const char *name, int *) { f.insert(QLatin1String(name), ++g_counter); }
void fill(QJsonObject &f, const char *name, double *) { f.insert(QLatin1String(name), ++g_counter + 0.25); }
void fill(QJsonObject &f, const char *name, bool *) { f.insert(QLatin1String(name), true); }
}  // namespace

#define FILL_FIELD(T, N) fill(fields, "F" #N, static_cast<T *>(nullptr));

template <class C>
QJsonObject filled(QJsonObject fields)
{
    return {{QStringLiteral("type"), C::className()}, {QStringLiteral("id"), 1}, {QStringLiteral("fields"), fields}};
}

class tst_TransferObjects : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void kopyalaCopiesEveryField();
    void unknownAndMissingFields();
    void wrongValueKinds_data();
    void wrongValueKinds();
    void listsOwnTheirElements();
};

void tst_TransferObjects::defaults()
{
    TSonucBilgisi s;
    QCOMPARE(s.MusteriTipi(), 1);
    QCOMPARE(s.Version(), 1);
    QCOMPARE(s.Varmi(), false);
    QVERIFY(s.ADI().isEmpty());
    TMobilStok m;
    QCOMPARE(m.Birim(), QStringLiteral("ADET"));
    QCOMPARE(m.KDV(), 18.0);
    TAcilisEkran e;
    QCOMPARE(e.SiraNo(), 0);
    QCOMPARE(TSonucBilgisi::className(), QStringLiteral("baglantiu.TSonucBilgisi"));
    QCOMPARE(TAcilisEkran::className(), QStringLiteral("mobilstokunit.TAcilisEkran"));
}

template <class C>
void checkKopyala(const QJsonObject &json)
{
    const std::unique_ptr<C> source = C::fromJson(json);
    C copy;
    QVERIFY(!(copy == *source));
    copy.Kopyala(*source);
    QVERIFY(copy == *source);
    QCOMPARE(copy.toJson(), json);  // and every field survives the round trip
}

void tst_TransferObjects::kopyalaCopiesEveryField()
{
    QJsonObject fields;
    VARO_FIELDS_TSonucBilgisi(FILL_FIELD) checkKopyala<TSonucBilgisi>(filled<TSonucBilgisi>(fields));
    fields = {};
    VARO_FIELDS_TSiparisDipAyrinti(FILL_FIELD) checkKopyala<TSiparisDipAyrinti>(filled<TSiparisDipAyrinti>(fields));
    fields = {};
    VARO_FIELDS_TTusSonuclari(FILL_FIELD) checkKopyala<TTusSonuclari>(filled<TTusSonuclari>(fields));
    fields = {};
    VARO_FIELDS_TMobilStok(FILL_FIELD) checkKopyala<TMobilStok>(filled<TMobilStok>(fields));
    fields = {};
    VARO_FIELDS_TMobilSepet(FILL_FIELD) checkKopyala<TMobilSepet>(filled<TMobilSepet>(fields));
    fields = {};
    VARO_FIELDS_TMobilCariBilgisi(FILL_FIELD) checkKopyala<TMobilCariBilgisi>(filled<TMobilCariBilgisi>(fields));
}

void tst_TransferObjects::unknownAndMissingFields()
{
    const QJsonObject json = filled<TMobilStok>({{QStringLiteral("FKod"), QStringLiteral("BP1234")},
                                                 {QStringLiteral("FNeverHeardOf"), 5}});
    const auto m = TMobilStok::fromJson(json);
    QCOMPARE(m->Kod(), QStringLiteral("BP1234"));
    QCOMPARE(m->Birim(), QStringLiteral("ADET"));  // missing keeps its default
}

void tst_TransferObjects::wrongValueKinds_data()
{
    QTest::addColumn<QJsonObject>("json");
    QTest::newRow("text as number") << filled<TSonucBilgisi>({{QStringLiteral("FADI"), 12}});
    QTest::newRow("number as text") << filled<TSonucBilgisi>({{QStringLiteral("FCARINO"), QStringLiteral("12")}});
    QTest::newRow("fraction in Int32") << filled<TSonucBilgisi>({{QStringLiteral("FCARINO"), 1.5}});
    QTest::newRow("Int32 overflow") << filled<TSonucBilgisi>({{QStringLiteral("FCARINO"), 1e12}});
    QTest::newRow("bool as number") << filled<TSonucBilgisi>({{QStringLiteral("FVarmi"), 1}});
    QTest::newRow("other class") << QJsonObject{{QStringLiteral("type"), QStringLiteral("mobilstokunit.TMobilStok")},
                                                {QStringLiteral("fields"), QJsonObject()}};
    QTest::newRow("no fields") << QJsonObject{{QStringLiteral("type"), QStringLiteral("baglantiu.TSonucBilgisi")}};
}

void tst_TransferObjects::wrongValueKinds()
{
    QFETCH(QJsonObject, json);
    QVERIFY_THROWS_EXCEPTION(varo::MarshalError, TSonucBilgisi::fromJson(json));
}

void tst_TransferObjects::listsOwnTheirElements()
{
    QJsonArray items;
    for (int i = 0; i < 3; ++i) {
        TAcilisEkran e;
        e.setSiraNo(i);
        e.setArama(QStringLiteral("#YENİ#"));
        items.append(e.toJson(i + 1));
    }
    auto list = listFromJson<TAcilisEkran>({{QStringLiteral("type"), QStringLiteral("mobilstokunit.TAcilisEkranlar")},
                                            {QStringLiteral("items"), items}});
    QCOMPARE(list->Count(), 3);
    QCOMPARE((*list)[2]->SiraNo(), 2);
    QCOMPARE((*list)[0]->Arama(), QStringLiteral("#YENİ#"));
    // Destroying the list destroys the elements; LeakSanitizer checks that.
}

QTEST_GUILESS_MAIN(tst_TransferObjects)
#include "tst_transferobjects.moc"
