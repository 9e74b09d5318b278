#pragma once

// UTF-8 to QString for many small texts at once: the table decoder's cells and
// the order server's rows.

#include <QString>

#include <array>
#include <cstdint>
#include <cstring>
#include <new>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace varo {

inline QString makeString(const char *s, qsizetype n, bool ascii)
{
    return ascii ? QString::fromLatin1(s, n) : QString::fromUtf8(s, n);
}

// Plain ASCII bytes to UTF-16 units.
inline void widenAscii(const char *s, qsizetype n, char16_t *out)
{
    qsizetype i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i + 8), _mm_unpackhi_epi8(v, zero));
    }
    if (i + 8 <= n) {
        const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(s + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_unpacklo_epi8(v, zero));
        i += 8;
    }
#endif
    for (; i < n; ++i)
        out[i] = char16_t(static_cast<unsigned char>(s[i]));
}

// UTF-8 bytes to UTF-16 units; returns the number of units, never more than
// `n`. Anything that is not well-formed UTF-8 (stray continuation bytes,
// overlong forms, surrogates, values past U+10FFFF, a sequence cut short)
// becomes U+FFFD, one per offending byte.
inline qsizetype decodeUtf8(const char *s, qsizetype n, char16_t *out)
{
    const auto *b = reinterpret_cast<const unsigned char *>(s);
    qsizetype i = 0, o = 0;
    while (i < n) {
        // Runs of plain ASCII eight bytes at a time.
        while (n - i >= 8) {
            std::uint64_t w;
            std::memcpy(&w, b + i, 8);
            if (w & 0x8080808080808080ULL)
                break;
            for (int k = 0; k < 8; ++k)
                out[o + k] = char16_t(b[i + k]);
            i += 8;
            o += 8;
        }
        if (i >= n)
            break;
        const unsigned c = b[i];
        if (c < 0x80) {
            out[o++] = char16_t(c);
            ++i;
            continue;
        }
        auto cont = [&](qsizetype at) { return at < n && (b[at] & 0xC0) == 0x80; };
        if (c >= 0xC2 && c < 0xE0 && cont(i + 1)) {
            out[o++] = char16_t(((c & 0x1F) << 6) | (b[i + 1] & 0x3F));
            i += 2;
        } else if (c >= 0xE0 && c < 0xF0 && cont(i + 1) && cont(i + 2)) {
            const unsigned cp = ((c & 0x0F) << 12) | ((b[i + 1] & 0x3Fu) << 6) | (b[i + 2] & 0x3Fu);
            if (cp < 0x800 || (cp >= 0xD800 && cp < 0xE000)) {
                out[o++] = 0xFFFD;
                ++i;
                continue;
            }
            out[o++] = char16_t(cp);
            i += 3;
        } else if (c >= 0xF0 && c < 0xF5 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
            const unsigned cp = ((c & 0x07) << 18) | ((b[i + 1] & 0x3Fu) << 12) | ((b[i + 2] & 0x3Fu) << 6) | (b[i + 3] & 0x3Fu);
            if (cp < 0x10000 || cp > 0x10FFFF) {
                out[o++] = 0xFFFD;
                ++i;
                continue;
            }
            out[o++] = char16_t(0xD800 + ((cp - 0x10000) >> 10));
            out[o++] = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
            i += 4;
        } else {
            out[o++] = 0xFFFD;
            ++i;
        }
    }
    return o;
}

// Builds the texts of one column.
//
// A cell's text would normally be a heap block of its own, and for a list of
// 100,000 rows with several text columns the allocations (and later the frees)
// cost more than reading the bytes. So texts are packed one after another into
// shared blocks of kBlock units, each QString pointing into its block and
// holding one reference to it: Qt 6 strings may point anywhere inside their
// allocation, and each text keeps its own terminating zero, so to every user
// they are ordinary strings. Changing one copies it out first (the block is
// shared); a block is freed with its last text, so a text kept elsewhere holds
// on to at most one block.
//
// Columns such as brand, group or unit repeat a handful of values over
// thousands of rows. A small direct-mapped cache hands out shared copies of
// them, which saves the conversion and the room. Columns whose values hardly
// repeat switch it off.
class TextMaker {
public:
    TextMaker() = default;
    TextMaker(const TextMaker &) = delete;
    TextMaker &operator=(const TextMaker &) = delete;
    ~TextMaker() { closeBlock(); }

