#include "tablecodec.h"
#include "textmaker.h"

#include <QJsonArray>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QThreadPool>

#include <array>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <optional>
#include <unordered_map>

#ifdef __SSE2__
#include <emmintrin.h>
#include <tmmintrin.h>
#include <immintrin.h>
#endif

namespace varo {

// ---------------------------------------------------------------------------
// Encoding

namespace {

// Set bits of a mask. The builtin is a library call unless the build
// targets processors with a popcount instruction.
inline int bitCount(std::uint64_t x)
{
    x = x - ((x >> 1) & 0x5555555555555555ULL);
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return int((x * 0x0101010101010101ULL) >> 56);
}

// Writing texts: UTF-16 in, JSON string contents in UTF-8 out. `p` must
// have room for 6 bytes per unit (the longest form, \u00XX), plus 16.

// One unit (two for a surrogate pair) by hand, at u[i]; advances i.
inline char *writeUnit(const char16_t *u, qsizetype n, qsizetype &i, char *p)
{
    const char16_t c = u[i++];
    if (c < 0x80) {
        if (c >= 0x20 && c != '"' && c != '\\') {
            *p++ = char(c);
            return p;
        }
        *p++ = '\\';
        switch (c) {
        case '"': *p++ = '"'; break;
        case '\\': *p++ = '\\'; break;
        case '\n': *p++ = 'n'; break;
        case '\r': *p++ = 'r'; break;
        case '\t': *p++ = 't'; break;
        case '\b': *p++ = 'b'; break;
        case '\f': *p++ = 'f'; break;
        default: {
            static const char hex[] = "0123456789abcdef";
            *p++ = 'u';
            *p++ = '0';
            *p++ = '0';
            *p++ = hex[c >> 4];
            *p++ = hex[c & 15];
        }
        }
    } else if (c < 0x800) {
        *p++ = char(0xC0 | (c >> 6));
        *p++ = char(0x80 | (c & 0x3F));
    } else if (c >= 0xD800 && c < 0xDC00 && i < n && u[i] >= 0xDC00 && u[i] < 0xE000) {
        const char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(u[i]) - 0xDC00);
        ++i;
        *p++ = char(0xF0 | (cp >> 18));
        *p++ = char(0x80 | ((cp >> 12) & 0x3F));
        *p++ = char(0x80 | ((cp >> 6) & 0x3F));
        *p++ = char(0x80 | (cp & 0x3F));
    } else {
        // A lone surrogate has no UTF-8 form; it becomes U+FFFD as Qt does.
        const char16_t d = (c >= 0xD800 && c < 0xE000) ? char16_t(0xFFFD) : c;
        *p++ = char(0xE0 | (d >> 12));
        *p++ = char(0x80 | ((d >> 6) & 0x3F));
        *p++ = char(0x80 | (d & 0x3F));
    }
    return p;
}

#ifdef __SSE2__
// Per unit of 8, two mask bits when it cannot be copied as one plain byte
// (not ASCII, a control character, a quote or a backslash).
inline int oddUnits(__m128i v)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i notAscii = _mm_xor_si128(_mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(short(0xFF80))), zero),
                                           _mm_set1_epi16(-1));
    const __m128i bad = _mm_or_si128(_mm_or_si128(notAscii, _mm_cmplt_epi16(v, _mm_set1_epi16(0x20))),
                                     _mm_or_si128(_mm_cmpeq_epi16(v, _mm_set1_epi16('"')),
                                                  _mm_cmpeq_epi16(v, _mm_set1_epi16('\\'))));
    return _mm_movemask_epi8(bad);
}
#endif

#ifdef __SSE2__
// Blocks of 16 plain units, as long as they last.
inline void writePlainBlocks(const char16_t *u, qsizetype n, qsizetype &i, char *&p)
{
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(u + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(u + i + 8));
        if (oddUnits(a) | oddUnits(b))
            return;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p), _mm_packus_epi16(a, b));
        p += 16;
    }
}

// Four units (there must be four): the plain ones before the first odd one
// at once. True when all four were plain. The bytes stored past the plain
// units are overwritten after.
inline bool writePlainFour(const char16_t *u, qsizetype &i, char *&p)
{
    const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(u + i));
    const std::uint32_t four = std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(a, a)));
    std::memcpy(p, &four, 4);
    const unsigned m = unsigned(oddUnits(a)) & 0xFF;
    const unsigned k = m ? unsigned(__builtin_ctz(m)) / 2 : 4;
    p += k;
    i += k;
    return !m;
}
#endif

// Plain ASCII units go through in blocks; one unit by hand where a block
// holds anything else (the plain ones before it still at once), then on in
// blocks from the next unit.
char *writeTextSse2(const char16_t *u, qsizetype n, char *p)
{
    qsizetype i = 0;
    while (i < n) {
#ifdef __SSE2__
        writePlainBlocks(u, n, i, p);
        // The bytes stored past the plain units are overwritten after.
        if (i + 8 <= n) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(u + i));
            _mm_storel_epi64(reinterpret_cast<__m128i *>(p), _mm_packus_epi16(a, a));
            const unsigned m = unsigned(oddUnits(a));
            const unsigned k = m ? unsigned(__builtin_ctz(m)) / 2 : 8;
            p += k;
            i += k;
            if (!m)
                continue;
        } else if (i + 4 <= n && writePlainFour(u, i, p)) {
            continue;
        }
        if (i >= n)
            break;
#endif
        p = writeUnit(u, n, i, p);
    }
    return p;
}

#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#define VARO_TEXT_SSSE3 1

// For each set of letters among 8 units that take two bytes: which bytes
// of the 8 two-byte lanes to keep, in order.
struct TwoByteShuffles {
    alignas(16) std::uint8_t index[256][16];
};
constexpr TwoByteShuffles makeTwoByteShuffles()
{
    TwoByteShuffles t{};
    for (int m = 0; m < 256; ++m) {
        int k = 0;
        for (int lane = 0; lane < 8; ++lane) {
            t.index[m][k++] = std::uint8_t(2 * lane);
            if (m >> lane & 1)
                t.index[m][k++] = std::uint8_t(2 * lane + 1);
        }
        while (k < 16)
            t.index[m][k++] = 0x80;
    }
    return t;
}
constexpr TwoByteShuffles kTwoByteShuffles = makeTwoByteShuffles();

