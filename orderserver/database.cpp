#include "orderserver/database.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QThread>
#include <QUrl>
#include <QUuid>

#include <atomic>
#include <charconv>
#include <cmath>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace varo::orderserver {

namespace {

struct Migration {
    int version;
    const char *sqlite;
    const char *postgres;  // nullptr: same text as for SQLite
};

// Money and quantities are double precision; the client works in doubles and
// rounds to two decimals itself. Dates are ISO texts (yyyy-MM-dd) and times
// hh:mm:ss, so both engines sort and compare them alike.
const char *const kSchemaV1 = R"SQL(
CREATE TABLE satici (saticino INTEGER PRIMARY KEY, adi TEXT NOT NULL, mail TEXT NOT NULL DEFAULT '', telefon TEXT NOT NULL DEFAULT '');
CREATE TABLE cari (carino INTEGER PRIMARY KEY, carikod TEXT NOT NULL UNIQUE, cariadi TEXT NOT NULL,
  adres1 TEXT NOT NULL DEFAULT '', adres2 TEXT NOT NULL DEFAULT '', ilce TEXT NOT NULL DEFAULT '', sehir TEXT NOT NULL DEFAULT '',
  ulke TEXT NOT NULL DEFAULT 'TÜRKİYE', tel1 TEXT NOT NULL DEFAULT '', tel2 TEXT NOT NULL DEFAULT '', gsm TEXT NOT NULL DEFAULT '',
  fax1 TEXT NOT NULL DEFAULT '', fax2 TEXT NOT NULL DEFAULT '', vergidairesi TEXT NOT NULL DEFAULT '', vergino TEXT NOT NULL DEFAULT '',
  yetkili TEXT NOT NULL DEFAULT '', email TEXT NOT NULL DEFAULT '', anagrup TEXT NOT NULL DEFAULT '', altgrup TEXT NOT NULL DEFAULT '',
  ozelkod TEXT NOT NULL DEFAULT '', iskonto DOUBLE PRECISION NOT NULL DEFAULT 0, vade INTEGER NOT NULL DEFAULT 30,
  saticino INTEGER REFERENCES satici(saticino), sube TEXT NOT NULL DEFAULT 'MERKEZ');
CREATE TABLE kullanici (sirano INTEGER PRIMARY KEY, adi TEXT NOT NULL UNIQUE, sifre TEXT NOT NULL, musteritipi INTEGER NOT NULL,
  aktif INTEGER NOT NULL DEFAULT 1, carino INTEGER NOT NULL REFERENCES cari(carino), saticino INTEGER REFERENCES satici(saticino),
  mail TEXT NOT NULL DEFAULT '', surum INTEGER NOT NULL DEFAULT 5);
CREATE TABLE bilgisayar (bilgisayarid TEXT PRIMARY KEY, kullanici INTEGER NOT NULL REFERENCES kullanici(sirano));
CREATE TABLE stok (stokno INTEGER PRIMARY KEY, kod TEXT NOT NULL, finishkod TEXT NOT NULL, barkod TEXT NOT NULL,
  barkodno INTEGER NOT NULL DEFAULT 0, oem1 TEXT NOT NULL DEFAULT '', oem2 TEXT NOT NULL DEFAULT '', oem3 TEXT NOT NULL DEFAULT '',
  oem4 TEXT NOT NULL DEFAULT '', ureticikodu TEXT NOT NULL DEFAULT '', adi TEXT NOT NULL, digeradi TEXT NOT NULL DEFAULT '',
  birim TEXT NOT NULL DEFAULT 'ADET', marka TEXT NOT NULL DEFAULT '', model TEXT NOT NULL DEFAULT '', anagrup TEXT NOT NULL DEFAULT '',
  altgrup TEXT NOT NULL DEFAULT '', ozelkod TEXT NOT NULL DEFAULT '', dpkod TEXT NOT NULL DEFAULT '', pkod TEXT NOT NULL DEFAULT '',
  kdv DOUBLE PRECISION NOT NULL DEFAULT 18, listefiyati DOUBLE PRECISION NOT NULL, maliyet DOUBLE PRECISION NOT NULL DEFAULT 0,
  maliyetkur TEXT NOT NULL DEFAULT 'TL', yeni INTEGER NOT NULL DEFAULT 0, kampanya INTEGER NOT NULL DEFAULT 0,
  kampanyafiyat DOUBLE PRECISION NOT NULL DEFAULT 0, durum INTEGER NOT NULL DEFAULT 1, kalan DOUBLE PRECISION NOT NULL DEFAULT 0,
  alinansiparis DOUBLE PRECISION NOT NULL DEFAULT 0, verilensiparis DOUBLE PRECISION NOT NULL DEFAULT 0,
  numaralar TEXT NOT NULL, arama TEXT NOT NULL);
CREATE TABLE varoliste (sirano INTEGER PRIMARY KEY, kod TEXT NOT NULL, aciklama TEXT NOT NULL, fiyat DOUBLE PRECISION NOT NULL,
  kdv DOUBLE PRECISION NOT NULL DEFAULT 18, arama TEXT NOT NULL);
CREATE TABLE teslim (id INTEGER PRIMARY KEY, adi TEXT NOT NULL);
CREATE TABLE kargotipi (id INTEGER PRIMARY KEY, adi TEXT NOT NULL);
CREATE TABLE kargofirma (sirano INTEGER PRIMARY KEY, tip INTEGER NOT NULL REFERENCES kargotipi(id), adi TEXT NOT NULL, uyari TEXT NOT NULL DEFAULT '');
CREATE TABLE sepet (sirano %PK%, carino INTEGER NOT NULL REFERENCES cari(carino), stokno INTEGER NOT NULL REFERENCES stok(stokno),
  barkod TEXT NOT NULL, stokadi TEXT NOT NULL, miktar DOUBLE PRECISION NOT NULL, kdv DOUBLE PRECISION NOT NULL,
  fiyat DOUBLE PRECISION NOT NULL, indirim DOUBLE PRECISION NOT NULL, verenid INTEGER NOT NULL, sec INTEGER NOT NULL DEFAULT 1,
  tarih TEXT NOT NULL, saat TEXT NOT NULL);
CREATE INDEX sepet_cari ON sepet(carino);
CREATE TABLE siparis (sirano %PK%, carino INTEGER NOT NULL REFERENCES cari(carino), tarih TEXT NOT NULL, saat TEXT NOT NULL,
  durum INTEGER NOT NULL DEFAULT 0, teslimid INTEGER NOT NULL, kargoid INTEGER NOT NULL, kargofirma INTEGER NOT NULL,
  aciklama TEXT NOT NULL DEFAULT '', verenid INTEGER NOT NULL, bizimmesaj TEXT NOT NULL DEFAULT '', saticinotu TEXT NOT NULL DEFAULT '');
CREATE INDEX siparis_cari ON siparis(carino);
CREATE TABLE siparissatir (sirano %PK%, siparisno INTEGER NOT NULL REFERENCES siparis(sirano), stokno INTEGER NOT NULL REFERENCES stok(stokno),
  barkod TEXT NOT NULL, stokadi TEXT NOT NULL, miktar DOUBLE PRECISION NOT NULL, teslimedilen DOUBLE PRECISION NOT NULL DEFAULT 0,
  kdv DOUBLE PRECISION NOT NULL, fiyat DOUBLE PRECISION NOT NULL, indirim DOUBLE PRECISION NOT NULL, verenid INTEGER NOT NULL,
  sepetsirano INTEGER NOT NULL DEFAULT 0);
CREATE INDEX siparissatir_siparis ON siparissatir(siparisno);
CREATE INDEX siparissatir_stok ON siparissatir(stokno);
CREATE TABLE hareket (idno %PK%, carino INTEGER NOT NULL REFERENCES cari(carino), tarih TEXT NOT NULL, vade TEXT NOT NULL,
  evrakno TEXT NOT NULL, turadi TEXT NOT NULL, aciklama TEXT NOT NULL DEFAULT '', borc DOUBLE PRECISION NOT NULL DEFAULT 0,
  alacak DOUBLE PRECISION NOT NULL DEFAULT 0, saticino INTEGER);
CREATE INDEX hareket_cari ON hareket(carino, tarih);
CREATE TABLE faturasatir (sirano %PK%, idno INTEGER NOT NULL REFERENCES hareket(idno), stokno INTEGER NOT NULL,
  miktar DOUBLE PRECISION NOT NULL, fiyat DOUBLE PRECISION NOT NULL, indirim DOUBLE PRECISION NOT NULL, kdv DOUBLE PRECISION NOT NULL);
CREATE INDEX faturasatir_idno ON faturasatir(idno);
CREATE TABLE duyuru (sirano INTEGER PRIMARY KEY, baslik TEXT NOT NULL, arama TEXT NOT NULL, resim TEXT NOT NULL DEFAULT '', acilis INTEGER NOT NULL DEFAULT 1);
CREATE TABLE ayar (anahtar TEXT PRIMARY KEY, deger TEXT NOT NULL);
CREATE TABLE postakutusu (sirano %PK%, zaman TEXT NOT NULL, bilgisayarid TEXT NOT NULL, baslik TEXT NOT NULL, govde TEXT NOT NULL, gonderildi INTEGER NOT NULL DEFAULT 0);
CREATE TABLE dosya (sirano INTEGER PRIMARY KEY, adi TEXT NOT NULL, aciklama TEXT NOT NULL DEFAULT '');
)SQL";

