// Reads the message boxes of Windows programs back as a person meets them:
// it starts each command of a list, finds the boxes the program shows
// (FindWindowEx on the dialog class, by process), reads their caption, text
// and buttons as UTF-16 (EnumChildWindows, GetWindowTextW), tells whether an
// icon is shown, presses a button and goes on until the program ends.
//
//   box_text_probe <runs file> <output directory>
//
// The runs file (UTF-8) holds one run a line: a name, a tab, the answers to
// its Yes/No boxes in order ("yn"; "-" for none, and No once they are used
// up), a tab and the command line. For run NAME the output directory
// receives NAME.code (the whole exit code, or "timeout"), and for its k-th
// box (from 1) NAME.k.caption and NAME.k.text in UTF-8, and NAME.k.box:
// "buttons=OK" or "buttons=Yes,No", then the icon: "icon=error", "warning",
// "information", "question" (the system icon its pixels on the screen are
// nearest to) or "none".
// Exit code 0 when every run ended, 1 otherwise, 2 on bad usage.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kRunLimitMs = 60000;
constexpr DWORD kPollMs = 20;
constexpr int kUsage = 2;

std::wstring fromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

std::string toUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], n, nullptr,
                      nullptr);
  return utf8;
}

std::wstring windowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int read = GetWindowTextW(window, &text[0], length + 1);
  text.resize(read > 0 ? static_cast<std::size_t>(read) : 0);
  return text;
}

bool writeFile(const std::string& path, const std::string& content) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  return std::fclose(file) == 0 && written;
}

std::wstring className(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// A rectangle's pixels, 32 bits each, from a device context.
std::vector<uint32_t> pixelsOf(HDC source, int x, int y, int width, int height) {
  std::vector<uint32_t> pixels;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (memory != nullptr && bitmap != nullptr) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY)) {
      const auto* p = static_cast<const uint32_t*>(bits);
      pixels.assign(p, p + static_cast<std::size_t>(width) * height);
    }
    SelectObject(memory, previous);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memory != nullptr) DeleteDC(memory);
  return pixels;
}

// A system icon (none: id null) drawn at the given size on the dialogs' face colour, as the
// icon control of a message box draws it.
std::vector<uint32_t> drawnIcon(const wchar_t* id, int width, int height) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  RECT all = {0, 0, width, height};
  HBRUSH face = GetSysColorBrush(COLOR_3DFACE);
  FillRect(memory, &all, face);
  if (id != nullptr) {
    DrawIconEx(memory, 0, 0, LoadIconW(nullptr, id), width, height, 0, nullptr, DI_NORMAL);
  }
  std::vector<uint32_t> pixels = pixelsOf(memory, 0, 0, width, height);
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

unsigned long difference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return ~0ul;
  unsigned long sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      const int x = static_cast<int>((a[i] >> shift) & 0xFF);
      const int y = static_cast<int>((b[i] >> shift) & 0xFF);
      sum += static_cast<unsigned long>(x > y ? x - y : y - x);
    }
  }
  return sum;
}

// Which system icon the icon control shows, told from its pixels on the
// screen: the handle belongs to the other process and says nothing here.
// Waits (a second at most) for the box to be drawn.
std::string iconKind(HWND control) {
  RECT r;
  if (!GetWindowRect(control, &r) || r.right <= r.left || r.bottom <= r.top) return "none";
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const struct {
    const wchar_t* id;
    const char* name;
  } kinds[] = {{MAKEINTRESOURCEW(32513), "error"},        // IDI_HAND
               {MAKEINTRESOURCEW(32515), "warning"},      // IDI_EXCLAMATION
               {MAKEINTRESOURCEW(32516), "information"},  // IDI_ASTERISK
               {MAKEINTRESOURCEW(32514), "question"}};
  const std::vector<uint32_t> blank = drawnIcon(nullptr, width, height);
  // A box that is not drawn yet shows one colour (or another window); it is
  // drawn when two looks a moment apart agree and show more than one colour.
  std::vector<uint32_t> shown;
  std::vector<uint32_t> previous;
  for (int tries = 0; tries < 50; ++tries) {
    HDC screen = GetDC(nullptr);
    shown = pixelsOf(screen, r.left, r.top, width, height);
    ReleaseDC(nullptr, screen);
    const bool uniform = shown.empty() || std::count(shown.begin(), shown.end(), shown[0]) ==
                                              static_cast<std::ptrdiff_t>(shown.size());
    if (!uniform && shown == previous) break;
    previous = shown;
    Sleep(kPollMs);
  }
  std::string best = "none";
  unsigned long bestDifference = difference(shown, blank);
  for (const auto& kind : kinds) {
    const unsigned long d = difference(shown, drawnIcon(kind.id, width, height));
    if (d < bestDifference) {
      best = kind.name;
      bestDifference = d;
    }
  }
  return best;
}