// As writeTextSse2, and blocks of 8 whose letters all lie below U+0800
// (Turkish, like all Latin and Cyrillic scripts) are written at once too.
__attribute__((target("ssse3"))) char *writeTextSsse3(const char16_t *u, qsizetype n, char *p)
{
    qsizetype i = 0;
    const __m128i zero = _mm_setzero_si128();
    while (i < n) {
        writePlainBlocks(u, n, i, p);
        if (i + 8 <= n) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(u + i));
            const unsigned m = unsigned(oddUnits(a));
            if (!m) {
                _mm_storel_epi64(reinterpret_cast<__m128i *>(p), _mm_packus_epi16(a, a));
                p += 8;
                i += 8;
                continue;
            }
            const __m128i hand = _mm_or_si128(
                _mm_or_si128(_mm_cmplt_epi16(a, _mm_set1_epi16(0x20)),
                             _mm_xor_si128(_mm_cmpeq_epi16(_mm_and_si128(a, _mm_set1_epi16(short(0xF800))), zero),
                                           _mm_set1_epi16(-1))),
                _mm_or_si128(_mm_cmpeq_epi16(a, _mm_set1_epi16('"')), _mm_cmpeq_epi16(a, _mm_set1_epi16('\\'))));
            if (!_mm_movemask_epi8(hand)) {
                // Each lane as its UTF-8 bytes, then the second byte of the
                // ASCII lanes squeezed out.
                const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(a, _mm_set1_epi16(short(0xFF80))), zero);
                const __m128i lead = _mm_or_si128(_mm_srli_epi16(a, 6), _mm_set1_epi16(0xC0));
                const __m128i trail =
                    _mm_slli_epi16(_mm_or_si128(_mm_and_si128(a, _mm_set1_epi16(0x3F)), _mm_set1_epi16(0x80)), 8);
                const __m128i lanes =
                    _mm_or_si128(_mm_and_si128(ascii, a), _mm_andnot_si128(ascii, _mm_or_si128(lead, trail)));
                const unsigned two = unsigned(_mm_movemask_epi8(_mm_packs_epi16(_mm_andnot_si128(ascii, _mm_set1_epi16(-1)), zero))) & 0xFF;
                const __m128i order = _mm_load_si128(reinterpret_cast<const __m128i *>(kTwoByteShuffles.index[two]));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(p), _mm_shuffle_epi8(lanes, order));
                p += 8 + bitCount(two);
                i += 8;
                continue;
            }
            _mm_storel_epi64(reinterpret_cast<__m128i *>(p), _mm_packus_epi16(a, a));
            const unsigned k = unsigned(__builtin_ctz(m)) / 2;
            p += k;
            i += k;
        } else if (i + 4 <= n && writePlainFour(u, i, p)) {
            continue;
        }
        if (i >= n)
            break;
        p = writeUnit(u, n, i, p);
    }
    return p;
}
#endif

using TextWriter = char *(*)(const char16_t *, qsizetype, char *);
const TextWriter writeText = [] {
#ifdef VARO_TEXT_SSSE3
    __builtin_cpu_init();
    if (__builtin_cpu_supports("ssse3"))
        return &writeTextSsse3;
#endif
    return &writeTextSse2;
}();

class Writer {
public:
    // While a writer is at work, nothing else may touch `out`.
    explicit Writer(QByteArray &out) : m_out(out), m_pos(out.size()) { sync(); }
    ~Writer() { m_out.resize(m_pos); }

    char *reserve(qsizetype n)
    {
        if (m_pos + n > m_size) [[unlikely]]
            grow(n);
        return m_data + m_pos;
    }
    void advance(qsizetype n) { m_pos += n; }
    void put(char c) { *reserve(1) = c; ++m_pos; }
    void put(const char *s, qsizetype n)
    {
        std::memcpy(reserve(n), s, std::size_t(n));
        m_pos += n;
    }
    template <std::size_t N>
    void lit(const char (&s)[N]) { put(s, N - 1); }
    qsizetype pos() const { return m_pos; }
    // Writes again `n` bytes written before at `at`.
    void repeat(qsizetype at, qsizetype n)
    {
        char *p = reserve(n + 16);
        const char *from = m_data + at;
        if (n <= 16) {  // mostly short: two overlapping 8-byte moves, no call
            std::uint64_t a, b;
            if (n >= 8) {
                std::memcpy(&a, from, 8);
                std::memcpy(&b, from + n - 8, 8);
                std::memcpy(p, &a, 8);
                std::memcpy(p + n - 8, &b, 8);
            } else
                for (qsizetype i = 0; i < n; ++i)
                    p[i] = from[i];
        } else
            std::memcpy(p, from, std::size_t(n));
        m_pos += n;
    }

    void integer(qint64 v)
    {
        char *p = reserve(24);
        m_pos += std::to_chars(p, p + 24, v).ptr - p;
    }
    void real(double v)
    {
        if (!std::isfinite(v)) {  // JSON has no spelling for these
            lit("null");
            return;
        }
        char *p = reserve(32);
        // Prices, rates and day serials mostly have a few decimals. Such a
        // value is written as its integer digits with the point put back,
        // once mantissa / 10^k gives exactly the same double again (which is
        // how the decoder reads it); all others take the shortest general form.
        static constexpr double kPow10[] = {1.0, 10.0, 100.0, 1000.0, 10000.0, 100000.0, 1000000.0};
        const double a = std::fabs(v);
        // Far from a whole number of millionths (a time of day, a third)
        // means no k below fits; spare the tries. Near one, try: the test
        // below decides, this only saves work.
        const double micro = a * 1e6;
        if (a < 1e9 && std::fabs(micro - double(std::int64_t(micro + 0.5))) < 1e-3 + micro * 1e-15) {
            // Two decimals first after none: prices. Where a smaller k fits
            // as well, the larger one only adds zeros at the end, trimmed
            // below, so the text is the same whichever is found first.
            static constexpr int kOrder[] = {0, 2, 1, 3, 4, 5, 6};
            for (int k : kOrder) {
                const double scaled = a * kPow10[k];
                const std::uint64_t m = std::uint64_t(scaled + 0.5);
                if (double(m) / kPow10[k] != a)
                    continue;
                if (v < 0 && m != 0)
                    *p++ = '-', ++m_pos;
                char digits[24];
                char *e = std::to_chars(digits, digits + 24, m).ptr;
                qsizetype nd = e - digits;
                if (k == 0) {
                    std::memcpy(p, digits, std::size_t(nd));
                    m_pos += nd;
                    return;
                }
                char *q = p;
                if (nd <= k) {  // 0.0xy
                    *q++ = '0';
                    *q++ = '.';
                    for (qsizetype z = nd; z < k; ++z)
                        *q++ = '0';
                    std::memcpy(q, digits, std::size_t(nd));
                    q += nd;
                } else {
                    std::memcpy(q, digits, std::size_t(nd - k));
                    q += nd - k;
                    *q++ = '.';
                    std::memcpy(q, digits + nd - k, std::size_t(k));
                    q += k;
                }
                while (q[-1] == '0')
                    --q;
                if (q[-1] == '.')
                    --q;
                m_pos += q - p;
                return;
            }
        }
        m_pos += std::to_chars(p, p + 32, v).ptr - p;
    }
    void string(const QString &s)
    {
        const qsizetype n = s.size();
        char *const start = reserve(n * 6 + 18);
        char *p = start;
        *p++ = '"';
        p = writeText(reinterpret_cast<const char16_t *>(s.utf16()), n, p);
        *p++ = '"';
        m_pos += p - start;
    }
    void bytes(const QByteArray &b)
    {
        put('"');
        const QByteArray b64 = b.toBase64();
        put(b64.constData(), b64.size());
        put('"');
    }

private:
    __attribute__((noinline)) void grow(qsizetype n)
    {
        m_out.resize(std::max<qsizetype>(m_size * 2, m_pos + n + 4096));
        sync();
    }
    void sync()
    {
        m_size = m_out.size();
        m_data = m_out.data();
    }

    QByteArray &m_out;
    qsizetype m_pos;
    qsizetype m_size = 0;
    char *m_data = nullptr;
};

}  // namespace