// Search index: trigram full text on SQLite, pg_trgm on PostgreSQL.
const char *const kSearchSqlite = R"SQL(
CREATE VIRTUAL TABLE stok_ara USING fts5(arama, content='stok', content_rowid='stokno', tokenize='trigram');
CREATE TRIGGER stok_ara_ai AFTER INSERT ON stok BEGIN INSERT INTO stok_ara(rowid, arama) VALUES (new.stokno, new.arama); END;
CREATE TRIGGER stok_ara_ad AFTER DELETE ON stok BEGIN INSERT INTO stok_ara(stok_ara, rowid, arama) VALUES ('delete', old.stokno, old.arama); END;
CREATE TRIGGER stok_ara_au AFTER UPDATE OF arama ON stok BEGIN INSERT INTO stok_ara(stok_ara, rowid, arama) VALUES ('delete', old.stokno, old.arama); INSERT INTO stok_ara(rowid, arama) VALUES (new.stokno, new.arama); END;
)SQL";
const char *const kSearchPostgres = R"SQL(
CREATE EXTENSION IF NOT EXISTS pg_trgm;
CREATE INDEX stok_arama_trgm ON stok USING gin (arama gin_trgm_ops);
)SQL";

// Numbers alone, bars kept: "|X|" finds an exact number and "|X" a number
// start through the index, without reading every match of a short text.
const char *const kNumberSearchSqlite = R"SQL(
CREATE VIRTUAL TABLE stok_no_ara USING fts5(numaralar, content='stok', content_rowid='stokno', tokenize='trigram');
CREATE TRIGGER stok_no_ara_ai AFTER INSERT ON stok BEGIN INSERT INTO stok_no_ara(rowid, numaralar) VALUES (new.stokno, new.numaralar); END;
CREATE TRIGGER stok_no_ara_ad AFTER DELETE ON stok BEGIN INSERT INTO stok_no_ara(stok_no_ara, rowid, numaralar) VALUES ('delete', old.stokno, old.numaralar); END;
CREATE TRIGGER stok_no_ara_au AFTER UPDATE OF numaralar ON stok BEGIN INSERT INTO stok_no_ara(stok_no_ara, rowid, numaralar) VALUES ('delete', old.stokno, old.numaralar); INSERT INTO stok_no_ara(rowid, numaralar) VALUES (new.stokno, new.numaralar); END;
INSERT INTO stok_no_ara(stok_no_ara) VALUES ('rebuild');
)SQL";
const char *const kNumberSearchPostgres = R"SQL(
CREATE INDEX stok_numaralar_trgm ON stok USING gin (numaralar gin_trgm_ops);
)SQL";

