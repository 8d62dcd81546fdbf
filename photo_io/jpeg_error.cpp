#include "photo_io/jpeg_error.h"

#include <jerror.h>

namespace rumora::jpeg_detail {
namespace {

[[noreturn]] void ExitWithError(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, manager->message);
  std::longjmp(manager->jump, 1);
}

void PrintNothing(j_common_ptr) {}

// The warnings after which part of the picture is the library's fill, not the file's data: the
// file ends early, a scan's data ends early or cannot be decoded, or restart markers are lost.
// Others (bytes between markers, an unusual progression, a newer JFIF version) leave the picture
// whole.
bool MeansDataLost(int code) {
  return code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE ||
         code == JWRN_ARITH_BAD_CODE || code == JWRN_MUST_RESYNC;
}

void CountMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages: nothing is printed
  auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
  ++cinfo->err->num_warnings;
  if (MeansDataLost(cinfo->err->msg_code)) manager->dataLost = true;
}

}  // namespace

void FailWithMessage(j_common_ptr cinfo, const char* message) {
  auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::snprintf(manager->message, sizeof manager->message, "%s", message);
  std::longjmp(manager->jump, 1);
}

jpeg_error_mgr* InstallErrorManager(ErrorManager& manager) {
  jpeg_error_mgr* pub = jpeg_std_error(&manager.pub);
  pub->error_exit = ExitWithError;
  pub->output_message = PrintNothing;
  pub->emit_message = CountMessage;
  manager.message[0] = '\0';
  manager.dataLost = false;
  return pub;
}

}  // namespace rumora::jpeg_detail