namespace {

// The values of rows [begin, end) of one column, comma-separated.
void encodeValues(Writer &w, const Field &f, std::size_t begin, std::size_t end)
{
    const Column &col = f.column();
    const bool anyNull = !col.nulls.empty();
    auto each = [&](auto one) {
        for (std::size_t r = begin; r < end; ++r) {
            if (r != begin)
                w.put(',');
            if (anyNull && col.nulls[r])
                w.lit("null");
            else
                one(r);
        }
    };
    switch (f.dataType()) {
    case FieldType::Boolean:
        each([&](std::size_t r) {
            if (col.ints[r])
                w.lit("true");
            else
                w.lit("false");
        });
        break;
    case FieldType::Int32:
    case FieldType::Int64:
        each([&](std::size_t r) { w.integer(col.ints[r]); });
        break;
    case FieldType::Float:
    case FieldType::Currency:
    case FieldType::Date:
    case FieldType::DateTime:
        each([&](std::size_t r) { w.real(col.reals[r]); });
        break;
    case FieldType::AnsiString:
    case FieldType::WideString: {
        // Cells holding the very same string (a constant, or a value the
        // decoder shared) are written once and copied from there after.
        struct Seen {
            const QChar *data = nullptr;
            qsizetype size = -1;
            qsizetype at = 0;
            qsizetype length = 0;
        };
        std::array<Seen, 64> seen{};
        each([&](std::size_t r) {
            // Texts are separate heap blocks, usually allocated row by row;
            // walking a column visits them far apart, so fetch ahead, all
            // of a text that spans several cache lines.
            if (r + 32 < end) {
                const QString &ahead = col.texts[r + 32];
                const char *d = reinterpret_cast<const char *>(ahead.constData());
                __builtin_prefetch(d);
                if (ahead.size() > 24)
                    __builtin_prefetch(d + 64);
                if (ahead.size() > 56)
                    __builtin_prefetch(d + 128);
            }
            const QString &s = col.texts[r];
            Seen &e = seen[(reinterpret_cast<std::uintptr_t>(s.constData()) >> 4) % seen.size()];
            if (e.data == s.constData() && e.size == s.size()) {
                w.repeat(e.at, e.length);
                return;
            }
            e.data = s.constData();
            e.size = s.size();
            e.at = w.pos();
            w.string(s);
            e.length = w.pos() - e.at;
        });
        break;
    }
    case FieldType::Blob:
        each([&](std::size_t r) { w.bytes(col.blobs[r]); });
        break;
    }
}

void encodeColumns(Writer &w, const DataSet &table, int from, int to)
{
    const std::size_t rows = std::size_t(table.recordCount());
    for (int c = from; c < to; ++c) {
        if (c)
            w.put(',');
        w.put('[');
        encodeValues(w, *table.field(c), 0, rows);
        w.put(']');
    }
}

// Large tables are written by two threads at once: the caller takes
// columns from the front and writes them straight into the output, a helper
// from the global thread pool takes them from the back, each into a buffer
// of its own, until the two meet. The helper's buffers are then copied into
// place behind the caller's columns, half by each thread.
constexpr qsizetype kParallelCells = 200000;
std::atomic<bool> g_encodeHelperFirst{false};

// Rough size of a column's values, from two runs of rows.
qsizetype estimatedSize(const Field &f, std::size_t rows)
{
    constexpr std::size_t kRun = 256;
    QByteArray scratch;
    {
        Writer w(scratch);
        for (std::size_t from : {rows / 3, 2 * rows / 3})
            encodeValues(w, f, from, std::min(rows, from + kRun));
    }
    return qsizetype(double(scratch.size()) * double(rows) / double(2 * kRun) * 1.1) + 4096;
}

struct ParallelEncode {
    const DataSet *table = nullptr;
    std::size_t rows = 0;

    std::mutex m;
    std::condition_variable cv;
    int front = 0;     // the caller's next column
    int back = 0;      // the helper's next column, counting down
    bool finished = false;  // the caller wants no more help; late helpers do nothing
    bool helping = false;   // the helper is inside run()
    bool encoded = false;   // the helper has no more columns to write
    std::vector<QByteArray> parts;  // the helper's columns, each with its leading comma but the first
    std::exception_ptr error;
    // Copying: the helper's share, handed over by the caller.
    struct Piece {
        const char *from;
        char *to;
        qsizetype n;
    };
    std::vector<Piece> helperCopy;
    bool copyReady = false;
    bool copied = false;

    bool claim(int &c, bool fromFront)
    {
        std::lock_guard<std::mutex> l(m);
        if (front > back || (!fromFront && finished))
            return false;
        c = fromFront ? front++ : back--;
        return true;
    }

    void run()
    {
        {
            std::lock_guard<std::mutex> l(m);
            if (finished)
                return;
            helping = true;
        }
        try {
            int c;
            while (claim(c, false)) {
                QByteArray &b = parts[std::size_t(c)];
                b.reserve(estimatedSize(*table->field(c), rows));
                Writer w(b);
                // The first column too when the caller was slow to start.
                if (c)
                    w.put(',');
                w.put('[');
                encodeValues(w, *table->field(c), 0, rows);
                w.put(']');
            }
        } catch (...) {
            std::lock_guard<std::mutex> l(m);
            error = std::current_exception();
        }
        std::unique_lock<std::mutex> l(m);
        encoded = true;
        cv.notify_all();
        cv.wait(l, [&] { return copyReady || finished; });
        if (copyReady) {
            l.unlock();
            for (const Piece &p : helperCopy)
                std::memcpy(p.to, p.from, std::size_t(p.n));
            l.lock();
        }
        copied = true;
        helping = false;
        cv.notify_all();
    }
};

}  // namespace

void encodeTable(const DataSet &table, QByteArray &out)
{
    const int nc = table.fieldCount();
    {
        Writer w(out);
        w.lit("{\"columns\":[");
        for (int c = 0; c < nc; ++c) {
            const Field *f = table.field(c);
            if (c)
                w.put(',');
            w.lit("{\"name\":");
            w.string(f->fieldName());
            w.lit(",\"type\":");
            w.integer(int(f->dataType()));
            w.put('}');
        }
        w.lit("],\"data\":[");
    }
    QThreadPool *pool = QThreadPool::globalInstance();
    if (nc < 2 || qsizetype(table.recordCount()) * nc < kParallelCells || pool->maxThreadCount() < 2) {
        {
            Writer w(out);
            encodeColumns(w, table, 0, nc);
        }
        out.append("]}");
        return;
    }

    auto job = std::make_shared<ParallelEncode>();
    job->table = &table;
    job->rows = std::size_t(table.recordCount());
    job->back = nc - 1;
    job->parts.resize(std::size_t(nc));
    const bool helped = pool->tryStart([job] { job->run(); });
    if (helped && g_encodeHelperFirst.load(std::memory_order_relaxed)) {
        std::unique_lock<std::mutex> l(job->m);
        job->cv.wait(l, [&] { return job->encoded; });
    }

    // Whatever happens here, the helper must be out of the table and the
    // output before this returns.
    struct Leave {
        ParallelEncode &job;
        ~Leave()
        {
            std::unique_lock<std::mutex> l(job.m);
            job.finished = true;
            job.cv.notify_all();
            job.cv.wait(l, [&] { return !job.helping; });
        }
    } leave{*job};

    int helperFirst = nc;
    {
        Writer w(out);
        int c;
        while (job->claim(c, true)) {
            if (c)
                w.put(',');
            w.put('[');
            encodeValues(w, *table.field(c), 0, job->rows);
            w.put(']');
        }
        // All columns are taken; wait for the helper's last one. A helper
        // that has not begun yet will find nothing left to take.
        std::unique_lock<std::mutex> l(job->m);
        job->cv.wait(l, [&] { return !job->helping || job->encoded; });
        if (job->error)
            std::rethrow_exception(job->error);
        helperFirst = job->back + 1;
    }
    if (helperFirst < nc) {
        // The helper's columns go behind the caller's; each thread copies
        // about half of the bytes.
        qsizetype total = 0;
        for (int c = helperFirst; c < nc; ++c)
            total += job->parts[std::size_t(c)].size();
        const qsizetype at = out.size();
        out.resize(at + total);
        char *to = out.data() + at;
        std::vector<ParallelEncode::Piece> mine;
        qsizetype done = 0;
        for (int c = helperFirst; c < nc; ++c) {
            const QByteArray &b = job->parts[std::size_t(c)];
            qsizetype off = 0;
            while (off < b.size()) {
                const bool first = done < total / 2;
                const qsizetype n = first ? std::min(b.size() - off, total / 2 - done) : b.size() - off;
                (first ? mine : job->helperCopy).push_back({b.constData() + off, to + done, n});
                off += n;
                done += n;
            }
        }
        {
            std::unique_lock<std::mutex> l(job->m);
            if (job->helping) {
                job->copyReady = true;
                job->cv.notify_all();
            } else
                mine.insert(mine.end(), job->helperCopy.begin(), job->helperCopy.end());
        }
        for (const auto &p : mine)
            std::memcpy(p.to, p.from, std::size_t(p.n));
        std::unique_lock<std::mutex> l(job->m);
        job->cv.wait(l, [&] { return !job->helping; });
    }
    out.append("]}");
}