const Migration kMigrations[] = {
    {1, kSchemaV1, nullptr},
    {2, kSearchSqlite, kSearchPostgres},
    {3, kNumberSearchSqlite, kNumberSearchPostgres},
};

QStringList statements(const QString &script)
{
    // Statements end with ";" at a line end; trigger bodies keep theirs inside a line.
    QStringList out;
    QString cur;
    for (const QString &line : script.split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty())
            continue;
        cur += line + QLatin1Char('\n');
        if (line.trimmed().endsWith(QLatin1Char(';'))) {
            out << cur.trimmed();
            cur.clear();
        }
    }
    if (!cur.trimmed().isEmpty())
        out << cur.trimmed();
    return out;
}

}  // namespace

struct Statement::Cached {
    QByteArray pgName;             // PostgreSQL: the statement's name on the server
    sqlite3_stmt *lite = nullptr;  // SQLite
    bool busy = false;
    ~Cached()
    {
        if (lite)
            sqlite3_finalize(lite);
    }
};

// What one thread keeps of one database: its connection and its statements.
struct Database::PerThread {
    QSqlDatabase db;
    sqlite3 *lite = nullptr;  // the SQLite handle under `db`
    PGconn *pg = nullptr;     // the PostgreSQL connection under `db`
    int pgNames = 0;          // statements named so far on that connection
    std::unordered_map<QString, std::unique_ptr<Statement::Cached>> statements;

