// The memo window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "store/memo_store.h"

namespace pinote {

class TMainForm {
 public:
  // Creates the window hidden: settings-driven layout, the store loaded and the name list merged.
  static std::unique_ptr<TMainForm> Create();
  virtual ~TMainForm() = default;

  // Shows the record of `address` (ANSI) and applies the appear/disappear rules unless forceShow.
  virtual void ShowMemo(HWND hostWindow, const std::string& address, const std::string& senderName,
                        bool forceShow) = 0;
  virtual void ApplySettings() = 0;
  virtual void ReloadData(const std::string& nameListPath) = 0;
  // Makes the window visible and brings it to the front.
  virtual void ShowAndActivate() = 0;
  // The memo editor's text (ANSI) and setting it as an edit (stored at once unless loading).
  [[nodiscard]] virtual std::string MemoText() const = 0;
  virtual void SetMemoText(const std::string& text) = 0;
  [[nodiscard]] virtual HWND Handle() const = 0;
  [[nodiscard]] virtual MemoStore& Data() = 0;
  // The shown address and sender (ANSI): the texts of AddressLabel and SenderLabel.
  [[nodiscard]] virtual std::string AddressText() const = 0;
  [[nodiscard]] virtual std::string SenderText() const = 0;
  // ImportanceCheck's state.
  [[nodiscard]] virtual bool IsImportantChecked() const = 0;
  // True once the first ShowMemo ran (MemoMemo enabled).
  [[nodiscard]] virtual bool IsAddressShown() const = 0;
  // The child control with an id of control_ids.h (kMemoMemo, kAddressLabel...), or null.
  [[nodiscard]] virtual HWND Control(int id) const { return nullptr; }
  // Hides the window without writing anything.
  virtual void Hide() { ::ShowWindow(Handle(), SW_HIDE); }
};

// Removes the memo window's class (a library's classes outlive it otherwise).
void UnregisterMainFormClass();

}  // namespace pinote
