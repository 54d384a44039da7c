#pragma once

#include <QString>

struct chmFile;
struct chmUnitInfo;

// The viewer library, loaded at run time from the path GetViewerLibraryPath
// finds. On Linux it is chmlib, through whose entry points our own viewer
// reads the help file (viewerlibrary.cpp); on Windows the system's HTML Help
// viewer, hhctrl.ocx, registered as its ActiveX control (hh_windows.cpp).
namespace belva::hh {

// Linux: overrides where the viewer library is looked for; set and empty means none.
inline constexpr char ViewerLibraryVariable[] = "BELVA_CHMLIB";
inline constexpr char ViewerLibraryName[] = "libchm.so.1";

// Linux: chmlib's functions the viewer needs; each empty until resolved.
struct EntryPoints
{
    chmFile *(*chm_open)(const char *filename) = nullptr;
    void (*chm_close)(chmFile *h) = nullptr;
    int (*chm_resolve_object)(chmFile *h, const char *objPath, chmUnitInfo *ui) = nullptr;
    long long (*chm_retrieve_object)(chmFile *h, chmUnitInfo *ui, unsigned char *buf,
                                     unsigned long long addr, long long len) = nullptr;
};

// The viewer library's file, or empty when there is none.
[[nodiscard]] QString GetViewerLibraryPath();
void LoadViewerLibrary();
// Frees the library. No archive may be open (UnloadViewerLibrary in hh.h
// closes the viewer windows first).
void FreeViewerLibrary();
[[nodiscard]] bool ViewerLibraryLoaded();
// Linux only.
[[nodiscard]] const EntryPoints &ViewerEntryPoints();
// Loaded, with every entry point the viewer needs.
[[nodiscard]] bool ViewerAvailable();

} // namespace belva::hh