    // The handles under `db`, taken again after each opening; the statements
    // prepared on an earlier connection are gone with it.
    void takeHandles()
    {
        statements.clear();
        lite = nullptr;
        pg = nullptr;
        pgNames = 0;
        const QVariant handle = db.driver()->handle();
        if (!handle.isValid())
            return;
        if (qstrcmp(handle.typeName(), "sqlite3*") == 0)
            lite = *static_cast<sqlite3 *const *>(handle.constData());
        else if (qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0)
            pg = *static_cast<PGconn *const *>(handle.constData());
    }
};

namespace {
std::atomic<quint64> g_databaseIds{0};
std::atomic<quint64> g_threadTokens{0};

// A token per thread, never reused: a new thread whose system id repeats a
// finished one's must not pick up that thread's connection.
quint64 threadToken()
{
    thread_local const quint64 token = ++g_threadTokens;
    return token;
}
}  // namespace

Database::Database(DbConfig config)
    : m_config(std::move(config)),
      m_prefix(QStringLiteral("varo-") + QUuid::createUuid().toString(QUuid::WithoutBraces) + QLatin1Char('-')),
      m_id(++g_databaseIds)
{
}

Database::~Database()
{
    std::lock_guard lock(m_mutex);
    // Statements and handles first, so that removing a connection really
    // closes it. Connections of finished worker threads cannot be touched
    // from here otherwise; removing them closes them.
    m_threads.clear();
    for (const QString &name : m_names)
        QSqlDatabase::removeDatabase(name);
}

Database::PerThread &Database::perThread()
{
    // The last database a thread used is found without a lock.
    struct Last {
        quint64 id = 0;
        PerThread *state = nullptr;
    };
    thread_local Last last;
    if (last.id == m_id)
        return *last.state;
    std::lock_guard lock(m_mutex);
    std::unique_ptr<PerThread> &p = m_threads[threadToken()];
    if (!p)
        p = std::make_unique<PerThread>();
    last = {m_id, p.get()};
    return *p;
}

QSqlDatabase Database::connection()
{
    PerThread &t = perThread();
    if (t.db.isValid()) {
        if (t.db.isOpen())
            return t.db;
        if (t.db.open()) {
            t.takeHandles();
            return t.db;
        }
        throw DbError("database: " + t.db.lastError().text().toStdString());
    }
    const QString name = m_prefix + QString::number(threadToken());
    QSqlDatabase db;
    if (isPostgres()) {
        const QUrl url(m_config.postgresUrl);
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(url.host().isEmpty() ? QStringLiteral("127.0.0.1") : url.host());
        db.setPort(url.port(5432));
        db.setDatabaseName(url.path().mid(1));
        db.setUserName(url.userName());
        db.setPassword(url.password());
    } else {
        QFileInfo fi(m_config.sqliteFile);
        QDir().mkpath(fi.absolutePath());
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(m_config.sqliteFile);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    }
    {
        std::lock_guard lock(m_mutex);
        m_names.push_back(name);
    }
    if (!db.open())
        throw DbError("database: " + db.lastError().text().toStdString());
    if (!isPostgres()) {
        exec(db, QStringLiteral("PRAGMA journal_mode=WAL"));
        exec(db, QStringLiteral("PRAGMA synchronous=NORMAL"));
        exec(db, QStringLiteral("PRAGMA foreign_keys=ON"));
        // Every worker has its own connection; mapped reads share the
        // system's cached pages among them instead of each copying its own.
        exec(db, QStringLiteral("PRAGMA mmap_size=1073741824"));
    }
    t.db = db;
    t.takeHandles();
    return db;
}

