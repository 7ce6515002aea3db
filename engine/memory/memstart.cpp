// Memory start and shutdown: the system block from the C runtime, carved into the named blocks.
#include <cstdlib>

#include "engine/memory/memblock.h"
#include "platform/trace.h"

SGE_MEMBLOCK* SGE_SysGlobalBlock = nullptr;
SGE_MEMBLOCK* SGE_DllLists = nullptr;
SGE_MEMBLOCK* SGE_TaskMem = nullptr;
SGE_MEMBLOCK* SGE_MsgMem = nullptr;
SGE_MEMBLOCK* SGE_TRegMem = nullptr;
SGE_MEMBLOCK* SGE_GameMem = nullptr;
SGE_MEMBLOCK* SPW_ObjsMem = nullptr;
SGE_MEMBLOCK* SPW_SpritesMem = nullptr;
SGE_MEMBLOCK* SPW_FObjsMem = nullptr;
SGE_MEMBLOCK* SPW_BrkPtsMem = nullptr;
SGE_MEMBLOCK* SPW_FractMem = nullptr;
SGE_MEMBLOCK* SPW_DObjectMem = nullptr;

namespace {

void* g_systemMemory = nullptr;

struct NamedBlock {
  SGE_MEMBLOCK** slot;
  uint32_t payload;
  const char* name;
};

// Carving order matters only for where each block lands in the system block.
const NamedBlock kKernelBlocks[] = {
    {&SGE_DllLists, SGE_DLLLISTS_SIZE, "SGE_DllLists"},
    {&SGE_TaskMem, SGE_TASKMEM_SIZE, "SGE_TaskMem"},
    {&SGE_MsgMem, SGE_MSGMEM_SIZE, "SGE_MsgMem"},
    {&SGE_TRegMem, SGE_TREGMEM_SIZE, "SGE_TRegMem"},
    {&SGE_GameMem, SGE_GAMEMEM_SIZE, "SGE_GameMem"},
};

const NamedBlock kEngineBlocks[] = {
    {&SPW_ObjsMem, SPW_OBJSMEM_SIZE, "SPW_ObjsMem"},
    {&SPW_SpritesMem, SPW_SPRITESMEM_SIZE, "SPW_SpritesMem"},
    {&SPW_FObjsMem, SPW_FOBJSMEM_SIZE, "SPW_FObjsMem"},
    {&SPW_BrkPtsMem, SPW_BRKPTSMEM_SIZE, "SPW_BrkPtsMem"},
    {&SPW_FractMem, SPW_FRACTMEM_SIZE, "SPW_FractMem"},
    {&SPW_DObjectMem, SPW_DOBJECTMEM_SIZE, "SPW_DObjectMem"},
};

SGE_MEMBLOCK* Carve(const NamedBlock& nb) {
  const uint32_t size = nb.payload + SGE_MEMBLOCK_OVERHEAD;
  void* range = SGE_MemAlloc(SGE_SysGlobalBlock, size);
  SGE_MEMBLOCK* b = range ? SGE_FormatMemBlock(range, size, nb.name) : nullptr;
  if (!b) {
    PLAT_Trace("SGE: cannot carve %s from the system block\n", nb.name);
    SGE_MemFree(range);
  }
  *nb.slot = b;
  return b;
}

void Uncarve(const NamedBlock& nb) {
  SGE_MEMBLOCK* b = *nb.slot;
  *nb.slot = nullptr;
  if (!b) return;
  SGE_ReleaseMemBlock(b);
  SGE_MemFree(b);
}

}  // namespace

int32_t SGE_InitMemory(uint32_t size) {
  if (g_systemMemory) {
    PLAT_Trace("SGE_InitMemory: memory already started\n");
    return 0;
  }
  if (size == 0) size = SGE_SYSBLOCK_SIZE;
  g_systemMemory = std::malloc(size);
  if (!g_systemMemory) {
    PLAT_Trace("SGE_InitMemory: cannot take %u bytes for the system block\n", size);
    return 0;
  }
  SGE_SysGlobalBlock = SGE_FormatMemBlock(g_systemMemory, size, "SGE_SysGlobalBlock");
  if (!SGE_SysGlobalBlock) {
    std::free(g_systemMemory);
    g_systemMemory = nullptr;
    return 0;
  }
  for (const NamedBlock& nb : kKernelBlocks) Carve(nb);
  return (SGE_DllLists && SGE_TaskMem && SGE_MsgMem && SGE_TRegMem) ? 1 : 0;
}

void SGE_ShutdownMemory() {
  if (!g_systemMemory) return;
  for (const NamedBlock& nb : kEngineBlocks) *nb.slot = nullptr;
  for (const NamedBlock& nb : kKernelBlocks) *nb.slot = nullptr;
  if (SGE_SysGlobalBlock) SGE_ReleaseMemBlock(SGE_SysGlobalBlock);
  SGE_SysGlobalBlock = nullptr;
  std::free(g_systemMemory);
  g_systemMemory = nullptr;
}

int32_t SPW_CreateEngineBlocks() {
  if (!SGE_SysGlobalBlock) {
    PLAT_Trace("SPW_CreateEngineBlocks: memory not started\n");
    return 0;
  }
  if (SPW_ObjsMem) {
    PLAT_Trace("SPW_CreateEngineBlocks: engine blocks already exist\n");
    return 0;
  }
  for (const NamedBlock& nb : kEngineBlocks) {
    if (!Carve(nb)) {
      SPW_ReleaseEngineBlocks();
      return 0;
    }
  }
  return 1;
}

void SPW_ReleaseEngineBlocks() {
  for (const NamedBlock& nb : kEngineBlocks) Uncarve(nb);
}

int32_t SPW_ResetFeatureBlock() {
  if (!SGE_IsMemBlock(SPW_FObjsMem)) {
    PLAT_Trace("SPW_ResetFeatureBlock: no feature-object block\n");
    return 0;
  }
  uint32_t size = 0;
  void* range = SGE_GetMemBlockRange(SPW_FObjsMem, &size);
  SGE_ReleaseMemBlock(SPW_FObjsMem);
  SPW_FObjsMem = SGE_FormatMemBlock(range, size, "SPW_FObjsMem_ReCreated");
  return SPW_FObjsMem ? 1 : 0;
}