void setEncodeHelperFirstForTesting(bool on)
{
    g_encodeHelperFirst = on;
}

QByteArray encodeTable(const DataSet &table)
{
    QByteArray out;
    out.reserve(qsizetype(table.recordCount()) * table.fieldCount() * 12 + 256);
    encodeTable(table, out);
    return out;
}

// ---------------------------------------------------------------------------
// Decoding

namespace {

constexpr int kMaxDepth = 256;

[[noreturn]] void fail(std::string_view what, const char *at, const char *begin)
{
    throw TableFormatError("tablo çözülemedi: " + std::string(what) + " (bayt " + std::to_string(at - begin) + ")");
}

inline bool isBlank(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

class Reader {
public:
    Reader(const char *begin, const char *end) : m_begin(begin), p(begin), m_end(end) {}

    [[noreturn]] void error(std::string_view what) const { fail(what, p, m_begin); }

    void blanks()
    {
        while (p < m_end && isBlank(*p))
            ++p;
    }
    char peek()
    {
        blanks();
        if (p >= m_end)
            error("beklenmeyen son");
        return *p;
    }
    void expect(char c)
    {
        if (peek() != c)
            error(std::string(1, c) + " bekleniyordu");
        ++p;
    }
    // After an element: true when another one follows, false at `close`.
    bool more(char close)
    {
        const char c = peek();
        ++p;
        if (c == ',')
            return true;
        if (c == close)
            return false;
        error("',' ya da kapanış bekleniyordu");
    }
    bool literal(const char *word, std::size_t n)
    {
        if (std::size_t(m_end - p) >= n && std::memcmp(p, word, n) == 0) {
            p += n;
            return true;
        }
        return false;
    }
    bool null()
    {
        return peek() == 'n' && literal("null", 4);
    }

    // A JSON string as a QString. Fast path: no escapes. `maker`, when
    // given, packs the texts of a column together and shares repeated ones.
    QString string(TextMaker *maker = nullptr)
    {
        expect('"');
        const char *s = p;
        unsigned high = 0;
#ifdef __SSE2__
        // Sixteen bytes at a time up to the first quote, backslash or
        // control character, noting bytes above 0x7F on the way.
        const __m128i quote = _mm_set1_epi8('"'), slash = _mm_set1_epi8('\\'), ctl = _mm_set1_epi8(0x1F);
        while (m_end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            const __m128i stop = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, slash)),
                                              _mm_cmpeq_epi8(_mm_max_epu8(v, ctl), ctl));
            const unsigned bits = unsigned(_mm_movemask_epi8(stop));
            const unsigned hi = unsigned(_mm_movemask_epi8(v));
            if (bits) {
                const unsigned k = unsigned(__builtin_ctz(bits));
                high |= hi & ((1u << k) - 1);
                p += k;
                break;
            }
            high |= hi;
            p += 16;
        }
#endif
        while (p < m_end) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (c == '"') {
                const qsizetype n = p - s;
                ++p;
                return maker ? maker->get(s, n, high == 0, m_end) : makeString(s, n, high == 0);
            }
            if (c == '\\')
                return escapedString(s);
            if (c < 0x20)
                error("metinde denetim karakteri");
            high |= c & 0x80;
            ++p;
        }
        error("kapanmamış metin");
    }

    // A string key compared without building a QString.
    // A string without escapes or control characters as its bytes, or
    // nothing (and nothing read) for any other value.
    std::optional<std::string_view> plainString()
    {
        if (peek() != '"')
            return std::nullopt;
        for (const char *q = p + 1; q < m_end; ++q) {
            if (*q == '"') {
                std::string_view s(p + 1, std::size_t(q - p - 1));
                p = q + 1;
                return s;
            }
            if (*q == '\\' || static_cast<unsigned char>(*q) < 0x20)
                return std::nullopt;
        }
        return std::nullopt;
    }

    std::string_view key()
    {
        expect('"');
        const char *s = p;
        while (p < m_end && *p != '"') {
            if (*p == '\\') {  // our keys never need escapes; decode the general case anyway
                m_scratch = escapedString(s).toStdString();
                expect(':');
                return m_scratch;
            }
            ++p;
        }
        if (p >= m_end)
            error("kapanmamış metin");
        std::string_view k(s, std::size_t(p - s));
        ++p;
        expect(':');
        return k;
    }

    // Numbers. Integers are read exactly; a fraction or exponent in an
    // integer column is cut to its integer part.
    qint64 integer()
    {
        blanks();
        qint64 v = 0;
        auto r = std::from_chars(p, m_end, v);
        if (r.ec == std::errc() && (r.ptr >= m_end || (*r.ptr != '.' && *r.ptr != 'e' && *r.ptr != 'E'))) {
            p = r.ptr;
            return v;
        }
        const double d = real();
        if (!std::isfinite(d) || d < -9.2233720368547758e18 || d >= 9.2233720368547758e18)
            error("tamsayı sınır dışında");
        return qint64(d);
    }
    double real()
    {
        blanks();
        // Plain decimals with at most 15 significant digits and no exponent
        // are exact as mantissa / 10^k, which IEEE division rounds correctly;
        // everything else goes to the general parser.
        static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11,
                                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        const char *q = p;
        const bool neg = q < m_end && *q == '-';
        q += neg;
        std::uint64_t m = 0;
        int digits = 0, frac = 0;
        const char *d0 = q;
        while (q < m_end && unsigned(*q - '0') < 10) {
            m = m * 10 + unsigned(*q++ - '0');
            digits += (m != 0);
        }
        bool simple = q > d0;
        if (simple && q < m_end && *q == '.') {
            const char *f0 = ++q;
            while (q < m_end && unsigned(*q - '0') < 10) {
                m = m * 10 + unsigned(*q++ - '0');
                digits += (m != 0);
                ++frac;
            }
            simple = q > f0;
        }
        if (simple && digits <= 15 && frac <= 22 && (q >= m_end || (*q != 'e' && *q != 'E'))) {
            p = q;
            const double v = double(m) / kPow10[frac];
            return neg ? -v : v;
        }
        double v = 0;
        const char *s = p;
        if (s < m_end && *s == '+')
            error("sayı bekleniyordu");
        auto r = std::from_chars(s, m_end, v);
        if (r.ec == std::errc::result_out_of_range)
            error("sayı sınır dışında");
        if (r.ec != std::errc() || !std::isfinite(v))
            error("sayı bekleniyordu");
        p = r.ptr;
        return v;
    }

    const char *pos() const { return p; }
    void seek(const char *to) { p = to; }
    const char *end() const { return m_end; }
    const char *begin() const { return m_begin; }

