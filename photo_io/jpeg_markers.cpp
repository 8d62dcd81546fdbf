#include "photo_io/jpeg_markers.h"

#include <algorithm>

namespace rumora {
namespace {

constexpr std::uint8_t kStartOfImage = 0xD8, kEndOfImage = 0xD9, kStartOfScan = 0xDA;

bool IsFrameHeader(std::uint8_t code) {
  return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}
bool IsRestart(std::uint8_t code) { return code >= 0xD0 && code <= 0xD7; }
// Markers that stand alone, without a length.
bool IsStandalone(std::uint8_t code) {
  return code == 0x01 || code == kStartOfImage || IsRestart(code);
}

// The position of the next marker's 0xFF at or after `at` in coded data; bytes.size() if none.
std::size_t SkipCodedData(std::span<const std::uint8_t> bytes, std::size_t at) {
  for (; at + 1 < bytes.size(); ++at) {
    if (bytes[at] != 0xFF) continue;
    const std::uint8_t next = bytes[at + 1];
    if (next != 0x00 && !IsRestart(next)) return at;
  }
  return bytes.size();
}

// A scan header's body: the component count, two bytes per component (identifier, tables),
// then the first and last coefficient and the successive-approximation bits.
JpegScan ReadScanHeader(std::span<const std::uint8_t> body) {
  JpegScan scan;
  const std::size_t count = body[0];
  std::size_t at = 1;
  for (std::size_t i = 0; i < count && at < body.size(); ++i, at += 2) {
    scan.components.push_back(body[at]);
  }
  if (at + 2 < body.size()) {
    scan.spectralStart = body[at];
    scan.spectralEnd = body[at + 1];
    scan.refinement = (body[at + 2] >> 4) != 0;
  }
  return scan;
}

}  // namespace

JpegMarkerWalk WalkJpegMarkers(std::span<const std::uint8_t> bytes, int maxScans) {
  JpegMarkerWalk walk;
  walk.codedBytes = bytes.size();
  if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != kStartOfImage) return walk;
  std::size_t at = 2;
  while (at < bytes.size()) {
    // Anything between segments up to the next 0xFF is skipped, as the library does.
    while (at < bytes.size() && bytes[at] != 0xFF) ++at;
    while (at < bytes.size() && bytes[at] == 0xFF) ++at;  // fill bytes
    if (at >= bytes.size()) break;
    const std::uint8_t code = bytes[at++];
    if (code == 0x00) continue;  // a stuffed zero is no marker: the library reads on past it
    if (code == kEndOfImage) {
      walk.codedBytes = at;
      break;
    }
    if (IsStandalone(code)) continue;
    if (at + 2 > bytes.size()) break;
    // A length below 2 cannot hold itself; the library then goes on right after it.
    const std::size_t length =
        std::max<std::size_t>(std::size_t{bytes[at]} << 8 | bytes[at + 1], 2);
    const std::size_t body = at + 2;
    at = std::min(bytes.size(), at + length);
    if (IsFrameHeader(code) && walk.frameMarker == 0 && body < at) {
      walk.frameMarker = code;
      walk.samplePrecision = bytes[body];
    }
    if (code != kStartOfScan) continue;
    if (body < at) walk.scans.push_back(ReadScanHeader(bytes.subspan(body, at - body)));
    if (walk.scans.size() > static_cast<std::size_t>(maxScans)) break;
    at = SkipCodedData(bytes, at);
  }
  return walk;
}

}  // namespace rumora
