#include "params/AM_QuadText.h"

#include "foundation/AM_STD.h"
#include "script/ScriptPrint.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

constexpr int32_t kReferenceLongs = 10;
constexpr int32_t kReferenceBytes = 26;
constexpr int32_t kWordBytes = 4;
constexpr uint32_t kLineLength = 64;
constexpr int32_t kMaxGroupLetters = 16;
constexpr int32_t kMaxRunDigits = 16;
constexpr int32_t kLongLetters = 2 * kWordBytes;
constexpr int32_t kByteLetters = 2;
constexpr int32_t kByteValues = 256;
constexpr uint32_t kNibbleBits = 4;
constexpr uint8_t kNibbleMask = 0xf;
constexpr uint32_t kDecimalBase = 10;
constexpr uint8_t kBlankLimit = 32; // characters up to this one carry no meaning
// '?', ten longs of 8 letters and ':', 26 bytes of 2 letters with 25 ':'
// between them, '!'.
constexpr uint64_t kDictionaryChars =
    1 + kReferenceLongs * (kLongLetters + 1) + kReferenceBytes * (kByteLetters + 1) - 1 + 1;
// '=' and "%d" of a 32-bit value ("-2147483648").
constexpr uint64_t kChecksumChars = 1 + 11;

bool isBlank(char c)
{
    return static_cast<uint8_t>(c) <= kBlankLimit;
}

