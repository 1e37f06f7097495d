// Captures the message boxes a test's own thread opens: a WH_CBT hook reads
// each box's caption and text as it activates and presses its default
// button, so the real MessageBoxA path runs and no box waits for a person.
#pragma once
#include <string>
#include <vector>

struct CapturedBox {
    std::string caption;   // converted to UTF-8
    std::string text;      // converted to UTF-8
};

class MessageBoxCapture {
public:
    MessageBoxCapture();
    ~MessageBoxCapture();
    const std::vector<CapturedBox> &boxes() const;
    void clear();
};

// CP932 (the system's ANSI code page here) to UTF-8.
std::string AnsiToUtf8(const char *text);
