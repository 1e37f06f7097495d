#include "adjust/number_text.h"
#include <stdio.h>
#include <stdlib.h>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

int32_t IntegerTextValue(const char *text)
{
    long long value = strtoll(text, nullptr, 10);
    return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : int32_t(value);
}

int32_t HundredthsTextValue(const char *text, char separator)
{
    const char *s = text;
    while (*s == ' ' || *s == '0')
        s++;
    if (*s == '\0')
        return 0;
    int whole = 0;
    while (s[whole] != '\0' && s[whole] != separator && s[whole] != '.') {
        if (!IsDigit(s[whole]))
            return NOT_A_DIGIT;
        whole++;
    }
    // The whole digits followed by exactly two places of fraction, read with
    // the integer conversion. More than 20 digits saturate it anyway.
    char digits[24];
    int n = 0;
    for (int i = 0; i < whole && n < 20; i++)
        digits[n++] = s[i];
    const char *fraction = s[whole] != '\0' ? s + whole + 1 : s + whole;
    for (int i = 0; i < 2; i++) {
        if (*fraction != '\0')
            digits[n++] = *fraction++;
        else
            digits[n++] = '0';
    }
    digits[n] = '\0';
    return IntegerTextValue(digits);
}

void WriteHundredthsText(char *buffer, int32_t value, char separator)
{
    uint32_t magnitude = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
    snprintf(buffer, HUNDREDTHS_TEXT_SIZE, "%s%u%c%02u", value < 0 ? "-" : "", unsigned(magnitude / 100),
             separator, unsigned(magnitude % 100));
}

bool IntegerAcceptable(int32_t value, int32_t minimum, int32_t maximum)
{
    return minimum <= value && value <= maximum;
}

bool HundredthsAcceptable(int32_t value, int32_t minimum, int32_t maximum)
{
    return value <= maximum && (value >= minimum || value == 0);
}
