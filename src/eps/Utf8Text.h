// Text from files that name no character set, turned into UTF-8: bytes that already form valid
// UTF-8 stay as they are (current programs write their names and creators so), any other text is
// taken as Windows-1252, the code page the programs of the 1990s wrote in.
#pragma once
#include <string>
#include <string_view>

namespace aldra {

bool IsValidUtf8(std::string_view bytes);
std::string Windows1252ToUtf8(std::string_view bytes);
std::string Utf8OrWindows1252(std::string_view bytes);

}  // namespace aldra
