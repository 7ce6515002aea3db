#pragma once
// The settings store: a tree of keys under the machine root, each with named values of string,
// 32-bit and binary types. Key paths use '\' and are matched without regard to case
// ("software\KOR\Stuff"). It lives in one text file, by default
// $XDG_CONFIG_HOME/vantoria/registry.txt (~/.config/vantoria/...), or VANTORIA_REGISTRY.
// Every change is written to a temporary file and renamed over the store, so a crash never
// leaves half a store, and the next write removes what a killed writer left. A store that
// cannot be parsed is reported, set aside and started anew; one that is not a regular file
// is refused and never written.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class PLAT_RegResult {
  Ok = 0,
  NotFound,         // key or value missing
  WrongType,        // the value exists under another type
  IoError,          // the store could not be read or written
  InvalidArgument,  // a missing key or output, a bad name, or a value too large
};

struct PLAT_RegKey;  // an open key
void PLAT_RegCloseKey(PLAT_RegKey* key);
struct PLAT_RegKeyCloser {
  void operator()(PLAT_RegKey* key) const { PLAT_RegCloseKey(key); }
};
// Keys are only handed out in one of these, so every open key is closed.
using PLAT_RegKeyHandle = std::unique_ptr<PLAT_RegKey, PLAT_RegKeyCloser>;

// Opens an existing key; NotFound when any part of the path is missing.
PLAT_RegResult PLAT_RegOpenKey(const char* path, PLAT_RegKeyHandle* out);
// Opens the key, creating it and its parents when missing; *created tells which happened.
PLAT_RegResult PLAT_RegCreateKey(const char* path, PLAT_RegKeyHandle* out, bool* created = nullptr);
// The same under an open key; NotFound when that key was deleted meanwhile.
PLAT_RegResult PLAT_RegOpenSubKey(PLAT_RegKey* parent, const char* sub, PLAT_RegKeyHandle* out);
PLAT_RegResult PLAT_RegCreateSubKey(PLAT_RegKey* parent, const char* sub, PLAT_RegKeyHandle* out,
                                    bool* created = nullptr);
PLAT_RegResult PLAT_RegDeleteKey(const char* path);  // the key and everything under it

// Typed reads: NotFound, or WrongType when the value was stored as another type.
PLAT_RegResult PLAT_RegGetString(PLAT_RegKey* key, const char* name, std::string* out);
PLAT_RegResult PLAT_RegGetDword(PLAT_RegKey* key, const char* name, uint32_t* out);
PLAT_RegResult PLAT_RegGetBinary(PLAT_RegKey* key, const char* name, std::vector<uint8_t>* out);

// Several writes that reach the store as one change, all of them or none: pass the batch to
// the setters, then PLAT_RegCommitBatch writes the store once. A batch dropped uncommitted
// writes nothing.
struct PLAT_RegBatch;
void PLAT_RegDiscardBatch(PLAT_RegBatch* batch);
struct PLAT_RegBatchDiscarder {
  void operator()(PLAT_RegBatch* batch) const { PLAT_RegDiscardBatch(batch); }
};
using PLAT_RegBatchHandle = std::unique_ptr<PLAT_RegBatch, PLAT_RegBatchDiscarder>;
PLAT_RegBatchHandle PLAT_RegBeginBatch();
// Writes every queued value, or none when any key is gone or the store cannot be written;
// the batch is empty afterwards either way.
PLAT_RegResult PLAT_RegCommitBatch(PLAT_RegBatch* batch);

// Typed writes, made at once; with a batch they are only queued, and the result says whether
// the value is well-formed (PLAT_RegCommitBatch tells whether it reached the store).
PLAT_RegResult PLAT_RegSetString(PLAT_RegKey* key, const char* name, std::string_view value,
                                 PLAT_RegBatch* batch = nullptr);
PLAT_RegResult PLAT_RegSetDword(PLAT_RegKey* key, const char* name, uint32_t value,
                                PLAT_RegBatch* batch = nullptr);
PLAT_RegResult PLAT_RegSetBinary(PLAT_RegKey* key, const char* name, std::span<const uint8_t> data,
                                 PLAT_RegBatch* batch = nullptr);
PLAT_RegResult PLAT_RegDeleteValue(PLAT_RegKey* key, const char* name);

// The store file in use; PLAT_RegReload forgets the in-memory copy (tests switch stores).
std::string PLAT_RegStorePath();
void PLAT_RegReload();