private:
    QString escapedString(const char *s)
    {
        std::string &buf = m_unescaped;
        buf.assign(s, std::size_t(p - s));
        while (p < m_end) {
            const char c = *p++;
            if (c == '"')
                return QString::fromUtf8(buf.data(), qsizetype(buf.size()));
            if (static_cast<unsigned char>(c) < 0x20)
                error("metinde denetim karakteri");
            if (c != '\\') {
                buf.push_back(c);
                continue;
            }
            if (p >= m_end)
                break;
            switch (*p++) {
            case '"': buf.push_back('"'); break;
            case '\\': buf.push_back('\\'); break;
            case '/': buf.push_back('/'); break;
            case 'b': buf.push_back('\b'); break;
            case 'f': buf.push_back('\f'); break;
            case 'n': buf.push_back('\n'); break;
            case 'r': buf.push_back('\r'); break;
            case 't': buf.push_back('\t'); break;
            case 'u': {
                char32_t cp = hex4();
                if (cp >= 0xD800 && cp < 0xDC00 && m_end - p >= 6 && p[0] == '\\' && p[1] == 'u') {
                    p += 2;
                    const char32_t lo = hex4();
                    if (lo >= 0xDC00 && lo < 0xE000)
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                    else {
                        appendUtf8(buf, 0xFFFD);
                        cp = lo;
                    }
                }
                if (cp >= 0xD800 && cp < 0xE000)
                    cp = 0xFFFD;
                appendUtf8(buf, cp);
                break;
            }
            default:
                --p;
                error("geçersiz kaçış dizisi");
            }
        }
        error("kapanmamış metin");
    }
    char32_t hex4()
    {
        if (m_end - p < 4)
            error("kısa \\u dizisi");
        char32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = *p++;
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= char32_t(c - '0');
            else if (c >= 'a' && c <= 'f')
                v |= char32_t(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                v |= char32_t(c - 'A' + 10);
            else
                error("geçersiz \\u dizisi");
        }
        return v;
    }
    static void appendUtf8(std::string &b, char32_t cp)
    {
        if (cp < 0x80)
            b.push_back(char(cp));
        else if (cp < 0x800) {
            b.push_back(char(0xC0 | (cp >> 6)));
            b.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            b.push_back(char(0xE0 | (cp >> 12)));
            b.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            b.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            b.push_back(char(0xF0 | (cp >> 18)));
            b.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            b.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            b.push_back(char(0x80 | (cp & 0x3F)));
        }
    }

    const char *m_begin;
    const char *p;
    const char *m_end;
    std::string m_unescaped;
    std::string m_scratch;
};

FieldType typeFromCodeOrName(Reader &in)
{
    if (in.peek() == '"') {
        const QString name = in.string();
        for (int c = int(FieldType::Int32); c <= int(FieldType::Blob); ++c)
            if (fieldTypeName(FieldType(c)) == name)
                return FieldType(c);
        in.error("bilinmeyen sütun tipi");
    }
    const qint64 code = in.integer();
    if (!isValidFieldType(int(code)) || code != qint64(int(code)))
        in.error("bilinmeyen sütun tipi kodu");
    return FieldType(code);
}

// Column names repeat call after call: each thread makes each name once.
QString columnName(std::string_view bytes)
{
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    thread_local std::unordered_map<std::string, QString, Hash, std::equal_to<>> names;
    if (const auto it = names.find(bytes); it != names.end())
        return it->second;
    if (names.size() >= 4096)
        names.clear();
    QString name = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    names.emplace(std::string(bytes), name);
    return name;
}

QList<FieldDef> readColumns(Reader &in)
{
    QList<FieldDef> defs;
    in.expect('[');
    if (in.peek() == ']') {
        in.seek(in.pos() + 1);
        return defs;
    }
    do {
        in.expect('{');
        FieldDef d{QString(), FieldType::WideString, 0};
        bool typed = false;
        if (in.peek() != '}') {
            do {
                const std::string_view k = in.key();
                if (k == "name") {
                    const std::optional<std::string_view> plain = in.plainString();
                    d.name = plain ? columnName(*plain) : in.string();
                }
                else if (k == "type") {
                    d.type = typeFromCodeOrName(in);
                    typed = true;
                } else if (k == "size")
                    d.size = int(in.integer());
                else
                    in.seek(skipJsonValue(in.pos(), in.end()));
            } while (in.more('}'));
        } else
            in.seek(in.pos() + 1);
        if (d.name.isEmpty())
            in.error("adı olmayan sütun");
        if (!typed)
            in.error("tipi olmayan sütun");
        defs.append(d);
    } while (in.more(']'));
    return defs;
}

void markNull(Column &c, std::size_t row)
{
    if (c.nulls.size() <= row)
        c.nulls.resize(row + 1, false);
    c.nulls[row] = true;
}

// Reads one value of a column at `row` (the vectors already have room for it).
inline void readCell(Reader &in, FieldType t, Column &col, std::size_t row, TextMaker *cache = nullptr)
{
    const char c = in.peek();
    if (c == 'n') {
        if (!in.literal("null", 4))
            in.error("geçersiz değer");
        markNull(col, row);
        return;
    }
    switch (t) {
    case FieldType::Int32:
    case FieldType::Int64:
    case FieldType::Boolean:
        if (c == 't' && in.literal("true", 4))
            col.ints[row] = 1;
        else if (c == 'f' && in.literal("false", 5))
            col.ints[row] = 0;
        else if (c == '"')
            col.ints[row] = in.string().toLongLong();
        else if (c == '-' || (c >= '0' && c <= '9'))
            col.ints[row] = in.integer();
        else
            in.error("tamsayı sütununda uygunsuz değer");
        break;
    case FieldType::Float:
    case FieldType::Currency:
    case FieldType::Date:
    case FieldType::DateTime:
        if (c == '-' || (c >= '0' && c <= '9'))
            col.reals[row] = in.real();
        else if (c == '"') {
            const QString s = in.string();
            if (t == FieldType::Date || t == FieldType::DateTime) {
                const QDateTime dt = QDateTime::fromString(s, Qt::ISODateWithMs);
                const QDate d = dt.isValid() ? QDate() : QDate::fromString(s, Qt::ISODate);
                if (!dt.isValid() && !d.isValid())
                    in.error("tarih sütununda okunamayan metin");
                col.reals[row] = dt.isValid() ? dateTimeToSerial(dt) : dateToSerial(d);
            } else {
                bool ok = false;
                col.reals[row] = s.toDouble(&ok);
                if (!ok)
                    in.error("sayı sütununda okunamayan metin");
            }
        } else
            in.error("sayı sütununda uygunsuz değer");
        break;
    case FieldType::AnsiString:
    case FieldType::WideString:
        if (c == '"')
            col.texts[row] = in.string(cache);
        else if (c == '-' || (c >= '0' && c <= '9')) {
            const char *s = in.pos();
            in.real();
            col.texts[row] = QString::fromLatin1(s, in.pos() - s);
        } else
            in.error("metin sütununda uygunsuz değer");
        break;
    case FieldType::Blob:
        if (c != '"')
            in.error("blob sütununda uygunsuz değer");
        col.blobs[row] = QByteArray::fromBase64(in.string().toLatin1());
        break;
    }
}

void growColumn(Column &c, FieldType t, std::size_t n)
{
    if (isIntegerType(t))
        c.ints.resize(n);
    else if (isFloatingType(t))
        c.reals.resize(n);
    else if (isStringType(t))
        c.texts.resize(n);
    else
        c.blobs.resize(n);
}


