// Integer NeuQuant with the classic parameters. Two guards differ from the textbook code:
// small images still shrink alpha and radius (delta at least 1, else a division by zero), and
// the sampling position wraps by remainder, so a step longer than the image stays inside it.
#include "driver/texture/quantise.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kPrime1 = 499, kPrime2 = 491, kPrime3 = 487, kPrime4 = 503;
constexpr int kMaxNetPos = SPPD_QUANT_NETSIZE - 1;
constexpr int kNetBiasShift = 4;
constexpr int kIntBiasShift = 16;
constexpr int kIntBias = 1 << kIntBiasShift;
constexpr int kGammaShift = 10;
constexpr int kBetaShift = 10;
constexpr int kBeta = kIntBias >> kBetaShift;                     // 64
constexpr int kBetaGamma = kIntBias << (kGammaShift - kBetaShift);  // 65536
constexpr int kRadiusBiasShift = 6;
constexpr int kRadiusBias = 1 << kRadiusBiasShift;
constexpr int kInitRadius = SPPD_QUANT_INITRAD * kRadiusBias;
constexpr int kRadiusDec = 30;
constexpr int kAlphaBiasShift = 10;
constexpr int kInitAlpha = 1 << kAlphaBiasShift;
constexpr int kRadBiasShift = 8;
constexpr int kRadBias = 1 << kRadBiasShift;
constexpr int kAlphaRadBShift = kAlphaBiasShift + kRadBiasShift;
constexpr int kAlphaRadBias = 1 << kAlphaRadBShift;

void FillRadPower(SPPD_QUANTISER* q, int rad, int alpha) {
  for (int i = 0; i < rad; ++i)
    q->radPower[i] = alpha * (((rad * rad - i * i) * kRadBias) / (rad * rad));
}

// Finds the closest neuron, updates frequencies and biases, returns the best biased neuron.
int Contest(SPPD_QUANTISER* q, int c0, int c1, int c2) {
  int bestd = 0x7FFFFFFF, bestbiasd = bestd, bestpos = -1, bestbiaspos = -1;
  for (int i = 0; i < SPPD_QUANT_NETSIZE; ++i) {
    const int32_t* n = q->network[i];
    int dist = std::abs(n[0] - c0) + std::abs(n[1] - c1) + std::abs(n[2] - c2);
    if (dist < bestd) {
      bestd = dist;
      bestpos = i;
    }
    int biasdist = dist - (q->bias[i] >> (kIntBiasShift - kNetBiasShift));
    if (biasdist < bestbiasd) {
      bestbiasd = biasdist;
      bestbiaspos = i;
    }
    int betafreq = q->freq[i] >> kBetaShift;
    q->freq[i] -= betafreq;
    q->bias[i] += betafreq << kGammaShift;
  }
  q->freq[bestpos] += kBeta;
  q->bias[bestpos] -= kBetaGamma;
  return bestbiaspos;
}

void AlterSingle(SPPD_QUANTISER* q, int alpha, int i, int c0, int c1, int c2) {
  int32_t* n = q->network[i];
  n[0] -= (alpha * (n[0] - c0)) / kInitAlpha;
  n[1] -= (alpha * (n[1] - c1)) / kInitAlpha;
  n[2] -= (alpha * (n[2] - c2)) / kInitAlpha;
}

void AlterNeighbours(SPPD_QUANTISER* q, int rad, int i, int c0, int c1, int c2) {
  int lo = i - rad;
  if (lo < -1) lo = -1;
  int hi = i + rad;
  if (hi > SPPD_QUANT_NETSIZE) hi = SPPD_QUANT_NETSIZE;
  int j = i + 1, k = i - 1, m = 1;
  while (j < hi || k > lo) {
    const int a = q->radPower[m++];
    if (j < hi) {
      int32_t* p = q->network[j++];
      p[0] -= (a * (p[0] - c0)) / kAlphaRadBias;
      p[1] -= (a * (p[1] - c1)) / kAlphaRadBias;
      p[2] -= (a * (p[2] - c2)) / kAlphaRadBias;
    }
    if (k > lo) {
      int32_t* p = q->network[k--];
      p[0] -= (a * (p[0] - c0)) / kAlphaRadBias;
      p[1] -= (a * (p[1] - c1)) / kAlphaRadBias;
      p[2] -= (a * (p[2] - c2)) / kAlphaRadBias;
    }
  }
}

}  // namespace

uint32_t SPPD_QuantSampleStep(uint32_t lengthCount) {
  if (lengthCount % kPrime1 != 0) return 3 * kPrime1;
  if (lengthCount % kPrime2 != 0) return 3 * kPrime2;
  if (lengthCount % kPrime3 != 0) return 3 * kPrime3;
  return 3 * kPrime4;
}

uint32_t SPPD_QuantDelta(uint32_t lengthCount, int32_t sampleFac) {
  if (sampleFac < 1) sampleFac = 1;
  uint32_t samples = lengthCount / (3u * static_cast<uint32_t>(sampleFac));
  uint32_t delta = samples / SPPD_QUANT_CYCLES;
  return delta ? delta : 1;
}

void SPPD_QuantInit(SPPD_QUANTISER* q, std::span<const uint8_t> picture, int32_t sampleFac) {
  std::memset(q, 0, sizeof *q);
  q->picture = picture.data();
  q->lengthCount = static_cast<uint32_t>(picture.size() - picture.size() % 3);
  q->sampleFac = sampleFac < 1 ? 1 : sampleFac;
  for (int i = 0; i < SPPD_QUANT_NETSIZE; ++i) {
    const int v = (i << (kNetBiasShift + 8)) / SPPD_QUANT_NETSIZE;
    q->network[i][0] = q->network[i][1] = q->network[i][2] = v;
    q->freq[i] = kIntBias / SPPD_QUANT_NETSIZE;
    q->bias[i] = 0;
  }
}

