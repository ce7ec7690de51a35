#pragma once
// The scrambling routine of token files and of scrambled definition sources: the bytes
// are combined with a key stream from a 31-bit shift register. It is its own inverse.
#include <cstddef>
#include <cstdint>

namespace morvel {

/// The key stream of one scrambling pass; consecutive calls continue where the last
/// one stopped, so a file scrambled piece by piece equals one scrambled whole.
class Scrambler {
  public:
    explicit Scrambler(long key);
    /// Whether the key changes anything (its low 31 bits are not all zero).
    bool active() const { return state_ != 0; }
    /// XORs length bytes of in with the key stream into out (in == out is allowed).
    void apply(const unsigned char* in, unsigned char* out, std::size_t length);

  private:
    std::uint32_t state_;
};

/// Scrambles (or unscrambles) length bytes with key; nothing happens when in is
/// missing, length is 0 or the key's low 31 bits are 0. May work in place.
void scramble_bytes(const unsigned char* in, unsigned char* out, std::size_t length, long key);

/// The key of every token file.
inline constexpr long kTokenFileKey = 724;

}  // namespace morvel
