/* The plug-in's version, written here and nowhere else. Users see the text "Ver.0.03 Rev.2"
   (information record, About box, X-Mailer-Plugin entry, version-mismatch message); Windows
   shows the same numbers as 0.3.2.0 in the file's properties; the release archive is named
   Pinote-0.03r2.zip. Plain macros, because the resource compiler and the release script read
   this file too: keep each number on its own #define line. */
#ifndef PINOTE_COMMON_VERSION_H
#define PINOTE_COMMON_VERSION_H

#define PINOTE_VERSION_MAJOR 0
#define PINOTE_VERSION_MINOR 3 /* shown with two digits: 0.03 */
#define PINOTE_VERSION_REVISION 2

#if PINOTE_VERSION_MINOR > 99
#error "the minor version is shown with two digits"
#endif

#define PINOTE_STRINGIFY_(x) #x
#define PINOTE_STRINGIFY(x) PINOTE_STRINGIFY_(x)
#if PINOTE_VERSION_MINOR < 10
#define PINOTE_VERSION_MINOR_TEXT "0" PINOTE_STRINGIFY(PINOTE_VERSION_MINOR)
#else
#define PINOTE_VERSION_MINOR_TEXT PINOTE_STRINGIFY(PINOTE_VERSION_MINOR)
#endif

/* "Ver.0.03 Rev.2" */
#define PINOTE_VERSION_TEXT                                                    \
  "Ver." PINOTE_STRINGIFY(PINOTE_VERSION_MAJOR) "." PINOTE_VERSION_MINOR_TEXT \
  " Rev." PINOTE_STRINGIFY(PINOTE_VERSION_REVISION)

/* The four numbers of the version resource (major, minor, revision, 0) and their text "0.3.2.0". */
#define PINOTE_VERSION_NUMBERS \
  PINOTE_VERSION_MAJOR, PINOTE_VERSION_MINOR, PINOTE_VERSION_REVISION, 0
#define PINOTE_VERSION_NUMBERS_TEXT                                        \
  PINOTE_STRINGIFY(PINOTE_VERSION_MAJOR) "." PINOTE_STRINGIFY(PINOTE_VERSION_MINOR) "." \
  PINOTE_STRINGIFY(PINOTE_VERSION_REVISION) ".0"

#endif /* PINOTE_COMMON_VERSION_H */
