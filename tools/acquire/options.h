// Command line of the acquisition tool. Platform-free: the option table is
// the single description of every option, used by the parser and the help.
#pragma once

enum DsmKind { DSM_DEFAULT = 0, DSM_OWN = 1, DSM_WINE = 2 };
enum ExpectedEvent { EXPECT_ANY = 0, EXPECT_XFERREADY = 1, EXPECT_CLOSEDSREQ = 2 };
// Values the tool negotiates; the *_UNSET ones leave the source's own.
enum PixelMode { MODE_UNSET = 0, MODE_BW = 1, MODE_GREY = 2, MODE_COLOUR = 3 };
enum AreaUnits { UNITS_UNSET = 0, UNITS_INCHES = 1, UNITS_CM = 2, UNITS_PIXELS = 3 };
enum DocumentSource {
    SOURCE_UNSET = 0,
    SOURCE_FLATBED = 1,
    SOURCE_FEEDER = 2,
    SOURCE_TRANSPARENCY = 3,
};
enum TransferMech { XFER_NATIVE = 0, XFER_MEMORY = 1, XFER_FILE = 2, XFER_NONE = 3 };
// How the application hands its strip buffer to the source.
enum MemoryKind { MEM_UNSET = 0, MEM_POINTER = 1, MEM_HANDLE = 2 };
// Whether the values are set again once the source announces the transfer.
enum Reapply { REAPPLY_AUTO = 0, REAPPLY_YES = 1, REAPPLY_NO = 2 };
enum { PAGES_ALL = 9999 };
// Which button --auto-answer presses in a message box.
enum AnswerButton {
    ANSWER_NONE = 0,
    ANSWER_DEFAULT = 1,
    ANSWER_OK = 2,
    ANSWER_CANCEL = 3,
    ANSWER_YES = 4,
    ANSWER_NO = 5,
};

struct Options {
    const char *dsPath;  // --ds: the source file (own manager loads it; Wine mode reads its name)
    const char *product; // --product: ProductName to pick from Wine's source list
    int dsm;             // DsmKind
    int showUI;          // TW_USERINTERFACE.ShowUI for MSG_ENABLEDS
    int timeoutSec;      // how long to wait for the source's event
    int answer;          // AnswerButton
    int expect;          // ExpectedEvent
    int help;
    // Negotiated in state 4.
    int mode;            // PixelMode
    int xResolution;     // dots per inch; 0 leaves the source's
    int yResolution;
    int units;           // AreaUnits of --area (ICAP_UNITS); inches when --area alone
    int hasArea;
    int area[4];         // left, top, right, bottom as TW_FIX32 bits (whole << 16 | fraction)
    int areaFractional;  // some edge has a fraction
    int hasBrightness;
    int brightness;
    int source;          // DocumentSource
    int reapply;         // Reapply
    // The transfer.
    int xfer;            // TransferMech
    int memory;          // MemoryKind (memory transfer only; pointer when unset)
    int bufferSize;      // Memory.Length; 0 takes the source's preferred size
    int pages;           // most images to take; PAGES_ALL while the source has more
    const char *out;     // BMP file to write (page numbers added when pages > 1)
};

// Parser results; the caller turns any of them into a usage exit.
enum OptionResult {
    OPT_OK = 0,
    OPT_UNKNOWN = 1,      // no such option, or a stray argument
    OPT_NO_VALUE = 2,     // option needs a value and none followed
    OPT_BAD_VALUE = 3,    // value outside what the option accepts
    OPT_NOT_A_FLAG = 4,   // "--flag=value" for an option that takes none
    OPT_MISSING_DS = 5,   // neither --ds nor --product says which source
    OPT_CONFLICT = 6,     // options that cannot go together, or that the source cannot serve
};

void OptionsDefaults(Options *opt);
// Accepts "--name value" and "--name=value". On failure, err names the
// offending argument.
int OptionsParse(Options *opt, int argc, char **argv, char *err, int errSize);
// Checks that the parsed options describe a session the tool can run.
int OptionsCheck(const Options *opt, char *err, int errSize);
// Converts a decimal number with up to four decimals, such as "8.27", to
// TW_FIX32 bits. The fraction is rounded up to the next 1/65536: the source
// truncates what it reads, so a rounded-down 1.01 inch would come out as 1.00.
// False for anything but a plain non-negative number below 32768.
bool ParseFix32(const char *text, int length, int *fix32, bool *fractional);
// Writes the option list, one option per line, into buf.
void OptionsHelp(char *buf, int bufSize);
