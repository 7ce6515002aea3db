// The locale loader asks for 1,002 keys one by one; the cached parse keeps that cheap.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "platform/ini.h"

namespace {

std::string WriteLocaleFile() {
  char path[] = "/tmp/vnbench-locale-XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) return std::string();
  std::string text = "[LocaleStrings]\n";
  for (int i = 0; i < 1002; ++i)
    text += "line" + std::to_string(i) + "=Some localised text of a typical length " +
            std::to_string(i) + "\n";
  if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) path[0] = '\0';
  close(fd);
  return path;
}

void BM_IniReadLocaleTable(benchmark::State& state) {
  std::string file = WriteLocaleFile();
  if (file.empty()) {
    state.SkipWithError("cannot write the locale file");
    return;
  }
  char buf[1000];
  char key[16];
  for (auto _ : state) {
    for (int i = 0; i < 1002; ++i) {
      std::snprintf(key, sizeof key, "line%d", i);
      benchmark::DoNotOptimize(
          PLAT_IniGetString("LocaleStrings", key, "", buf, sizeof buf, file.c_str()));
    }
  }
  unlink(file.c_str());
}
BENCHMARK(BM_IniReadLocaleTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
