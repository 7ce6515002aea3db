#pragma once
// Writes BIFF block containers: the 304-byte header, then each block's 32-byte header followed
// by its chunks, each a 24-byte header and its data with the data's absolute offset filled in.
#include <cstdint>
#include <string>
#include <vector>

struct vnBIFF_CHUNK {
  std::string tag;  // up to four characters; shorter tags are zero-padded
  std::vector<uint8_t> data;
};

struct vnBIFF_BLOCK {
  std::string tag;
  uint32_t valueA = 0, valueB = 0;
  std::vector<vnBIFF_CHUNK> chunks;
};

struct vnBIFF_FILE {
  uint32_t valueA = 0, valueB = 0, valueC = 304;
  std::vector<vnBIFF_BLOCK> blocks;
};

std::vector<uint8_t> vnWRITE_BIFFBytes(const vnBIFF_FILE& file);
bool vnWRITE_BIFF(const std::string& path, const vnBIFF_FILE& file);

// Little-endian appenders for the chunk builders.
void vnBIFF_AppendFloat(std::vector<uint8_t>& out, float v);
// A text in a zero-filled field of `size` bytes (cut to size - 1 characters).
void vnBIFF_AppendName(std::vector<uint8_t>& out, const std::string& name, size_t size);
// A name in a zero-filled field of `size` bytes that it may fill whole (cut to size
// characters; a full field has no terminator), as the 20-character name fields are.
void vnBIFF_AppendField(std::vector<uint8_t>& out, const std::string& name, size_t size);
