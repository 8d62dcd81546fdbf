#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <vector>

#include "imaging/bitmap.h"
#include "photo_io/jpeg_reader.h"
#include "photo_io/jpeg_writer.h"
#include "tests/synthetic_photos.h"
#include "tests/test_helpers.h"

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

// The whole file; empty when it cannot be read.
inline QByteArray ReadBytes(const QString& path) {
  return ToBytes(testing::FileBytes(QFile::encodeName(path).toStdString()));
}

// Encodes a pattern photo of the given size as a JPEG file; returns its bytes.
inline QByteArray WritePatternJpeg(const QString& path, int width, int height) {
  const QByteArray bytes = ToBytes(EncodeJpeg(PatternPhoto(width, height), 90));
  WriteBytes(path, bytes);
  return bytes;
}

// The pixels our decoder gives for a file.
inline Bitmap DecodeFile(const QString& path) { return DecodeJpeg(FromBytes(ReadBytes(path))); }

// Where `actual` first differs from `expected` (see PixelDifference); empty when they are equal.
inline QString Difference(const Bitmap& actual, const Bitmap& expected) {
  return QString::fromStdString(testing::PixelDifference(actual, expected));
}

}  // namespace rumora