void SPPD_QuantLearn(SPPD_QUANTISER* q) {
  if (q->lengthCount < 3) return;
  const int alphadec = 30 + (q->sampleFac - 1) / 3;
  const uint32_t samplePixels = q->lengthCount / (3u * static_cast<uint32_t>(q->sampleFac));
  const uint32_t delta = SPPD_QuantDelta(q->lengthCount, q->sampleFac);
  const uint32_t step = SPPD_QuantSampleStep(q->lengthCount);
  int alpha = kInitAlpha;
  int radius = kInitRadius;
  int rad = radius >> kRadiusBiasShift;
  if (rad <= 1) rad = 0;
  FillRadPower(q, rad, alpha);

  uint64_t pos = 0;
  for (uint32_t i = 0; i < samplePixels;) {
    const uint8_t* p = q->picture + pos;
    const int c0 = p[0] << kNetBiasShift, c1 = p[1] << kNetBiasShift, c2 = p[2] << kNetBiasShift;
    const int j = Contest(q, c0, c1, c2);
    AlterSingle(q, alpha, j, c0, c1, c2);
    if (rad) AlterNeighbours(q, rad, j, c0, c1, c2);
    pos = (pos + step) % q->lengthCount;
    ++i;
    if (i % delta == 0) {
      alpha -= alpha / alphadec;
      radius -= radius / kRadiusDec;
      rad = radius >> kRadiusBiasShift;
      if (rad <= 1) rad = 0;
      FillRadPower(q, rad, alpha);
    }
  }
}

void SPPD_QuantUnbias(SPPD_QUANTISER* q) {
  for (int i = 0; i < SPPD_QUANT_NETSIZE; ++i) {
    for (int j = 0; j < 3; ++j) {
      int v = (q->network[i][j] + (1 << (kNetBiasShift - 1))) >> kNetBiasShift;
      q->network[i][j] = v > 255 ? 255 : (v < 0 ? 0 : v);
    }
    q->network[i][3] = i;
  }
}

void SPPD_QuantColourMap(const SPPD_QUANTISER* q, uint8_t out[SPPD_QUANT_NETSIZE * 3]) {
  // Entry n is the neuron whose original index is n, whatever the index sort did.
  for (int i = 0; i < SPPD_QUANT_NETSIZE; ++i) {
    const int32_t* n = q->network[i];
    uint8_t* e = out + 3 * n[3];
    e[0] = static_cast<uint8_t>(n[0]);
    e[1] = static_cast<uint8_t>(n[1]);
    e[2] = static_cast<uint8_t>(n[2]);
  }
}

void SPPD_QuantBuildIndex(SPPD_QUANTISER* q) {
  int previouscol = 0, startpos = 0;
  for (int i = 0; i < SPPD_QUANT_NETSIZE; ++i) {
    int smallpos = i, smallval = q->network[i][1];
    for (int j = i + 1; j < SPPD_QUANT_NETSIZE; ++j) {
      if (q->network[j][1] < smallval) {
        smallpos = j;
        smallval = q->network[j][1];
      }
    }
    if (i != smallpos) {
      for (int k = 0; k < 4; ++k) {
        int32_t t = q->network[i][k];
        q->network[i][k] = q->network[smallpos][k];
        q->network[smallpos][k] = t;
      }
    }
    if (smallval != previouscol) {
      q->netIndex[previouscol] = (startpos + i) >> 1;
      for (int j = previouscol + 1; j < smallval; ++j) q->netIndex[j] = i;
      previouscol = smallval;
      startpos = i;
    }
  }
  q->netIndex[previouscol] = (startpos + kMaxNetPos) >> 1;
  for (int j = previouscol + 1; j < 256; ++j) q->netIndex[j] = kMaxNetPos;
}

int32_t SPPD_QuantSearch(const SPPD_QUANTISER* q, int32_t c0, int32_t c1, int32_t c2) {
  int bestd = 1000, best = -1;
  // Takes the entry as the best so far when it is nearer; false once the green gap alone
  // rules out every further entry in that direction (the network is sorted on green).
  auto consider = [&](const int32_t* p, int greenGap) {
    if (greenGap >= bestd) return false;
    int dist = std::abs(greenGap) + std::abs(p[0] - c0);
    if (dist < bestd) {
      dist += std::abs(p[2] - c2);
      if (dist < bestd) {
        bestd = dist;
        best = p[3];
      }
    }
    return true;
  };
  int i = q->netIndex[c1 & 0xFF], j = i - 1;
  while (i < SPPD_QUANT_NETSIZE || j >= 0) {
    if (i < SPPD_QUANT_NETSIZE) {
      const int32_t* p = q->network[i];
      i = consider(p, p[1] - c1) ? i + 1 : SPPD_QUANT_NETSIZE;
    }
    if (j >= 0) {
      const int32_t* p = q->network[j];
      j = consider(p, c1 - p[1]) ? j - 1 : -1;
    }
  }
  return best;
}

void SPPD_Quantise(SPPD_QUANTISER* q, std::span<const uint8_t> picture, int32_t sampleFac,
                   uint8_t colourMap[SPPD_QUANT_NETSIZE * 3]) {
  SPPD_QuantInit(q, picture, sampleFac);
  SPPD_QuantLearn(q);
  SPPD_QuantUnbias(q);
  SPPD_QuantColourMap(q, colourMap);
  SPPD_QuantBuildIndex(q);
}
