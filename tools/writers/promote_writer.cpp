#include "tools/writers/promote_writer.h"

#include <cstdio>

#include "tools/writers/file_writer.h"

bool vnWRITE_PromoteFile(const std::string& path, const VNWRITE_PROMOTIONS& rows) {
  std::string text;
  for (const auto& row : rows) {
    char line[256];
    std::snprintf(line, sizeof line, "%g %g %g %g %g %g %g\n", row[0], row[1], row[2], row[3],
                  row[4], row[5], row[6]);
    text += line;
  }
  return vnWRITE_WholeFile("vnWRITE_PromoteFile", path, text.data(), text.size());
}
