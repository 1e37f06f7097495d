// Looking at real windows from a test: texts in UTF-8, the thread's dialogs,
// pixels captured from a window and screenshots written as BMP files.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <stdio.h>
#include <string>
#include <vector>
#include "tests/support/msgbox_capture.h"

inline std::string WindowTextUtf8(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return AnsiToUtf8(text);
}

inline std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

inline BOOL CALLBACK CollectWindow(HWND window, LPARAM list)
{
    reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
    return TRUE;
}

inline std::vector<HWND> ChildrenOf(HWND parent)
{
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&children));
    return children;
}

// Visible dialog boxes of this thread.
inline std::vector<HWND> ThreadDialogs()
{
    std::vector<HWND> windows, dialogs;
    EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows)
        if (IsWindowVisible(window) && ClassOf(window) == "#32770")
            dialogs.push_back(window);
    return dialogs;
}

// Rectangle of a child in its parent's client coordinates.
inline RECT ChildRect(HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT *>(&r), 2);
    return r;
}

struct WindowPixels {
    int width = 0, height = 0;
    std::vector<uint32_t> bgr;        // top-down rows, 0x00RRGGBB
    COLORREF at(int x, int y) const
    {
        uint32_t p = bgr[size_t(y) * width + x];
        return RGB((p >> 16) & 255, (p >> 8) & 255, p & 255);
    }
};

// Copies what the window shows: its client area, or the whole window with
// caption and border.
inline WindowPixels CaptureWindow(HWND window, bool wholeWindow)
{
    WindowPixels out;
    RECT r;
    if (wholeWindow)
        GetWindowRect(window, &r);
    else
        GetClientRect(window, &r);
    out.width = r.right - r.left;
    out.height = r.bottom - r.top;
    HDC source = wholeWindow ? GetWindowDC(window) : GetDC(window);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = -out.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(source);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, out.width, out.height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t *p = static_cast<const uint32_t *>(bits);
    out.bgr.assign(p, p + size_t(out.width) * out.height);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseDC(window, source);
    return out;
}

// Writes the whole window as a 24-bit BMP under the build tree's screens
// folder (tests run two levels below it), named after this build.
inline void SaveScreenshot(HWND window, const char *name)
{
    WindowPixels shot = CaptureWindow(window, true);
    CreateDirectoryA("..\\..\\screens", nullptr);
    char path[MAX_PATH];
    const char *build = DS_MODEL_600 ? (DS_BUILD_X ? "DXHR321" : "DXHR_32")
                                     : (DS_BUILD_X ? "DXSR321" : "DXSR_32");
    snprintf(path, sizeof path, "..\\..\\screens\\%s-%s.bmp", build, name);
    FILE *file = fopen(path, "wb");
    if (file == nullptr)
        return;
    int stride = (shot.width * 3 + 3) & ~3;
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + stride * shot.height;
    ih.biSize = sizeof ih;
    ih.biWidth = shot.width;
    ih.biHeight = shot.height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    fwrite(&fh, sizeof fh, 1, file);
    fwrite(&ih, sizeof ih, 1, file);
    std::vector<uint8_t> row(stride, 0);
    for (int y = shot.height - 1; y >= 0; y--) {
        for (int x = 0; x < shot.width; x++) {
            uint32_t p = shot.bgr[size_t(y) * shot.width + x];
            row[x * 3] = p & 255;
            row[x * 3 + 1] = (p >> 8) & 255;
            row[x * 3 + 2] = (p >> 16) & 255;
        }
        fwrite(row.data(), stride, 1, file);
    }
    fclose(file);
}
