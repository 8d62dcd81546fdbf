#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <vector>

#include "imaging/bitmap.h"
#include "photo_io/jpeg_reader.h"
#include "photo_io/jpeg_writer.h"
#include "tests/synthetic_photos.h"

namespace rumora {

using testing::PatternPhoto;

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