bool isNibbleLetter(char c)
{
    return c >= 'a' && c <= 'p';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Writes characters with a line feed behind every 64th and keeps the
// checksum; never writes past its capacity.
class SectionWriter {
public:
    SectionWriter(char* out, uint64_t capacity) : out_(out), capacity_(capacity) {}

    void put(char c)
    {
        append(c);
        if (summing_)
            checksum_ += static_cast<uint8_t>(c);
        if (++sinceBreak_ == kLineLength) {
            append('\n');
            sinceBreak_ = 0;
        }
    }
    void putByte(uint8_t b)
    {
        put(static_cast<char>('a' + (b >> kNibbleBits)));
        put(static_cast<char>('a' + (b & kNibbleMask)));
    }
    void putNumber(uint64_t n)
    {
        char digits[24];
        int32_t count = 0;
        do {
            digits[count++] = static_cast<char>('0' + n % kDecimalBase);
            n /= kDecimalBase;
        } while (n > 0);
        while (count > 0)
            put(digits[--count]);
    }
    void putText(const char* text)
    {
        for (; *text; ++text)
            put(*text);
    }
    // Ends the checksummed part.
    uint32_t closeChecksum()
    {
        summing_ = false;
        return checksum_;
    }
    uint64_t length() const { return length_; }
    bool overflowed() const { return overflow_; }

private:
    void append(char c)
    {
        if (length_ >= capacity_) {
            overflow_ = true;
            return;
        }
        out_[length_++] = c;
    }

    char* out_;
    uint64_t capacity_;
    uint64_t length_ = 0;
    uint32_t sinceBreak_ = 0;
    uint32_t checksum_ = 0;
    bool summing_ = true;
    bool overflow_ = false;
};

struct ReferenceLong {
    uint8_t bytes[kWordBytes];
    int64_t count;
};

uint32_t wordKey(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool isUniform(const uint8_t* p)
{
    return p[0] == p[1] && p[1] == p[2] && p[2] == p[3];
}

// The ten most frequent words (by whole occurrences at offsets 0, 4, ...),
// largest count first; among equal counts the word found first leads.
// Words whose four bytes are equal are not counted.
void findReferenceLongs(const uint8_t* data, uint32_t size, ReferenceLong* list)
{
    for (int32_t k = 0; k < kReferenceLongs; ++k)
        list[k] = ReferenceLong{{0, 0, 0, 0}, 0};
    const uint32_t words = size / kWordBytes;
    std::unordered_map<uint32_t, int64_t> counts;
    counts.reserve(words);
    for (uint32_t w = 0; w < words; ++w) {
        const uint8_t* p = data + w * kWordBytes;
        if (!isUniform(p))
            ++counts[wordKey(p)];
    }
    for (uint32_t w = 0; w < words; ++w) {
        const uint8_t* p = data + w * kWordBytes;
        if (isUniform(p))
            continue;
        auto found = counts.find(wordKey(p));
        const int64_t count = found->second;
        if (count == 0)
            continue; // counted with its first occurrence
        found->second = 0;
        if (count <= list[kReferenceLongs - 1].count)
            continue;
        int32_t place = 0;
        while (list[place].count >= count)
            ++place;
        for (int32_t k = kReferenceLongs - 1; k > place; --k)
            list[k] = list[k - 1];
        list[place].count = count;
        std::memcpy(list[place].bytes, p, kWordBytes);
    }
}

int32_t matchReferenceLong(const uint8_t* p, const ReferenceLong* list)
{
    for (int32_t k = 0; k < kReferenceLongs; ++k)
        if (std::memcmp(p, list[k].bytes, kWordBytes) == 0)
            return k;
    return -1;
}

} // namespace

uint64_t quadTextCapacity(uint32_t size)
{
    // At most two characters per data byte: a byte token takes two letters,
    // a run count no more digits than the bytes it repeats, a long token one
    // letter and its run count for four bytes or more.
    const uint64_t characters = kDictionaryChars + 2 * static_cast<uint64_t>(size) + kChecksumChars;
    return characters + characters / kLineLength;
}

uint32_t encodeQuadText(char* out, uint64_t capacity, const uint8_t* data, uint32_t size)
{
    if (!out || capacity < quadTextCapacity(size) || (!data && size > 0))
        return 0;
    ReferenceLong longs[kReferenceLongs];
    findReferenceLongs(data, size, longs);

    // A value's count is the number of runs it starts.
    int64_t byteCounts[kByteValues] = {};
    for (uint32_t i = 0; i < size; ++i)
        if (i == 0 || data[i] != data[i - 1])
            ++byteCounts[data[i]];

    SectionWriter w(out, capacity);
    w.put('?');
    for (const ReferenceLong& entry : longs) {
        for (int32_t k = 0; k < kWordBytes; ++k) {
            w.putByte(entry.bytes[k]);
            if (k == 0 || entry.bytes[k] != entry.bytes[k - 1])
                byteCounts[entry.bytes[k]] -= entry.count;
        }
        w.put(':');
    }

    // Largest count first; equal counts keep ascending values (a stable
    // exchange sort, in place).
    int32_t order[kByteValues];
    for (int32_t v = 0; v < kByteValues; ++v) {
        int32_t k = v;
        for (; k > 0 && byteCounts[order[k - 1]] < byteCounts[v]; --k)
            order[k] = order[k - 1];
        order[k] = v;
    }
    int32_t referenceOf[kByteValues];
    std::fill(referenceOf, referenceOf + kByteValues, -1);
    for (int32_t k = 0; k < kReferenceBytes; ++k) {
        referenceOf[order[k]] = k;
        if (k > 0)
            w.put(':');
        w.putByte(static_cast<uint8_t>(order[k]));
    }
    w.put('!');

    const bool wordMode = size % kWordBytes == 0;
    uint64_t pendingRun = 0;
    int32_t previous = -1;
    uint32_t p = 0;
    while (p < size) {
        if (wordMode && size - p >= static_cast<uint32_t>(kWordBytes)) {
            const int32_t k = matchReferenceLong(data + p, longs);
            if (k >= 0) {
                if (pendingRun > 0)
                    w.putNumber(pendingRun);
                pendingRun = 0;
                w.put(static_cast<char>('q' + k));
                uint32_t next = p + kWordBytes;
                uint64_t repeats = 0;
                while (size - next >= static_cast<uint32_t>(kWordBytes) &&
                       std::memcmp(data + next, data + p, kWordBytes) == 0) {
                    ++repeats;
                    next += kWordBytes;
                }
                if (repeats > 0)
                    w.putNumber(repeats);
                p = next;
                previous = -1;
                continue;
            }
        }
        const uint8_t b = data[p++];
        if (b == previous) {
            ++pendingRun;
            continue;
        }
        if (pendingRun > 0)
            w.putNumber(pendingRun);
        pendingRun = 0;
        if (referenceOf[b] >= 0)
            w.put(static_cast<char>('A' + referenceOf[b]));
        else
            w.putByte(b);
        previous = b;
    }
    if (pendingRun > 0)
        w.putNumber(pendingRun);

    const uint32_t checksum = w.closeChecksum();
    char digits[kChecksumChars + 1];
    AM_STD::sprintn(digits, sizeof(digits), "%d", static_cast<int32_t>(checksum));
    w.put('=');
    w.putText(digits);
    if (w.overflowed())
        return 0;
    return static_cast<uint32_t>(w.length());
}

namespace {

// The reading side over a bounded text.
class SectionReader {
public:
    SectionReader(const char* text, uint32_t end) : text_(text), end_(end) {}

    // Position of the first c at or after from, or end.
    uint32_t find(char c, uint32_t from) const
    {
        for (uint32_t i = from; i < end_; ++i)
            if (text_[i] == c)
                return i;
        return end_;
    }
    // Position of the first meaningful character at or after from, before
    // limit (limit when there is none).
    uint32_t skipBlanks(uint32_t from, uint32_t limit) const
    {
        while (from < limit && isBlank(text_[from]))
            ++from;
        return from;
    }
    char at(uint32_t i) const { return text_[i]; }
    uint32_t end() const { return end_; }

private:
    const char* text_;
    uint32_t end_;
};

bool checksumMatches(const SectionReader& r, uint32_t start, uint32_t equals)
{
    uint32_t sum = 0;
    for (uint32_t i = start; i < equals; ++i)
        if (!isBlank(r.at(i)))
            sum += static_cast<uint8_t>(r.at(i));
    char digits[kChecksumChars + 1];
    AM_STD::sprintn(digits, sizeof(digits), "%d", static_cast<int32_t>(sum));
    uint32_t j = equals + 1;
    for (const char* d = digits; *d; ++d) {
        j = r.skipBlanks(j, r.end());
        if (j >= r.end() || r.at(j) != *d) {
            script::print("Checksum mismatch: %d\n", static_cast<int32_t>(sum));
            return false;
        }
        ++j;
    }
    return true;
}

struct Dictionary {
    uint8_t longs[kReferenceLongs][kWordBytes];
    int32_t longCount = 0;
    uint8_t bytes[kReferenceBytes];
    int32_t byteCount = 0;
};

// Reads the dictionary behind the '?'; *position ends behind the '!'.
bool readDictionary(const SectionReader& r, uint32_t* position, uint32_t equals, Dictionary* d)
{
    uint8_t nibbles[kMaxGroupLetters];
    int32_t letters = 0;
    uint32_t pos = *position;
    for (;;) {
        if (pos >= equals) {
            script::print("reached EOF too early!\n");
            return false;
        }
        const char c = r.at(pos++);
        if (isBlank(c))
            continue;
        if (isNibbleLetter(c)) {
            if (letters == kMaxGroupLetters)
                return false;
            nibbles[letters++] = static_cast<uint8_t>(c - 'a');
            continue;
        }
        if (letters == kLongLetters) {
            if (d->longCount == kReferenceLongs) {
                script::print("more than 10 reference longs!\n");
                return false;
            }
            for (int32_t k = 0; k < kWordBytes; ++k)
                d->longs[d->longCount][k] =
                    static_cast<uint8_t>(nibbles[2 * k] << kNibbleBits | nibbles[2 * k + 1]);
            ++d->longCount;
        } else if (letters == kByteLetters) {
            if (d->byteCount == kReferenceBytes) {
                script::print("more than 26 reference bytes!\n");
                return false;
            }
            d->bytes[d->byteCount++] = static_cast<uint8_t>(nibbles[0] << kNibbleBits | nibbles[1]);
        }
        letters = 0;
        if (c == '!')
            break;
    }
    *position = pos;
    return true;
}

} // namespace

bool decodeQuadText(uint8_t* output, const char* text, uint32_t textLength, uint32_t maxBytes,
                    uint32_t* decodedBytes)
{
    if (decodedBytes)
        *decodedBytes = 0;
    if (!text)
        return false;
    const void* zero = std::memchr(text, 0, textLength);
    const uint32_t end =
        zero ? static_cast<uint32_t>(static_cast<const char*>(zero) - text) : textLength;
    const SectionReader r(text, end);

    const uint32_t start = r.find('?', 0);
    if (start >= end)
        return false;
    const uint32_t equals = r.find('=', start);
    if (equals >= end)
        return false;
    if (!checksumMatches(r, start, equals))
        return false;

    Dictionary d;
    uint32_t pos = start + 1;
    if (!readDictionary(r, &pos, equals, &d))
        return false;

    uint64_t produced = 0;
    for (;;) {
        pos = r.skipBlanks(pos, equals);
        if (pos >= equals)
            break;
        const char c = r.at(pos);
        if (c < 'A') {
            script::print("BUG! - Number identifier omitted by previous action/n");
            return false;
        }
        uint8_t token[kWordBytes];
        uint32_t tokenBytes = 0;
        if (c >= 'A' && c <= 'Z') {
            const int32_t k = c - 'A';
            if (k >= d.byteCount) {
                script::print("reference byte %c is not defined!\n", c);
                return false;
            }
            token[0] = d.bytes[k];
            tokenBytes = 1;
            ++pos;
        } else if (isNibbleLetter(c)) {
            pos = r.skipBlanks(pos + 1, equals);
            const char low = pos < equals ? r.at(pos) : '=';
            if (!isNibbleLetter(low)) {
                script::print("HEX parse awaited a-p, got %c\n", low);
                return false;
            }
            token[0] = static_cast<uint8_t>((c - 'a') << kNibbleBits | (low - 'a'));
            tokenBytes = 1;
            ++pos;
        } else if (c >= 'q' && c <= 'z') {
            const int32_t k = c - 'q';
            if (k >= d.longCount) {
                script::print("reference long %c is not defined!\n", c);
                return false;
            }
            std::memcpy(token, d.longs[k], kWordBytes);
            tokenBytes = kWordBytes;
            ++pos;
        } else {
            ++pos;
            continue;
        }

        uint64_t repeats = 0;
        for (int32_t digits = 0; digits < kMaxRunDigits; ++digits) {
            const uint32_t q = r.skipBlanks(pos, equals);
            if (q >= equals || !isDigit(r.at(q)))
                break;
            repeats = repeats * kDecimalBase + static_cast<uint64_t>(r.at(q) - '0');
            pos = q + 1;
        }
        const uint64_t bytes = tokenBytes * (repeats + 1);
        if (bytes > maxBytes - produced) {
            const uint64_t expanded = produced + bytes;
            script::print("BUG! - bytesExpanded > maxBytes %d : %d at %d of %d/n",
                          static_cast<int32_t>(std::min<uint64_t>(expanded, INT32_MAX)),
                          static_cast<int32_t>(maxBytes), static_cast<int32_t>(pos),
                          static_cast<int32_t>(end));
            return false;
        }
        if (output) {
            uint8_t* cursor = output + produced;
            for (uint64_t n = 0; n <= repeats; ++n) {
                std::memcpy(cursor, token, tokenBytes);
                cursor += tokenBytes;
            }
        }
        produced += bytes;
    }
    if (decodedBytes)
        *decodedBytes = static_cast<uint32_t>(produced);
    return true;
}
