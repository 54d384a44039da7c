// Reads a shortcut (.lnk) as the Windows shell does and writes, one a line in
// UTF-8 ending in LF: its target, its working folder, its arguments and its
// icon ("path,index"; empty when the target's own). The check starts the installed
// program from what its Start menu shortcut says.
// Exit status 1 when the file cannot be read as a shortcut.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace {

void writeLine(const wchar_t *text)
{
    std::string line;
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size > 1) {
        line.resize(size_t(size));
        WideCharToMultiByte(CP_UTF8, 0, text, -1, line.data(), size, nullptr, nullptr);
        line.pop_back(); // the terminating zero
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

int read(const wchar_t *path)
{
    IShellLinkW *link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void **>(&link))))
        return 1;
    IPersistFile *file = nullptr;
    int status = 1;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
        if (SUCCEEDED(file->Load(path, STGM_READ))) {
            wchar_t text[MAX_PATH * 4] = {};
            const int size = int(sizeof text / sizeof *text);
            if (link->GetPath(text, size, nullptr, SLGP_RAWPATH) != S_OK)
                text[0] = 0;
            writeLine(text);
            if (FAILED(link->GetWorkingDirectory(text, size)))
                text[0] = 0;
            writeLine(text);
            if (FAILED(link->GetArguments(text, size)))
                text[0] = 0;
            writeLine(text);
            int index = 0;
            if (FAILED(link->GetIconLocation(text, size, &index)))
                text[0] = 0;
            std::wstring icon = text;
            if (!icon.empty())
                icon += L',' + std::to_wstring(index);
            writeLine(icon.c_str());
            status = 0;
        }
        file->Release();
    }
    link->Release();
    return status;
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 2) {
        std::fputs("usage: shortcutinfo FILE.lnk\n", stderr);
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    const int status = read(argv[1]);
    CoUninitialize();
    LocalFree(argv);
    return status;
}
