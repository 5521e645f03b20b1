#pragma once

// libEncryption: turns plain GBK texts into the codes stored in the question bank and back.
//
// A code is the text's bytes after a keyed, chained byte transform, each byte written as two
// capital letters. Codes therefore contain only the letters A–Z, need no escaping inside an
// SQL string literal, and the same text always gives the same code. Every byte string can be
// encoded, and decoding a code gives back exactly the bytes that were encoded.
//
// Both functions take `inLen` bytes at `in` (no terminating NUL needed) and return the length
// of the result in bytes, without a terminating NUL. When `outCap` is greater than that length
// the result and a terminating NUL are written to `out`; otherwise nothing is written, so a
// caller may ask for the length first with out = NULL and outCap = 0. Both return -1 for
// invalid arguments; CodeToStr also returns -1 when `in` is not a code.

#ifdef __cplusplus
extern "C" {
#endif

#define VELTRANO_ENCRYPTION_API __attribute__((visibility("default")))

VELTRANO_ENCRYPTION_API int StrToCode(const char* in, int inLen, char* out, int outCap);
VELTRANO_ENCRYPTION_API int CodeToStr(const char* in, int inLen, char* out, int outCap);

#ifdef __cplusplus
}
#endif
