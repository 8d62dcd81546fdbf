#include "app/handler_dispatch.h"

#include <new>

#include "app/open_failure.h"
#include "app/platform.h"
#include "imaging/error.h"

namespace rumora {

QString ErrorReportText(const QString& message) {
  if (!message.isEmpty() && message.back() > QChar('.')) return message + '.';
  return message;
}

void ReportCurrentException(Platform& platform, QWidget* owner) {
  QString message;
  try {
    throw;
  } catch (const OperationAbandoned&) {
    return;
  } catch (const std::bad_alloc&) {
    message = QStringLiteral("メモリが不足しています");
  } catch (const Error& e) {
    message = QString::fromUtf8(e.what());
  } catch (const std::exception& e) {
    message = FailureReason(e);
  } catch (...) {
    message = QStringLiteral("予期しないエラーが発生しました");
  }
  try {
    platform.ShowError(owner, QStringLiteral("ルモラ"), ErrorReportText(message));
  } catch (...) {
    // The report itself failed; there is nothing left to tell the user with.
  }
}

void RunHandler(Platform& platform, QWidget* owner, const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    ReportCurrentException(platform, owner);
  }
}

}  // namespace rumora
