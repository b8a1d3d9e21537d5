#include "controls/win32/message_window.h"

#include <stdexcept>
#include <string>

namespace orvimo::win32 {

MessageWindow::~MessageWindow() {
  if (handle_ == nullptr) return;
  // The object goes first: no message may reach it while the window is destroyed.
  SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
  DestroyWindow(handle_);
}

void MessageWindow::Create(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* title, int x,
                           int y, int width, int height, HWND parent) {
  RegisterWindowClass(className, Procedure);
  const HWND created = CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, nullptr,
                                       GetModuleHandleW(nullptr), this);
  if (created == nullptr) {
    throw std::runtime_error("Cannot create a window (error " + std::to_string(GetLastError()) + ")");
  }
}

LRESULT MessageWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(handle_, message, wParam, lParam);
}

LRESULT CALLBACK MessageWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* object = static_cast<MessageWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    object->handle_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
  }
  auto* object = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (object == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    object->handle_ = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return object->HandleMessage(message, wParam, lParam);
}

void RegisterWindowClass(const wchar_t* className, WNDPROC procedure) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  if (GetClassInfoExW(instance, className, &windowClass)) return;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className;
  RegisterClassExW(&windowClass);
}

RECT ChildRect(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace orvimo::win32
