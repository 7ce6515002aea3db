#pragma once
// The settings store: a tree of keys under the machine root, each with named values of string,
// 32-bit and binary types. Key paths use '\' and are matched without regard to case
// ("software\KOR\Stuff"). It lives in one text file, by default
// $XDG_CONFIG_HOME/vantoria/registry.txt (~/.config/vantoria/...), or VANTORIA_REGISTRY.
// Every change is written to a temporary file and renamed over the store, so a crash never
// leaves half a store; a store that cannot be parsed is reported, set aside and started anew.
#include <cstdint>
#include <string>

enum class PLAT_RegType : uint32_t { None = 0, String = 1, Binary = 3, Dword = 4 };

enum class PLAT_RegResult {
  Ok = 0,
  NotFound,   // key or value missing
  MoreData,   // the value is larger than the caller's buffer; the needed size is reported
  WrongType,  // the value exists under another type (typed reads only)
  IoError,    // the store could not be written
  InvalidArgument,  // a missing pointer, a bad name, or data that does not suit the type
};

struct PLAT_RegKey;  // an open key; close with PLAT_RegCloseKey

// Opens an existing key; NotFound when any part of the path is missing.
PLAT_RegResult PLAT_RegOpenKey(const char* path, PLAT_RegKey** out);
// Opens the key, creating it and its parents when missing; *created tells which happened.
PLAT_RegResult PLAT_RegCreateKey(const char* path, PLAT_RegKey** out, bool* created);
// Opens or creates a subkey of an open key.
PLAT_RegResult PLAT_RegCreateSubKey(PLAT_RegKey* parent, const char* sub, PLAT_RegKey** out, bool* created);
PLAT_RegResult PLAT_RegOpenSubKey(PLAT_RegKey* parent, const char* sub, PLAT_RegKey** out);
void PLAT_RegCloseKey(PLAT_RegKey* key);

PLAT_RegResult PLAT_RegSetValue(PLAT_RegKey* key, const char* name, PLAT_RegType type,
                                const void* data, uint32_t size);
// Reads a value into buf. *size holds the buffer size on entry and the value size on return;
// a buffer too small gives MoreData and copies nothing. buf may be null to ask for the size.
PLAT_RegResult PLAT_RegQueryValue(PLAT_RegKey* key, const char* name, PLAT_RegType* type,
                                  void* buf, uint32_t* size);
PLAT_RegResult PLAT_RegDeleteValue(PLAT_RegKey* key, const char* name);
PLAT_RegResult PLAT_RegDeleteKey(const char* path);  // the key and everything under it

// Typed conveniences over the two calls above.
PLAT_RegResult PLAT_RegSetString(PLAT_RegKey* key, const char* name, const char* value);
PLAT_RegResult PLAT_RegSetDword(PLAT_RegKey* key, const char* name, uint32_t value);
PLAT_RegResult PLAT_RegGetString(PLAT_RegKey* key, const char* name, std::string* out);
PLAT_RegResult PLAT_RegGetDword(PLAT_RegKey* key, const char* name, uint32_t* out);

// The store file in use; PLAT_RegReload forgets the in-memory copy (tests switch stores).
std::string PLAT_RegStorePath();
void PLAT_RegReload();
