#include "acquire/report.h"
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

// A Wine console converts bytes with the console code page, which is 932
// here; UTF-8 must therefore go to a console as UTF-16. Pipes and files get
// the UTF-8 bytes unchanged.
void WriteLine(const char *utf8, int length)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode, written;
    if (GetConsoleMode(out, &mode)) {
        static wchar_t wide[8192];
        int n = MultiByteToWideChar(CP_UTF8, 0, utf8, length, wide, 8192);
        WriteConsoleW(out, wide, n, &written, nullptr);
        return;
    }
    WriteFile(out, utf8, length, &written, nullptr);
}

void AppendEscaped(const char *utf8, char *out, int outSize)
{
    int used = 0;
    for (const unsigned char *p = (const unsigned char *)utf8; *p && used + 5 < outSize; ++p) {
        if (*p == '"' || *p == '\\') {
            out[used++] = '\\';
            out[used++] = char(*p);
        } else if (*p < 0x20 || *p == 0x7F) {
            used += snprintf(out + used, outSize - used, "\\x%02X", *p);
        } else {
            out[used++] = char(*p);
        }
    }
    out[used] = '\0';
}

} // namespace

void Report(const char *format, ...)
{
    char line[2048];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (n < 0)
        return;
    if (n > int(sizeof line) - 2)
        n = int(sizeof line) - 2;
    line[n++] = '\n';
    WriteLine(line, n);
}

void ReportText(const char *utf8)
{
    WriteLine(utf8, int(strlen(utf8)));
}

void QuoteCp932(const char *text, int maxBytes, char *out, int outSize)
{
    char utf8[3 * 1024 + 1];
    Cp932ToUtf8(text, maxBytes, utf8, sizeof utf8);
    AppendEscaped(utf8, out, outSize);
}

void Cp932ToUtf8(const char *text, int maxBytes, char *out, int outSize)
{
    int length = 0;
    while (length < maxBytes && text[length] != '\0')
        ++length;
    wchar_t wide[1024];
    int w = MultiByteToWideChar(932, 0, text, length, wide, 1024);
    int u = WideCharToMultiByte(CP_UTF8, 0, wide, w, out, outSize - 1, nullptr, nullptr);
    out[u > 0 ? u : 0] = '\0';
}

const char *ReturnCodeName(TW_UINT16 rc)
{
    static const char *const names[] = {"SUCCESS", "FAILURE",    "CHECKSTATUS", "CANCEL",
                                        "DSEVENT", "NOTDSEVENT", "XFERDONE",    "ENDOFLIST"};
    return rc < sizeof names / sizeof names[0] ? names[rc] : "?";
}

const char *ConditionCodeName(TW_UINT16 cc)
{
    static const char *const names[] = {"SUCCESS",        "BUMMER",   "LOWMEMORY",
                                        "NODS",           "MAXCONNECTIONS",
                                        "OPERATIONERROR", "BADCAP",   "?",
                                        "?",              "BADPROTOCOL",
                                        "BADVALUE",       "SEQERROR"};
    return cc < sizeof names / sizeof names[0] ? names[cc] : "?";
}

const char *MessageName(TW_UINT16 msg)
{
    switch (msg) {
    case MSG_NULL:
        return "MSG_NULL";
    case MSG_XFERREADY:
        return "MSG_XFERREADY";
    case MSG_CLOSEDSREQ:
        return "MSG_CLOSEDSREQ";
    default:
        return "MSG_?";
    }
}

void ReportIdentity(const char *key, const TW_IDENTITY *id)
{
    char product[200], info[200], maker[200], family[200];
    QuoteCp932(id->ProductName, sizeof id->ProductName, product, sizeof product);
    QuoteCp932(id->Version.Info, sizeof id->Version.Info, info, sizeof info);
    QuoteCp932(id->Manufacturer, sizeof id->Manufacturer, maker, sizeof maker);
    QuoteCp932(id->ProductFamily, sizeof id->ProductFamily, family, sizeof family);
    Report("%s: Id=%u ProductName=\"%s\" Version.Info=\"%s\" Manufacturer=\"%s\""
           " ProductFamily=\"%s\" Version=%u.%u Protocol=%u.%u SupportedGroups=0x%X",
           key, unsigned(id->Id), product, info, maker, family, id->Version.MajorNum,
           id->Version.MinorNum, id->ProtocolMajor, id->ProtocolMinor,
           unsigned(id->SupportedGroups));
    // The upper byte carries protocol flags; DG_ groups use the low bits.
    bool shifted = (id->SupportedGroups & 0x00FF0000) != 0;
    if (shifted || id->ProductName[0] == '\0')
        Report("warning: %s looks misread: structure layout of source and reader differ?", key);
}
