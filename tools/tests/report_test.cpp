// Strings from sources and message boxes are code page 932; report lines are
// UTF-8 with quotes, backslashes and control characters escaped.
#include <windows.h>
#include "acquire/report.h"
#include "check.h"

namespace {

struct Case {
    const char *cp932;
    int maxBytes;
    const char *want;
};

const Case kCases[] = {
    {"Qor DX-KL510/HR", 34, "Qor DX-KL510/HR"},
    {"\x83\x58\x83\x4c\x83\x83\x83\x69", 34, "スキャナ"},
    // Half-width katakana and the full-width digit of the Japanese texts.
    {"\xB1\xB2 \x82\x4F", 34, "ｱｲ ０"},
    {"a\"b\\c", 34, "a\\\"b\\\\c"},
    {"line1\r\nline2\t", 34, "line1\\x0D\\x0Aline2\\x09"},
    // A TW_STR32 filled to the end without terminator stops at its size.
    {"0123456789ABCDEF0123456789ABCDEFGHIJ", 34, "0123456789ABCDEF0123456789ABCDEFGH"},
    {"", 34, ""},
};

} // namespace

int main()
{
    int index = 0;
    for (const Case &c : kCases) {
        char out[512];
        memset(out, 'X', sizeof out);
        QuoteCp932(c.cp932, c.maxBytes, out, sizeof out);
        CHECK(strcmp(out, c.want) == 0, "case %d: got [%s] want [%s]", index, out, c.want);
        ++index;
    }
    // A short output buffer truncates but always terminates.
    char small[8];
    QuoteCp932("abcdefghijklmnop", 34, small, sizeof small);
    CHECK(strlen(small) < sizeof small, "unterminated output");
    CHECK(strncmp(small, "abc", 3) == 0, "truncated output [%s]", small);
    CHECK(strcmp(ReturnCodeName(TWRC_ENDOFLIST), "ENDOFLIST") == 0, "name of 7");
    CHECK(strcmp(ReturnCodeName(99), "?") == 0, "unknown return code");
    return CheckResult();
}
