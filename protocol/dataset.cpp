#include "dataset.h"

#include "numberformat.h"

#include <cmath>
#include <new>
#include <stdexcept>

namespace varo {

bool isValidFieldType(int code)
{
    return code >= int(FieldType::Int32) && code <= int(FieldType::Blob);
}

QString fieldTypeName(FieldType t)
{
    switch (t) {
    case FieldType::Int32: return QStringLiteral("Int32");
    case FieldType::Int64: return QStringLiteral("Int64");
    case FieldType::Float: return QStringLiteral("Float");
    case FieldType::Currency: return QStringLiteral("Currency");
    case FieldType::AnsiString: return QStringLiteral("AnsiString");
    case FieldType::WideString: return QStringLiteral("WideString");
    case FieldType::Date: return QStringLiteral("Date");
    case FieldType::DateTime: return QStringLiteral("DateTime");
    case FieldType::Boolean: return QStringLiteral("Boolean");
    case FieldType::Blob: return QStringLiteral("Blob");
    }
    return QStringLiteral("Unknown");
}

bool isIntegerType(FieldType t)
{
    return t == FieldType::Int32 || t == FieldType::Int64 || t == FieldType::Boolean;
}

bool isFloatingType(FieldType t)
{
    return t == FieldType::Float || t == FieldType::Currency || t == FieldType::Date || t == FieldType::DateTime;
}

bool isStringType(FieldType t)
{
    return t == FieldType::AnsiString || t == FieldType::WideString;
}

namespace {
const QDate kSerialEpoch(1899, 12, 30);
}

double dateToSerial(QDate d)
{
    return double(kSerialEpoch.daysTo(d));
}

double dateTimeToSerial(const QDateTime &dt)
{
    const double days = double(kSerialEpoch.daysTo(dt.date()));
    const double frac = dt.time().msecsSinceStartOfDay() / 86400000.0;
    // Before the epoch the fraction still counts forward within the day.
    return days >= 0 ? days + frac : days - frac;
}

QDate serialToDate(double serial)
{
    return kSerialEpoch.addDays(qint64(std::trunc(serial)));
}

QDateTime serialToDateTime(double serial)
{
    const double whole = std::trunc(serial);
    const double frac = std::fabs(serial - whole);
    const int ms = int(std::llround(frac * 86400000.0));
    QDateTime dt(kSerialEpoch.addDays(qint64(whole)), QTime(0, 0));
    return dt.addMSecs(ms);
}

void Column::reserve(FieldType t, std::size_t n)
{
    if (isIntegerType(t))
        ints.reserve(n);
    else if (isFloatingType(t))
        reals.reserve(n);
    else if (isStringType(t))
        texts.reserve(n);
    else
        blobs.reserve(n);
}

namespace {

// Texts read from the wire share their memory: the cells of a column point
// into a few large blocks, repeated values into the same string. Letting go
// of them one by one would be one atomic operation per cell; a run of cells
// in the same block gives its references back at once.
void releaseTexts(std::vector<QString> &texts)
{
    using Block = QTypedArrayData<char16_t>;
    const std::size_t n = texts.size();
    std::size_t i = 0;
    while (i < n) {
        Block *block = texts[i].data_ptr().d_ptr();
        std::size_t j = i + 1;
        if (block)
            while (j < n && texts[j].data_ptr().d_ptr() == block && j - i < (1u << 30))
                ++j;
        if (j - i > 1) {
            const int run = int(j - i);
            if (block->ref_.fetchAndAddOrdered(-run) == run)
                Block::deallocate(block);
            // Their references are given back: the cells become null
            // strings without releasing anything a second time.
            for (std::size_t k = i; k < j; ++k)
                new (&texts[k]) QString();
        }
        i = j;
    }
    texts.clear();
}

}  // namespace

void Column::clear()
{
    ints.clear();
    reals.clear();
    releaseTexts(texts);
    blobs.clear();
    nulls.clear();
}

// ---------------------------------------------------------------------------

Field::Field(DataSet *owner, int index, QString name, FieldType type, int size)
    : m_owner(owner), m_index(index), m_name(std::move(name)), m_type(type), m_size(size)
{
}

bool Field::isNull(int row) const
{
    return !m_column.nulls.empty() && m_column.nulls[std::size_t(row)];
}

QVariant Field::value(int row) const
{
    if (isNull(row))
        return {};
    const auto r = std::size_t(row);
    switch (m_type) {
    case FieldType::Int32: return QVariant(int(m_column.ints[r]));
    case FieldType::Int64: return QVariant(qlonglong(m_column.ints[r]));
    case FieldType::Boolean: return QVariant(m_column.ints[r] != 0);
    case FieldType::Float:
    case FieldType::Currency: return QVariant(m_column.reals[r]);
    case FieldType::Date: return QVariant(serialToDate(m_column.reals[r]));
    case FieldType::DateTime: return QVariant(serialToDateTime(m_column.reals[r]));
    case FieldType::AnsiString:
    case FieldType::WideString: return QVariant(m_column.texts[r]);
    case FieldType::Blob: return QVariant(m_column.blobs[r]);
    }
    return {};
}

qint64 Field::intAt(int row) const
{
    if (isNull(row))
        return 0;
    const auto r = std::size_t(row);
    if (isIntegerType(m_type))
        return m_column.ints[r];
    if (isFloatingType(m_type))
        return qint64(std::llround(m_column.reals[r]));
    if (isStringType(m_type)) {
        bool ok = false;
        const qint64 v = m_column.texts[r].trimmed().toLongLong(&ok);
        if (!ok)
            throw std::runtime_error(("'" + m_column.texts[r] + "' is not a valid integer value").toStdString());
        return v;
    }
    return 0;
}

double Field::doubleAt(int row) const
{
    if (isNull(row))
        return 0.0;
    const auto r = std::size_t(row);
    if (isFloatingType(m_type))
        return m_column.reals[r];
    if (isIntegerType(m_type))
        return double(m_column.ints[r]);
    if (isStringType(m_type)) {
        bool ok = false;
        const double v = m_column.texts[r].trimmed().toDouble(&ok);
        if (!ok)
            throw std::runtime_error(("'" + m_column.texts[r] + "' is not a valid floating point value").toStdString());
        return v;
    }
    return 0.0;
}

QString Field::stringAt(int row) const
{
    if (isNull(row))
        return {};
    const auto r = std::size_t(row);
    switch (m_type) {
    case FieldType::Int32:
    case FieldType::Int64: return QString::number(m_column.ints[r]);
    case FieldType::Boolean: return m_column.ints[r] ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::Float:
    case FieldType::Currency: return QString::number(m_column.reals[r], 'g', 15);
    case FieldType::Date: return serialToDate(m_column.reals[r]).toString(QStringLiteral("dd.MM.yyyy"));
    case FieldType::DateTime:
        return serialToDateTime(m_column.reals[r]).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    case FieldType::AnsiString:
    case FieldType::WideString: return m_column.texts[r];
    case FieldType::Blob: return QString::fromUtf8(m_column.blobs[r]);
    }
    return {};
}

QByteArray Field::bytesAt(int row) const
{
    if (isNull(row))
        return {};
    if (m_type == FieldType::Blob)
        return m_column.blobs[std::size_t(row)];
    return stringAt(row).toUtf8();
}

bool Field::boolAt(int row) const
{
    if (isNull(row))
        return false;
    if (isIntegerType(m_type))
        return m_column.ints[std::size_t(row)] != 0;
    if (isFloatingType(m_type))
        return m_column.reals[std::size_t(row)] != 0.0;
    const QString s = stringAt(row).trimmed().toLower();
    return s == u"true" || s == u"1";
}

QString Field::displayTextAt(int row) const
{
    if (isNull(row))
        return {};
    if (!m_displayFormat.isEmpty() && (m_type == FieldType::Float || m_type == FieldType::Currency))
        return formatFloat(m_displayFormat, m_column.reals[std::size_t(row)], turkishLocale());
    if (m_type == FieldType::Float || m_type == FieldType::Currency)
        return turkishLocale().toString(m_column.reals[std::size_t(row)], 'g', 15);
    return stringAt(row);
}

void Field::setNull(int row)
{
    if (m_column.nulls.empty())
        m_column.nulls.resize(std::size_t(m_owner->recordCount()), false);
    m_column.nulls[std::size_t(row)] = true;
}

void Field::setValue(int row, const QVariant &v)
{
    if (row < 0 || row >= m_owner->recordCount())
        throw std::out_of_range("row out of range");
    if (!v.isValid() || v.isNull()) {
        setNull(row);
        return;
    }
    const auto r = std::size_t(row);
    if (isIntegerType(m_type)) {
        m_column.ints[r] = m_type == FieldType::Boolean ? qint64(v.toBool()) : v.toLongLong();
    } else if (m_type == FieldType::Date && (v.metaType().id() == QMetaType::QDate)) {
        m_column.reals[r] = dateToSerial(v.toDate());
    } else if ((m_type == FieldType::Date || m_type == FieldType::DateTime)
               && v.metaType().id() == QMetaType::QDateTime) {
        m_column.reals[r] = dateTimeToSerial(v.toDateTime());
    } else if (isFloatingType(m_type)) {
        m_column.reals[r] = v.toDouble();
    } else if (isStringType(m_type)) {
        m_column.texts[r] = v.toString();
    } else {
        m_column.blobs[r] = v.toByteArray();
    }
    if (!m_column.nulls.empty())
        m_column.nulls[r] = false;
}

void Field::appendDefault()
{
    if (isIntegerType(m_type))
        m_column.ints.push_back(0);
    else if (isFloatingType(m_type))
        m_column.reals.push_back(0.0);
    else if (isStringType(m_type))
        m_column.texts.emplace_back();
    else
        m_column.blobs.emplace_back();
    if (m_column.nulls.empty())
        m_column.nulls.resize(std::size_t(m_owner->recordCount()) - 1, false);
    m_column.nulls.push_back(true);
}

int Field::currentRow() const
{
    const int row = m_owner->recNo();
    if (m_owner->recordCount() == 0 || row < 0 || row >= m_owner->recordCount())
        throw std::runtime_error(("No current record for field " + m_name).toStdString());
    return row;
}

bool Field::isNull() const { return isNull(currentRow()); }
QVariant Field::value() const { return value(currentRow()); }
qint64 Field::asInteger() const { return intAt(currentRow()); }
double Field::asFloat() const { return doubleAt(currentRow()); }
QString Field::asString() const { return stringAt(currentRow()); }
bool Field::asBoolean() const { return boolAt(currentRow()); }
QByteArray Field::asBytes() const { return bytesAt(currentRow()); }
QString Field::displayText() const { return displayTextAt(currentRow()); }

void Field::setValue(const QVariant &v)
{
    const int row = currentRow();
    setValue(row, v);
    if (!m_owner->isEditing())
        m_owner->notifyRowChanged(row);
}

// ---------------------------------------------------------------------------

DataSet::DataSet(QObject *parent) : QObject(parent) {}
DataSet::~DataSet()
{
    dropFields();
}

void DataSet::dropFields()
{
    for (auto &f : m_fields)
        f->m_column.clear();
    m_fields.clear();
}

void DataSet::setFieldDefs(const QList<FieldDef> &defs)
{
    dropFields();
    m_rowCount = 0;
    m_fields.reserve(std::size_t(defs.size()));
    for (const FieldDef &d : defs)
        m_fields.push_back(std::make_unique<Field>(this, int(m_fields.size()), d.name, d.type, d.size));
    m_row = 0;
    m_eof = m_bof = true;
    changedAll();
}

Field *DataSet::addField(const QString &name, FieldType type, int size)
{
    if (m_rowCount != 0)
        throw std::logic_error("fields can only be added to an empty data set");
    m_fields.push_back(std::make_unique<Field>(this, int(m_fields.size()), name, type, size));
    changedAll();
    return m_fields.back().get();
}

Field *DataSet::findField(const QString &name) const
{
    for (const auto &f : m_fields)
        if (f->fieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

Field *DataSet::fieldByName(const QString &name) const
{
    if (Field *f = findField(name))
        return f;
    throw std::runtime_error(("Field '" + name + "' not found").toStdString());
}

QList<FieldDef> DataSet::fieldDefs() const
{
    QList<FieldDef> defs;
    defs.reserve(qsizetype(m_fields.size()));
    for (const auto &f : m_fields)
        defs.append({f->fieldName(), f->dataType(), f->size()});
    return defs;
}

void DataSet::open()
{
    m_active = true;
    first();
    changedAll();
}

void DataSet::close()
{
    m_active = false;
    changedAll();
}

int DataSet::appendRecord()
{
    ++m_rowCount;
    for (auto &f : m_fields)
        f->appendDefault();
    m_row = m_rowCount - 1;
    m_eof = m_bof = false;
    changedAll();
    return m_row;
}

void DataSet::emptyDataSet()
{
    for (auto &f : m_fields)
        f->m_column.clear();
    m_rowCount = 0;
    m_row = 0;
    m_eof = m_bof = true;
    m_editing = false;
    changedAll();
}

void DataSet::commitBulkLoad(int rowCount)
{
    for (auto &f : m_fields) {
        Column &c = f->m_column;
        const auto n = std::size_t(rowCount);
        if (isIntegerType(f->dataType()))
            c.ints.resize(n);
        else if (isFloatingType(f->dataType()))
            c.reals.resize(n);
        else if (isStringType(f->dataType()))
            c.texts.resize(n);
        else
            c.blobs.resize(n);
        if (!c.nulls.empty())
            c.nulls.resize(n, false);
    }
    m_rowCount = rowCount;
    m_active = true;
    m_row = 0;
    m_bof = true;
    m_eof = rowCount == 0;
    changedAll();
}

void DataSet::copyFrom(const DataSet &other)
{
    dropFields();
    for (const auto &f : other.m_fields) {
        auto nf = std::make_unique<Field>(this, f->index(), f->fieldName(), f->dataType(), f->size());
        nf->setDisplayFormat(f->displayFormat());
        nf->m_column = f->m_column;
        m_fields.push_back(std::move(nf));
    }
    m_rowCount = other.m_rowCount;
    m_active = true;
    m_row = 0;
    m_bof = true;
    m_eof = m_rowCount == 0;
    changedAll();
}

void DataSet::first()
{
    m_row = 0;
    m_bof = true;
    m_eof = m_rowCount == 0;
    moved();
}

void DataSet::next()
{
    if (m_row < m_rowCount - 1) {
        ++m_row;
        m_bof = false;
    } else {
        m_eof = true;
        if (m_rowCount > 0)
            m_row = m_rowCount;  // past the end
    }
    moved();
}

void DataSet::prior()
{
    if (m_row > 0) {
        m_row = std::min(m_row, m_rowCount) - 1;
        m_eof = false;
    } else {
        m_bof = true;
    }
    moved();
}

void DataSet::last()
{
    m_row = m_rowCount > 0 ? m_rowCount - 1 : 0;
    m_eof = m_rowCount == 0;
    m_bof = m_rowCount == 0;
    moved();
}

bool DataSet::moveTo(int row)
{
    if (row < 0 || row >= m_rowCount)
        return false;
    m_row = row;
    m_eof = m_bof = false;
    moved();
    return true;
}

bool DataSet::locate(const QString &fieldName, const QVariant &value)
{
    const Field *f = fieldByName(fieldName);
    for (int r = 0; r < m_rowCount; ++r) {
        if (f->isNull(r))
            continue;
        bool match;
        if (isIntegerType(f->dataType()))
            match = f->intAt(r) == value.toLongLong();
        else if (isFloatingType(f->dataType()))
            match = f->doubleAt(r) == value.toDouble();
        else
            match = f->stringAt(r) == value.toString();
        if (match)
            return moveTo(r);
    }
    return false;
}

void DataSet::post()
{
    if (!m_editing)
        return;
    m_editing = false;
    notifyRowChanged(m_row);
}

void DataSet::disableControls()
{
    ++m_disableCount;
}

void DataSet::enableControls()
{
    if (m_disableCount > 0 && --m_disableCount == 0 && m_pendingReset) {
        m_pendingReset = false;
        emit dataReset();
    }
}

void DataSet::notifyRowChanged(int row)
{
    if (controlsDisabled())
        m_pendingReset = true;
    else
        emit rowChanged(row);
}

void DataSet::changedAll()
{
    if (controlsDisabled())
        m_pendingReset = true;
    else
        emit dataReset();
}

void DataSet::moved()
{
    if (!controlsDisabled())
        emit cursorMoved(m_row);
}

}  // namespace varo
