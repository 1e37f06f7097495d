// Output file names. The tool runs under Wine, where a Unix path is reached
// through drive Z:, and a run over several pages numbers its files.
// Platform-free.
#pragma once

// "/tmp/a.bmp" -> "Z:\tmp\a.bmp"; any other path keeps its drive or stays
// relative, with '/' turned into '\'. False when out is too small.
bool ToWindowsPath(const char *path, char *out, int outSize);
// Inserts "-<page>" before the extension of the last path element:
// "C:\x\scan.bmp", 2 -> "C:\x\scan-2.bmp"; "C:\x.y\scan", 3 -> "C:\x.y\scan-3".
// False when out is too small.
bool PagePath(const char *path, int page, char *out, int outSize);
