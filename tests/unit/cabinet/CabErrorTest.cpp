// The error record: its text table row by row and the order in which own codes fold in.
#include <gtest/gtest.h>

#include "cabinet/CabError.h"

namespace {

struct TextRow {
    int code;
    const wchar_t* text;
};

const TextRow kRows[] = {
    {0, L"Success"},
    {1, L"Cabinet file (or part of splitted CAB) not found"},
    {2, L"The file is not a cabinet"},
    {3, L"Unknown cabinet version"},
    {4, L"Corrupt cabinet"},
    {5, L"Memory allocation failed"},
    {6, L"Unknown compression type"},
    {7, L"Failure decompressing data"},
    {8, L"Failure writing to target file"},
    {9, L"Cabinets in set have different RESERVE sizes"},
    {10, L"Cabinet returned on fdintNEXT_CABINET is incorrect"},
    {11, L"User aborted extraction"},
    {1000, L"Could not load Cabinet.dll"},
    {1002, L"Invalid parameters passed to extraction function"},
    {1005, L"The path is too long. (Max 260 characters are allowed)."},
    {1011, L"Could not remove attributes of the file"},
    {12, L"Unknown error"},
    {1001, L"Unknown error"},
    {-1, L"Unknown error"},
};

TEST(CabError, EveryTableRowAsLibraryCodeAndAsOwnCode)
{
    for (const TextRow& row : kRows) {
        CError library;
        library.Erf()->erfOper = row.code;
        library.Erf()->fError = TRUE;
        EXPECT_STREQ(library.GetText(), row.text) << "library code " << row.code;
        EXPECT_EQ(library.GetCode(), row.code);

        if (row.code != 0) {
            CError own;
            own.Set(row.code, 0);
            EXPECT_STREQ(own.GetText(), row.text) << "own code " << row.code;
            EXPECT_EQ(own.GetCode(), row.code);
        }
    }
}

TEST(CabError, NoErrorIsSuccessWithCodeZero)
{
    CError error;
    EXPECT_FALSE(error.HasError());
    EXPECT_STREQ(error.GetText(), L"Success");
    EXPECT_EQ(error.GetCode(), 0);
}

TEST(CabError, TypeValueIsAppendedToTheText)
{
    CError error;
    error.Erf()->erfOper = 8;
    error.Erf()->erfType = 28;
    error.Erf()->fError = TRUE;
    EXPECT_STREQ(error.GetText(), L"Error Failure writing to target file: 28");

    CError own;
    own.Set(4, 13);
    EXPECT_TRUE(own.HasError());
    EXPECT_STREQ(own.GetText(), L"Error Corrupt cabinet: 13");
}

TEST(CabError, OwnCodeFoldsInOnlyWhenTheTextIsTaken)
{
    CError error;
    error.Erf()->erfOper = 11; // the library saw a notification answered with -1
    error.Erf()->fError = TRUE;
    error.Set(1005, 0);
    EXPECT_EQ(error.GetCode(), 11);
    EXPECT_STREQ(error.GetText(), L"The path is too long. (Max 260 characters are allowed).");
    EXPECT_EQ(error.GetCode(), 1005);
}

TEST(CabError, MagicCheckAndLibraryAgreeOnNotACabinet)
{
    CError error;
    error.Erf()->erfOper = 2;
    error.Erf()->fError = TRUE;
    error.Set(2, 0);
    EXPECT_STREQ(error.GetText(), L"The file is not a cabinet");
    EXPECT_EQ(error.GetCode(), 2);
}

TEST(CabError, ClearForgetsEverything)
{
    CError error;
    error.Erf()->erfOper = 4;
    error.Erf()->erfType = 3;
    error.Erf()->fError = TRUE;
    error.Set(1011, 7);
    error.Clear();
    EXPECT_FALSE(error.HasError());
    EXPECT_STREQ(error.GetText(), L"Success");
    EXPECT_EQ(error.GetCode(), 0);
}

} // namespace
