#include "app/input_panel_size.h"

#include "imaging/error.h"
#include "imaging/rounding.h"

namespace rumora {

PanelSize InputPanelSize(std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) throw Error("写真が開かれていません");
  const long double proportion = static_cast<long double>(width) / height;
  if (proportion > 1) {
    const double s = static_cast<double>(600.0L / width);
    return {602, Round(static_cast<long double>(height) * s) + 2};
  }
  const double s = static_cast<double>(600.0L / height);
  return {Round(static_cast<long double>(width) * s) + 2, 602};
}

}  // namespace rumora
