// The memo window's implementation: its child controls, fonts and brushes, and its store.
#pragma once

#include <windows.h>

#include <string>

#include "common/win32/handles.h"
#include "common/win32/placement.h"
#include "forms/win32/main_form.h"
#include "store/memo_store.h"

namespace pinote {

// Routes right clicks on the labels and double-clicks in the memo boxes to the commands.
void InstallMouseSubclass(HWND control, TMainForm* form);

class MainFormWindow final : public TMainForm {
 public:
  MainFormWindow();
  ~MainFormWindow() override;
  MainFormWindow(const MainFormWindow&) = delete;
  MainFormWindow& operator=(const MainFormWindow&) = delete;

  // Creates the window and its controls hidden and runs FormCreate; throws when Windows refuses.
  void Build();

  // TMainForm
  void ShowMemo(HWND hostWindow, const std::string& address, const std::string& senderName,
                bool forceShow) override;
  void ApplySettings() override;
  void ReloadData(const std::string& nameListPath) override;
  void ShowAndActivate() override;
  [[nodiscard]] std::string MemoText() const override;
  void SetMemoText(const std::string& text) override;
  [[nodiscard]] HWND Handle() const override { return wnd_.get(); }
  [[nodiscard]] MemoStore& Data() override { return data_; }
  [[nodiscard]] HWND Control(int id) const override;
  [[nodiscard]] std::string AddressText() const override { return address_; }
  [[nodiscard]] std::string SenderText() const override { return sender_; }
  [[nodiscard]] bool IsAddressShown() const override;
  [[nodiscard]] bool IsImportantChecked() const override;
  void Hide() override;

  static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  // Creation (main_form_create.cpp).
  void CreateControls();
  void CreateMenuBar();
  void SetEnglishCaptions();
  void LoadData();
  void PlaceWindow();
  void FormCreate();
  void SetMeiboHeight(int height);
  void DockSplitterAboveMeibo();
  [[nodiscard]] int LineHeight() const;

  // Events (main_form.cpp).
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnCommand(int id, int code, HWND control);
  LRESULT OnControlColor(HDC dc, HWND control, UINT msg, WPARAM wp, LPARAM lp);
  void MemoMemoChange();
  void ImportanceCheckClick() { MemoMemoChange(); }
  void FormCloseQuery();
  void FormDestroy();
  void RecordWindowSettings();

  void FillRecord(int index);
  void FillOtherAddresses(const Person& person);
  void ShowMeibo(const std::string& text);
  void HideMeibo();
  void ApplyStorable();
  void ApplyRules(HWND hostWindow);
  void SetOtherAddressText(const std::wstring& text);
  void Relayout();

  UniqueWindow wnd_;
  HWND importanceCheck_ = nullptr, panel0_ = nullptr, senderLabel_ = nullptr,
       panel1_ = nullptr, addressLabel_ = nullptr, panel2_ = nullptr,
       otherAddressLabel_ = nullptr, memoMemo_ = nullptr, splitter1_ = nullptr,
       meiboMemo_ = nullptr;
  HMENU toolMenu_ = nullptr;  // owned by the window's menu bar
  UniqueMenu pendingMenu_;    // the menu bar until the window takes it
  UniqueFont formFont_, memoFont_;
  UniqueBrush memoBrush_;
  UniqueIcon bigIcon_, smallIcon_;
  FontSpec memoFontSpec_;
  COLORREF memoTextColor_ = 0, memoBackColor_ = 0;

  MemoStore data_;
  std::string address_, sender_;
  bool loading_ = false;
  // Whether the shown address can be kept in Pinote.dat; false until the first ShowMemo.
  bool storable_ = false;
  bool destroyed_ = false;
};

}  // namespace pinote