namespace {
QVariant bindable(const QVariant &v)
{
    // A null QString would be stored as NULL; texts here are never NULL.
    return v.typeId() == QMetaType::QString && v.toString().isNull() ? QVariant(QStringLiteral("")) : v;
}
}  // namespace

namespace {

[[noreturn]] void liteFail(sqlite3 *db)
{
    throw DbError(std::string("sql: ") + sqlite3_errmsg(db));
}

void liteBind(sqlite3 *db, sqlite3_stmt *st, const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &v = values[i];
        int rc;
        switch (v.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(st, i + 1, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(st, i + 1, v.toDouble());
            break;
        default:
            if (!v.isValid() || (v.isNull() && v.typeId() != QMetaType::QString)) {
                rc = sqlite3_bind_null(st, i + 1);
            } else {
                // Texts are never NULL here, a null QString included.
                const QByteArray utf8 = v.toString().toUtf8();
                rc = sqlite3_bind_text(st, i + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            }
        }
        if (rc != SQLITE_OK)
            liteFail(db);
    }
}

sqlite3_stmt *litePrepare(sqlite3 *db, const QString &sql, bool keep)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v3(db, text.constData(), int(text.size()), keep ? SQLITE_PREPARE_PERSISTENT : 0, &st, nullptr) != SQLITE_OK)
        liteFail(db);
    return st;
}

// PostgreSQL numbers its placeholders ($1, $2, ...); the statements here are
// written with '?', as SQLite takes them. Quoted texts and comments keep
// their question marks.
QByteArray pgText(const QString &sql)
{
    const QByteArray in = sql.toUtf8();
    QByteArray out;
    out.reserve(in.size() + 16);
    int n = 0;
    char quote = 0;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '-' && i + 1 < in.size() && in[i + 1] == '-') {
            qsizetype end = in.indexOf('\n', i);
            if (end < 0)
                end = in.size();
            out += in.mid(i, end - i);
            i = end - 1;
            continue;
        } else if (c == '?') {
            out += '$';
            out += QByteArray::number(++n);
            continue;
        }
        out += c;
    }
    return out;
}

// Bound values in the text form the server parses for any column type, so
// the statement needs no declared parameter types. A truth value is 1 or 0,
// which both integer and boolean columns read.
class PgValues {
public:
    explicit PgValues(const QVariantList &values)
    {
        const int n = int(values.size());
        m_text.resize(n);
        m_values.resize(n, nullptr);
        m_lengths.resize(n, 0);
        m_formats.resize(n, 0);
        for (int i = 0; i < n; ++i) {
            const QVariant &v = values[i];
            QByteArray &t = m_text[i];
            switch (v.typeId()) {
            case QMetaType::Bool: t = v.toBool() ? "1" : "0"; break;
            case QMetaType::Int:
            case QMetaType::Long:
            case QMetaType::LongLong: t = QByteArray::number(v.toLongLong()); break;
            case QMetaType::UInt:
            case QMetaType::ULong:
            case QMetaType::ULongLong: t = QByteArray::number(v.toULongLong()); break;
            case QMetaType::Double:
            case QMetaType::Float: t = number(v.toDouble()); break;
            case QMetaType::QByteArray:
                t = v.toByteArray();
                m_formats[i] = 1;  // raw bytes, as binary bytea or text take them
                break;
            default:
                if (!v.isValid() || (v.isNull() && v.typeId() != QMetaType::QString))
                    continue;  // NULL
                // Texts are never NULL here, a null QString included.
                t = v.toString().toUtf8();
            }
            m_values[i] = t.constData();
            m_lengths[i] = int(t.size());
        }
    }
    int count() const { return int(m_values.size()); }
    const char *const *values() const { return m_values.data(); }
    const int *lengths() const { return m_lengths.data(); }
    const int *formats() const { return m_formats.data(); }

private:
    static QByteArray number(double d)
    {
        if (std::isnan(d))
            return "NaN";
        if (std::isinf(d))
            return d > 0 ? "Infinity" : "-Infinity";
        // Whole numbers without a fraction, so an integer column takes them.
        if (d == std::trunc(d) && std::fabs(d) < 1e15)
            return QByteArray::number(qint64(d));
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, d);  // shortest text that reads back the same
        return QByteArray(buf, int(r.ptr - buf));
    }

    std::vector<QByteArray> m_text;
    std::vector<const char *> m_values;
    std::vector<int> m_lengths, m_formats;
};

