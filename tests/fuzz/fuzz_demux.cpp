// libFuzzer target: the pack demultiplexer on arbitrary bytes. Every packet it gives
// must lie inside the pack.
#include "dvd/demux.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  dvd::PesPacket packets[32];
  int n = dvd::DemuxPack(data, size, packets, 32);
  if (n < -1 || n > 32) std::abort();
  for (int i = 0; i < n; ++i) {
    const dvd::PesPacket &p = packets[i];
    if (p.payload < data || p.payload + p.size > data + size) std::abort();
    volatile uint8_t sink = 0;
    for (size_t k = 0; k < p.size; ++k) sink = sink + p.payload[k];
  }
  return 0;
}
