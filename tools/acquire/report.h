// The tool's output: one line per step, "key: details", UTF-8.
#pragma once
#include "ds/twain_types.h"

// printf-style; the text must already be UTF-8. A newline is appended.
void Report(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Writes UTF-8 text as it is (several lines at once).
void ReportText(const char *utf8);

// Converts text in code page 932 (what sources and message boxes hand us) to
// UTF-8, quoted for a report line: '"' and '\' are escaped and control
// characters written as \xNN. At most maxBytes input bytes are read; stops at NUL.
void QuoteCp932(const char *text, int maxBytes, char *out, int outSize);

// The same conversion without quoting, for file paths.
void Cp932ToUtf8(const char *text, int maxBytes, char *out, int outSize);

const char *ReturnCodeName(TW_UINT16 rc);
const char *MessageName(TW_UINT16 msg);
const char *ConditionCodeName(TW_UINT16 cc);

// Prints an identity as one line under the given key, and a warning when
// it looks laid out for the other structure packing (a 4.12 source read
// with the 4.12X layout or the reverse): empty names, or the groups shifted
// into the upper half.
void ReportIdentity(const char *key, const TW_IDENTITY *id);
