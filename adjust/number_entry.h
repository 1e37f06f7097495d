// Number entry of every dialog: a handler fetches a field's text into the
// shared text buffer and checks it with ValidateInteger or ValidateHundredths,
// which warn with "値が不正です", give the field the focus and select its text.
#pragma once
#include <windows.h>
#include "adjust/number_text.h"

// Larger than a fetch needs, so that callers may also format into it.
enum { NUMBER_TEXT_SIZE = HUNDREDTHS_TEXT_SIZE };
extern char NumberText[NUMBER_TEXT_SIZE];

// At most four characters of the control's text into NumberText.
int FetchNumberText(HWND dialog, int control);
// Any character of the text that the system counts as a letter.
bool TextHasLetter(const char *text);

bool ValidateInteger(HWND dialog, int control, int32_t minimum, int32_t maximum);
bool ValidateHundredths(HWND dialog, int control, int32_t minimum, int32_t maximum);

// The first character of WIN.INI [intl] sDecimal, "." when absent.
char DecimalSeparator();
int32_t ParseHundredths(const char *text);
// buffer: HUNDREDTHS_TEXT_SIZE bytes.
void FormatHundredths(char *buffer, int32_t value);
