#pragma once
// Palette quantiser: reduces a three-byte-per-pixel image to 256 colours with a self-organising
// network (integer NeuQuant). Component order is whatever the image uses and is kept through
// to the colour map. Each quantiser record is independent, so any number may run.
#include <cstdint>
#include <span>

constexpr int SPPD_QUANT_NETSIZE = 256;
constexpr int SPPD_QUANT_SAMPLEFAC = 10;  // the conversion's sample factor
constexpr int SPPD_QUANT_CYCLES = 100;
constexpr int SPPD_QUANT_INITRAD = SPPD_QUANT_NETSIZE >> 3;  // 32 neurons

struct SPPD_QUANTISER {
  const uint8_t* picture;
  uint32_t lengthCount;  // bytes, a whole number of pixels
  int32_t sampleFac;
  int32_t network[SPPD_QUANT_NETSIZE][4];  // components times 16, then the original index
  int32_t netIndex[256];                   // search start per second component
  int32_t bias[SPPD_QUANT_NETSIZE];
  int32_t freq[SPPD_QUANT_NETSIZE];
  int32_t radPower[SPPD_QUANT_INITRAD];
};

// Bytes between two learning samples: 3 x the first of 499, 491, 487 that does not divide the
// length, else 3 x 503.
uint32_t SPPD_QuantSampleStep(uint32_t lengthCount);
// Learning samples per shrink of alpha and radius: a hundredth of the samples, at least 1.
uint32_t SPPD_QuantDelta(uint32_t lengthCount, int32_t sampleFac);

void SPPD_QuantInit(SPPD_QUANTISER* q, std::span<const uint8_t> picture, int32_t sampleFac);
void SPPD_QuantLearn(SPPD_QUANTISER* q);
void SPPD_QuantUnbias(SPPD_QUANTISER* q);
void SPPD_QuantColourMap(const SPPD_QUANTISER* q, uint8_t out[SPPD_QUANT_NETSIZE * 3]);
void SPPD_QuantBuildIndex(SPPD_QUANTISER* q);
// Nearest palette index of a colour (components in the image's order); after the index.
int32_t SPPD_QuantSearch(const SPPD_QUANTISER* q, int32_t c0, int32_t c1, int32_t c2);

// The whole run: init, learn, unbias, colour map, index.
void SPPD_Quantise(SPPD_QUANTISER* q, std::span<const uint8_t> picture, int32_t sampleFac,
                   uint8_t colourMap[SPPD_QUANT_NETSIZE * 3]);
