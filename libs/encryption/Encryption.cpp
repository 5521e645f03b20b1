#include "Encryption.h"

#include <climits>
#include <cstddef>

namespace {

constexpr unsigned char Key[16] = {0x51, 0x4B, 0x2F, 0x37, 0x33, 0x30, 0x35, 0xA6,
                                   0x9D, 0x1C, 0xE4, 0x78, 0xC3, 0x0F, 0x6B, 0xD2};
// Sixteen distinct capital letters, one per nibble value.
constexpr char Alphabet[] = "KQXMBRFTWZHNJPVD";

// The chain value that follows a code byte: every byte's code depends on all before it.
unsigned char NextChain(unsigned char chain, unsigned char code, int index) {
    return static_cast<unsigned char>(chain * 31u + code + 7u + static_cast<unsigned>(index));
}

int NibbleOf(char letter) {
    for (int value = 0; value < 16; ++value)
        if (Alphabet[value] == letter)
            return value;
    return -1;
}

bool ValidInput(const char* in, int inLen) {
    return inLen >= 0 && (in != nullptr || inLen == 0);
}

} // namespace

extern "C" int StrToCode(const char* in, int inLen, char* out, int outCap) {
    if (!ValidInput(in, inLen) || inLen > INT_MAX / 2 - 1)
        return -1;
    const int length = inLen * 2;
    if (out == nullptr || outCap <= length)
        return length;
    unsigned char chain = 0xA5;
    for (int i = 0; i < inLen; ++i) {
        const auto plain = static_cast<unsigned char>(in[i]);
        const auto code = static_cast<unsigned char>((plain ^ Key[i % 16]) + chain);
        out[2 * i] = Alphabet[code >> 4];
        out[2 * i + 1] = Alphabet[code & 0x0F];
        chain = NextChain(chain, code, i);
    }
    out[length] = '\0';
    return length;
}

extern "C" int CodeToStr(const char* in, int inLen, char* out, int outCap) {
    if (!ValidInput(in, inLen) || inLen % 2 != 0)
        return -1;
    for (int i = 0; i < inLen; ++i)
        if (NibbleOf(in[i]) < 0)
            return -1;
    const int length = inLen / 2;
    if (out == nullptr || outCap <= length)
        return length;
    unsigned char chain = 0xA5;
    for (int i = 0; i < length; ++i) {
        const auto code =
            static_cast<unsigned char>(NibbleOf(in[2 * i]) << 4 | NibbleOf(in[2 * i + 1]));
        out[i] = static_cast<char>(static_cast<unsigned char>(code - chain) ^ Key[i % 16]);
        chain = NextChain(chain, code, i);
    }
    out[length] = '\0';
    return length;
}
