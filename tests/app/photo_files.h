#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <vector>

#include "imaging/bitmap.h"
#include "photo_io/jpeg_reader.h"
#include "photo_io/jpeg_writer.h"

namespace rumora {

// A photo whose pixels differ along both axes and between channels, so a swapped axis, a
// mirrored copy or a shifted block shows.
inline Bitmap PatternPhoto(int width, int height) {
  Bitmap photo(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = photo.Row(y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));        // blue
      row[3 * x + 1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));   // green
      row[3 * x + 2] = static_cast<std::uint8_t>(((x / 16 + y / 16) % 2) ? 200 : 40);  // red
    }
  }
  return photo;
}

inline QByteArray ToBytes(const std::vector<std::uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<qsizetype>(bytes.size()));
}

inline std::vector<std::uint8_t> FromBytes(const QByteArray& bytes) {
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Encodes a pattern photo of the given size as a JPEG file; returns its bytes.
inline QByteArray WritePatternJpeg(const QString& path, int width, int height) {
  const QByteArray bytes = ToBytes(EncodeJpeg(PatternPhoto(width, height), 90));
  WriteBytes(path, bytes);
  return bytes;
}

// The pixels our decoder gives for a file.
inline Bitmap DecodeFile(const QString& path) { return DecodeJpeg(FromBytes(ReadBytes(path))); }

// Where `actual` first differs from `expected`: the size, or the pixel's position, channel and
// both values; empty when they are equal.
inline QString Difference(const Bitmap& actual, const Bitmap& expected) {
  if (actual.Width() != expected.Width() || actual.Height() != expected.Height()) {
    return QString("size %1x%2, expected %3x%4")
        .arg(actual.Width())
        .arg(actual.Height())
        .arg(expected.Width())
        .arg(expected.Height());
  }
  static const char* const kChannels[] = {"blue", "green", "red"};
  for (int y = 0; y < actual.Height(); ++y) {
    for (int i = 0; i < actual.Width() * 3; ++i) {
      if (actual.Row(y)[i] != expected.Row(y)[i]) {
        return QString("pixel (%1,%2) %3: expected %4, actual %5")
            .arg(i / 3)
            .arg(y)
            .arg(kChannels[i % 3])
            .arg(expected.Row(y)[i])
            .arg(actual.Row(y)[i]);
      }
    }
  }
  return QString();
}

}  // namespace rumora
