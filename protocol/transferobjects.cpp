#include "transferobjects.h"

#include <QJsonArray>

namespace varo {
namespace {

void put(QJsonObject &o, const char *name, const QString &v) { o.insert(QLatin1String(name), v); }
void put(QJsonObject &o, const char *name, int v) { o.insert(QLatin1String(name), v); }
void put(QJsonObject &o, const char *name, double v) { o.insert(QLatin1String(name), v); }
void put(QJsonObject &o, const char *name, bool v) { o.insert(QLatin1String(name), v); }

[[noreturn]] void bad(const char *name, const char *want)
{
    throw MarshalError(std::string("field ") + name + " is not " + want);
}

// A missing field keeps its default; a value of another kind is an error.
void get(const QJsonObject &o, const char *name, QString &v)
{
    const QJsonValue j = o.value(QLatin1String(name));
    if (j.isUndefined() || j.isNull())
        return;
    if (!j.isString())
        bad(name, "text");
    v = j.toString();
}

void get(const QJsonObject &o, const char *name, int &v)
{
    const QJsonValue j = o.value(QLatin1String(name));
    if (j.isUndefined() || j.isNull())
        return;
    if (!j.isDouble())
        bad(name, "a number");
    const double d = j.toDouble();
    if (d < -2147483648.0 || d > 2147483647.0 || d != double(qint64(d)))
        bad(name, "a 32-bit integer");
    v = int(d);
}

void get(const QJsonObject &o, const char *name, double &v)
{
    const QJsonValue j = o.value(QLatin1String(name));
    if (j.isUndefined() || j.isNull())
        return;
    if (!j.isDouble())
        bad(name, "a number");
    v = j.toDouble();
}

void get(const QJsonObject &o, const char *name, bool &v)
{
    const QJsonValue j = o.value(QLatin1String(name));
    if (j.isUndefined() || j.isNull())
        return;
    if (!j.isBool())
        bad(name, "a boolean");
    v = j.toBool();
}

QJsonObject envelope(const QString &type, int id, const QJsonObject &fields)
{
    return {{QStringLiteral("type"), type}, {QStringLiteral("id"), id}, {QStringLiteral("fields"), fields}};
}

QJsonObject fieldsOf(const QJsonObject &json, const QString &type)
{
    const QString t = json.value(QStringLiteral("type")).toString();
    if (t != type)
        throw MarshalError(("expected " + type + ", got " + (t.isEmpty() ? QStringLiteral("no type") : t)).toStdString());
    const QJsonValue f = json.value(QStringLiteral("fields"));
    if (!f.isObject())
        throw MarshalError("object without fields");
    return f.toObject();
}

}  // namespace
}  // namespace varo

#define VARO_COPY(T, N) F##N = s.F##N;
#define VARO_PUT(T, N) varo::put(f, "F" #N, F##N);
#define VARO_GET(T, N) varo::get(f, "F" #N, o->F##N);
#define VARO_EQ(T, N) && F##N == o.F##N

#define VARO_TRANSFER_IMPL(C) \
    void C::Kopyala(const C &s) { VARO_FIELDS_##C(VARO_COPY) } \
    QJsonObject C::toJson(int id) const \
    { \
        QJsonObject f; \
        VARO_FIELDS_##C(VARO_PUT) \
        return varo::envelope(className(), id, f); \
    } \
    std::unique_ptr<C> C::fromJson(const QJsonObject &json) \
    { \
        const QJsonObject f = varo::fieldsOf(json, className()); \
        auto o = std::make_unique<C>(); \
        VARO_FIELDS_##C(VARO_GET) \
        return o; \
    } \
    bool C::operator==(const C &o) const { return true VARO_FIELDS_##C(VARO_EQ); }

TSonucBilgisi::TSonucBilgisi() : FMusteriTipi(1), FVersion(1) {}
TSiparisDipAyrinti::TSiparisDipAyrinti() = default;
TTusSonuclari::TTusSonuclari() = default;
TMobilStok::TMobilStok() : FBirim(QStringLiteral("ADET")), FKDV(18) {}
TMobilSepet::TMobilSepet() = default;
TMobilCariBilgisi::TMobilCariBilgisi() = default;
TAcilisEkran::TAcilisEkran() = default;

VARO_TRANSFER_IMPL(TSonucBilgisi)
VARO_TRANSFER_IMPL(TSiparisDipAyrinti)
VARO_TRANSFER_IMPL(TTusSonuclari)
VARO_TRANSFER_IMPL(TMobilStok)
VARO_TRANSFER_IMPL(TMobilSepet)
VARO_TRANSFER_IMPL(TMobilCariBilgisi)
VARO_TRANSFER_IMPL(TAcilisEkran)

template <class T>
std::unique_ptr<TransferList<T>> listFromJson(const QJsonObject &json)
{
    QJsonArray items = json.value(QStringLiteral("items")).toArray();
    if (items.isEmpty()) {
        const QJsonObject f = json.value(QStringLiteral("fields")).toObject();
        items = f.value(QStringLiteral("FItems")).toArray();
        if (items.isEmpty())
            items = f.value(QStringLiteral("FEkranlar")).toArray();
    }
    auto list = std::make_unique<TransferList<T>>();
    for (const QJsonValue &v : items) {
        if (!v.isObject())
            throw varo::MarshalError("list element is not an object");
        list->items.push_back(T::fromJson(v.toObject()));
    }
    return list;
}

template std::unique_ptr<TransferList<TMobilStok>> listFromJson(const QJsonObject &);
template std::unique_ptr<TransferList<TMobilSepet>> listFromJson(const QJsonObject &);
template std::unique_ptr<TransferList<TAcilisEkran>> listFromJson(const QJsonObject &);
