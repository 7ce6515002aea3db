#pragma once
// The settings store's text form, private to the platform layer.
//
//   VANTORIA-REGISTRY 1
//   [software\KOR\Stuff]
//   "Options"=hex:58,4f,a6,...
//   "ObjectCull"=dword:0000009d
//   "Name"="text with \" and \\ and \x0a escaped"
//   END
//
// Every key has its own [path] line, so empty keys survive. The first and last lines mark a
// complete file: a store cut short anywhere does not parse.
#include <cstdint>
#include <string>
#include <vector>

// How a value is kept. None is an untyped byte string, kept as read ("hex(0):") and only
// ever rewritten as it was.
enum class PLAT_RegType : uint32_t { None = 0, String = 1, Binary = 3, Dword = 4 };

struct PLAT_RegValueRec {
  std::string name;  // spelled as first written; matched without regard to case
  PLAT_RegType type;
  std::vector<uint8_t> data;  // strings without their terminator
};

struct PLAT_RegNode {
  std::string name;
  std::vector<PLAT_RegNode> children;
  std::vector<PLAT_RegValueRec> values;
};

bool PLAT_RegNameEqual(const std::string& a, const std::string& b);
PLAT_RegNode* PLAT_RegFindChild(PLAT_RegNode& node, const std::string& name);
PLAT_RegValueRec* PLAT_RegFindValue(PLAT_RegNode& node, const std::string& name);

std::string PLAT_RegFormat(const PLAT_RegNode& root);
// False with a description of the first fault (and its line) in *error.
bool PLAT_RegParse(const std::string& text, PLAT_RegNode* root, std::string* error);
