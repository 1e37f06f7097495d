// Reading and writing the numbers typed into the dialogs' edit fields:
// plain integers and values in hundredths written with two decimals.
// Platform-free; the decimal separator is passed in.
#pragma once
#include <stdint.h>

enum {
    NUMBER_FETCH_LIMIT = 5,       // bytes fetched from a field: four characters
    HUNDREDTHS_TEXT_SIZE = 16,    // room for any 32-bit value in hundredths
    NOT_A_DIGIT = -32767,         // hundredths text with a character that is no digit
};

// The standard decimal conversion: leading blanks, an optional sign, digits;
// it stops at the first other character. Saturates at the 32-bit limits.
int32_t IntegerTextValue(const char *text);

// Hundredths from a text such as "1.25": the separator or '.' starts the
// fraction, of which two digits count; no fraction means a whole number.
// 0 for empty text (or only blanks and zeros), NOT_A_DIGIT for a character
// other than a digit before the fraction. The text is not changed.
int32_t HundredthsTextValue(const char *text, char separator);

// "integer part, separator, two digits"; buffer of HUNDREDTHS_TEXT_SIZE.
void WriteHundredthsText(char *buffer, int32_t value, char separator);

bool IntegerAcceptable(int32_t value, int32_t minimum, int32_t maximum);
// 0 passes whatever the minimum: callers that must refuse it check it themselves.
bool HundredthsAcceptable(int32_t value, int32_t minimum, int32_t maximum);
