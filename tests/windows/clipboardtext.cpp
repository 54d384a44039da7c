// Writes the text on the Windows clipboard (CF_UNICODETEXT) to standard
// output in UTF-8, byte for byte: the check reads there what the program
// copied, line ends included, which Wine's bridge to X11 turns into LF.
// Exit status 1 when the clipboard holds no text.
#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>

int main()
{
    _setmode(_fileno(stdout), _O_BINARY);
    bool open = false;
    for (int i = 0; i < 50 && !(open = OpenClipboard(nullptr)); ++i)
        Sleep(100);
    if (!open)
        return 1;
    std::string text;
    bool found = false;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto *wide = static_cast<const wchar_t *>(GlobalLock(data))) {
            const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
            if (size > 0) {
                text.resize(size_t(size));
                WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
                text.pop_back(); // the terminating zero
                found = true;
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    std::fwrite(text.data(), 1, text.size(), stdout);
    return found ? 0 : 1;
}