// One column's array of values, with the loop specialised per kind of value.
// `rows` is the length every column after the first must have; the first
// column (known == false) sets it.
template <class Vec, class One>
std::size_t readValues(Reader &in, Vec &vec, Column &col, std::size_t rows, bool known, One one)
{
    in.expect('[');
    if (in.peek() == ']') {
        in.seek(in.pos() + 1);
        return 0;
    }
    // Cells are appended rather than the vector sized first: the memory
    // is then written once, not zeroed and written again.
    vec.clear();
    if (known)
        vec.reserve(rows);
    std::size_t r = 0;
    for (;;) {
        if (known && r >= rows)
            in.error("sütunların uzunlukları farklı");
        const char c = in.peek();
        vec.emplace_back();
        if (c == 'n') {
            if (!in.literal("null", 4))
                in.error("geçersiz değer");
            markNull(col, r);
        } else
            one(c, vec.back());
        ++r;
        if (!in.more(']'))
            break;
    }
    return r;
}

std::size_t readColumn(Reader &in, Field &f, std::size_t rows, bool known, TextMaker &texts)
{
    Column &col = f.column();
    const FieldType t = f.dataType();
    switch (t) {
    case FieldType::Int32:
    case FieldType::Int64:
    case FieldType::Boolean:
        return readValues(in, col.ints, col, rows, known, [&](char c, qint64 &v) {
            if (c == '-' || (c >= '0' && c <= '9'))
                v = in.integer();
            else if (c == 't' && in.literal("true", 4))
                v = 1;
            else if (c == 'f' && in.literal("false", 5))
                v = 0;
            else if (c == '"')
                v = in.string().toLongLong();
            else
                in.error("tamsayı sütununda uygunsuz değer");
        });
    case FieldType::Float:
    case FieldType::Currency:
    case FieldType::Date:
    case FieldType::DateTime:
        return readValues(in, col.reals, col, rows, known, [&](char c, double &v) {
            if (c == '-' || (c >= '0' && c <= '9'))
                v = in.real();
            else {
                const std::size_t row = 0;
                Column scratch;
                scratch.reals.resize(1);
                readCell(in, t, scratch, row);
                v = scratch.reals[0];
            }
        });
    case FieldType::AnsiString:
    case FieldType::WideString: {
        texts.startColumn();
        return readValues(in, col.texts, col, rows, known, [&](char c, QString &v) {
            if (c == '"')
                v = in.string(&texts);
            else {
                Column scratch;
                scratch.texts.resize(1);
                readCell(in, t, scratch, 0);
                v = scratch.texts[0];
            }
        });
    }
    case FieldType::Blob:
        return readValues(in, col.blobs, col, rows, known, [&](char c, QByteArray &v) {
            if (c != '"')
                in.error("blob sütununda uygunsuz değer");
            v = QByteArray::fromBase64(in.string().toLatin1());
        });
    }
    in.error("bilinmeyen sütun tipi");
}

bool readDataInParallel(Reader &in, DataSet &into, std::size_t &rows);

// "data": one array per column. The first column sets the row count.
std::size_t readData(Reader &in, DataSet &into)
{
    std::size_t parallelRows = 0;
    if (readDataInParallel(in, into, parallelRows))
        return parallelRows;
    const int nc = into.fieldCount();
    std::size_t rows = 0;
    in.expect('[');
    int c = 0;
    TextMaker texts;
    if (in.peek() == ']')
        in.seek(in.pos() + 1);
    else {
        do {
            if (c >= nc)
                in.error("sütun sayısından fazla değer dizisi");
            const std::size_t n = readColumn(in, *into.field(c), rows, c > 0, texts);
            if (c == 0)
                rows = n;
            else if (n != rows)
                in.error("sütunların uzunlukları farklı");
            ++c;
        } while (in.more(']'));
    }
    if (c != nc && !(c == 0 && rows == 0))
        in.error("sütun sayısı ile değer dizileri farklı");
    if (rows > std::size_t(std::numeric_limits<int>::max()))
        in.error("çok fazla satır");
    return rows;
}

// ---------------------------------------------------------------------------
// Large tables: columns decoded side by side.
//
// One quick pass over the bytes finds where each column's value array ends
// and how many values it holds, without reading them; each column is then
// read on its own by whichever thread is free (the caller and a helper from
// the global thread pool), straight into its vectors, which are sized up
// front. The pass is conservative: anything it does not expect (nested
// values, ragged columns, bytes ending early) hands the whole "data" array
// to the careful reader above, which reports the fault exactly as it always
// has.

// Where one column's value array lies.
struct ColumnSpan {
    const char *begin = nullptr;  // at its '['
    const char *end = nullptr;    // just past its ']'
    std::size_t count = 0;        // values in it
};

// What the scan needs to know of 64 bytes, one bit per byte.
struct ScanMasks {
    std::uint64_t quote = 0, backslash = 0, comma = 0, bracket = 0;  // bracket: any of [ ] { }
};

#ifdef __SSE2__
inline ScanMasks scanMasks(const char *q)
{
    ScanMasks m;
    const __m128i quote = _mm_set1_epi8('"'), backslash = _mm_set1_epi8('\\'), comma = _mm_set1_epi8(',');
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(q + 16 * i));
        const unsigned shift = 16 * unsigned(i);
        m.quote |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, quote)))) << shift;
        m.backslash |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, backslash)))) << shift;
        m.comma |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, comma)))) << shift;
        // '[' and ']' with bit 0x20 set are '{' and '}'; no other byte is.
        const __m128i folded = _mm_or_si128(v, _mm_set1_epi8(0x20));
        const __m128i br = _mm_or_si128(_mm_cmpeq_epi8(folded, _mm_set1_epi8('{')), _mm_cmpeq_epi8(folded, _mm_set1_epi8('}')));
        m.bracket |= std::uint64_t(unsigned(_mm_movemask_epi8(br))) << shift;
    }
    return m;
}

#if defined(__x86_64__) || defined(__i386__)
#define VARO_SCAN_AVX2 1
__attribute__((target("avx2"))) inline std::uint64_t maskBits(__m256i x)
{
    return std::uint64_t(std::uint32_t(_mm256_movemask_epi8(x)));
}

// The same from two 32-byte loads, where the processor has AVX2.
__attribute__((target("avx2"))) inline ScanMasks scanMasksAvx2(const char *q)
{
    ScanMasks m;
    const __m256i quote = _mm256_set1_epi8('"'), backslash = _mm256_set1_epi8('\\'), comma = _mm256_set1_epi8(',');
    for (int i = 0; i < 2; ++i) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(q + 32 * i));
        const unsigned shift = 32 * unsigned(i);
        m.quote |= maskBits(_mm256_cmpeq_epi8(v, quote)) << shift;
        m.backslash |= maskBits(_mm256_cmpeq_epi8(v, backslash)) << shift;
        m.comma |= maskBits(_mm256_cmpeq_epi8(v, comma)) << shift;
        const __m256i folded = _mm256_or_si256(v, _mm256_set1_epi8(0x20));
        m.bracket |= maskBits(_mm256_or_si256(_mm256_cmpeq_epi8(folded, _mm256_set1_epi8('{')),
                                          _mm256_cmpeq_epi8(folded, _mm256_set1_epi8('}'))))
            << shift;
    }
    return m;
}
#endif

// Bit i set when an odd number of the bits 0..i are set: which bytes lie
// between an opening quote and its closing one.
inline std::uint64_t prefixXor(std::uint64_t x)
{
    x ^= x << 1;
    x ^= x << 2;
    x ^= x << 4;
    x ^= x << 8;
    x ^= x << 16;
    x ^= x << 32;
    return x;
}
#endif

