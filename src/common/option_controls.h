// The options dialog's controls: the options table (options.h) names the ones that show an
// option, the dialog's template (forms/win32/dialogs.rc) places them all, and the tests drive
// them by these numbers, so keep them stable. Plain macros, because the resource compiler reads
// this file too (through forms/win32/control_ids.h). OK and Cancel are IDOK and IDCANCEL.
#ifndef PINOTE_COMMON_OPTION_CONTROLS_H
#define PINOTE_COMMON_OPTION_CONTROLS_H

#define IDC_OPTION_TABS 401
#define IDC_HELP_BUTTON 402
// View page.
#define IDC_ALWAYS_TOP_CHECK 410
#define IDC_VIEW_LINE 411
#define IDC_SHOW_IMPORTANCE_CHECK 412
#define IDC_SHOW_SENDER_CHECK 413
#define IDC_SHOW_ADDRESS_CHECK 414
#define IDC_SHOW_OTHER_ADDRESS_CHECK 415
// Font page.
#define IDC_FONT_SAMPLE 430
#define IDC_FONT_BUTTON 431
#define IDC_BACKGROUND_BUTTON 432
#define IDC_STANDARD_FONT_BUTTON 433
// Appear/Disappear page. The appear radios in Show\Load order (0..3), then the disappear radios
// in Hide\Load order: a rule's radio is its group's first plus its number.
#define IDC_APPEAR_ON_START_CHECK 450
#define IDC_ON_LOADING_GROUP 451
#define IDC_APPEAR_ALWAYS_RADIO 452
#define IDC_APPEAR_IF_MEMO_RADIO 453
#define IDC_APPEAR_IF_IMPORTANT_RADIO 454
#define IDC_APPEAR_NEVER_RADIO 455
#define IDC_RULE_LINE 456
#define IDC_DISAPPEAR_NEVER_RADIO 457
#define IDC_DISAPPEAR_IF_NO_MEMO_RADIO 458
#define IDC_DISAPPEAR_IF_NOT_IMPORTANT_RADIO 459
#define IDC_DISAPPEAR_ALWAYS_RADIO 460
// Name-list page.
#define IDC_NAME_LIST_LABEL 470
#define IDC_NAME_LIST_PATH_EDIT 471
#define IDC_NAME_LIST_BROWSE 472

#endif  // PINOTE_COMMON_OPTION_CONTROLS_H
