#pragma once

// The libjpeg error handling shared by the reader and the writer. Not for use outside photo_io.

#include <csetjmp>
#include <cstdio>
#include <string>
// clang-format off
#include <jpeglib.h>  // after <cstdio>: it uses FILE and size_t without declaring them
// clang-format on

namespace rumora::jpeg_detail {

// An error in the library formats the library's message into `message` and long-jumps to the
// guarded call that armed `jump`; nothing is printed and nothing exits. Warnings are counted in
// pub.num_warnings; those that mean picture data was damaged or missing, which the library then
// fills in, also set `dataLost`.
//
// Guarded calls follow one pattern: a small function whose locals are only C structs, pointers
// and integers calls setjmp, then the library; the C++ caller turns a failure into an Error once
// the C frames are gone, so no destructor is ever skipped by the jump.
struct ErrorManager {
  jpeg_error_mgr pub;  // first member: the library hands back a pointer to it
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool ownMessage;  // `message` is ours (Japanese), not the library's
  bool dataLost;
};

// Fills `manager` with the library's defaults and our handlers; returns what to put in
// cinfo.err before jpeg_create_*.
jpeg_error_mgr* InstallErrorManager(ErrorManager& manager);

// Ends the guarded call with our own message, as a library error would. Only for use inside
// the library's callbacks or the guarded calls themselves.
[[noreturn]] void FailWithMessage(j_common_ptr cinfo, const char* message);
// Sets our own message, for a guarded call that returns false by itself.
void SetOwnMessage(ErrorManager& manager, const char* message);

// Why the guarded call failed, for the user: our own message, or a Japanese sentence for the
// library's message followed by the library's words in parentheses.
std::string FailureReason(const ErrorManager& manager);

}  // namespace rumora::jpeg_detail