// `p` is at a '['. Counts the commas outside strings up to the matching ']'.
template <ScanMasks (*Classify)(const char *)>
__attribute__((always_inline)) inline bool scanColumnWith(const char *p, const char *end, ColumnSpan &span)
{
    span.begin = p;
    const char *q = skipJsonBlanks(p + 1, end);
    if (q < end && *q == ']') {
        span.end = q + 1;
        span.count = 0;
        return true;
    }
    std::size_t commas = 0;
    bool inString = false;
    // Byte by byte up to `limit`: 1 at the closing ']', -1 at anything a
    // column of plain values cannot hold, 0 at the limit.
    auto slow = [&](const char *limit) -> int {
        while (q < limit) {
            const char c = *q++;
            if (inString) {
                if (c == '\\') {
                    if (q < end)
                        ++q;
                } else if (c == '"')
                    inString = false;
            } else if (c == '"')
                inString = true;
            else if (c == ',')
                ++commas;
            else if (c == ']')
                return 1;
            else if (c == '[' || c == '{' || c == '}')
                return -1;
        }
        return 0;
    };
#ifdef __SSE2__
    // 64 bytes at a time; a stretch with a backslash goes byte by byte, as
    // escapes make quotes ambiguous.
    while (end - q >= 64) {
        const ScanMasks m = Classify(q);
        if (m.backslash) {
            const int r = slow(q + 64);
            if (r < 0)
                return false;
            if (r > 0)
                goto found;
            continue;
        }
        const std::uint64_t inside = prefixXor(m.quote) ^ (inString ? ~std::uint64_t(0) : 0);
        inString = (inside >> 63) != 0;
        const std::uint64_t outside = ~inside;
        const std::uint64_t comma = m.comma & outside;
        const std::uint64_t stop = m.bracket & outside;
        if (stop) {
            const int k = __builtin_ctzll(stop);
            if (q[k] != ']')
                return false;
            commas += std::size_t(bitCount(comma & ((std::uint64_t(1) << k) - 1)));
            q += k + 1;
            goto found;
        }
        commas += std::size_t(bitCount(comma));
        q += 64;
    }
#endif
    if (slow(end) <= 0)
        return false;
found:
    span.end = q;
    span.count = commas + 1;
    return true;
}

#ifdef __SSE2__
bool scanColumnSse2(const char *p, const char *end, ColumnSpan &span)
{
    return scanColumnWith<scanMasks>(p, end, span);
}
#ifdef VARO_SCAN_AVX2
__attribute__((target("avx2"))) bool scanColumnAvx2(const char *p, const char *end, ColumnSpan &span)
{
    return scanColumnWith<scanMasksAvx2>(p, end, span);
}
#endif

using ColumnScanner = bool (*)(const char *, const char *, ColumnSpan &);
const ColumnScanner scanColumn = [] {
#ifdef VARO_SCAN_AVX2
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        return &scanColumnAvx2;
#endif
    return &scanColumnSse2;
}();
#else
ScanMasks noMasks(const char *) { return {}; }  // unused: the loop over blocks is left out
bool scanColumn(const char *p, const char *end, ColumnSpan &span)
{
    return scanColumnWith<noMasks>(p, end, span);
}
#endif

struct ParallelDecode {
    const char *docBegin = nullptr;
    DataSet *into = nullptr;
    std::vector<ColumnSpan> spans;  // spans[i] is final once published > i

    std::mutex m;
    std::condition_variable cv;
    int published = 0;
    bool scanOver = false;  // nothing more will be published
    bool finished = false;  // the caller has left; late helpers do nothing
    int helpers = 0;        // helpers inside work()
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    std::vector<std::exception_ptr> errors;  // by column

    void publish(const ColumnSpan &s)
    {
        {
            std::lock_guard<std::mutex> l(m);
            spans[std::size_t(published)] = s;
            ++published;
        }
        cv.notify_all();
    }
    void endScan()
    {
        {
            std::lock_guard<std::mutex> l(m);
            scanOver = true;
        }
        cv.notify_all();
    }

    // Takes columns until none is left.
    void work()
    {
        const int nc = int(spans.size());
        TextMaker texts;
        while (!failed.load(std::memory_order_relaxed)) {
            const int i = next.fetch_add(1);
            if (i >= nc)
                return;
            ColumnSpan s;
            {
                std::unique_lock<std::mutex> l(m);
                cv.wait(l, [&] { return published > i || scanOver; });
                if (published <= i)
                    return;
                s = spans[std::size_t(i)];
            }
            try {
                Reader in(docBegin, s.end);
                in.seek(s.begin);
                if (readColumn(in, *into->field(i), s.count, true, texts) != s.count || in.pos() != s.end)
                    in.error("sütunların uzunlukları farklı");
            } catch (...) {
                errors[std::size_t(i)] = std::current_exception();
                failed = true;
            }
        }
    }

    void helperRun()
    {
        {
            std::lock_guard<std::mutex> l(m);
            if (finished)
                return;
            ++helpers;
        }
        work();
        {
            std::lock_guard<std::mutex> l(m);
            --helpers;
        }
        cv.notify_all();
    }

    // The caller's part once the scan is over: work, then wait for helpers
    // still busy. Helpers that have not begun yet will find `finished`.
    void finish()
    {
        work();
        std::unique_lock<std::mutex> l(m);
        finished = true;
        cv.wait(l, [&] { return helpers == 0; });
    }
};

constexpr qsizetype kParallelBytes = qsizetype(1) << 20;

// "data" of a large table. Returns false, with the columns empty again and
// `in` where it was, when the careful reader must do it instead.
bool readDataInParallel(Reader &in, DataSet &into, std::size_t &rows)
{
    const int nc = into.fieldCount();
    QThreadPool *pool = QThreadPool::globalInstance();
    if (nc < 2 || in.end() - in.pos() < kParallelBytes || pool->maxThreadCount() < 2)
        return false;
    const char *const start = in.pos();

    auto job = std::make_shared<ParallelDecode>();
    job->docBegin = in.begin();
    job->into = &into;
    job->spans.resize(std::size_t(nc));
    job->errors.resize(std::size_t(nc));
    // One helper is enough on the machines this runs on; the caller is the other.
    const int helpers = std::min(nc - 1, std::max(1, pool->maxThreadCount() - 1));
    for (int h = 0; h < helpers; ++h)
        if (!pool->tryStart([job] { job->helperRun(); }))
            break;

    bool plain = true;  // the scan found nothing unexpected
    try {
        const char *q = skipJsonBlanks(start, in.end());
        if (q >= in.end() || *q != '[')
            plain = false;
        else
            q = skipJsonBlanks(q + 1, in.end());
        for (int c = 0; plain && c < nc; ++c) {
            ColumnSpan s;
            if (q >= in.end() || *q != '[' || !scanColumn(q, in.end(), s) || (c > 0 && s.count != job->spans[0].count)) {
                plain = false;
                break;
            }
            job->publish(s);
            q = skipJsonBlanks(s.end, in.end());
            if (q < in.end() && *q == (c + 1 < nc ? ',' : ']'))
                q = skipJsonBlanks(q + 1, in.end());
            else
                plain = false;
        }
        if (plain)
            in.seek(q);
    } catch (...) {
        plain = false;
    }
    job->endScan();
    job->finish();

    if (!plain) {
        for (int c = 0; c < nc; ++c)
            into.field(c)->column().clear();
        in.seek(start);
        return false;
    }
    for (const auto &e : job->errors)
        if (e)
            std::rethrow_exception(e);
    rows = job->spans[0].count;
    if (rows > std::size_t(std::numeric_limits<int>::max()))
        in.error("çok fazla satır");
    return true;
}

