#pragma once
// The C interface of the decoder library QZCommDEC (libQZCommDEC.so, or
// QZCommDEC.dll on Windows), which turns the encoded packet values (MEMO,
// DATA, CDATA) into plain text. The client loads it at start-up and finds
// GB_DEC by name; the demo server and the tests link it and use GB_ENC.
//
// Encoding: the text's UTF-8 bytes, zlib-deflated (RFC 1950), written as
// Base64 (RFC 4648, with padding). The encoded text is plain ASCII, so it
// survives the NUL-terminated wire and the packet's tags.
//
// Contract of both functions:
//   - text is a NUL-terminated UTF-16 text; a null pointer counts as empty.
//   - The result is a NUL-terminated UTF-16 text owned by the library. It
//     stays valid until the next call of the same function on the same thread
//     (each thread has its own result buffer), so callers copy it at once.
//   - Safe to call from several threads at the same time; no other side
//     effects, no errors reported.
//   - GB_DEC gives an empty text for input that does not decode (bad Base64,
//     a broken or truncated stream, a failed checksum, trailing bytes).
//     Line breaks and blanks inside the Base64 text are ignored.
//   - GB_DEC_MAX is GB_DEC for a caller that wants at most max_bytes (as
//     UTF-8) of a value made of lines: a value that goes on past max_bytes
//     gives its whole lines within them, and decoding stops there; of a text
//     longer than any value of max_bytes can be encoded in, only that much
//     is read (and its whole lines given). A value within max_bytes is
//     checked and given whole, as GB_DEC does. GB_DEC_MAX came after GB_DEC:
//     a caller finds it by name and does without it when missing.

#if defined(_WIN32)
#define QZCOMMDEC_EXPORT __declspec(dllexport)
#else
#define QZCOMMDEC_EXPORT __attribute__((visibility("default")))
#endif

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

QZCOMMDEC_EXPORT const char16_t* GB_DEC(const char16_t* text);
QZCOMMDEC_EXPORT const char16_t* GB_DEC_MAX(const char16_t* text, size_t max_bytes);
QZCOMMDEC_EXPORT const char16_t* GB_ENC(const char16_t* text);

#ifdef __cplusplus
}
#endif
