#pragma once

#include "dataset.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonValue>

#include <stdexcept>
#include <utility>
#include <vector>

namespace varo {

// The wire form of a table, column by column:
//   {"columns":[{"name":"STOKNO","type":1},...],"data":[[column 0 values],[column 1 values],...]}
// Type codes are those of FieldType; any value may be null. Integers and
// floating-point values are JSON numbers (dates as day serials), booleans JSON
// booleans, texts JSON strings, blobs base64 strings.
//
// Both directions work on the bytes directly: the encoder writes straight from
// the columns, the decoder writes straight into them, with no JSON document of
// the whole table in between. A 45 MB stock list is the usual size, and a
// document of it costs several times the table itself.

struct TableFormatError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Appends the wire form of `table` to `out`.
void encodeTable(const DataSet &table, QByteArray &out);
QByteArray encodeTable(const DataSet &table);
// Tests: a large table's helper thread writes every column before the caller
// takes one, the order a busy machine may give.
void setEncodeHelperFirstForTesting(bool on);

// Replaces the structure and rows of `into` with the table in `json`. Also
// reads the older row form {"columns":[...],"rows":[[row 0], ...]} and type
// names instead of codes. Throws TableFormatError on anything malformed
// (bad JSON, unknown type, ragged columns, a value of the wrong kind); `into`
// is then left empty with no fields.
void decodeTable(QByteArrayView json, DataSet &into);

// Returns the end of the JSON value starting at `p` (leading blanks skipped),
// or throws TableFormatError. Nesting is bounded, so hostile input cannot
// exhaust the stack.
const char *skipJsonValue(const char *p, const char *end);
const char *skipJsonBlanks(const char *p, const char *end);

// Splitting a message without parsing its parts: the members of an object
// (key, raw value) and the elements of an array, as views into `json`.
// Throw TableFormatError when `json` is not one well-formed object / array.
std::vector<std::pair<QString, QByteArrayView>> jsonObjectMembers(QByteArrayView json);
std::vector<QByteArrayView> jsonArrayElements(QByteArrayView json);
// One small value (any JSON kind) through the Qt parser.
QJsonValue parseJsonValue(QByteArrayView json);

}  // namespace varo
