// Load-time conversion, the precache conversion and the cache-file checks they share.
#include "driver/texture/convert.h"

#include <algorithm>
#include <cstdio>

#include "driver/core/lasterror.h"
#include "driver/texture/ppm.h"
#include "engine/driver/sppd.h"
#include "platform/files.h"
#include "platform/trace.h"

namespace {

bool SameFormat(const uint8_t stored[SPPD_PIXELFORMAT_BYTES], const SPPD_TEXFORMATENTRY& f) {
  uint8_t bytes[SPPD_PIXELFORMAT_BYTES];
  SPPD_PixelFormatToBytes(f.format, bytes);
  return std::equal(bytes, bytes + SPPD_PIXELFORMAT_BYTES, stored);
}

// A cache file is current for this driver, this device and either chosen format.
bool HeaderCurrent(FILE* cache, const char* path, const PLAT_GUID& device,
                   const SPPD_TEXFORMATENTRY& opaque, const SPPD_TEXFORMATENTRY& alpha) {
  SPPD_TXFHEADER h;
  if (!SPPD_TxfReadHeader(cache, path, &h)) return false;
  if (!PLAT_GuidEqual(h.driverGuid, SPPD_GUID) || !PLAT_GuidEqual(h.deviceGuid, device))
    return false;
  return SameFormat(h.pixelFormat, opaque) || SameFormat(h.pixelFormat, alpha);
}

// A cache file written before its source was last changed no longer shows it.
bool OlderThanSource(const char* cachePath, const char* sourcePath) {
  int64_t cacheTime = 0, sourceTime = 0;
  if (!PLAT_FileStat(cachePath, &cacheTime, nullptr) ||
      !PLAT_FileStat(sourcePath, &sourceTime, nullptr))
    return true;
  return cacheTime < sourceTime;
}

std::string FolderOf(const std::string& path) {
  size_t sep = path.find_last_of("/\\");
  return sep == std::string::npos ? std::string() : path.substr(0, sep);
}

bool MakeCacheFolder(const char* cachePath) {
  std::string folder = FolderOf(cachePath);
  return folder.empty() || PLAT_MakeDirectory(folder.c_str());
}

// The source image and the format it goes to: alpha for a "P7" image, else opaque.
const SPPD_TEXFORMATENTRY* ReadSource(FILE* source, const char* sourcePath,
                                      const SPPD_TEXFORMATENTRY& opaque,
                                      const SPPD_TEXFORMATENTRY& alpha, SPPD_PPMIMAGE* image) {
  const int32_t kind = SPPD_ReadPPM(source, image);
  if (kind == SPPD_PPM_NONE) {
    PLAT_Trace("GFXDRV: SPPD_TextureConvert: %s is not a P6 or P7 image\n", sourcePath);
    return nullptr;
  }
  return kind == SPPD_PPM_P7 ? &alpha : &opaque;
}

// Reads and packs the source, fills the header's identities.
int32_t ConvertImage(FILE* source, const char* sourcePath, const PLAT_GUID& device,
                     const SPPD_TEXFORMATENTRY& opaque, const SPPD_TEXFORMATENTRY& alpha,
                     SPPD_TEXIMAGE* out) {
  SPPD_PPMIMAGE image;
  const SPPD_TEXFORMATENTRY* format = ReadSource(source, sourcePath, opaque, alpha, &image);
  if (!format) return SPPD_FAIL;
  if (SPPD_TexturePack(image, *format, out) != SPPD_OK)
    return SPPD_FAIL;
  out->header.driverGuid = SPPD_GUID;
  out->header.deviceGuid = device;
  return SPPD_OK;
}

// Writes the whole cache file into f (closed here); a failed write leaves no file behind to be
// mistaken for one.
void WriteCacheTo(FILE* f, const char* cachePath, const SPPD_TEXIMAGE* image) {
  bool ok = image && SPPD_TxfWrite(f, cachePath, image->header, image->palette, image->pixels);
  ok = std::fclose(f) == 0 && ok;
  if (!ok) PLAT_RemoveFile(cachePath);
}

void WriteCache(const char* cachePath, const SPPD_TEXIMAGE& image) {
  FILE* f = PLAT_FOpen(cachePath, "wb");
  if (!f) {
    PLAT_Trace("GFXDRV: SPPD_TextureConvert: cannot write the cache file %s\n", cachePath);
    return;
  }
  WriteCacheTo(f, cachePath, &image);
}

// The source packed into its cache file as it is read and written: the cache file is all the
// precache walk keeps of the texture. Palettising needs the whole image first.
int32_t WritePackedFrom(FILE* source, const char* sourcePath, FILE* out, const char* cachePath,
                        const SPPD_TEXFORMATENTRY& opaque, const SPPD_TEXFORMATENTRY& alpha,
                        const PLAT_GUID& device) {
  SPPD_PPMHEADER header;
  const int32_t kind = SPPD_ReadPPMSourceHeader(source, &header);
  if (kind == SPPD_PPM_NONE) {
    PLAT_Trace("GFXDRV: SPPD_TextureConvert: %s is not a P6 or P7 image\n", sourcePath);
    return -1;
  }
  const SPPD_TEXFORMATENTRY& format = kind == SPPD_PPM_P7 ? alpha : opaque;
  if (!format.palettised)
    return SPPD_TextureWritePackedSource(out, cachePath, source, header, format, device);
  std::rewind(source);
  SPPD_PPMIMAGE image;
  if (!ReadSource(source, sourcePath, opaque, alpha, &image)) return -1;
  return SPPD_TextureWritePacked(out, cachePath, image, format, device);
}

bool Formats(SPPD_DRIVERSTATE* s, int32_t palette, const SPPD_TEXFORMATENTRY** opaque,
             const SPPD_TEXFORMATENTRY** alpha) {
  return SPPD_TextureChooseFormats(s->pLists->texFormats, palette, opaque, alpha) == SPPD_OK;
}

}  // namespace

