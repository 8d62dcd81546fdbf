#include "photo_io/jpeg_error.h"

namespace rumora::jpeg_detail {
namespace {

[[noreturn]] void ExitWithError(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, manager->message);
  std::longjmp(manager->jump, 1);
}

void PrintNothing(j_common_ptr) {}

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
  manager.message[0] = '\0';
  return pub;
}

}  // namespace rumora::jpeg_detail
