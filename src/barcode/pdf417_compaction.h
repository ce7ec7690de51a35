#pragma once
// PDF417 data compaction: the data is cut into runs that suit numeric, text or
// byte compaction, and each run becomes codewords behind its mode latch.
#include <string_view>
#include <vector>

namespace morvel::pdf417 {

enum class Mode { numeric, text, byte };

/// A run of the data and the compaction it gets.
struct Segment {
    Mode mode;
    std::string_view bytes;  ///< a view into the data being encoded
};

/// Most codewords a symbol's list takes; anything compacted beyond is dropped (the
/// size check refuses such a symbol anyway).
inline constexpr std::size_t kMaxCodewords = 1900;

/// Cuts data into segments: 13 or more digits go numeric, 5 or more text characters
/// (printable ASCII, tab, CR, LF) text, everything else byte compaction.
std::vector<Segment> segment(std::string_view data);

/// Appends the codewords of the segments, each behind its latch (none for text at
/// the start of the symbol), to codewords, which stops growing at kMaxCodewords.
void compact(const std::vector<Segment>& segments, std::vector<int>& codewords);

/// The text compaction values (0..29) of text, sub-mode latches and shifts included,
/// before they are paired into codewords. Every byte must be a text character.
std::vector<int> text_values(std::string_view text);

}  // namespace morvel::pdf417
