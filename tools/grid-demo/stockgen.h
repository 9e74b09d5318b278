#pragma once

#include "grid/gridcolumn.h"
#include "grid/imagelist.h"
#include "protocol/dataset.h"

#include <QRandomGenerator>
#include <QStringList>

namespace varo {

// Fills a data set with `rows` generated stock rows of the stock list's
// column set (30 columns), the way a bulk loader does: straight into the
// columns, then one commit. The same seed gives the same rows.
inline void generateStock(DataSet &ds, int rows, quint32 seed = 42)
{
    ds.setFieldDefs({
        {"BARKOD", FieldType::WideString}, {"FINISHKOD", FieldType::WideString},
        {"OEM1", FieldType::WideString}, {"OEM2", FieldType::WideString},
        {"OEM3", FieldType::WideString}, {"ADI", FieldType::WideString},
        {"OEM4", FieldType::WideString}, {"STOK_STOKNO", FieldType::Int32},
        {"URETICIKODU", FieldType::WideString}, {"DIGERADI", FieldType::WideString},
        {"OEMNO", FieldType::WideString}, {"BIRIM", FieldType::WideString},
        {"MARKA", FieldType::WideString}, {"MODEL", FieldType::WideString},
        {"ANAGRUP", FieldType::WideString}, {"OZELKOD", FieldType::WideString},
        {"KALAN", FieldType::Float}, {"KDV", FieldType::Int32},
        {"ALINANSIPARIS", FieldType::Float}, {"VERILENSIPARIS", FieldType::Float},
        {"LISTEFIYATI", FieldType::Float}, {"MALIYET", FieldType::WideString},
        {"FIYAT", FieldType::Float}, {"Y", FieldType::Int32},
        {"K", FieldType::Int32}, {"INDIRIM", FieldType::Float},
        {"NETFIYAT", FieldType::Float}, {"KDVDAHIL", FieldType::Float},
        {"DURUM", FieldType::Int32}, {"PKOD", FieldType::WideString},
    });
    static const QStringList parts{"FREN BALATASI", "FREN DİSKİ", "YAĞ FİLTRESİ", "HAVA FİLTRESİ", "POLEN FİLTRESİ",
                                   "AMORTİSÖR", "ROTİL", "ROT BAŞI", "TRİGER SETİ", "DEBRİYAJ SETİ", "SU POMPASI",
                                   "TERMOSTAT", "BUJİ", "ATEŞLEME BOBİNİ", "MOTOR KULAĞI", "SALINCAK", "AKS KÖRÜĞÜ",
                                   "RADYATÖR", "FAR AMPULÜ", "SİLECEK SÜPÜRGESİ", "ŞANZIMAN YAĞI", "ÇEKİ DEMİRİ"};
    static const QStringList sides{"ÖN", "ARKA", "SAĞ", "SOL", "ÜST", "ALT", ""};
    static const QStringList brands{"BOSCH", "VALEO", "MANN", "SACHS", "LEMFÖRDER", "FEBİ", "GATES", "NGK",
                                    "MAHLE", "TRW", "SKF", "DELPHİ"};
    static const QStringList models{"DOĞAN", "ŞAHİN", "KARTAL", "TEMPRA", "TİPO", "LİNEA", "EGEA", "FOCUS",
                                    "CORSA", "ASTRA", "CLİO", "MEGANE", "GOLF", "POLO", "PASSAT"};
    static const QStringList groups{"FREN", "FİLTRE", "SÜSPANSİYON", "MOTOR", "ELEKTRİK", "ŞANZIMAN", "SOĞUTMA"};
    QRandomGenerator rng(seed);
    auto pick = [&](const QStringList &l) -> const QString & { return l[int(rng.bounded(quint32(l.size())))]; };
    auto f = [&](const char *name) -> Column & { return ds.fieldByName(QString::fromLatin1(name))->column(); };
    for (int i = 0; i < ds.fieldCount(); ++i)
        ds.field(i)->column().reserve(ds.field(i)->dataType(), std::size_t(rows));
    for (int r = 0; r < rows; ++r) {
        const QString code = QStringLiteral("%1-%2").arg(pick(brands).left(3)).arg(100000 + r);
        const QString name = (pick(parts) + u' ' + pick(sides)).trimmed();
        f("BARKOD").texts.push_back(QStringLiteral("869%1").arg(quint64(1000000000) + quint64(r) * 7919 % 999999999, 10, 10, QChar(u'0')));
        f("FINISHKOD").texts.push_back(code);
        f("OEM1").texts.push_back(QStringLiteral("OE%1").arg(rng.bounded(10000000)));
        f("OEM2").texts.push_back(QString());
        f("OEM3").texts.push_back(QString());
        f("ADI").texts.push_back(name);
        f("OEM4").texts.push_back(QString());
        f("STOK_STOKNO").ints.push_back(r + 1);
        f("URETICIKODU").texts.push_back(QStringLiteral("U%1").arg(r));
        f("DIGERADI").texts.push_back(QString());
        f("OEMNO").texts.push_back(QStringLiteral("%1").arg(rng.bounded(100000000)));
        f("BIRIM").texts.push_back(QStringLiteral("ADET"));
        f("MARKA").texts.push_back(pick(brands));
        f("MODEL").texts.push_back(pick(models));
        f("ANAGRUP").texts.push_back(pick(groups));
        f("OZELKOD").texts.push_back(QStringLiteral("Ö%1").arg(r % 50));
        f("KALAN").reals.push_back(double(rng.bounded(500)));
        f("KDV").ints.push_back(20);
        f("ALINANSIPARIS").reals.push_back(double(rng.bounded(50)));
        f("VERILENSIPARIS").reals.push_back(double(rng.bounded(50)));
        const double list = double(rng.bounded(50, 2500000)) / 100.0;
        const double disc = double(rng.bounded(0, 9) * 5);
        const double net = list * (100.0 - disc) / 100.0;
        f("LISTEFIYATI").reals.push_back(list);
        f("MALIYET").texts.push_back(QString());
        f("FIYAT").reals.push_back(list);
        f("Y").ints.push_back(rng.bounded(10) == 0 ? 1 : 0);
        f("K").ints.push_back(rng.bounded(7) == 0 ? 1 : 0);
        f("INDIRIM").reals.push_back(disc);
        f("NETFIYAT").reals.push_back(net);
        f("KDVDAHIL").reals.push_back(net * 1.2);
        f("DURUM").ints.push_back(qint64(rng.bounded(6)));
        f("PKOD").texts.push_back(QString());
    }
    ds.commitBulkLoad(rows);
    // Money columns show with the money picture, as after every load.
    for (int i = 0; i < ds.fieldCount(); ++i)
        if (ds.field(i)->dataType() == FieldType::Float)
            ds.field(i)->setDisplayFormat(QStringLiteral("#,###,##0.00"));
}

// The stock list's columns as a feature declares them.
inline QList<GridColumn> stockListColumns()
{
    return {
        col("BARKOD", "Barkod", 2),
        col("FINISHKOD", "Kod", 2),
        col("OEM1", "Oem1", 2).hiddenNotOffered(),
        col("OEM2", "Oem2", 2).hiddenNotOffered(),
        col("OEM3", "Oem3", 2).hiddenNotOffered(),
        col("ADI", "Açıklama", 3),
        col("OEM4", "Oem4", 2).hiddenNotOffered(),
        col("STOK_STOKNO", {}, 1).hiddenNotOffered(),
        col("URETICIKODU", "Üretici Kod", 2).hidden(),
        col("BARKOD_BARKODNO", {}, 1).hiddenNotOffered(),
        col("DIGERADI", "Diğer Adı", 3).hidden(),
        col("DPKOD", {}, 2).hiddenNotOffered(),
        col("OEMNO", "Oem No", 2).hidden(),
        col("BIRIM", "Birim", 1).hidden(),
        col("MARKA", "Marka", 2),
        col("MODEL", "Model", 2),
        col("ANAGRUP", "Ana Grup", 2),
        col("OZELKOD", "Özel Kod", 2),
        col("KALAN", {}, 1).hiddenNotOffered(),
        col("PKOD", {}, 1).hiddenNotOffered(),
        col("KDV", {}, 1).hidden(),
        col("ALINANSIPARIS", {}, 1).hiddenNotOffered(),
        col("VERILENSIPARIS", {}, 1).hiddenNotOffered(),
        col("LISTEFIYATI", "Fiyatı", 2).right(),
        col("MALIYET", {}, 1).hiddenNotOffered(),
        col("FIYAT", "Liste Fiyatı", 2).right(),
        col("Y", "Yeni", 1).iconCell(&yesNoImages(), yesNoIcons()),
        col("K", "Kampanyalı", 1).iconCell(&yesNoImages(), yesNoIcons()),
        col("INDIRIM", "İndirim Oran", 1).right(),
        col("NETFIYAT", "Net Fiyatı", 2).right(),
        col("KDVDAHIL", "KDV Dahil Fiyat", 2).right(),
        col("DURUM", "Durum", 1).iconCell(&stateImages(), stockStateIcons()),
    };
}

}  // namespace varo
