#include "platform/dynlib.h"

#include <elf.h>
#include <gtest/gtest.h>
#include <link.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "tests/support/support.h"

namespace fs = std::filesystem;

TEST(Dynlib, LoadsFindsCodeAndDataAndFrees) {
  PLAT_Library* lib = PLAT_LoadLibrary(VN_DYNLIB_FIXTURE);
  ASSERT_NE(lib, nullptr);
  auto add = reinterpret_cast<int (*)(int, int)>(PLAT_FindSymbol(lib, "vnfixture_add"));
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(2, 40), 42);
  auto guid = static_cast<const unsigned char*>(PLAT_FindSymbol(lib, "vnfixture_guid"));
  ASSERT_NE(guid, nullptr);
  EXPECT_EQ(guid[0], 0x58);
  EXPECT_EQ(guid[15], 0x11);

  vntest::TraceCapture trace;
  EXPECT_EQ(PLAT_FindSymbol(lib, "SPPD_NotThere"), nullptr);
  EXPECT_TRUE(trace.contains("SPPD_NotThere"));
  PLAT_FreeLibrary(lib);
}

TEST(Dynlib, BareNamesLoadFromTheWorkingDirectoryWithoutRegardToCase) {
  vntest::TempDir dir;
  fs::copy_file(VN_DYNLIB_FIXTURE, dir.file("libGfxFixture.so"));
  vntest::ScopedWorkingDir cwd(dir.path());
  PLAT_Library* lib = PLAT_LoadLibrary("LIBGFXFIXTURE.SO");
  ASSERT_NE(lib, nullptr);
  EXPECT_NE(PLAT_FindSymbol(lib, "vnfixture_add"), nullptr);
  PLAT_FreeLibrary(lib);
}

TEST(Dynlib, FailuresAreTracedWithTheLoaderMessage) {
  vntest::TempDir dir;
  std::string notLib = dir.write("libfake.so", "this is not an ELF file");
  vntest::TraceCapture trace;
  EXPECT_EQ(PLAT_LoadLibrary(dir.file("libmissing.so").c_str()), nullptr);
  EXPECT_TRUE(trace.contains("libmissing.so"));
  EXPECT_EQ(PLAT_LoadLibrary(notLib.c_str()), nullptr);
  EXPECT_EQ(trace.lines().size(), 2u);
  EXPECT_TRUE(trace.contains("libfake.so"));
  EXPECT_EQ(PLAT_LoadLibrary(nullptr), nullptr);
  EXPECT_EQ(PLAT_FindSymbol(nullptr, "x"), nullptr);
  PLAT_FreeLibrary(nullptr);
}

