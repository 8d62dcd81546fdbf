#pragma once

#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace rumora {

class Platform;

// Thrown to end the running handler without any further message, after a message of its own
// has been shown (the settings record could not be read).
class OperationAbandoned final : public std::exception {
 public:
  const char* what() const noexcept override { return "operation abandoned"; }
};

// The application's error report text: the failure's text, with "." appended when its last
// character sorts after ".".
QString ErrorReportText(const QString& message);

// Runs one event handler to its end. An exception that escapes it is shown as the application's
// default error report (caption "ルモラ", error icon, one OK button) and the program goes on;
// OperationAbandoned ends the handler silently. Nothing escapes into the event loop.
void RunHandler(Platform& platform, QWidget* owner, const std::function<void()>& handler);

// Shows the application's error report for the exception being handled.
void ReportCurrentException(Platform& platform, QWidget* owner);

}  // namespace rumora
