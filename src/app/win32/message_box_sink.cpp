#include "app/win32/message_box_sink.h"

#include <string>

#include "app/win32/window.h"
#include "core/product.h"

namespace sw::app::win32 {
namespace {

UINT MessageBoxType(const Message& message) {
  UINT type = 0;
  switch (message.kind) {
    case MessageKind::Information: type = MB_ICONINFORMATION; break;
    case MessageKind::Warning: type = MB_ICONWARNING; break;
    case MessageKind::Error: type = MB_ICONERROR; break;
    case MessageKind::Confirmation: type = MB_ICONQUESTION; break;
    case MessageKind::Plain: break;
  }
  switch (message.buttons) {
    case MessageButtons::Ok: return type | MB_OK;
    case MessageButtons::OkCancel: return type | MB_OKCANCEL;
    case MessageButtons::YesNo: return type | MB_YESNO | (message.defaultNo ? MB_DEFBUTTON2 : 0);
  }
  return type;
}

Answer AnswerOf(int button) {
  switch (button) {
    case IDYES: return Answer::Yes;
    case IDNO: return Answer::No;
    case IDOK: return Answer::Ok;
    default: return Answer::Cancel;
  }
}

}  // namespace

Answer AskWithMessageBox(HWND owner, const Message& message) {
  return AnswerOf(ShowMessageBox(owner, message.text, message.title.empty() ? std::string(kProductName) : message.title,
                                 MessageBoxType(message)));
}

}  // namespace sw::app::win32