    // The text of the UTF-8 bytes s[0, n); `ascii` when none is above 0x7F.
    // The input goes on to `end`, so that short texts are hashed in one load.
    QString get(const char *s, qsizetype n, bool ascii, const char *end)
    {
        if (!m_cacheOn || n > 64)
            return make(s, n, ascii);
        Slot &slot = m_slots[textHash(s, n, end) % kSlots];
        ++m_probes;
        if (slot.gen == m_gen && slot.n == n && std::memcmp(slot.p, s, std::size_t(n)) == 0) {
            ++m_hits;
            if (slot.block && slot.block == m_block)
                return handOut(slot.value.data_ptr().data(), slot.value.size());
            return slot.value;
        }
        slot.gen = m_gen;
        slot.p = s;
        slot.n = n;
        slot.value = make(s, n, ascii);
        slot.block = n > 0 && n < kLarge ? m_block : nullptr;  // as make() placed it
        if (m_probes == 2048 && m_hits < m_probes / 4)
            m_cacheOn = false;
        return slot.value;
    }

    // The first and last eight bytes and the length: enough to tell most
    // cells of a column apart, and a collision only costs a cache miss, as
    // the bytes are compared before a text is shared.
    static std::uint32_t textHash(const char *s, qsizetype n, const char *end)
    {
        std::uint64_t a = 0, b = 0;
        if (n >= 8) {
            std::memcpy(&a, s, 8);
            std::memcpy(&b, s + n - 8, 8);
        } else if (end - s >= 8) {
            std::memcpy(&a, s, 8);
            a &= n ? ~std::uint64_t(0) >> (64 - 8 * n) : 0;
        } else {
            for (qsizetype i = 0; i < n; ++i)
                a |= std::uint64_t(std::uint8_t(s[i])) << (8 * i);
        }
        const std::uint64_t h = a * 0x9E3779B97F4A7C15ull ^ (b + std::uint64_t(n)) * 0xC2B2AE3D27D4EB4Full;
        return std::uint32_t(h >> 32) ^ std::uint32_t(h);
    }

    // Each column starts with an empty cache of its own values; the open
    // block goes on, so that a short table's columns share blocks instead of
    // holding one nearly empty block each.
    void startColumn()
    {
        ++m_gen;  // every slot of an earlier column is stale now
        m_probes = 0;
        m_hits = 0;
        m_cacheOn = true;
    }

    // A text without looking in the cache.
    QString make(const char *s, qsizetype n, bool ascii)
    {
        if (n == 0 || n >= kLarge)
            return makeString(s, n, ascii);
        // UTF-8 never has fewer bytes than the text has UTF-16 units.
        if (m_left < n + 1)
            openBlock();
        char16_t *const out = m_next;
        qsizetype len = n;
        if (ascii)
            widenAscii(s, n, out);
        else
            len = decodeUtf8(s, n, out);
        out[len] = 0;
        m_next += len + 1;
        m_left -= len + 1;
        return handOut(out, len);
    }

private:
    using Block = QTypedArrayData<char16_t>;
    static constexpr qsizetype kBlock = 16384;  // units: 32 KB, under malloc's mmap threshold
    static constexpr qsizetype kLarge = 1024;   // longer texts get blocks of their own
    // References to the open block are taken in batches: one atomic add per
    // batch instead of one per text. The unused rest is given back when the
    // block is closed; until then the count cannot drop to zero early, even
    // if texts handed out meanwhile are already gone.
    static constexpr int kBatch = 4096;

    QString handOut(char16_t *at, qsizetype len)
    {
        if (m_reserved == 0) {
            m_block->ref_.fetchAndAddRelaxed(kBatch);
            m_reserved = kBatch;
        }
        --m_reserved;
        return QString(QStringPrivate(m_block, at, len));
    }

    void openBlock()
    {
        closeBlock();
        auto [block, data] = Block::allocate(kBlock);
        if (!block)
            throw std::bad_alloc();
        m_block = block;  // our own reference, from allocate()
        m_next = data;
        m_left = kBlock;
    }
    // Gives back the unused batch and the maker's own reference; the texts
    // hold theirs.
    void closeBlock()
    {
        if (m_block) {
            const int giveBack = m_reserved + 1;
            if (m_block->ref_.fetchAndAddOrdered(-giveBack) == giveBack)
                Block::deallocate(m_block);
        }
        m_block = nullptr;
        m_next = nullptr;
        m_left = 0;
        m_reserved = 0;
    }

    static constexpr std::size_t kSlots = 512;
    struct Slot {
        const char *p = nullptr;
        qsizetype n = -1;
        QString value;
        const Block *block = nullptr;  // where `value` lives, when in a block of ours
        std::uint32_t gen = 0;         // the column it was filled in; others are empty
    };
    std::array<Slot, kSlots> m_slots;
    std::uint32_t m_gen = 1;
    std::uint32_t m_probes = 0;
    std::uint32_t m_hits = 0;
    bool m_cacheOn = true;

    Block *m_block = nullptr;
    char16_t *m_next = nullptr;
    qsizetype m_left = 0;
    int m_reserved = 0;
};


}  // namespace varo
