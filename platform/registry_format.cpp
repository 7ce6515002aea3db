#include "platform/registry_format.h"

#include <cstdio>

#include "platform/bytes.h"
#include "platform/text.h"

namespace {

constexpr const char* kRegMagic = "VANTORIA-REGISTRY 1";
constexpr const char* kRegEnd = "END";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendQuoted(std::string& out, const uint8_t* data, size_t size) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  for (size_t i = 0; i < size; ++i) {
    uint8_t c = data[i];
    if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7f) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

void AppendQuoted(std::string& out, const std::string& s) {
  AppendQuoted(out, reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

void FormatNode(const PLAT_RegNode& node, const std::string& path, std::string& out) {
  out += '[' + path + "]\n";
  char word[16];
  for (const PLAT_RegValueRec& v : node.values) {
    if (v.name.empty())
      out += '@';
    else
      AppendQuoted(out, v.name);
    out += '=';
    if (v.type == PLAT_RegType::String) {
      AppendQuoted(out, v.data.data(), v.data.size());
    } else if (v.type == PLAT_RegType::Dword && v.data.size() == 4) {
      std::snprintf(word, sizeof word, "dword:%08x", PLAT_LoadLE32(v.data.data()));
      out += word;
    } else {
      out += v.type == PLAT_RegType::None ? "hex(0):" : "hex:";
      static const char kHex[] = "0123456789abcdef";
      out.reserve(out.size() + v.data.size() * 3);
      for (size_t i = 0; i < v.data.size(); ++i) {
        if (i) out += ',';
        out += kHex[v.data[i] >> 4];
        out += kHex[v.data[i] & 15];
      }
    }
    out += '\n';
  }
  for (const PLAT_RegNode& child : node.children)
    FormatNode(child, path.empty() ? child.name : path + '\\' + child.name, out);
}

// Reads a quoted text starting at s[pos] == '"'; pos ends after the closing quote.
bool ParseQuoted(const std::string& s, size_t& pos, std::string* out) {
  if (pos >= s.size() || s[pos] != '"') return false;
  ++pos;
  out->clear();
  while (pos < s.size()) {
    char c = s[pos++];
    if (c == '"') return true;
    if (c != '\\') {
      out->push_back(c);
      continue;
    }
    if (pos >= s.size()) return false;
    char e = s[pos++];
    switch (e) {
      case '\\': case '"': out->push_back(e); break;
      case 'n': out->push_back('\n'); break;
      case 'r': out->push_back('\r'); break;
      case 't': out->push_back('\t'); break;
      case 'x': {
        if (pos + 2 > s.size()) return false;
        int hi = HexValue(s[pos]), lo = HexValue(s[pos + 1]);
        if (hi < 0 || lo < 0) return false;
        out->push_back(static_cast<char>(hi << 4 | lo));
        pos += 2;
        break;
      }
      default: return false;
    }
  }
  return false;  // no closing quote
}

bool ParseHexList(const std::string& s, size_t pos, std::vector<uint8_t>* out) {
  out->clear();
  if (pos == s.size()) return true;
  while (true) {
    if (pos + 2 > s.size()) return false;
    int hi = HexValue(s[pos]), lo = HexValue(s[pos + 1]);
    if (hi < 0 || lo < 0) return false;
    out->push_back(static_cast<uint8_t>(hi << 4 | lo));
    pos += 2;
    if (pos == s.size()) return true;
    if (s[pos++] != ',') return false;
  }
}

bool ParseValueLine(const std::string& line, PLAT_RegValueRec* v) {
  size_t pos = 0;
  if (line[0] == '@') {
    v->name.clear();
    pos = 1;
  } else if (!ParseQuoted(line, pos, &v->name) || v->name.empty()) {
    return false;
  }
  if (pos >= line.size() || line[pos++] != '=') return false;
  std::string rest = line.substr(pos);
  if (!rest.empty() && rest[0] == '"') {
    std::string text;
    size_t p = 0;
    if (!ParseQuoted(rest, p, &text) || p != rest.size()) return false;
    v->type = PLAT_RegType::String;
    v->data.assign(text.begin(), text.end());
    return true;
  }
  if (rest.rfind("dword:", 0) == 0) {
    if (rest.size() != 14) return false;
    uint32_t x = 0;
    for (size_t i = 6; i < 14; ++i) {
      int h = HexValue(rest[i]);
      if (h < 0) return false;
      x = x << 4 | static_cast<uint32_t>(h);
    }
    v->type = PLAT_RegType::Dword;
    v->data.assign(4, 0);
    PLAT_StoreLE32(v->data.data(), x);
    return true;
  }
  if (rest.rfind("hex:", 0) == 0) {
    v->type = PLAT_RegType::Binary;
    return ParseHexList(rest, 4, &v->data);
  }
  if (rest.rfind("hex(0):", 0) == 0) {
    v->type = PLAT_RegType::None;
    return ParseHexList(rest, 7, &v->data);
  }
  return false;
}

// The node for a [path] line, made with its parents when new; null for a malformed path.
PLAT_RegNode* NodeForPath(PLAT_RegNode& root, const std::string& path) {
  PLAT_RegNode* node = &root;
  size_t pos = 0;
  while (pos < path.size()) {
    size_t end = path.find('\\', pos);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(pos, end - pos);
    if (part.empty()) return nullptr;
    for (char c : part)
      if (static_cast<unsigned char>(c) < 0x20) return nullptr;
    PLAT_RegNode* child = PLAT_RegFindChild(*node, part);
    if (!child) {
      node->children.push_back({part, {}, {}});
      child = &node->children.back();
    }
    node = child;
    pos = end + 1;
    if (end + 1 == path.size()) return nullptr;  // trailing separator
  }
  return node;
}

}  // namespace

bool PLAT_RegNameEqual(const std::string& a, const std::string& b) {
  return PLAT_EqualNoCase(a, b);
}

PLAT_RegNode* PLAT_RegFindChild(PLAT_RegNode& node, const std::string& name) {
  for (PLAT_RegNode& c : node.children)
    if (PLAT_RegNameEqual(c.name, name)) return &c;
  return nullptr;
}

PLAT_RegValueRec* PLAT_RegFindValue(PLAT_RegNode& node, const std::string& name) {
  for (PLAT_RegValueRec& v : node.values)
    if (PLAT_RegNameEqual(v.name, name)) return &v;
  return nullptr;
}

std::string PLAT_RegFormat(const PLAT_RegNode& root) {
  std::string out = std::string(kRegMagic) + "\n";
  FormatNode(root, "", out);
  out += std::string(kRegEnd) + "\n";
  return out;
}

bool PLAT_RegParse(const std::string& text, PLAT_RegNode* root, std::string* error) {
  *root = PLAT_RegNode{};
  PLAT_RegNode* current = nullptr;
  bool ended = false;
  int number = 0;
  size_t pos = 0;
  auto fail = [&](const char* what) {
    *error = std::string(what) + " at line " + std::to_string(number);
    return false;
  };
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) {
      ++number;
      return fail("unterminated last line");
    }
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (number == 1) {
      if (line != kRegMagic) return fail("missing store header");
      continue;
    }
    if (ended) return fail("text after the end mark");
    if (line.empty() || line[0] == ';') continue;
    if (line == kRegEnd) {
      ended = true;
      continue;
    }
    if (line[0] == '[') {
      size_t close = line.rfind(']');
      if (close != line.size() - 1) return fail("malformed key line");
      std::string path = line.substr(1, close - 1);
      current = path.empty() ? root : NodeForPath(*root, path);
      if (!current) return fail("malformed key path");
      continue;
    }
    if (!current) return fail("value outside a key");
    PLAT_RegValueRec v;
    if (!ParseValueLine(line, &v)) return fail("malformed value");
    if (PLAT_RegFindValue(*current, v.name)) return fail("duplicate value");
    current->values.push_back(std::move(v));
  }
  if (number == 0) return fail("empty store");
  if (!ended) return fail("missing end mark");
  return true;
}
