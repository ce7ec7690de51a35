#include "tokenfile/scramble.h"

namespace morvel {

// A key whose low 31 bits are all zero would leave the register at zero, and the
// search for a non-zero mask byte would never end; such a key scrambles nothing.
Scrambler::Scrambler(long key) : state_(static_cast<std::uint32_t>(key) & 0x7FFFFFFFu) {}

void Scrambler::apply(const unsigned char* in, unsigned char* out, std::size_t length) {
    if (!in || state_ == 0) return;
    std::uint32_t s = state_;
    for (std::size_t i = 0; i < length; ++i) {
        do {
            std::uint32_t bit = (s ^ (s >> 7) ^ (s >> 11) ^ (s >> 23)) & 1u;
            s = (s >> 1) | (bit << 30);
        } while ((s & 0xFFu) == 0);
        out[i] = static_cast<unsigned char>(in[i] ^ (s & 0xFFu));
    }
    state_ = s;
}

void scramble_bytes(const unsigned char* in, unsigned char* out, std::size_t length, long key) {
    if (!in || length == 0 || key == 0) return;
    Scrambler(key).apply(in, out, length);
}

}  // namespace morvel
