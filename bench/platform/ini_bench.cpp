// The locale table: loading its 1,002 lines key by key through the INI reader, as the game
// does, against one plain parse of the same file into a hash map.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bench/goal.h"
#include "engine/memory/memblock.h"
#include "platform/ini.h"
#include "shell/locale.h"
#include "tools/writers/locale_writer.h"

namespace {

constexpr int kReps = 41;

std::vector<std::string> LocaleLines() {
  std::vector<std::string> lines;
  for (int i = 0; i < VN_LOCALE_NUM_LINES; ++i)
    lines.push_back("Some localised text of a typical length " + std::to_string(i));
  return lines;
}

// What a plain program does: read the file and put every key's value in a hash map.
size_t PlainParse(const char* path) {
  std::string text;
  if (FILE* f = std::fopen(path, "rb")) {
    char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
    std::fclose(f);
  }
  std::unordered_map<std::string, std::string> values;
  std::string_view all(text);
  for (size_t pos = 0; pos < all.size();) {
    size_t end = all.find('\n', pos);
    if (end == std::string_view::npos) end = all.size();
    std::string_view line = all.substr(pos, end - pos);
    if (size_t eq = line.find('='); eq != std::string_view::npos)
      values.emplace(line.substr(0, eq), line.substr(eq + 1));
    pos = end + 1;
  }
  return values.size();
}

// Single look-ups of a file that is not held: each checks the file and finds the key.
void BM_IniLookUp(benchmark::State& state) {
  char buf[1000];
  char key[16];
  int i = 0;
  for (auto _ : state) {
    std::snprintf(key, sizeof key, "line%d", i);
    i = (i + 1) % VN_LOCALE_NUM_LINES;
    benchmark::DoNotOptimize(
        PLAT_IniGetString(VN_LOCALE_SECTION, key, "", buf, sizeof buf, "Locale/LocaleData.eng"));
  }
}
BENCHMARK(BM_IniLookUp);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  char folder[] = "/tmp/vnbench-locale-XXXXXX";
  const std::vector<std::string> lines = LocaleLines();
  if (!mkdtemp(folder) || chdir(folder) != 0 || !vnWRITE_LocaleFile(".", "eng", lines) ||
      !SGE_InitMemory(0) || !SPW_CreateEngineBlocks()) {
    std::printf("cannot set up the locale table in %s\n", folder);
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  const double ratio = vnBENCH_Compare(
      "locale table, key by key",
      [] {
        PLAT_IniFlushCache();  // the game reads the table once, from the file
        benchmark::DoNotOptimize(vnLOCALE_SetLanguage(0));
      },
      "locale table, plain parse", [] { benchmark::DoNotOptimize(PlainParse("Locale/LocaleData.eng")); },
      kReps);
  const bool loaded = vnLOCALE_GetLine(VN_LOCALE_NUM_LINES - 1) == lines.back();
  if (!loaded) std::printf("the locale table did not load\n");
  vnBENCH_GoalAtMost("locale_vs_plain_parse", loaded ? ratio : 1e9, 1.6);

  vnLOCALE_Free();
  SPW_ReleaseEngineBlocks();
  SGE_ShutdownMemory();
  std::remove("Locale/LocaleData.eng");
  std::remove("Locale");
  std::remove(folder);
  return 0;
}
