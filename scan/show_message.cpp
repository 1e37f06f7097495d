#include "scan/show_message.h"
#include <stdio.h>
#include <string.h>
#include "ds/library_strings.h"
#include "ds/source_state.h"

namespace {

const int kMessageSize = 128;

bool WarnsOnly(int stringId)
{
    return stringId == 78 || (stringId >= 202 && stringId <= 205);
}

// Replaces the first "$" by the insertion, cutting what does not fit.
void Insert(const char *message, const char *insertion, char *out, size_t size)
{
    const char *dollar = strchr(message, '$');
    if (insertion == nullptr || dollar == nullptr) {
        snprintf(out, size, "%s", message);
        return;
    }
    snprintf(out, size, "%.*s%s%s", int(dollar - message), message, insertion, dollar + 1);
}

} // namespace

int ShowMessage(HWND owner, int stringId, const char *insertion)
{
    char message[kMessageSize];
    if (LoadLibraryString(stringId, message, sizeof message) <= 0)
        snprintf(message, sizeof message, "Error Code = %d", stringId);
    char text[kMessageSize + 260];
    Insert(message, insertion, text, sizeof text);
    UINT icon = WarnsOnly(stringId) ? MB_ICONEXCLAMATION : MB_ICONSTOP;
    return MessageBoxA(owner, text, ProductName, MB_OK | icon);
}
