#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace rumora {

// One scan header: which components the scan codes and which part of their coefficients. A
// header cut short keeps the defaults of the part it lacks: every coefficient, first pass.
struct JpegScan {
  std::vector<std::uint8_t> components;  // identifiers, in header order
  int spectralStart = 0;                 // the first coefficient coded (0 is DC)
  int spectralEnd = 63;                  // the last coefficient coded
  bool refinement = false;               // refines coefficients an earlier scan began
  bool operator==(const JpegScan&) const = default;
};

// What a JPEG file's markers show before anything is decoded: how many of its bytes the decoder
// will read, what kind of frame it holds and what each scan codes.
struct JpegMarkerWalk {
  // Bytes up to and including the end-of-image marker, or all of them when it is missing:
  // whatever follows the end marker is never decoded, so it vouches for nothing.
  std::size_t codedBytes = 0;
  // The first frame header's marker code (0xC0 to 0xCF, not 0xC4, 0xC8 or 0xCC: baseline,
  // progressive, lossless, ...) and its bits per sample; 0 while none is seen.
  std::uint8_t frameMarker = 0;
  int samplePrecision = 0;
  // The scans in file order, at most `maxScans` + 1 of them.
  std::vector<JpegScan> scans;
};

// Walks the markers from the start-of-image marker on, as the library reads them: a segment's
// length skips its body (a length below 2 only itself), the coded data after a scan header runs
// to the next marker (0xFF followed by neither 0x00 nor a restart code), and between segments
// bytes up to the next marker, stuffed zeros (0xFF 0x00) included, are passed over. Stops at the
// end-of-image marker, at the end of `bytes`, or after `maxScans` + 1 scans; never reads outside
// `bytes`. Cannot fail.
JpegMarkerWalk WalkJpegMarkers(std::span<const std::uint8_t> bytes, int maxScans);

}  // namespace rumora
