// Names and fixed texts shared by the whole plug-in.
#pragma once

#include "common/version.h"

namespace pinote {

inline constexpr char kPluginName[] = "Quillet for Becky!2";
inline constexpr char kVersionText[] = PINOTE_VERSION_TEXT;
inline constexpr char kVendorText[] = "Quillet developers";
inline constexpr char kLibraryFileName[] = "Pinote.dll";

}  // namespace pinote
