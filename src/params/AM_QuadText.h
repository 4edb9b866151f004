#pragma once
// The letter-coded binary section of a patch-state text: data blocks turned
// into letters, digits and a little punctuation, so that they survive in a
// text that hosts and users treat as text.
//
//   ?                        start
//   10 x (8 letters ':')     reference longs 'q'..'z' (four bytes each)
//   26 x 2 letters, ':'-     reference bytes 'A'..'Z'
//     separated
//   !                        end of the dictionary
//   tokens [run count]       'A'-'Z' a reference byte, two letters 'a'-'p'
//                            one byte (high half first), 'q'-'z' a
//                            reference long; decimal digits N behind a
//                            token repeat its bytes N + 1 times
//   = checksum               the sum of the codes of every character above
//                            32 from '?' up to the '=', as "%d" of a u32
//
// Characters of code 32 and below carry no meaning anywhere; the encoder
// puts a line feed behind every 64th character it writes.
//
// Every function may be called from any thread but the audio thread (the
// encoder allocates); none keeps state between calls.

#include <cstdint>

// The most characters encodeQuadText can write for `size` bytes of data.
uint64_t quadTextCapacity(uint32_t size);

// Encodes size bytes of data into out, which holds capacity characters;
// returns the characters written (line feeds included, no terminator), or 0
// when capacity is below quadTextCapacity(size) (nothing is written then).
uint32_t encodeQuadText(char* out, uint64_t capacity, const uint8_t* data, uint32_t size);

// Decodes the section found in the first textLength characters of text (a
// zero byte ends it earlier) into output, which holds maxBytes bytes; a
// null output runs the checks only. True on success, with the number of
// bytes decoded in *decodedBytes (when given). Failures are reported on the
// standard output and leave *decodedBytes at 0.
bool decodeQuadText(uint8_t* output, const char* text, uint32_t textLength, uint32_t maxBytes,
                    uint32_t* decodedBytes);
