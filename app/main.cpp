// The platform entry. On Windows wWinMain is the entry itself; elsewhere this main hands it the four arguments the
// Windows start-up would: an instance handle, no previous instance, the command line after the program's name and
// the show mode.
#include <string>

#include "app/startup.h"
#include "framework/text.h"

#ifndef _WIN32
namespace {

// The command line is UTF-8 here; the entry takes it as wide text, as Windows gives it. A byte that starts no
// valid character becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view text) {
  std::wstring out;
  while (!text.empty()) {
    const std::optional<Utf8Character> c = DecodeUtf8(text);
    out.push_back(c ? static_cast<wchar_t>(c->code) : wchar_t{0xFFFD});
    text.remove_prefix(c ? c->length : 1);
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
