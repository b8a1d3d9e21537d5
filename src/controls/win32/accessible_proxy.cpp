#include "controls/win32/accessible_proxy.h"

#include <commctrl.h>
#include <oleacc.h>

#include <atomic>
#include <utility>

// IID_IAccessible as linked from oleacc.dll is an import thunk, not the identifier: __uuidof(IAccessible)
// stands for it throughout.
namespace orvimo::win32 {
namespace {

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT GiveText(const std::function<std::wstring()>& text, BSTR* answer) {
  const std::wstring value = text();
  *answer = value.empty() ? nullptr : SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
  return value.empty() ? S_FALSE : S_OK;
}

// The system's accessible object with the facts laid over it.
class AccessibleProxy final : public IAccessible {
 public:
  AccessibleProxy(IAccessible* system, std::weak_ptr<AccessibleFacts> facts)
      : system_(system), facts_(std::move(facts)) {}
  ~AccessibleProxy() { system_->Release(); }
  AccessibleProxy(const AccessibleProxy&) = delete;
  AccessibleProxy& operator=(const AccessibleProxy&) = delete;

  // IUnknown. Other interfaces of the system's object (IEnumVARIANT, IOleWindow) are its own.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    return system_->QueryInterface(iid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: no type information; scripts use the system's object.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible: the facts for the control itself, the system for the rest.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return system_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    return system_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return system_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return Text(child, &AccessibleFacts::name, name, &IAccessible::get_accName);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return Text(child, &AccessibleFacts::value, value, &IAccessible::get_accValue);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    return Text(child, &AccessibleFacts::description, description, &IAccessible::get_accDescription);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return Text(child, &AccessibleFacts::help, help, &IAccessible::get_accHelp);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return Text(child, &AccessibleFacts::defaultAction, action, &IAccessible::get_accDefaultAction);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    const auto facts = facts_.lock();
    if (!IsSelf(child) || facts == nullptr || facts->role == 0) return system_->get_accRole(child, role);
    role->vt = VT_I4;
    role->lVal = facts->role;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    const HRESULT result = system_->get_accState(child, state);
    const auto facts = facts_.lock();
    if (SUCCEEDED(result) && IsSelf(child) && facts != nullptr && state->vt == VT_I4) {
      state->lVal |= facts->extraState;
    }
    return result;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return system_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    const auto facts = facts_.lock();
    if (!IsSelf(child) || facts == nullptr || facts->keyboardShortcut.empty()) {
      return system_->get_accKeyboardShortcut(child, shortcut);
    }
    *shortcut = SysAllocString(facts->keyboardShortcut.c_str());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return system_->get_accFocus(child); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return system_->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    return system_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    return system_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return system_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override {
    return system_->accHitTest(left, top, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    const auto facts = facts_.lock();
    if (!IsSelf(child) || facts == nullptr || !facts->doDefaultAction)
      return system_->accDoDefaultAction(child);
    facts->doDefaultAction();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return system_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return system_->put_accValue(child, value);
  }

 private:
  using TextFact = std::function<std::wstring()> AccessibleFacts::*;
  using SystemText = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);

  HRESULT Text(VARIANT child, TextFact fact, BSTR* answer, SystemText system) {
    if (answer == nullptr) return E_POINTER;
    const auto facts = facts_.lock();
    if (!IsSelf(child) || facts == nullptr || !((*facts).*fact)) return (system_->*system)(child, answer);
    return GiveText((*facts).*fact, answer);
  }

  IAccessible* system_;
  std::weak_ptr<AccessibleFacts> facts_;
  std::atomic<ULONG> references_{1};
};

// Answers WM_GETOBJECT across processes, so COM must be ready on the window's thread.
void PrepareCom() {
  static const bool prepared = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  (void)prepared;
}

LRESULT CALLBACK FactsProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR data) {
  auto* facts = reinterpret_cast<std::shared_ptr<AccessibleFacts>*>(data);
  if (message == WM_GETOBJECT) return AnswerGetObject(control, wParam, lParam, *facts);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(control, FactsProcedure, 0);
    delete facts;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

}  // namespace

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam,
                        const std::shared_ptr<AccessibleFacts>& facts) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT) return DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
  PrepareCom();
  IAccessible* system = nullptr;
  if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                       reinterpret_cast<void**>(&system)))) {
    return 0;
  }
  auto* proxy = new AccessibleProxy(system, facts);
  const LRESULT answer = LresultFromObject(__uuidof(IAccessible), wParam, proxy);
  proxy->Release();
  return answer;
}

void GiveAccessibleFacts(HWND control, std::shared_ptr<AccessibleFacts> facts) {
  auto* held = new std::shared_ptr<AccessibleFacts>(std::move(facts));
  if (!SetWindowSubclass(control, FactsProcedure, 0, reinterpret_cast<DWORD_PTR>(held))) delete held;
}

void AnnounceChange(HWND window, DWORD event) { NotifyWinEvent(event, window, OBJID_CLIENT, CHILDID_SELF); }

}  // namespace orvimo::win32
