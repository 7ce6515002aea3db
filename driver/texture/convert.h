#pragma once
// Texture conversion and the texture cache: source images become pixels in one of the
// device's texture formats, kept on disk as <source folder>/tcache/<name>.txf, and device
// textures are made from converted pixels or straight from a current cache file.
//
// The texture table drives a texture through two steps:
//   3 -> 2  SPPD_TextureConvertFile: converts, or confirms that the cache file is current;
//   2 -> 1  SPPD_TextureCreateSurfaceFrom: makes the device texture from the pixels the first
//           step handed back or, when it handed back none, from the cache file.
// SPPD_TextureLoadFile runs both.
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "driver/device/device.h"
#include "driver/core/state.h"
#include "driver/texture/txf.h"
#include "platform/gfx/gfx.h"

struct SPPD_PPMIMAGE;
struct SPPD_PPMHEADER;

// Converted pixels with the header their cache file has.
struct SPPD_TEXIMAGE {
  SPPD_TXFHEADER header{};
  std::vector<uint8_t> palette;  // SPPD_TXF_PALETTE_SIZE bytes when palettised, else empty
  std::vector<uint8_t> pixels;   // width x height x bytes per pixel, rows top first
};

// A device texture and what its users need to know of it.
struct SPPD_TEXSURFACE {
  PLAT_GfxTexture* texture = nullptr;  // the caller releases it
  int32_t width = 0;
  int32_t height = 0;
  int32_t levels = 0;
};

// Chooses the formats opaque ("P6") and alpha ("P7") images are converted to. 1 when both
// exist, else -1 (no texture can be converted then).
int32_t SPPD_TextureChooseFormats(std::span<const SPPD_TEXFORMATENTRY> formats, int32_t palette,
                                  const SPPD_TEXFORMATENTRY** outOpaque,
                                  const SPPD_TEXFORMATENTRY** outAlpha);

// Packs a source image into a format: "P6" images with every alpha bit set, "P7" images with
// their alpha; a palettised format quantises to 256 colours. The header's GUIDs are left zero.
int32_t SPPD_TexturePack(const SPPD_PPMIMAGE& image, const SPPD_TEXFORMATENTRY& format,
                         SPPD_TEXIMAGE* out);

// Writes the whole cache file of the image packed into the format, for this driver and the
// device: the bytes SPPD_TexturePack and SPPD_TxfWrite give, but packed a block at a time with
// no buffer of the whole texture. Result 1, 0 when a write fails, -1 (nothing written) when the
// image or the format cannot be packed; failures are traced.
int32_t SPPD_TextureWritePacked(FILE* f, const char* path, const SPPD_PPMIMAGE& image,
                                const SPPD_TEXFORMATENTRY& format, const PLAT_GUID& device);
// The same for a true-colour format straight from the source file, its header read
// (SPPD_ReadPPMSourceHeader): its pixels are read a block at a time as they are packed, so no
// buffer of the whole image is made either. -1 also when the source is cut short; the file
// then holds part of a cache file, for the caller to remove.
int32_t SPPD_TextureWritePackedSource(FILE* f, const char* path, FILE* source,
                                      const SPPD_PPMHEADER& header,
                                      const SPPD_TEXFORMATENTRY& format, const PLAT_GUID& device);

// The chosen 3D device whose identity cache files carry; none before the device exists.
const PLAT_GUID* SPPD_TextureDeviceGuid(const SPPD_DRIVERSTATE* state);

// <source folder>/tcache/<file name>.txf; either separator is accepted in the source.
std::string SPPD_TextureCachePathFor(const char* sourcePath);

// Level 3 to 2 for a texture of the display. Result 1 or -1. On 1, out (when given) holds the
// converted pixels, or none when the cache file was current and is to be read instead. A cache
// file is current when its header and sizes are sound, it names this driver, this 3D device
// and one of the two chosen formats, and it is not older than its source.
int32_t SPPD_TextureConvertFile(SPPD_DRIVERSTATE* state, const char* sourcePath,
                                const char* cachePath, int32_t palette, SPPD_TEXIMAGE* out);

// Converts one source into its cache file for the precache walk. With force 0 a current header
// ends the call early; a cache file that cannot be written ends it with 1. Result 1 or -1.
int32_t SPPD_TexturePrecacheFile(SPPD_DRIVERSTATE* state, const char* sourcePath,
                                 int32_t palette, int32_t force);

// Reads a whole cache file made by this driver for this 3D device (its pixel format is taken
// as stored). False (traced) when it is missing, malformed or made elsewhere.
bool SPPD_TextureReadCache(const SPPD_DRIVERSTATE* state, const char* cachePath,
                           SPPD_TEXIMAGE* out);

// Level 2 to 1: makes the device texture (with its mip levels when the display asks for them)
// from the image, or from the cache file when image is null. Result 1 with out filled, or -1.
int32_t SPPD_TextureCreateSurfaceFrom(SPPD_DRIVERSTATE* state, const char* cachePath,
                                      const SPPD_TEXIMAGE* image, SPPD_TEXSURFACE* out);

// Both steps for one source: converts or reuses the cache, then makes the texture.
int32_t SPPD_TextureLoadFile(SPPD_DRIVERSTATE* state, const char* sourcePath,
                             const char* cachePath, int32_t palette, SPPD_TEXSURFACE* out);

// Mip levels of a texture: counted from its smaller side, none below 8 pixels.
int32_t SPPD_TextureMipLevels(uint32_t width, uint32_t height);
