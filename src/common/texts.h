// Names and fixed texts shared by the whole plug-in.
#pragma once

namespace pinote {

inline constexpr char kPluginName[] = "Quillet for Becky!2";
inline constexpr char kVersionText[] = "Ver.0.03 Rev.2";
inline constexpr char kVendorText[] = "Quillet developers";
inline constexpr char kLibraryFileName[] = "Pinote.dll";

}  // namespace pinote
