// Command line of the acquisition tool. Platform-free: the option table is
// the single description of every option, used by the parser and the help.
#pragma once

enum DsmKind { DSM_DEFAULT = 0, DSM_OWN = 1, DSM_WINE = 2 };
enum ExpectedEvent { EXPECT_ANY = 0, EXPECT_XFERREADY = 1, EXPECT_CLOSEDSREQ = 2 };
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
};

// Parser results; the caller turns any of them into a usage exit.
enum OptionResult {
    OPT_OK = 0,
    OPT_UNKNOWN = 1,      // no such option, or a stray argument
    OPT_NO_VALUE = 2,     // option needs a value and none followed
    OPT_BAD_VALUE = 3,    // value outside what the option accepts
    OPT_NOT_A_FLAG = 4,   // "--flag=value" for an option that takes none
    OPT_MISSING_DS = 5,   // neither --ds nor --product says which source
};

void OptionsDefaults(Options *opt);
// Accepts "--name value" and "--name=value". On failure, err names the
// offending argument.
int OptionsParse(Options *opt, int argc, char **argv, char *err, int errSize);
// Checks that the parsed options describe a session the tool can run.
int OptionsCheck(const Options *opt, char *err, int errSize);
// Writes the option list, one option per line, into buf.
void OptionsHelp(char *buf, int bufSize);
