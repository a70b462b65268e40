// The platform entry. On Windows wWinMain is the entry itself; elsewhere this main hands it the four arguments the
// Windows start-up would: an instance handle, no previous instance, the command line after the program's name and
// the show mode.
#include <string>

#include "app/startup.h"

#ifndef _WIN32
namespace {

// The command line is UTF-8 here; the entry takes it as wide text, as Windows gives it.
std::wstring WideFromUtf8(const std::string& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || (extra > 0 && i + extra >= text.size())) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    char32_t code = extra == 0 ? c : c & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next >> 6) != 2) ok = false;
      code = (code << 6) | (next & 0x3F);
    }
    out.push_back(ok ? static_cast<wchar_t>(code) : wchar_t{0xFFFD});
    i += ok ? extra + 1 : 1;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  static int moduleInstance;
  constexpr int kShowNormal = 1;
  std::wstring wide = WideFromUtf8(commandLine);
  return wWinMain(&moduleInstance, nullptr, wide.c_str(), kShowNormal);
}
#endif