// Takes a result of the client library; throws DbError with the server's text
// when the statement failed.
PGresult *pgChecked(PGconn *c, PGresult *r)
{
    const ExecStatusType st = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
    if (st == PGRES_TUPLES_OK || st == PGRES_COMMAND_OK)
        return r;
    QByteArray why(r ? PQresultErrorMessage(r) : PQerrorMessage(c));
    PQclear(r);
    throw DbError("sql: " + why.trimmed().toStdString());
}

}  // namespace

Statement Database::statement(const QString &sql, const QVariantList &values, bool replan)
{
    QSqlDatabase db = connection();
    PerThread &t = perThread();
    Statement out;
    if (t.pg) {
        try {
            std::unique_ptr<Statement::Cached> *c = nullptr;
            if (!replan) {
                c = &t.statements[sql];
                if (*c && (*c)->busy)
                    c = nullptr;  // the same text is still being read further up
            }
            const PgValues v(values);
            if (!c) {
                // Unnamed: parsed and planned for these values, in the same round trip.
                out.m_pg = pgChecked(t.pg, PQexecParams(t.pg, pgText(sql).constData(), v.count(), nullptr, v.values(), v.lengths(), v.formats(), 0));
            } else {
                if (!*c) {
                    auto fresh = std::make_unique<Statement::Cached>();
                    fresh->pgName = "varo_" + QByteArray::number(++t.pgNames);
                    PQclear(pgChecked(t.pg, PQprepare(t.pg, fresh->pgName.constData(), pgText(sql).constData(), 0, nullptr)));
                    *c = std::move(fresh);
                }
                out.m_pg = pgChecked(t.pg, PQexecPrepared(t.pg, (*c)->pgName.constData(), v.count(), v.values(), v.lengths(), v.formats(), 0));
                (*c)->busy = true;
                out.m_cached = c->get();
            }
        } catch (const DbError &) {
            // No empty entry left behind by a statement that failed to prepare.
            if (const auto it = t.statements.find(sql); it != t.statements.end() && !it->second)
                t.statements.erase(it);
            // A lost connection is opened again by the next call.
            if (PQstatus(t.pg) == CONNECTION_BAD)
                t.db.close();
            throw;
        }
        out.m_pgRows = PQntuples(out.m_pg);
        return out;
    }
    if (!t.lite)
        throw DbError(std::string("database: no engine handle: ") + t.db.driver()->handle().typeName());
    std::unique_ptr<Statement::Cached> &c = t.statements[sql];
    if (c && c->busy) {
        // The same text is still being read further up: a statement of its own.
        out.m_lite = litePrepare(t.lite, sql, false);
        out.m_ownLite = true;
        liteBind(t.lite, out.m_lite, values);
        return out;
    }
    if (!c) {
        auto fresh = std::make_unique<Statement::Cached>();
        fresh->lite = litePrepare(t.lite, sql, true);
        c = std::move(fresh);
    }
    liteBind(t.lite, c->lite, values);
    out.m_lite = c->lite;
    c->busy = true;
    out.m_cached = c.get();
    return out;
}