// The older form: one array per row.
std::size_t readRows(Reader &in, DataSet &into)
{
    const int nc = into.fieldCount();
    std::size_t rows = 0;
    in.expect('[');
    if (in.peek() == ']') {
        in.seek(in.pos() + 1);
        return 0;
    }
    do {
        for (int c = 0; c < nc; ++c)
            growColumn(into.field(c)->column(), into.field(c)->dataType(), rows + 1);
        in.expect('[');
        int c = 0;
        if (in.peek() == ']')
            in.seek(in.pos() + 1);
        else {
            do {
                if (c >= nc)
                    in.error("satır sütunlardan uzun");
                readCell(in, into.field(c)->dataType(), into.field(c)->column(), rows);
                ++c;
            } while (in.more(']'));
        }
        if (c != nc)
            in.error("satır sütunlardan kısa");
        ++rows;
    } while (in.more(']'));
    return rows;
}

}  // namespace

const char *skipJsonBlanks(const char *p, const char *end)
{
    while (p < end && isBlank(*p))
        ++p;
    return p;
}

const char *skipJsonValue(const char *p, const char *end)
{
    const char *const begin = p;
    // Nesting tracked in a small stack of closers instead of recursion.
    char stack[kMaxDepth];
    int depth = 0;
    auto scalar = [&](const char *q) -> const char * {
        if (q >= end)
            fail("beklenmeyen son", q, begin);
        const char c = *q;
        if (c == '"') {
            ++q;
            while (q < end && *q != '"') {
                if (static_cast<unsigned char>(*q) < 0x20)
                    fail("metinde denetim karakteri", q, begin);
                q += (*q == '\\') ? 2 : 1;
            }
            if (q >= end)
                fail("kapanmamış metin", q, begin);
            return q + 1;
        }
        auto word = [&](const char *w, std::size_t n) {
            if (std::size_t(end - q) < n || std::memcmp(q, w, n) != 0)
                fail("geçersiz değer", q, begin);
            return q + n;
        };
        if (c == 't')
            return word("true", 4);
        if (c == 'f')
            return word("false", 5);
        if (c == 'n')
            return word("null", 4);
        if (c == '-' || (c >= '0' && c <= '9')) {
            double v;
            auto r = std::from_chars(q, end, v);
            if (r.ec == std::errc::invalid_argument)
                fail("geçersiz sayı", q, begin);
            return r.ptr;
        }
        fail("geçersiz değer", q, begin);
    };
    // An object member's key and colon, up to its value.
    auto keyAndColon = [&](const char *q) {
        if (q >= end || *q != '"')
            fail("anahtar bekleniyordu", q, begin);
        q = skipJsonBlanks(scalar(q), end);
        if (q >= end || *q != ':')
            fail("':' bekleniyordu", q, begin);
        return skipJsonBlanks(q + 1, end);
    };
    p = skipJsonBlanks(p, end);
    for (;;) {
        if (p >= end)
            fail("beklenmeyen son", p, begin);
        const char c = *p;
        if (c == '[' || c == '{') {
            if (depth == kMaxDepth)
                fail("iç içe geçme çok derin", p, begin);
            stack[depth++] = c == '[' ? ']' : '}';
            p = skipJsonBlanks(p + 1, end);
            if (p < end && *p == stack[depth - 1]) {
                --depth;
                ++p;
            } else {
                if (c == '{')
                    p = keyAndColon(p);
                continue;
            }
        } else
            p = scalar(p);
        // After a value: close as many containers as end here.
        for (;;) {
            if (depth == 0)
                return p;
            p = skipJsonBlanks(p, end);
            if (p >= end)
                fail("beklenmeyen son", p, begin);
            if (*p == stack[depth - 1]) {
                --depth;
                ++p;
                continue;
            }
            if (*p != ',')
                fail("',' ya da kapanış bekleniyordu", p, begin);
            p = skipJsonBlanks(p + 1, end);
            if (stack[depth - 1] == '}')
                p = keyAndColon(p);
            break;
        }
    }
}

std::vector<std::pair<QString, QByteArrayView>> jsonObjectMembers(QByteArrayView json)
{
    std::vector<std::pair<QString, QByteArrayView>> out;
    Reader in(json.data(), json.data() + json.size());
    in.expect('{');
    if (in.peek() == '}')
        in.seek(in.pos() + 1);
    else {
        do {
            const QString key = in.string();
            in.expect(':');
            const char *b = skipJsonBlanks(in.pos(), in.end());
            const char *e = skipJsonValue(b, in.end());
            out.emplace_back(key, QByteArrayView(b, e - b));
            in.seek(e);
        } while (in.more('}'));
    }
    in.blanks();
    if (in.pos() != in.end())
        in.error("nesneden sonra fazla bayt");
    return out;
}

std::vector<QByteArrayView> jsonArrayElements(QByteArrayView json)
{
    std::vector<QByteArrayView> out;
    Reader in(json.data(), json.data() + json.size());
    in.expect('[');
    if (in.peek() == ']')
        in.seek(in.pos() + 1);
    else {
        do {
            const char *b = skipJsonBlanks(in.pos(), in.end());
            const char *e = skipJsonValue(b, in.end());
            out.emplace_back(b, e - b);
            in.seek(e);
        } while (in.more(']'));
    }
    in.blanks();
    if (in.pos() != in.end())
        in.error("diziden sonra fazla bayt");
    return out;
}

QJsonValue parseJsonValue(QByteArrayView json)
{
    QByteArray wrapped;
    wrapped.reserve(json.size() + 2);
    wrapped.append('[').append(json).append(']');
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(wrapped, &pe);
    if (pe.error != QJsonParseError::NoError || doc.array().size() != 1)
        throw TableFormatError("geçersiz JSON değeri: " + pe.errorString().toStdString());
    return doc.array().at(0);
}

void decodeTable(QByteArrayView json, DataSet &into)
{
    Reader in(json.data(), json.data() + json.size());
    into.disableControls();
    try {
        in.expect('{');
        const char *dataAt = nullptr;
        const char *rowsAt = nullptr;
        bool haveColumns = false;
        std::size_t rows = 0;
        bool loaded = false;
        if (in.peek() == '}')
            in.seek(in.pos() + 1);
        else {
            do {
                const std::string_view k = in.key();
                if (k == "columns") {
                    if (haveColumns)
                        in.error("iki kez \"columns\"");
                    into.setFieldDefs(readColumns(in));
                    haveColumns = true;
                } else if (k == "data" || k == "rows") {
                    if (loaded || dataAt || rowsAt)
                        in.error("iki kez veri");
                    if (haveColumns) {
                        rows = k == "data" ? readData(in, into) : readRows(in, into);
                        loaded = true;
                    } else {
                        // Values before their header: come back once the header is read.
                        (k == "data" ? dataAt : rowsAt) = in.pos();
                        in.seek(skipJsonValue(in.pos(), in.end()));
                    }
                } else
                    in.seek(skipJsonValue(in.pos(), in.end()));
            } while (in.more('}'));
        }
        in.blanks();
        if (in.pos() != in.end())
            in.error("tablodan sonra fazla bayt");
        if (!haveColumns)
            in.error("\"columns\" yok");
        if (dataAt || rowsAt) {
            in.seek(dataAt ? dataAt : rowsAt);
            rows = dataAt ? readData(in, into) : readRows(in, into);
        }
        into.commitBulkLoad(int(rows));
    } catch (...) {
        into.setFieldDefs({});
        into.enableControls();
        throw;
    }
    into.enableControls();
}

}  // namespace varo
