#include "reformat/image_fax.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "core/messages.h"
#include "run.h"

namespace morvel {

namespace {

// ITU-T T.4 table 4: the two-dimensional mode codes, by mode value.
constexpr std::array<const char*, 11> kModeCodes = {
    "0001",                      // 0 pass
    "001",                       // 1 horizontal
    "0000010",                   // 2 vertical, a1 three left of b1
    "000010",                    // 3 vertical -2
    "010",                       // 4 vertical -1
    "1",                         // 5 vertical 0
    "011",                       // 6 vertical +1
    "000011",                    // 7 vertical +2
    "0000011",                   // 8 vertical +3
    "000000000001000000000001",  // 9 end of facsimile block
    "0000001",                   // 10 extension
};
constexpr int kModePass = 0;
constexpr int kModeHorizontal = 1;
constexpr int kModeEndOfBlock = 9;
constexpr int kModeExtension = 10;

// ITU-T T.4 tables 2 and 3: terminating codes for runs 0..63, then the make-up codes
// for 64, 128, ... 1728 of each colour and the extended make-up codes 1792..2560
// shared by both, then the end-of-line code.
#define MORVEL_EXTENDED_MAKEUP                                                                   \
    "00000001000", "00000001100", "00000001101", "000000010010", "000000010011", "000000010100", \
        "000000010101", "000000010110", "000000010111", "000000011100", "000000011101",          \
        "000000011110", "000000011111"

constexpr std::array<const char*, 105> kWhiteCodes = {
    "00110101", "000111", "0111", "1000", "1011", "1100", "1110", "1111", "10011", "10100", "00111",
    "01000", "001000", "000011", "110100", "110101", "101010", "101011", "0100111", "0001100",
    "0001000", "0010111", "0000011", "0000100", "0101000", "0101011", "0010011", "0100100",
    "0011000", "00000010", "00000011", "00011010", "00011011", "00010010", "00010011", "00010100",
    "00010101", "00010110", "00010111", "00101000", "00101001", "00101010", "00101011", "00101100",
    "00101101", "00000100", "00000101", "00001010", "00001011", "01010010", "01010011", "01010100",
    "01010101", "00100100", "00100101", "01011000", "01011001", "01011010", "01011011", "01001010",
    "01001011", "00110010", "00110011", "00110100",
    // make-up 64 .. 1728
    "11011", "10010", "010111", "0110111", "00110110", "00110111", "01100100", "01100101",
    "01101000", "01100111", "011001100", "011001101", "011010010", "011010011", "011010100",
    "011010101", "011010110", "011010111", "011011000", "011011001", "011011010", "011011011",
    "010011000", "010011001", "010011010", "011000", "010011011", MORVEL_EXTENDED_MAKEUP,
    "000000000001"};

constexpr std::array<const char*, 105> kBlackCodes = {
    "0000110111", "010", "11", "10", "011", "0011", "0010", "00011", "000101", "000100", "0000100",
    "0000101", "0000111", "00000100", "00000111", "000011000", "0000010111", "0000011000",
    "0000001000", "00001100111", "00001101000", "00001101100", "00000110111", "00000101000",
    "00000010111", "00000011000", "000011001010", "000011001011", "000011001100", "000011001101",
    "000001101000", "000001101001", "000001101010", "000001101011", "000011010010", "000011010011",
    "000011010100", "000011010101", "000011010110", "000011010111", "000001101100", "000001101101",
    "000011011010", "000011011011", "000001010100", "000001010101", "000001010110", "000001010111",
    "000001100100", "000001100101", "000001010010", "000001010011", "000000100100", "000000110111",
    "000000111000", "000000100111", "000000101000", "000001011000", "000001011001", "000000101011",
    "000000101100", "000001011010", "000001100110", "000001100111",
    // make-up 64 .. 1728
    "0000001111", "000011001000", "000011001001", "000001011011", "000000110011", "000000110100",
    "000000110101", "0000001101100", "0000001101101", "0000001001010", "0000001001011",
    "0000001001100", "0000001001101", "0000001110010", "0000001110011", "0000001110100",
    "0000001110101", "0000001110110", "0000001110111", "0000001010010", "0000001010011",
    "0000001010100", "0000001010101", "0000001011010", "0000001011011", "0000001100100",
    "0000001100101", MORVEL_EXTENDED_MAKEUP, "000000000001"};
#undef MORVEL_EXTENDED_MAKEUP

constexpr int kEndOfLine = 104;

struct Node {
    int value = -1;
    std::array<int, 2> child{-1, -1};
};

// One binary tree per table; a code's bits lead from the root to a leaf holding its
// entry number.
struct CodeTree {
    std::vector<Node> nodes = std::vector<Node>(1);  // the root
    bool duplicate = false;

