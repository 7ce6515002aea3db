#pragma once
// Trailing byte sum of platoon files: the last four bytes of a file, little-endian, hold the
// 32-bit sum of every byte before them, so that a hand-edited file is recognised.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>

constexpr uint32_t VNUTIL_BYTESUM_SIZE = 4;

// The file's length found by seeking to the end, the read position restored; -1 on failure.
int64_t vnUTIL_FileSize(FILE* file);
// Sum of the bytes taken as 0..255, wrapping in 32 bits.
uint32_t vnUTIL_ByteSum(std::span<const uint8_t> data);
// Makes the file writable, appends the sum of its bytes and reports it in *sum. False (after
// a trace) when the file cannot be made writable, opened, is empty, cannot be read into
// memory or the sum cannot be written. A true result with a sum of 0 is a real sum.
bool vnUTIL_AppendChecksum(const char* path, uint32_t* sum);
// 1 when the last four bytes equal the sum of the bytes before them; 0 otherwise, also for a
// missing or unreadable file and one shorter than the four bytes.
int32_t vnUTIL_VerifyChecksum(const char* path);
