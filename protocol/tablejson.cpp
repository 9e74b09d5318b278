#include "tablejson.h"

#include <QJsonArray>

#include <stdexcept>

namespace varo {

namespace {

FieldType typeFromJson(const QJsonValue &v)
{
    if (v.isDouble()) {
        const int code = v.toInt();
        if (!isValidFieldType(code))
            throw std::runtime_error("unknown column type code");
        return FieldType(code);
    }
    const QString name = v.toString();
    for (int c = int(FieldType::Int32); c <= int(FieldType::Blob); ++c)
        if (fieldTypeName(FieldType(c)) == name)
            return FieldType(c);
    throw std::runtime_error(("unknown column type " + name).toStdString());
}

void store(Field &f, Column &col, std::size_t row, const QJsonValue &v)
{
    const FieldType t = f.dataType();
    if (v.isNull() || v.isUndefined()) {
        if (col.nulls.empty())
            col.nulls.resize(row + 1, false);
        else if (col.nulls.size() <= row)
            col.nulls.resize(row + 1, false);
        col.nulls[row] = true;
        return;
    }
    if (isIntegerType(t)) {
        if (v.isBool())
            col.ints[row] = v.toBool();
        else if (v.isDouble())
            col.ints[row] = qint64(v.toDouble());
        else if (v.isString())
            col.ints[row] = v.toString().toLongLong();
        else
            throw std::runtime_error(("bad value in integer column " + f.fieldName()).toStdString());
    } else if (isFloatingType(t)) {
        if (v.isDouble())
            col.reals[row] = v.toDouble();
        else if (v.isString() && (t == FieldType::Date || t == FieldType::DateTime)) {
            const QString s = v.toString();
            const QDateTime dt = QDateTime::fromString(s, Qt::ISODateWithMs);
            if (dt.isValid())
                col.reals[row] = dateTimeToSerial(dt);
            else
                col.reals[row] = dateToSerial(QDate::fromString(s, Qt::ISODate));
        } else if (v.isString())
            col.reals[row] = v.toString().toDouble();
        else
            throw std::runtime_error(("bad value in number column " + f.fieldName()).toStdString());
    } else if (isStringType(t)) {
        col.texts[row] = v.isString() ? v.toString() : v.isDouble() ? QString::number(v.toDouble(), 'g', 15) : QString();
    } else {
        col.blobs[row] = QByteArray::fromBase64(v.toString().toLatin1());
    }
}

void resize(Field &f, std::size_t n)
{
    Column &c = f.column();
    if (isIntegerType(f.dataType()))
        c.ints.assign(n, 0);
    else if (isFloatingType(f.dataType()))
        c.reals.assign(n, 0.0);
    else if (isStringType(f.dataType()))
        c.texts.assign(n, QString());
    else
        c.blobs.assign(n, QByteArray());
}

}  // namespace

QJsonObject dataSetToJson(const DataSet &table)
{
    QJsonArray cols, data;
    for (int c = 0; c < table.fieldCount(); ++c) {
        const Field *f = table.field(c);
        cols.append(QJsonObject{{QStringLiteral("name"), f->fieldName()}, {QStringLiteral("type"), int(f->dataType())}});
        QJsonArray values;
        for (int r = 0; r < table.recordCount(); ++r) {
            if (f->isNull(r)) {
                values.append(QJsonValue());
                continue;
            }
            const FieldType t = f->dataType();
            if (t == FieldType::Boolean)
                values.append(f->boolAt(r));
            else if (isIntegerType(t))
                values.append(double(f->intAt(r)));
            else if (isFloatingType(t))
                values.append(f->doubleAt(r));
            else if (isStringType(t))
                values.append(f->stringAt(r));
            else
                values.append(QString::fromLatin1(f->bytesAt(r).toBase64()));
        }
        data.append(values);
    }
    return {{QStringLiteral("columns"), cols}, {QStringLiteral("data"), data}};
}

void dataSetFromJson(const QJsonObject &json, DataSet &into)
{
    const QJsonArray cols = json.value(QStringLiteral("columns")).toArray();
    QList<FieldDef> defs;
    for (const QJsonValue &c : cols) {
        const QJsonObject o = c.toObject();
        const QString name = o.value(QStringLiteral("name")).toString();
        if (name.isEmpty())
            throw std::runtime_error("table column without a name");
        defs.append({name, typeFromJson(o.value(QStringLiteral("type")))});
    }
    into.disableControls();
    into.setFieldDefs(defs);
    std::size_t rows = 0;
    if (json.contains(QStringLiteral("data"))) {
        const QJsonArray data = json.value(QStringLiteral("data")).toArray();
        if (data.size() != cols.size())
            throw std::runtime_error("table has a different number of columns and value arrays");
        rows = data.isEmpty() ? 0 : std::size_t(data.at(0).toArray().size());
        for (int c = 0; c < into.fieldCount(); ++c) {
            const QJsonArray values = data.at(c).toArray();
            if (std::size_t(values.size()) != rows)
                throw std::runtime_error("table columns of different lengths");
            Field &f = *into.field(c);
            resize(f, rows);
            for (std::size_t r = 0; r < rows; ++r)
                store(f, f.column(), r, values.at(qsizetype(r)));
        }
    } else {
        const QJsonArray data = json.value(QStringLiteral("rows")).toArray();
        rows = std::size_t(data.size());
        for (int c = 0; c < into.fieldCount(); ++c)
            resize(*into.field(c), rows);
        for (std::size_t r = 0; r < rows; ++r) {
            const QJsonArray row = data.at(qsizetype(r)).toArray();
            if (row.size() != cols.size())
                throw std::runtime_error("table row of the wrong length");
            for (int c = 0; c < into.fieldCount(); ++c)
                store(*into.field(c), into.field(c)->column(), r, row.at(c));
        }
    }
    into.commitBulkLoad(int(rows));
    into.enableControls();
}

}  // namespace varo