    template <std::size_t N>
    explicit CodeTree(const std::array<const char*, N>& codes) {
        for (std::size_t value = 0; value < N; ++value) {
            int at = 0;
            for (const char* c = codes[value]; *c; ++c) {
                if (nodes[at].value >= 0) duplicate = true;  // a shorter code is a prefix
                int b = *c - '0';
                if (nodes[at].child[b] < 0) {
                    nodes[at].child[b] = static_cast<int>(nodes.size());
                    nodes.push_back(Node{});
                }
                at = nodes[at].child[b];
            }
            if (nodes[at].value >= 0 || nodes[at].child[0] >= 0 || nodes[at].child[1] >= 0)
                duplicate = true;
            nodes[at].value = static_cast<int>(value);
        }
    }
};

// The trees never change once built, so all runs share them.
const std::array<CodeTree, 3>& code_trees() {
    static const std::array<CodeTree, 3> trees{CodeTree(kModeCodes), CodeTree(kWhiteCodes),
                                               CodeTree(kBlackCodes)};
    return trees;
}

constexpr int kTreeModes = 0;
constexpr int kWhite = 0;
constexpr int kBlack = 1;

void fill(std::vector<std::uint8_t>& pixels, int from, int to, int colour) {
    from = std::max(from, 0);
    to = std::min(to, static_cast<int>(pixels.size()));
    if (from < to) std::fill(pixels.begin() + from, pixels.begin() + to, colour);
}

// Console notes of the two-dimensional decoder; they are not errors of the run.
void note(Run& run, const std::string& text) {
    if (run.options.silent) return;
    std::fputs(text.c_str(), run.out);
}

}  // namespace

bool fax_code_tables_are_prefix_free() {
    for (const CodeTree& tree : code_trees())
        if (tree.duplicate) return false;
    return true;
}

FaxDecoder::FaxDecoder(int width, int coding, bool two_dimensional)
    : width_(width), coding_(coding), two_dimensional_(two_dimensional) {}

void FaxDecoder::start(std::span<const std::uint8_t> strip, bool lsb_first, std::size_t offset) {
    bits_ = BitReader(strip, lsb_first);
    strip_offset_ = offset;
    reference_.assign(static_cast<std::size_t>(width_), kWhite);
    ended_ = false;
}

// Follows the code's bits from the root to a leaf. -1 at the end of the data or after
// the message for a bit sequence that is no code.
int FaxDecoder::read_code(Run& run, int tree_index) {
    const CodeTree& tree = code_trees()[static_cast<std::size_t>(tree_index)];
    std::string seen;
    int at = 0;
    while (tree.nodes[static_cast<std::size_t>(at)].value < 0) {
        int b = bits_.bit();
        if (b < 0) return -1;
        seen += static_cast<char>('0' + b);
        int next = tree.nodes[static_cast<std::size_t>(at)].child[static_cast<std::size_t>(b)];
        if (next < 0) {
            report_error(
                run, 0, "***** find_code_word: %s at %d (line %d) is a non-existant child\n",
                seen.c_str(), static_cast<int>(strip_offset_ + bits_.position() / 8), row_number_);
            return -1;
        }
        at = next;
    }
    return tree.nodes[static_cast<std::size_t>(at)].value;
}

// One run of a colour: make-up codes add up until a terminating code. -2 for the
// end-of-line code, -1 on failure.
int FaxDecoder::read_run(Run& run, int colour) {
    int length = 0;
    for (;;) {
        int code = read_code(run, colour == kWhite ? 1 : 2);
        if (code < 0) return -1;
        if (code == kEndOfLine) return -2;
        if (code < 64) return length + code;
        length += (code - 63) * 64;
    }
}

// Skips fill bits and an end-of-line code when one stands at the reader; otherwise
// leaves the reader where it was. True when an end-of-line code was skipped.
bool FaxDecoder::skip_eol() {
    std::size_t start = bits_.position();
    int zeros = 0;
    int b;
    while ((b = bits_.bit()) == 0) ++zeros;
    if (b == 1 && zeros >= 11) return true;
    bits_.seek(start);
    return false;
}

bool FaxDecoder::row_1d(Run& run, std::vector<std::uint8_t>& pixels) {
    int position = 0;
    int colour = kWhite;
    while (position < width_) {
        int length = read_run(run, colour);
        if (length < 0) return length == -2 && position > 0;
        fill(pixels, position, position + length, colour);
        position += length;
        colour ^= 1;
    }
    return true;
}

bool FaxDecoder::row_2d(Run& run, std::vector<std::uint8_t>& pixels) {
    const std::vector<std::uint8_t>& ref = reference_;
    // The changing elements of the reference line: b1 is the first one right of a0
    // whose colour is the opposite of the current colour, b2 the next one after it.
    auto colour_at = [&](int p) {
        return p < 0 ? kWhite : (p >= width_ ? -1 : ref[static_cast<std::size_t>(p)]);
    };
    auto next_change = [&](int from) {
        int p = std::max(from, 0);
        while (p < width_ && colour_at(p) == colour_at(p - 1)) ++p;
        return p;
    };
    int a0 = -1;
    int colour = kWhite;
    while (a0 < width_) {
        int mode = read_code(run, kTreeModes);
        if (mode < 0) return false;
        int b1 = next_change(a0 + 1);
        while (b1 < width_ && colour_at(b1) == colour) b1 = next_change(b1 + 1);
        int b2 = next_change(b1 + 1);
        if (mode == kModePass) {
            fill(pixels, a0, b2, colour);
            a0 = b2;
        } else if (mode == kModeHorizontal) {
            int start = std::max(a0, 0);
            int first = read_run(run, colour);
            if (first < 0) return false;
            int second = read_run(run, colour ^ 1);
            if (second < 0) return false;
            first = std::min(first, width_ - start);
            if (start + first + second > width_) {
                second = width_ - start - first;
                note(run, "[clamped to " + std::to_string(second) + "] ");
            }
            fill(pixels, start, start + first, colour);
            fill(pixels, start + first, start + first + second, colour ^ 1);
            a0 = start + first + second;
        } else if (mode <= 8) {
            int a1 = std::min(b1 + (mode - 5), width_);
            if (a1 < a0) {
                note(run, "v(" + std::to_string(mode - 5) +
                              "): a1 to left of a0; setting a1 to margin\n");
                a1 = a0 + 1;
            }
            fill(pixels, a0, a1, colour);
            colour ^= 1;
            a0 = std::max(a1, 0);
        } else if (mode == kModeEndOfBlock) {
            ended_ = true;
            return false;
        } else if (mode == kModeExtension) {
            note(run, "----- Extension ----\n");
            for (int i = 0; i < 3; ++i)
                note(run, "----- bit = " + std::to_string(bits_.bit()) + "\n");
        } else {
            note(run, "***** unknown mode " + std::to_string(mode) + "\n");
            return false;
        }
    }
    return true;
}

bool FaxDecoder::decode_row(Run& run, int row_number, std::vector<std::uint8_t>& pixels) {
    row_number_ = row_number;
    if (ended_ || bits_.at_end()) return false;
    // Pixels no code reaches stay black, as the decoder has always left them.
    pixels.assign(static_cast<std::size_t>(width_), kBlack);
    bool ok;
    if (coding_ == 4) {
        ok = row_2d(run, pixels);
    } else {
        // Each T.4 row may begin with an end-of-line code (after fill bits); with
        // two-dimensional coding a tag bit then tells how the row is coded.
        skip_eol();
        bool one_dimensional = true;
        if (two_dimensional_) {
            int tag = bits_.bit();
            if (tag < 0) return false;
            one_dimensional = tag == 1;
        }
        ok = one_dimensional ? row_1d(run, pixels) : row_2d(run, pixels);
    }
    if (ok) reference_ = pixels;
    return ok;
}

}  // namespace morvel
