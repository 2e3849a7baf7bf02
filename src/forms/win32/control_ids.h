// Control and menu identifiers of the plug-in's windows. The stand-in host's scripted tests
// address controls by these numbers, so they are part of the test interface: keep them stable.
#pragma once

namespace pinote::ids {

// Window class names.
inline constexpr wchar_t kMainFormClass[] = L"PinoteMainForm";
inline constexpr wchar_t kUnifyFormClass[] = L"PinoteUnifyForm";
inline constexpr wchar_t kSetupFormClass[] = L"PinoteSetupForm";
inline constexpr wchar_t kAboutFormClass[] = L"PinoteAboutForm";

// Memo window (MainForm).
inline constexpr int kImportanceCheck = 101, kSenderLabel = 102, kAddressLabel = 103,
                     kOtherAddressLabel = 104, kMemoMemo = 105, kSplitter1 = 106,
                     kMeiboMemo = 107, kPanel0 = 110, kPanel1 = 111, kPanel2 = 112;
// Its menu bar MainMenu1.
inline constexpr int kLook1 = 201, kUnify1 = 202, kSeparate1 = 203, kHide1 = 204, kOption1 = 205,
                     kContents1 = 206, kVersion1 = 207;

// Unify dialog.
inline constexpr int kKeywordLabel = 301, kKeywordCombo = 302, kAddressPanel = 303,
                     kUnifyAddressLabel = 304, kAddressList = 305, kUnifySplitter = 306,
                     kMemoPanel = 307, kMemoLabel = 308, kUnifyMemoMemo = 309,
                     kUnifyButtonPanel = 310, kUnifyOKButton = 1 /* IDOK */,
                     kUnifyCancelButton = 2 /* IDCANCEL */;

// Options dialog.
inline constexpr int kPageControl1 = 401, kAlwaysTopCheck = 402, kSetupImportanceCheck = 403,
                     kSenderCheck = 404, kAddressCheck = 405, kOtherAddressCheck = 406,
                     kFontPanel = 407, kFontButton = 408, kBackgroundButton = 409,
                     kStandardButton = 410, kAppearOnStartCheck = 411, kAppearAlwaysRadio = 412,
                     kAppearMemoRadio = 413, kAppearImportantRadio = 414, kAppearNeverRadio = 415,
                     kHideNeverRadio = 416, kHideNoMemoRadio = 417, kHideNoImportantRadio = 418,
                     kHideAlwaysRadio = 419, kMeiboLabel = 420, kMeiboEdit = 421,
                     kMeiboButton = 422, kHelpButton = 423, kSetupOKButton = 1 /* IDOK */,
                     kSetupCancelButton = 2 /* IDCANCEL */;

// About dialog.
inline constexpr int kAboutOKButton = 1 /* IDOK */, kNameLabel = 501, kImage1 = 502,
                     kTavinCopyrightLabel = 503, kTavinURLLabel = 504, kZOLVCopyrightLabel = 505,
                     kZOLVURLLabel = 506, kVersionLabel = 507;

}  // namespace pinote::ids
