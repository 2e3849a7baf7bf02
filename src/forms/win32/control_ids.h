// Identifiers of the plug-in's windows, dialog templates, controls and menu commands, shared by
// the resource script, the code and the tests (which drive the controls by these numbers, so
// keep them stable). Plain macros, because the resource compiler reads this file too.
#ifndef PINOTE_FORMS_WIN32_CONTROL_IDS_H
#define PINOTE_FORMS_WIN32_CONTROL_IDS_H

// Window classes (narrow for the resource compiler; code writes L"" CLASS). Dialogs are "#32770":
// tests tell them apart by a control only each has (options tabs, address list, name label).
#define MEMO_WINDOW_CLASS "PinoteMemoWindow"
#define SPLITTER_CLASS "PinoteSplitter"

// Dialog templates.
#define IDD_OPTIONS 100
#define IDD_UNIFY 101
#define IDD_ABOUT 102
#define IDD_HISTORY 103

// Memo window controls.
#define IDC_IMPORTANT_CHECK 101
#define IDC_SENDER_LABEL 102
#define IDC_ADDRESS_LABEL 103
#define IDC_OTHER_ADDRESS_LABEL 104
#define IDC_MEMO_EDIT 105
#define IDC_NAME_LIST_SPLITTER 106
#define IDC_NAME_LIST_EDIT 107
// Made at the first failed save of the memo file, shown above the others until one succeeds.
#define IDC_SAVE_NOTE_LABEL 108

// Memo window menu commands.
#define IDM_LOOK 201
#define IDM_UNIFY 202
#define IDM_SEPARATE 203
#define IDM_HIDE 204
#define IDM_OPTIONS 205
#define IDM_HELP_CONTENTS 206
#define IDM_ABOUT 207
#define IDM_HISTORY 208

// Unify dialog. Its OK button is not IDOK: Enter is not OK there (see unify_dialog.cpp).
#define IDC_KEYWORD_LABEL 301
#define IDC_KEYWORD_COMBO 302
#define IDC_ADDRESS_LIST_LABEL 304
#define IDC_ADDRESS_LIST 305
#define IDC_LIST_SPLITTER 306
#define IDC_MEMO_LABEL 308
#define IDC_MEMO_PREVIEW 309
#define IDC_UNIFY_OK 310

// Options dialog; OK and Cancel are IDOK and IDCANCEL. The controls of tab page n (View, Font,
// Appear, Name list) are numbered from 410 + 20 n.
#define IDC_OPTION_TABS 401
#define IDC_HELP_BUTTON 402
#define IDC_ALWAYS_TOP_CHECK 410
#define IDC_VIEW_LINE 411
#define IDC_SHOW_IMPORTANCE_CHECK 412
#define IDC_SHOW_SENDER_CHECK 413
#define IDC_SHOW_ADDRESS_CHECK 414
#define IDC_SHOW_OTHER_ADDRESS_CHECK 415
#define IDC_FONT_SAMPLE 430
#define IDC_FONT_BUTTON 431
#define IDC_BACKGROUND_BUTTON 432
#define IDC_STANDARD_FONT_BUTTON 433
#define IDC_APPEAR_ON_START_CHECK 450
#define IDC_ON_LOADING_GROUP 451
// The appear radios in Show\Load order (0..3), then the disappear radios in Hide\Load order.
#define IDC_APPEAR_ALWAYS_RADIO 452
#define IDC_APPEAR_IF_MEMO_RADIO 453
#define IDC_APPEAR_IF_IMPORTANT_RADIO 454
#define IDC_APPEAR_NEVER_RADIO 455
#define IDC_RULE_LINE 456
#define IDC_DISAPPEAR_NEVER_RADIO 457
#define IDC_DISAPPEAR_IF_NO_MEMO_RADIO 458
#define IDC_DISAPPEAR_IF_NOT_IMPORTANT_RADIO 459
#define IDC_DISAPPEAR_ALWAYS_RADIO 460
#define IDC_NAME_LIST_LABEL 470
#define IDC_NAME_LIST_PATH_EDIT 471
#define IDC_NAME_LIST_BROWSE 472

// About dialog; OK is IDOK.
#define IDC_NAME_LABEL 501
#define IDC_ICON_IMAGE 502
#define IDC_COPYRIGHT_LABEL 503
#define IDC_LICENCE_LABEL 504
#define IDC_FILES_LABEL 505
#define IDC_FOLDER_LABEL 506
#define IDC_VERSION_LABEL 507

// History dialog; its Close button is IDCANCEL (Esc).
#define IDC_HISTORY_LIST 601
#define IDC_HISTORY_TEXT_LABEL 602
#define IDC_HISTORY_TEXT 603
#define IDC_HISTORY_STATUS 604
#define IDC_HISTORY_COPY 605
#define IDC_HISTORY_RESTORE 606

#endif  // PINOTE_FORMS_WIN32_CONTROL_IDS_H
