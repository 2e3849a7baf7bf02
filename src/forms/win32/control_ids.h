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
// Made when a sender with a memo of their own first shows that their domain has one too.
#define IDC_DOMAIN_HINT_LABEL 109

// Memo window menu commands.
#define IDM_LOOK 201
#define IDM_UNIFY 202
#define IDM_SEPARATE 203
#define IDM_HIDE 204
#define IDM_OPTIONS 205
#define IDM_HELP_CONTENTS 206
#define IDM_ABOUT 207
// In the Tool menu after Look while the shown address has a domain.
#define IDM_DOMAIN_MEMO 208
#define IDM_HISTORY 209

// Unify dialog. Its OK button is not IDOK: Enter is not OK there (see unify_dialog.cpp).
#define IDC_KEYWORD_LABEL 301
#define IDC_KEYWORD_COMBO 302
#define IDC_ADDRESS_LIST_LABEL 304
#define IDC_ADDRESS_LIST 305
#define IDC_LIST_SPLITTER 306
#define IDC_MEMO_LABEL 308
#define IDC_MEMO_PREVIEW 309
#define IDC_UNIFY_OK 310

// Options dialog: its controls are numbered with the options they show.
#include "common/option_controls.h"

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
