#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace varo {

// Column types as they travel on the wire and as the client keeps them.
// Currency is a floating-point column of its own class: money formatting is
// applied to plain Float columns only, so the two must never be merged.
enum class FieldType : quint8 {
    Int32 = 1,
    Int64 = 2,
    Float = 3,
    Currency = 4,
    AnsiString = 5,
    WideString = 6,
    Date = 7,
    DateTime = 8,
    Boolean = 9,
    Blob = 10,
};

bool isValidFieldType(int code);
QString fieldTypeName(FieldType t);
bool isIntegerType(FieldType t);   // Int32, Int64, Boolean
bool isFloatingType(FieldType t);  // Float, Currency, Date, DateTime
bool isStringType(FieldType t);    // AnsiString, WideString

// Dates travel as day serials counted from 30 December 1899; the fraction is
// the time of day.
double dateTimeToSerial(const QDateTime &dt);
double dateToSerial(QDate d);
QDateTime serialToDateTime(double serial);
QDate serialToDate(double serial);

// Storage of one column. Exactly one of the vectors is used, chosen by the
// field type; `nulls` stays empty until the first null arrives.
struct Column {
    std::vector<qint64> ints;
    std::vector<double> reals;
    std::vector<QString> texts;
    std::vector<QByteArray> blobs;
    std::vector<bool> nulls;

    void reserve(FieldType t, std::size_t n);
    void clear();
};

class DataSet;

class Field {
public:
    Field(DataSet *owner, int index, QString name, FieldType type, int size = 0);

    const QString &fieldName() const { return m_name; }
    FieldType dataType() const { return m_type; }
    int index() const { return m_index; }
    int size() const { return m_size; }  // declared text length, 0 when unbounded

    // Display format in the notation of the money columns ("#,###,##0.00");
    // empty means the value is shown as it is.
    const QString &displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString &fmt) { m_displayFormat = fmt; }

    // Values of a given row.
    bool isNull(int row) const;
    QVariant value(int row) const;
    qint64 intAt(int row) const;
    double doubleAt(int row) const;
    QString stringAt(int row) const;   // the value as text, numbers in C notation
    QByteArray bytesAt(int row) const;
    bool boolAt(int row) const;
    QString displayTextAt(int row) const;  // formatted with the display format, Turkish locale

    void setValue(int row, const QVariant &v);
    void setNull(int row);

    // Values of the data set's current record.
    bool isNull() const;
    QVariant value() const;
    qint64 asInteger() const;
    double asFloat() const;
    QString asString() const;
    bool asBoolean() const;
    QByteArray asBytes() const;
    QString displayText() const;
    void setValue(const QVariant &v);

    // Direct column access for bulk loaders and views.
    Column &column() { return m_column; }
    const Column &column() const { return m_column; }

private:
    friend class DataSet;
    void appendDefault();
    int currentRow() const;

    DataSet *m_owner;
    int m_index;
    QString m_name;
    FieldType m_type;
    int m_size;
    QString m_displayFormat;
    Column m_column;
};

struct FieldDef {
    QString name;
    FieldType type;
    int size = 0;
};

// An in-memory table with typed columns and a cursor: what a server table is
// copied into on the client and what views bind to. Column-oriented, so a view
// can read cells without any per-row objects.
//
// Thread use: a data set belongs to one thread at a time. A background task may
// fill one while no view is attached to it (its controls disabled); the signals
// are for the UI thread.
class DataSet : public QObject {
    Q_OBJECT
public:
    explicit DataSet(QObject *parent = nullptr);
    ~DataSet() override;

    // Structure.
    void setFieldDefs(const QList<FieldDef> &defs);  // drops all rows and fields
    Field *addField(const QString &name, FieldType type, int size = 0);
    int fieldCount() const { return int(m_fields.size()); }
    Field *field(int i) const { return m_fields[std::size_t(i)].get(); }
    Field *findField(const QString &name) const;       // case-insensitive; nullptr when missing
    Field *fieldByName(const QString &name) const;     // throws std::runtime_error when missing
    QList<FieldDef> fieldDefs() const;

    // State.
    bool isActive() const { return m_active; }
    void open();
    void close();  // keeps structure and rows, only marks closed

    // Rows.
    int recordCount() const { return m_rowCount; }
    int appendRecord();  // appends a row of nulls, moves to it, returns its index
    void emptyDataSet();  // drops all rows, keeps structure
    // Bulk loaders fill the columns directly, then tell how many rows they wrote.
    void commitBulkLoad(int rowCount);
    void copyFrom(const DataSet &other);  // structure, rows, formats; opens

    // Cursor.
    int recNo() const { return m_row; }  // 0-based; recordCount() when past the end
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    void first();
    void next();
    void prior();
    void last();
    bool moveTo(int row);
    bool locate(const QString &fieldName, const QVariant &value);

    // Local edits of the current record.
    void edit() { m_editing = true; }
    void post();
    void cancel() { m_editing = false; }
    bool isEditing() const { return m_editing; }

    // Controls: while disabled no change signal is sent; enabling sends one
    // reset when anything changed meanwhile.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    // Tells views that a field's value changed outside the usual calls.
    void notifyRowChanged(int row);

signals:
    void dataReset();
    void rowChanged(int row);
    void cursorMoved(int row);

private:
    friend class Field;
    void changedAll();
    void moved();
    void dropFields();

    std::vector<std::unique_ptr<Field>> m_fields;
    int m_rowCount = 0;
    int m_row = 0;
    bool m_eof = true;
    bool m_bof = true;
    bool m_active = false;
    bool m_editing = false;
    int m_disableCount = 0;
    bool m_pendingReset = false;
};

}  // namespace varo