const PLAT_GUID* SPPD_TextureDeviceGuid(const SPPD_DRIVERSTATE* s) {
  if (!s || !s->pLists) return nullptr;
  const SPPD_ENUMLISTS& L = *s->pLists;
  if (L.chosenDevice < 0 || static_cast<size_t>(L.chosenDevice) >= L.devices.size())
    return nullptr;
  return &L.devices[static_cast<size_t>(L.chosenDevice)].desc.guid;
}

std::string SPPD_TextureCachePathFor(const char* sourcePath) {
  std::string src = sourcePath ? sourcePath : "";
  size_t sep = src.find_last_of("/\\");
  std::string folder = sep == std::string::npos ? std::string() : src.substr(0, sep + 1);
  std::string leaf = sep == std::string::npos ? src : src.substr(sep + 1);
  size_t dot = leaf.find_last_of('.');
  if (dot != std::string::npos) leaf.resize(dot);
  const char slash = sep == std::string::npos ? '/' : src[sep];
  return folder + "tcache" + slash + leaf + ".txf";
}

int32_t SPPD_TextureConvertFile(SPPD_DRIVERSTATE* s, const char* sourcePath,
                                const char* cachePath, int32_t palette, SPPD_TEXIMAGE* out) {
  if (out) *out = SPPD_TEXIMAGE{};
  const PLAT_GUID* device = SPPD_TextureDeviceGuid(s);
  if (!device || !sourcePath || !cachePath) {
    PLAT_Trace("GFXDRV: SPPD_TextureConvert: no device, source or cache path\n");
    return SPPD_FAIL;
  }
  PLAT_FileHandle source(PLAT_FOpen(sourcePath, "rb"));
  if (!source) {
    PLAT_Trace("GFXDRV: SPPD_TextureConvert: cannot open the source %s\n", sourcePath);
    return SPPD_FAIL;
  }
  const SPPD_TEXFORMATENTRY *opaque, *alpha;
  if (!Formats(s, palette, &opaque, &alpha)) return SPPD_FAIL;
  {
    PLAT_FileHandle cache(PLAT_FOpen(cachePath, "rb"));
    if (cache && HeaderCurrent(cache.get(), cachePath, *device, *opaque, *alpha) &&
        !OlderThanSource(cachePath, sourcePath))
      return SPPD_OK;
  }
  if (!MakeCacheFolder(cachePath))
    PLAT_Trace("GFXDRV: SPPD_TextureConvert: cannot make the folder of %s\n", cachePath);
  SPPD_TEXIMAGE local;
  SPPD_TEXIMAGE* image = out ? out : &local;
  if (ConvertImage(source.get(), sourcePath, *device, *opaque, *alpha, image) != SPPD_OK) {
    *image = SPPD_TEXIMAGE{};
    return SPPD_FAIL;
  }
  WriteCache(cachePath, *image);
  return SPPD_OK;
}

int32_t SPPD_TexturePrecacheFile(SPPD_DRIVERSTATE* s, const char* sourcePath, int32_t palette,
                                 int32_t force) {
  const PLAT_GUID* device = SPPD_TextureDeviceGuid(s);
  if (!device || !sourcePath) {
    PLAT_Trace("GFXDRV: SPPD_TexturePrecacheFile: no device or source\n");
    return SPPD_FAIL;
  }
  const std::string cachePath = SPPD_TextureCachePathFor(sourcePath);
  MakeCacheFolder(cachePath.c_str());
  PLAT_FileHandle source(PLAT_FOpen(sourcePath, "rb"));
  if (!source) {
    PLAT_Trace("GFXDRV: SPPD_TexturePrecacheFile: cannot open the source %s\n", sourcePath);
    return SPPD_FAIL;
  }
  const SPPD_TEXFORMATENTRY *opaque, *alpha;
  if (!Formats(s, palette, &opaque, &alpha)) return SPPD_FAIL;
  if (!force) {
    PLAT_FileHandle cache(PLAT_FOpen(cachePath.c_str(), "rb"));
    if (cache && HeaderCurrent(cache.get(), cachePath.c_str(), *device, *opaque, *alpha))
      return SPPD_OK;
  }
  // Nothing is converted that could not be kept.
  FILE* out = PLAT_FOpen(cachePath.c_str(), "wb");
  if (!out) {
    PLAT_Trace("GFXDRV: SPPD_TexturePrecacheFile: cannot write the cache file %s\n",
               cachePath.c_str());
    return SPPD_OK;
  }
  const int32_t written = WritePackedFrom(source.get(), sourcePath, out, cachePath.c_str(),
                                          *opaque, *alpha, *device);
  const bool closed = std::fclose(out) == 0;
  if (written != 1 || !closed) PLAT_RemoveFile(cachePath.c_str());
  return written == -1 ? SPPD_FAIL : SPPD_OK;
}

int32_t SPPD_TextureLoadFile(SPPD_DRIVERSTATE* s, const char* sourcePath, const char* cachePath,
                             int32_t palette, SPPD_TEXSURFACE* out) {
  SPPD_TEXIMAGE image;
  if (SPPD_TextureConvertFile(s, sourcePath, cachePath, palette, &image) != SPPD_OK)
    return SPPD_FAIL;
  return SPPD_TextureCreateSurfaceFrom(s, cachePath, image.pixels.empty() ? nullptr : &image,
                                       out);
}
