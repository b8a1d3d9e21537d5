// A window whose messages go to a C++ object: the base of the custom controls and of the main window.
#pragma once

#include <windows.h>

#include <string>

namespace orvimo::win32 {

class MessageWindow {
 public:
  MessageWindow() = default;
  virtual ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  HWND Handle() const { return handle_; }

 protected:
  // Registers the class on first use (button-face background, arrow cursor) and creates the window
  // with this object behind it. Throws std::runtime_error when the system refuses.
  void Create(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* title, int x, int y,
              int width, int height, HWND parent);
  // Everything not handled here goes to DefWindowProc.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND handle_ = nullptr;
};

// Registers a window class of this program once: button-face background, arrow cursor.
void RegisterWindowClass(const wchar_t* className, WNDPROC procedure);

// Child-window placement relative to the parent's client area.
RECT ChildRect(HWND child);

std::wstring WindowText(HWND window);

}  // namespace orvimo::win32
