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

void SetOwnMessage(ErrorManager& manager, const char* message) {
  std::snprintf(manager.message, sizeof manager.message, "%s", message);
  manager.ownMessage = true;
}

void FailWithMessage(j_common_ptr cinfo, const char* message) {
  auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
  SetOwnMessage(*manager, message);
  std::longjmp(manager->jump, 1);
}

std::string FailureReason(const ErrorManager& manager) {
  if (manager.ownMessage) return manager.message;
  const char* sentence = "JPEG のデータが壊れているか、対応していない形式です";
  switch (manager.pub.msg_code) {
    case JERR_OUT_OF_MEMORY:
      sentence = "メモリが不足しています";
      break;
    case JERR_NO_IMAGE:
      sentence = "ファイルに写真のデータがありません";
      break;
    case JERR_INPUT_EMPTY:
    case JERR_INPUT_EOF:
      sentence = "ファイルが途中で終わっています";
      break;
    case JERR_BAD_PRECISION:
    case JERR_NOT_COMPILED:
    case JERR_SOF_UNSUPPORTED:
    case JERR_ARITH_NOTIMPL:
      sentence = "対応していない種類の JPEG です";
      break;
    default:
      break;
  }
  return std::string(sentence) + " (" + manager.message + ")";
}

jpeg_error_mgr* InstallErrorManager(ErrorManager& manager) {
  jpeg_error_mgr* pub = jpeg_std_error(&manager.pub);
  pub->error_exit = ExitWithError;
  pub->output_message = PrintNothing;
  pub->emit_message = CountMessage;
  manager.message[0] = '\0';
  manager.ownMessage = false;
  manager.dataLost = false;
  return pub;
}

}  // namespace rumora::jpeg_detail
