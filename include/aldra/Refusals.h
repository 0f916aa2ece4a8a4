// How the filter says no. A refusal reaches the host as DISP_E_EXCEPTION from Invoke, and the
// exception record tells which kind it is:
// - wCode kFilterMessageCode with a description: a catalogue refusal the user should read. The
//   text is one of the module's string resources below (localisation modules may replace it).
// - wCode kUnreadableFileCode without a description: the file cannot be read as its format (or
//   ConvertToSize was asked for a picture without width).
#pragma once
#include <cstdint>

namespace aldra {

inline constexpr uint16_t kFilterMessageCode = 2;
inline constexpr uint16_t kUnreadableFileCode = 2020;

// String resources of the refusal messages, with their English texts.
inline constexpr uint32_t kRefuseDcsPlate = 500;      // "This is a DCS color separation file. ..."
inline constexpr uint32_t kRefuseHeliosLayout = 501;  // "Helios OPI layout files are disabled."
inline constexpr uint32_t kRefuseHeliosHiRes = 502;   // "Helios OPI high resolution files are disabled."

}  // namespace aldra
