// Number entry: parsing and formatting hundredths with the separator of
// WIN.INI, and the validation routines with their warning box, run on a
// real edit control.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "adjust/number_entry.h"
#include "ds/library_attach.h"
#include "ds/source_state.h"
#include "tests/support/msgbox_capture.h"

namespace {

const int kField = 902;

class NumberEntry : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr)));
        hadSeparator = GetProfileStringA("intl", "sDecimal", "", savedSeparator, sizeof savedSeparator) > 0;
        window = CreateWindowA("STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 120,
                               nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        field = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10, 10, 80, 24,
                              window, HMENU(INT_PTR(kField)), nullptr, nullptr);
        other = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 100, 10, 80, 24,
                              window, HMENU(INT_PTR(kField + 1)), nullptr, nullptr);
        ASSERT_NE(field, nullptr);
    }
    void TearDown() override
    {
        WriteProfileStringA("intl", "sDecimal", hadSeparator ? savedSeparator : nullptr);
        DestroyWindow(window);
    }
    void UseSeparator(const char *separator) { WriteProfileStringA("intl", "sDecimal", separator); }

    // Types the text into the field and fetches it as a dialog handler does.
    void Enter(const char *text)
    {
        SetWindowTextA(field, text);
        SetFocus(other);
        FetchNumberText(window, kField);
    }

    void ExpectOneWarningOnTheField(const std::string &label)
    {
        ASSERT_EQ(boxes.boxes().size(), 1u) << label;
        EXPECT_EQ(boxes.boxes()[0].text, "値が不正です") << label;
        EXPECT_EQ(boxes.boxes()[0].caption, AnsiToUtf8(ProductName)) << label;
        EXPECT_EQ(GetFocus(), field) << label;
        DWORD start = 0, end = 0;
        SendMessageA(field, EM_GETSEL, WPARAM(&start), LPARAM(&end));
        EXPECT_EQ(start, 0u) << label;
        EXPECT_EQ(end, DWORD(GetWindowTextLengthA(field))) << label;
    }

    MessageBoxCapture boxes;
    HWND window = nullptr, field = nullptr, other = nullptr;
    char savedSeparator[16] = "";
    bool hadSeparator = false;
};

TEST_F(NumberEntry, ParseHundredthsWithEitherSeparator)
{
    struct Case { const char *separator, *text; int32_t expected; } cases[] = {
        {",", "1,25", 125}, {",", "1.25", 125}, {",", "1.2", 120}, {",", "0", 0}, {",", "", 0},
        {",", "1a", -32767}, {".", "1.5", 150}, {".", "12.345", 1234}, {".", ".05", 5},
        {".", "12", 1200}, {".", "9999", 999900}, {".", "  007", 700}, {".", "0.5", 50},
        {".", "1.", 100}, {".", "-5", -32767}, {".", "+5", -32767}, {".", "1,25", -32767},
        {".", "000", 0}, {".", "21474836.47", 2147483647}, {".", "99999999999", 2147483647},
    };
    for (const Case &c : cases) {
        UseSeparator(c.separator);
        char text[32];
        strcpy(text, c.text);
        EXPECT_EQ(ParseHundredths(text), c.expected) << "'" << c.text << "' with '" << c.separator << "'";
        EXPECT_STREQ(text, c.text) << "the text is read, not rewritten";
    }
}

TEST_F(NumberEntry, SeparatorDefaultsToPointAndOnlyItsFirstCharacterCounts)
{
    WriteProfileStringA("intl", "sDecimal", nullptr);
    EXPECT_EQ(DecimalSeparator(), '.');
    UseSeparator(";x");
    EXPECT_EQ(DecimalSeparator(), ';');
    EXPECT_EQ(ParseHundredths("2;5"), 250);
}

TEST_F(NumberEntry, FormatHundredthsWritesTwoDecimals)
{
    struct Case { const char *separator; int32_t value; const char *expected; } cases[] = {
        {".", 100, "1.00"}, {".", 5, "0.05"}, {".", 0, "0.00"}, {".", 99999, "999.99"},
        {",", 1234, "12,34"}, {".", 850, "8.50"}, {".", -5, "-0.05"},
    };
    for (const Case &c : cases) {
        UseSeparator(c.separator);
        char text[HUNDREDTHS_TEXT_SIZE];
        FormatHundredths(text, c.value);
        EXPECT_STREQ(text, c.expected) << c.value;
    }
}

TEST_F(NumberEntry, FetchTakesFourCharacters)
{
    SetWindowTextA(field, "123456");
    FetchNumberText(window, kField);
    EXPECT_STREQ(NumberText, "1234");
}

TEST_F(NumberEntry, ValidateIntegerAcceptsTheStandardConversionWithinRange)
{
    struct Case { const char *text; bool valid; } cases[] = {
        {"-100", true}, {"+7", true}, {"100", true}, {"12-", true}, {" 5", true}, {"", true},
        {"12x", false}, {"101", false}, {"-101", false}, {"x", false}, {"E5", false},
    };
    for (const Case &c : cases) {
        boxes.clear();
        Enter(c.text);
        bool valid = ValidateInteger(window, kField, -100, 100);
        EXPECT_EQ(valid, c.valid) << "'" << c.text << "'";
        if (c.valid)
            EXPECT_TRUE(boxes.boxes().empty()) << "'" << c.text << "'";
        else
            ExpectOneWarningOnTheField(c.text);
    }
}

TEST_F(NumberEntry, ValidateHundredthsTakesZeroWhateverTheMinimum)
{
    struct Case { const char *separator, *text; bool valid; } cases[] = {
        {".", "0.10", true}, {".", "9.99", true}, {".", "0", true}, {".", "", true},
        {",", "0,10", true}, {",", "1.25", true},
        {".", "0.09", false}, {".", "10", false}, {".", "x", false}, {".", "-1", false},
        {".", "1,25", false},
    };
    for (const Case &c : cases) {
        UseSeparator(c.separator);
        boxes.clear();
        Enter(c.text);
        bool valid = ValidateHundredths(window, kField, 10, 999);
        EXPECT_EQ(valid, c.valid) << "'" << c.text << "'";
        if (c.valid)
            EXPECT_TRUE(boxes.boxes().empty()) << "'" << c.text << "'";
        else
            ExpectOneWarningOnTheField(c.text);
    }
}

TEST_F(NumberEntry, ValidationLeavesTheTextForASecondReading)
{
    Enter("1.25");
    ASSERT_TRUE(ValidateHundredths(window, kField, 10, 999));
    EXPECT_EQ(ParseHundredths(NumberText), 125);
}

} // namespace
