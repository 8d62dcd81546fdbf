#include "photo_io/sjis_names.h"

#include <iconv.h>

#include <cerrno>

#include "imaging/error.h"

namespace rumora {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool IsSeparator(char c) { return c == '\\' || c == ':' || c == '/'; }

// The position of the last single-byte character for which `match` holds; kNone if none does.
template <typename Match>
std::size_t FindLastCharacter(std::string_view name, Match match,
                              NameEncoding encoding = NameEncoding::kCp932) {
  const bool pairs = encoding == NameEncoding::kCp932;
  std::size_t found = kNone;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (pairs && IsSjisLeadByte(static_cast<std::uint8_t>(name[i])) && i + 1 < name.size()) {
      ++i;  // skip the second byte
    } else if (match(name[i])) {
      found = i;
    }
  }
  return found;
}

// One iconv conversion descriptor, closed when it goes.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw Error(std::string("文字コードを変換できません (") + from + " → " + to + ")");
    }
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() { ::iconv_close(cd_); }

  std::optional<std::string> Convert(const std::string& input) {
    std::string output(input.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t in_left = input.size();
    std::size_t done = 0;
    for (;;) {
      char* out = output.data() + done;
      std::size_t out_left = output.size() - done;
      const std::size_t result = ::iconv(cd_, &in, &in_left, &out, &out_left);
      done = output.size() - out_left;
      if (result != static_cast<std::size_t>(-1)) {
        if (in_left == 0) break;
        continue;
      }
      if (errno == E2BIG) {
        output.resize(output.size() * 2);
        continue;
      }
      return std::nullopt;  // EILSEQ or EINVAL: no form in the target, or a broken input
    }
    output.resize(done);
    return output;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string FolderPart(std::string_view name) {
  const std::size_t last = FindLastCharacter(name, IsSeparator);
  return last == kNone ? std::string() : std::string(name.substr(0, last + 1));
}

std::string CutToFolderCapacity(std::string_view folder) {
  return std::string(folder.substr(0, kFolderCapacity));
}

std::string ForceJpgExtension(std::string_view name, NameEncoding encoding) {
  const std::size_t last = FindLastCharacter(
      name, [](char c) { return c == '.' || IsSeparator(c); }, encoding);
  std::string result(name.substr(0, last != kNone && name[last] == '.' ? last : name.size()));
  result += ".jpg";
  return result;
}

std::optional<std::string> Utf8ToCp932(const std::string& utf8) {
  std::optional<std::string> cp932 = Converter("CP932", "UTF-8").Convert(utf8);
  // Some characters are mapped to a look-alike (a wave dash to a full-width tilde, a yen sign
  // to a backslash). A name that would not come back as it was has no Shift-JIS form.
  if (cp932 && Converter("UTF-8", "CP932").Convert(*cp932) != utf8) return std::nullopt;
  return cp932;
}

std::optional<std::string> Cp932ToUtf8(const std::string& cp932) {
  return Converter("UTF-8", "CP932").Convert(cp932);
}

}  // namespace rumora