Statement::Statement(Statement &&other) noexcept
    : m_cached(std::exchange(other.m_cached, nullptr)), m_lite(std::exchange(other.m_lite, nullptr)),
      m_ownLite(std::exchange(other.m_ownLite, false)), m_pg(std::exchange(other.m_pg, nullptr)),
      m_pgRow(std::exchange(other.m_pgRow, -1)), m_pgRows(std::exchange(other.m_pgRows, 0))
{
}

Statement::~Statement()
{
    // Resetting ends the statement's read of the database (on SQLite it
    // would otherwise hold its snapshot open).
    if (m_lite) {
        if (m_ownLite) {
            sqlite3_finalize(m_lite);
        } else {
            sqlite3_reset(m_lite);
            sqlite3_clear_bindings(m_lite);
        }
    }
    PQclear(m_pg);
    if (m_cached)
        m_cached->busy = false;
}

bool Statement::next()
{
    if (m_pg)
        return ++m_pgRow < m_pgRows;
    if (!m_lite)
        return false;
    const int rc = sqlite3_step(m_lite);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw DbError(std::string("sql: ") + sqlite3_errmsg(sqlite3_db_handle(m_lite)));
}

bool Statement::isNull(int column) const
{
    return m_lite ? sqlite3_column_type(m_lite, column) == SQLITE_NULL : PQgetisnull(m_pg, m_pgRow, column);
}

// The text of a PostgreSQL value, or nullptr for NULL.
const char *Statement::pgValue(int column) const
{
    return PQgetisnull(m_pg, m_pgRow, column) ? nullptr : PQgetvalue(m_pg, m_pgRow, column);
}

namespace {
// A number in PostgreSQL's text form; truth values ("t", "f") as 1 and 0.
double pgReal(const char *p)
{
    if ((p[0] == 't' || p[0] == 'f') && p[1] == 0)
        return p[0] == 't' ? 1 : 0;
    double d = 0;
    const char *end = p + std::strlen(p);
    if (std::from_chars(p, end, d).ec != std::errc())
        d = QByteArray(p).toDouble();  // NaN, Infinity
    return d;
}
}  // namespace

QString Statement::text(int column) const
{
    const QByteArrayView bytes = utf8(column);
    return bytes.isNull() ? QString() : QString::fromUtf8(bytes);
}

QByteArrayView Statement::utf8(int column) const
{
    if (m_pg) {
        const char *p = pgValue(column);
        return p ? QByteArrayView(p, PQgetlength(m_pg, m_pgRow, column)) : QByteArrayView();
    }
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_lite, column));
    return p ? QByteArrayView(p, sqlite3_column_bytes(m_lite, column)) : QByteArrayView();
}

double Statement::real(int column) const
{
    if (m_lite)
        return sqlite3_column_double(m_lite, column);
    const char *p = pgValue(column);
    return p ? pgReal(p) : 0;
}

qint64 Statement::integer(int column) const
{
    if (m_lite)
        return sqlite3_column_int64(m_lite, column);
    const char *p = pgValue(column);
    if (!p)
        return 0;
    qint64 n = 0;
    const char *end = p + PQgetlength(m_pg, m_pgRow, column);
    const auto r = std::from_chars(p, end, n);
    if (r.ec == std::errc() && r.ptr == end)
        return n;
    return std::llround(pgReal(p));  // a fraction or a truth value
}

QVariant Statement::value(int column) const
{
    if (m_pg) {
        // Types by their fixed PostgreSQL identifiers.
        QMetaType type;
        switch (PQftype(m_pg, column)) {
        case 16: type = QMetaType::fromType<bool>(); break;                // bool
        case 20: case 21: case 23: case 26: type = QMetaType::fromType<qint64>(); break;  // int8, int2, int4, oid
        case 700: case 701: case 1700: type = QMetaType::fromType<double>(); break;       // float4, float8, numeric
        case 17: type = QMetaType::fromType<QByteArray>(); break;          // bytea
        default: type = QMetaType::fromType<QString>();
        }
        const char *p = pgValue(column);
        if (!p)
            return QVariant(type);
        switch (type.id()) {
        case QMetaType::Bool: return p[0] == 't';
        case QMetaType::LongLong: return integer(column);
        case QMetaType::Double: return pgReal(p);
        case QMetaType::QByteArray: {
            size_t n = 0;
            unsigned char *raw = PQunescapeBytea(reinterpret_cast<const unsigned char *>(p), &n);
            QByteArray bytes(reinterpret_cast<const char *>(raw), qsizetype(n));
            PQfreemem(raw);
            return bytes;
        }
        default: return text(column);
        }
    }
    switch (sqlite3_column_type(m_lite, column)) {
    case SQLITE_INTEGER: return qint64(sqlite3_column_int64(m_lite, column));
    case SQLITE_FLOAT: return sqlite3_column_double(m_lite, column);
    case SQLITE_NULL: return QVariant();
    default: return text(column);
    }
}