struct Box {
  std::wstring text;
  std::string iconKind = "none";
  std::vector<std::pair<int, HWND>> buttons;  // id and window, in z order
  std::string buttonNames;
};

BOOL CALLBACK readChild(HWND child, LPARAM param) {
  Box& box = *reinterpret_cast<Box*>(param);
  if (!IsWindowVisible(child)) return TRUE;
  const std::wstring kind = className(child);
  if (lstrcmpiW(kind.c_str(), L"Static") == 0) {
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) {
      if (SendMessageW(child, STM_GETICON, 0, 0) != 0) box.iconKind = iconKind(child);
    } else {
      box.text += windowText(child);
    }
  } else if (lstrcmpiW(kind.c_str(), L"Button") == 0) {
    const int id = GetDlgCtrlID(child);
    box.buttons.emplace_back(id, child);
    const char* name = id == IDOK ? "OK" : id == IDYES ? "Yes" : id == IDNO ? "No" : "other";
    box.buttonNames += (box.buttonNames.empty() ? "" : ",") + std::string(name);
  }
  return TRUE;
}

// A visible dialog window of the process, or null.
HWND findBox(DWORD processId) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

// Runs one command line; false when it did not end in time.
bool runOne(const std::string& name, const std::string& answers, const std::string& commandLine,
            const std::string& outDir) {
  std::wstring line = fromUtf8(commandLine);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &child)) {
    std::fprintf(stderr, "box_text_probe: cannot start %s (error %lu)\n", commandLine.c_str(),
                 static_cast<unsigned long>(GetLastError()));
    return false;
  }
  CloseHandle(child.hThread);
  const std::string prefix = outDir + "\\" + name;
  std::size_t nextAnswer = 0;
  int boxes = 0;
  const DWORD start = GetTickCount();
  bool ended = false;
  while (!ended && GetTickCount() - start < kRunLimitMs) {
    ended = WaitForSingleObject(child.hProcess, kPollMs) == WAIT_OBJECT_0;
    if (ended) break;
    const HWND window = findBox(child.dwProcessId);
    if (window == nullptr) continue;
    Box box;
    EnumChildWindows(window, readChild, reinterpret_cast<LPARAM>(&box));
    const std::string base = prefix + "." + std::to_string(++boxes);
    writeFile(base + ".caption", toUtf8(windowText(window)));
    writeFile(base + ".text", toUtf8(box.text));
    writeFile(base + ".box", "buttons=" + box.buttonNames + "\nicon=" + box.iconKind + "\n");
    int press = IDOK;
    if (box.buttonNames == "Yes,No") {
      const bool yes = nextAnswer < answers.size() && answers[nextAnswer] == 'y';
      ++nextAnswer;
      press = yes ? IDYES : IDNO;
    }
    HWND button = nullptr;
    for (const auto& candidate : box.buttons) {
      if (candidate.first == press) button = candidate.second;
    }
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    // The next box may take the same place: wait until this one is gone.
    while (IsWindow(window) && GetTickCount() - start < kRunLimitMs) Sleep(kPollMs);
  }
  DWORD code = 0;
  if (ended && GetExitCodeProcess(child.hProcess, &code)) {
    writeFile(prefix + ".code", std::to_string(code) + "\n");
  } else {
    TerminateProcess(child.hProcess, 1);
    writeFile(prefix + ".code", "timeout\n");
    ended = false;
  }
  CloseHandle(child.hProcess);
  return ended;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: box_text_probe <runs file> <output directory>\n");
    return kUsage;
  }
  std::ifstream runs(argv[1], std::ios::binary);
  if (!runs) {
    std::fprintf(stderr, "box_text_probe: cannot read %s\n", argv[1]);
    return kUsage;
  }
  bool allEnded = true;
  for (std::string line; std::getline(runs, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos) continue;
    const std::string answers = line.substr(tab1 + 1, tab2 - tab1 - 1);
    allEnded = runOne(line.substr(0, tab1), answers == "-" ? "" : answers, line.substr(tab2 + 1),
                      argv[2]) &&
               allEnded;
  }
  return allEnded ? 0 : 1;
}
