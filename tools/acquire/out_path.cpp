#include "acquire/out_path.h"
#include <stdio.h>
#include <string.h>

bool ToWindowsPath(const char *path, char *out, int outSize)
{
    // "//server/share" is a UNC path, not a Unix one.
    bool unixAbsolute = path[0] == '/' && path[1] != '/';
    const char *prefix = unixAbsolute ? "Z:" : "";
    int needed = int(strlen(prefix) + strlen(path)) + 1;
    if (needed > outSize)
        return false;
    strcpy(out, prefix);
    char *p = out + strlen(prefix);
    for (const char *q = path; *q; ++q)
        *p++ = *q == '/' ? '\\' : *q;
    *p = '\0';
    return true;
}

bool PagePath(const char *path, int page, char *out, int outSize)
{
    const char *name = path;
    for (const char *p = path; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    }
    const char *dot = strrchr(name, '.');
    // A leading dot names a hidden file, not an extension.
    size_t stem = dot != nullptr && dot != name ? size_t(dot - path) : strlen(path);
    int n = snprintf(out, outSize, "%.*s-%d%s", int(stem), path, page, path + stem);
    return n >= 0 && n < outSize;
}