// Cut-short or damaged copies of a real library: the loader would map the missing pages and die
// of SIGBUS, so each is refused before loading, with one trace naming the file and the fault.
TEST(Dynlib, DamagedLibrariesAreRefusedBeforeTheLoaderSeesThem) {
  const std::string whole = vntest::readFile(VN_DYNLIB_FIXTURE);
  ASSERT_GT(whole.size(), sizeof(ElfW(Ehdr)));
  ElfW(Ehdr) eh;
  std::memcpy(&eh, whole.data(), sizeof eh);
  // The end of the last loadable segment's bytes in the file.
  uint64_t loadEnd = 0;
  for (int i = 0; i < eh.e_phnum; ++i) {
    ElfW(Phdr) ph;
    std::memcpy(&ph, whole.data() + eh.e_phoff + i * sizeof ph, sizeof ph);
    if (ph.p_type == PT_LOAD) loadEnd = std::max<uint64_t>(loadEnd, ph.p_offset + ph.p_filesz);
  }
  ASSERT_GT(loadEnd, 4096u);
  auto header = [&](const std::function<void(ElfW(Ehdr)&)>& change) {
    std::string bytes = whole;
    ElfW(Ehdr) h = eh;
    change(h);
    std::memcpy(bytes.data(), &h, sizeof h);
    return bytes;
  };
  // Cut inside the loadable segments, with the section table dropped so that only the
  // segments' own ranges can tell.
  std::string cutSegments = header([](ElfW(Ehdr)& h) { h.e_shoff = 0; h.e_shnum = 0; h.e_shstrndx = 0; });
  cutSegments.resize(loadEnd - 100);

  struct Case {
    const char* name;
    std::string bytes;
    const char* fault;
  } const cases[] = {
      {"empty", "", "not an ELF file"},
      {"garbage", std::string(4096, '\x5a'), "not an ELF file"},
      {"identity only", whole.substr(0, EI_NIDENT), "ELF header cut short"},
      {"header only", whole.substr(0, sizeof eh), "program header table outside the file"},
      {"cut in half", whole.substr(0, whole.size() / 2), "section header table outside the file"},
      {"one byte short", whole.substr(0, whole.size() - 1), "section header table outside the file"},
      {"cut inside a loadable segment", cutSegments, "a loadable segment runs past the end"},
      {"program headers far away",
       header([](ElfW(Ehdr)& h) { h.e_phoff = ~0ull - 8; }), "program header table outside"},
      {"section count too large",
       header([](ElfW(Ehdr)& h) { h.e_shnum = 0xffff; }), "section header table outside"},
      {"other class", header([](ElfW(Ehdr)& h) { h.e_ident[EI_CLASS] = ELFCLASS32; }),
       "ELF class"},
      {"other processor", header([](ElfW(Ehdr)& h) { h.e_machine = EM_SPARC; }),
       "another processor"},
      {"a program, not a library", header([](ElfW(Ehdr)& h) { h.e_type = ET_EXEC; }),
       "not a shared object"},
  };
  vntest::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.write("libbroken.so", c.bytes);
    vntest::TraceCapture trace;
    EXPECT_FALSE(PLAT_IsLoadableLibrary(path.c_str()));
    EXPECT_EQ(PLAT_LoadLibrary(path.c_str()), nullptr);
    ASSERT_EQ(trace.lines().size(), 2u);
    EXPECT_NE(trace.lines()[1].find("libbroken.so"), std::string::npos) << trace.lines()[1];
    EXPECT_NE(trace.lines()[1].find(c.fault), std::string::npos) << trace.lines()[1];
  }
  // The whole copy still loads.
  const std::string good = dir.write("libgood.so", whole);
  EXPECT_TRUE(PLAT_IsLoadableLibrary(good.c_str()));
  PLAT_Library* lib = PLAT_LoadLibrary(good.c_str());
  ASSERT_NE(lib, nullptr);
  PLAT_FreeLibrary(lib);
}

TEST(Dynlib, ANamedPipeOrAFolderIsNoLibrary) {
  vntest::TempDir dir;
  const std::string fifo = dir.file("libpipe.so");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directory(dir.file("libfolder.so"));
  vntest::TraceCapture trace;
  EXPECT_EQ(PLAT_LoadLibrary(fifo.c_str()), nullptr);  // would block in the loader otherwise
  EXPECT_EQ(PLAT_LoadLibrary(dir.file("libfolder.so").c_str()), nullptr);
  EXPECT_EQ(trace.lines().size(), 2u);
  EXPECT_TRUE(trace.contains("not a regular file"));
}

TEST(Dynlib, GameNamesMapToSharedObjectNames) {
  EXPECT_EQ(PLAT_LibraryFileName("gfxdrv"), "libgfxdrv.so");
  EXPECT_EQ(PLAT_LibraryFileName("gfxdrv.dll"), "libgfxdrv.so");
  EXPECT_EQ(PLAT_LibraryFileName("GFXDRV.DLL"), "libGFXDRV.so");
  EXPECT_EQ(PLAT_LibraryFileName("drivers/gfxdrv.dll"), "drivers/libgfxdrv.so");
  EXPECT_EQ(PLAT_LibraryFileName("libgfxdrv.so"), "libgfxdrv.so");
  EXPECT_STREQ(PLAT_LibraryPattern(), "lib*.so");
}
