#include "adjust/number_entry.h"
#include "ds/library_strings.h"
#include "ds/source_state.h"

char NumberText[NUMBER_TEXT_SIZE];

namespace {

const int kInvalidValueString = 78;

void Warn(HWND owner, HWND dialog, int control)
{
    char text[20];
    LoadLibraryString(kInvalidValueString, text, sizeof text);
    MessageBoxA(owner, text, ProductName, MB_OK | MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(dialog, control));
    SendDlgItemMessageA(dialog, control, EM_SETSEL, 0, 0x7FFF0000);
}

// Letters are refused before any conversion; a value out of range is then
// reported over the field itself.
bool Validate(HWND dialog, int control, bool acceptable)
{
    if (TextHasLetter(NumberText)) {
        Warn(GetActiveWindow(), dialog, control);
        return false;
    }
    if (acceptable)
        return true;
    Warn(GetDlgItem(dialog, control), dialog, control);
    return false;
}

} // namespace

int FetchNumberText(HWND dialog, int control)
{
    NumberText[0] = '\0';
    return GetDlgItemTextA(dialog, control, NumberText, NUMBER_FETCH_LIMIT);
}

bool TextHasLetter(const char *text)
{
    for (const char *c = text; *c != '\0'; c++)
        if (IsCharAlphaA(*c))
            return true;
    return false;
}

bool ValidateInteger(HWND dialog, int control, int32_t minimum, int32_t maximum)
{
    int32_t value = IntegerTextValue(NumberText);
    return Validate(dialog, control, IntegerAcceptable(value, minimum, maximum));
}

bool ValidateHundredths(HWND dialog, int control, int32_t minimum, int32_t maximum)
{
    int32_t value = ParseHundredths(NumberText);
    return Validate(dialog, control, HundredthsAcceptable(value, minimum, maximum));
}

char DecimalSeparator()
{
    char separator[2];
    GetProfileStringA("intl", "sDecimal", ".", separator, sizeof separator);
    return separator[0];
}

int32_t ParseHundredths(const char *text)
{
    return HundredthsTextValue(text, DecimalSeparator());
}

void FormatHundredths(char *buffer, int32_t value)
{
    WriteHundredthsText(buffer, value, DecimalSeparator());
}
