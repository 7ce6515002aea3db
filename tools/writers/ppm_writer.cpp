#include "tools/writers/ppm_writer.h"

#include "platform/trace.h"
#include "tools/writers/file_writer.h"

std::vector<uint8_t> vnWRITE_PPM(const vnPPM_IMAGE& image) {
  const uint32_t channels = image.kind == 7 ? 4 : 3;
  if ((image.kind != 6 && image.kind != 7) ||
      image.pixels.size() != static_cast<size_t>(image.width) * image.height * channels) {
    PLAT_Trace("vnWRITE_PPM: P%d image of %ux%u with %zu bytes of pixels\n", image.kind,
               image.width, image.height, image.pixels.size());
    return {};
  }
  std::string header = "P" + std::to_string(image.kind) + "\n";
  if (!image.comment.empty()) header += "# " + image.comment + "\n";
  header += std::to_string(image.width) + " " + std::to_string(image.height) + "\n" +
            std::to_string(image.maxval) + "\n";
  std::vector<uint8_t> out(header.begin(), header.end());
  out.insert(out.end(), image.pixels.begin(), image.pixels.end());
  return out;
}

bool vnWRITE_PPMFile(const std::string& path, const vnPPM_IMAGE& image) {
  const std::vector<uint8_t> bytes = vnWRITE_PPM(image);
  if (bytes.empty()) return false;
  return vnWRITE_WholeFile("vnWRITE_PPMFile", path, bytes.data(), bytes.size());
}
