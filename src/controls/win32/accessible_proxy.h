// What assistive technology (MSAA) reads of a control beyond what the system knows: the system's own
// accessible object of the window answers everything, except what the control's facts say instead.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace orvimo::win32 {

struct AccessibleFacts {
  std::function<std::wstring()> name;
  long role = 0;  // 0: the system's
  std::function<std::wstring()> description;
  std::function<std::wstring()> value;
  std::function<std::wstring()> help;
  std::wstring keyboardShortcut;
  long extraState = 0;  // added to the system's state bits
  std::function<std::wstring()> defaultAction;
  // Runs the default action later, from the message loop: the caller may be waiting across processes.
  std::function<void()> doDefaultAction;
};

// The answer to WM_GETOBJECT for a window with these facts; other objects than the client area get
// the system's answer. The facts are read while they last: a screen reader may keep the object
// longer than the window lives.
LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam,
                        const std::shared_ptr<AccessibleFacts>& facts);

// Gives a system control (an edit, a list, a button) these facts.
void GiveAccessibleFacts(HWND control, std::shared_ptr<AccessibleFacts> facts);

// Tells assistive technology that the window's name, value or description changed
// (EVENT_OBJECT_NAMECHANGE, ...).
void AnnounceChange(HWND window, DWORD event);

}  // namespace orvimo::win32
