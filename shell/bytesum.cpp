// Trailing byte sum: appending after a file is written, checking before it is read.
#include "shell/bytesum.h"

#include <sys/stat.h>

#include <memory>
#include <string>

#include "engine/memory/memblock.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/trace.h"

namespace {

struct BlockFree {
  void operator()(uint8_t* p) const { SGE_MemFree(p); }
};
using Block = std::unique_ptr<uint8_t, BlockFree>;

// Gives the owner write permission, as clearing a read-only attribute would.
bool MakeWritable(const char* path) {
  bool exists = false;
  const std::string real = PLAT_ResolvePath(path, &exists);
  struct stat st {};
  if (!exists || ::stat(real.c_str(), &st) != 0) return false;
  if (st.st_mode & S_IWUSR) return true;
  return ::chmod(real.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

// Reads a whole file into a chunk of SPW_ObjsMem; none (after a trace) on any failure,
// including an empty file.
Block ReadWhole(const char* path, const char* who, uint32_t* length) {
  PLAT_FileHandle f(PLAT_FOpen(path, "rb"));
  if (!f) {
    PLAT_Trace("%s: cannot open %s\n", who, path);
    return nullptr;
  }
  const int64_t size = vnUTIL_FileSize(f.get());
  if (size <= 0 || size > UINT32_MAX) {
    PLAT_Trace("%s: %s has no usable length (%lld)\n", who, path, static_cast<long long>(size));
    return nullptr;
  }
  Block data(static_cast<uint8_t*>(SGE_MemAlloc(SPW_ObjsMem, static_cast<uint32_t>(size))));
  if (!data) {
    PLAT_Trace("%s: no memory for %lld bytes of %s\n", who, static_cast<long long>(size), path);
    return nullptr;
  }
  if (std::fread(data.get(), 1, static_cast<size_t>(size), f.get()) != static_cast<size_t>(size)) {
    PLAT_Trace("%s: cannot read %s\n", who, path);
    return nullptr;
  }
  *length = static_cast<uint32_t>(size);
  return data;
}

}  // namespace

int64_t vnUTIL_FileSize(FILE* file) {
  if (!file) return -1;
  const long pos = std::ftell(file);
  if (pos < 0 || std::fseek(file, 0, SEEK_END) != 0) {
    PLAT_Trace("vnUTIL_FileSize: cannot seek\n");
    return -1;
  }
  const long end = std::ftell(file);
  if (std::fseek(file, pos, SEEK_SET) != 0 || end < 0) {
    PLAT_Trace("vnUTIL_FileSize: cannot seek\n");
    return -1;
  }
  return end;
}

uint32_t vnUTIL_ByteSum(std::span<const uint8_t> data) {
  uint32_t sum = 0;
  for (uint8_t b : data) sum += b;
  return sum;
}

bool vnUTIL_AppendChecksum(const char* path, uint32_t* sum) {
  if (!path) {
    PLAT_Trace("vnUTIL_AppendChecksum: no path\n");
    return false;
  }
  if (!MakeWritable(path)) {
    PLAT_Trace("vnUTIL_AppendChecksum: cannot make %s writable\n", path);
    return false;
  }
  uint32_t length = 0;
  const uint32_t value = [&] {
    Block data = ReadWhole(path, "vnUTIL_AppendChecksum", &length);
    return data ? vnUTIL_ByteSum({data.get(), length}) : 0u;
  }();
  if (length == 0) return false;

  uint8_t bytes[VNUTIL_BYTESUM_SIZE];
  PLAT_StoreLE32(bytes, value);
  PLAT_FileHandle f(PLAT_FOpen(path, "ab"));
  if (!f) {
    PLAT_Trace("vnUTIL_AppendChecksum: cannot append to %s\n", path);
    return false;
  }
  const bool written = std::fwrite(bytes, 1, sizeof bytes, f.get()) == sizeof bytes;
  if (!PLAT_CloseFile(f) || !written) {
    PLAT_Trace("vnUTIL_AppendChecksum: cannot write the sum to %s\n", path);
    return false;
  }
  if (sum) *sum = value;
  return true;
}

int32_t vnUTIL_VerifyChecksum(const char* path) {
  if (!path) {
    PLAT_Trace("vnUTIL_VerifyChecksum: no path\n");
    return 0;
  }
  uint32_t length = 0;
  Block data = ReadWhole(path, "vnUTIL_VerifyChecksum", &length);
  if (!data) return 0;
  if (length < VNUTIL_BYTESUM_SIZE) {
    // Too short to hold the sum; reading the last four bytes would start before the data.
    PLAT_Trace("vnUTIL_VerifyChecksum: %s is %u bytes, too short for a byte sum\n", path, length);
    return 0;
  }
  const uint32_t body = length - VNUTIL_BYTESUM_SIZE;
  const uint32_t stored = PLAT_LoadLE32(data.get() + body);
  const uint32_t sum = vnUTIL_ByteSum({data.get(), body});
  if (stored != sum) {
    PLAT_Trace("vnUTIL_VerifyChecksum: %s: stored sum %u does not match %u\n", path, stored, sum);
    return 0;
  }
  return 1;
}
