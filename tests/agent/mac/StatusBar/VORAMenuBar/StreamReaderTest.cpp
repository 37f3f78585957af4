#include "StreamReader.h"
#include "FileHelpers.h"
#include "QtPrinters.h"
#include "TempAgentRoot.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::optional<QString>> ReadAll(const std::string& content, int calls, qint64 chunkSize = 4096)
{
    TempAgentRoot root;
    const std::string path = root.root() + "/file.txt";
    WriteFile(path, content);
    auto reader = StreamReader::init(QString::fromStdString(path), "\n", QStringConverter::Utf8, chunkSize);
    std::vector<std::optional<QString>> lines;
    for (int i = 0; i < calls; ++i) {
        lines.push_back(reader->nextLine());
    }
    return lines;
}

using Lines = std::vector<std::optional<QString>>;

} // namespace

TEST(StreamReader, LinesWithAndWithoutFinalDelimiter)
{
    EXPECT_EQ(ReadAll("one\ntwo\n", 3), (Lines{"one", "two", std::nullopt}));
    EXPECT_EQ(ReadAll("one\ntwo", 3), (Lines{"one", "two", std::nullopt}));
    EXPECT_EQ(ReadAll("one\n\ntwo\n", 4), (Lines{"one", "", "two", std::nullopt}));
    EXPECT_EQ(ReadAll("", 2), (Lines{std::nullopt, std::nullopt}));
    EXPECT_EQ(ReadAll("a\r\nb\r\n", 3), (Lines{"a\r", "b\r", std::nullopt}));
    EXPECT_EQ(ReadAll("gr\xc3\xbc\xc3\x9f\n", 1), (Lines{QString::fromUtf8("gr\xc3\xbc\xc3\x9f")}));
}

TEST(StreamReader, EndOfFileIsReachedByTheCallThatReturnsTheLastUnterminatedLine)
{
    TempAgentRoot root;
    WriteFile(root.root() + "/f", "one\ntwo");
    auto reader = StreamReader::init(QString::fromStdString(root.root() + "/f"));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->nextLine(), "one");
    EXPECT_FALSE(reader->isAtEOF());
    EXPECT_EQ(reader->nextLine(), "two");
    EXPECT_TRUE(reader->isAtEOF());
    EXPECT_EQ(reader->nextLine(), std::nullopt);

    reader->rewind();
    EXPECT_FALSE(reader->isAtEOF());
    EXPECT_TRUE(reader->buffer().isEmpty());
    EXPECT_EQ(reader->nextLine(), "one");
}

TEST(StreamReader, LongLinesAndDelimitersSplitAcrossChunks)
{
    const std::string longLine(10000, 'x');
    EXPECT_EQ(ReadAll(longLine + "\nnext\n", 2), (Lines{QString::fromStdString(longLine), "next"}));
    // A two-byte delimiter split by a chunk boundary is still found.
    TempAgentRoot root;
    WriteFile(root.root() + "/f", "abc||def||");
    auto reader =
        StreamReader::init(QString::fromStdString(root.root() + "/f"), "||", QStringConverter::Utf8, 4);
    EXPECT_EQ(reader->nextLine(), "abc");
    EXPECT_EQ(reader->nextLine(), "def");
    EXPECT_EQ(reader->nextLine(), std::nullopt);
}

TEST(StreamReader, InvalidLinesYieldNothingWithoutEndingTheFile)
{
    TempAgentRoot root;
    WriteFile(root.root() + "/f", "ok\n\xff\xfe bad\nafter\n");
    auto reader = StreamReader::init(QString::fromStdString(root.root() + "/f"));
    EXPECT_EQ(reader->nextLine(), "ok");
    EXPECT_EQ(reader->nextLine(), std::nullopt);
    EXPECT_FALSE(reader->isAtEOF());
    EXPECT_EQ(reader->nextLine(), "after");

    EXPECT_EQ(StreamReader::init(QString::fromStdString(root.root() + "/missing")), nullptr);
}