int Database::schemaVersion()
{
    QSqlDatabase db = connection();
    exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS surum (versiyon INTEGER NOT NULL)"));
    const QVariant v = scalar(db, QStringLiteral("SELECT MAX(versiyon) FROM surum"));
    return v.isNull() ? 0 : v.toInt();
}

int Database::migrate()
{
    QSqlDatabase db = connection();
    int version = schemaVersion();
    for (const Migration &m : kMigrations) {
        if (m.version <= version)
            continue;
        QString script = QString::fromUtf8(isPostgres() && m.postgres ? m.postgres : m.sqlite);
        script.replace(QStringLiteral("%PK%"), isPostgres() ? QStringLiteral("SERIAL PRIMARY KEY")
                                                            : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"));
        Transaction tx(db);
        // Two servers starting on one empty PostgreSQL database must not both migrate.
        if (isPostgres())
            exec(db, QStringLiteral("SELECT pg_advisory_xact_lock(90950)"));
        if (schemaVersion() >= m.version)
            continue;
        for (const QString &st : statements(script))
            exec(db, st);
        exec(db, QStringLiteral("INSERT INTO surum (versiyon) VALUES (?)"), {m.version});
        tx.commit();
        version = m.version;
    }
    return version;
}

bool Database::isEmpty()
{
    QSqlDatabase db = connection();
    return scalar(db, QStringLiteral("SELECT COUNT(*) FROM kullanici")).toInt() == 0
        && scalar(db, QStringLiteral("SELECT COUNT(*) FROM stok")).toInt() == 0;
}

QSqlQuery exec(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    QSqlQuery q(db);
    // On PostgreSQL the driver reads a forward-only result row by row and
    // keeps the connection busy until the last one; statements of our own run
    // on the same connection, so there the whole result is taken at once.
    q.setForwardOnly(db.driver()->dbmsType() != QSqlDriver::PostgreSQL);
    // Statements without values run unprepared: PostgreSQL cannot prepare DDL.
    if (values.isEmpty()) {
        if (!q.exec(sql))
            throw DbError("sql: " + q.lastError().text().toStdString());
        return q;
    }
    if (!q.prepare(sql))
        throw DbError("sql: " + q.lastError().text().toStdString());
    for (const QVariant &v : values)
        q.addBindValue(bindable(v));
    if (!q.exec())
        throw DbError("sql: " + q.lastError().text().toStdString());
    return q;
}

QVariant scalar(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    QSqlQuery q = exec(db, sql, values);
    return q.next() ? q.value(0) : QVariant();
}

// SQLite: a transaction that reads before it writes must take the write lock
// at its start (IMMEDIATE); upgrading a read lock later fails at once with
// "database is locked" instead of waiting for the other writer.
Transaction::Transaction(QSqlDatabase db) : m_db(db), m_sqlite(db.driverName() == QLatin1String("QSQLITE"))
{
    if (m_sqlite) {
        exec(m_db, QStringLiteral("BEGIN IMMEDIATE"));
    } else if (!m_db.transaction()) {
        throw DbError("transaction: " + m_db.lastError().text().toStdString());
    }
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    if (m_sqlite) {
        QSqlQuery q(m_db);
        q.exec(QStringLiteral("ROLLBACK"));
    } else {
        m_db.rollback();
    }
}

void Transaction::commit()
{
    if (m_sqlite)
        exec(m_db, QStringLiteral("COMMIT"));
    else if (!m_db.commit())
        throw DbError("commit: " + m_db.lastError().text().toStdString());
    m_done = true;
}

}  // namespace varo::orderserver
