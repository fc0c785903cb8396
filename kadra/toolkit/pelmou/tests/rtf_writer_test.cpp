// The RTF writer on real files: document structure, text escapes, the embedded PNG pictures
// decoded back, and the failures that must leave no document behind.
#include "rtf_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "png_decoder.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace pelmou {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Braces that open and close groups, escaped ones left out; -1 when a group closes early.
int GroupDepthAtEnd(const std::string& rtf) {
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
        } else if (rtf[i] == '{') {
            ++depth;
        } else if (rtf[i] == '}') {
            if (--depth < 0) return -1;
        }
    }
    return depth;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

class RtfWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device random;
        folder_ = fs::temp_directory_path() / ("pelmou-rtf-" + std::to_string(random()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // The names in the test folder.
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    // A document holding only `text` in plain style, as written.
    std::string DocumentWith(std::u16string_view text) {
        auto writer = RtfWriter::Create(folder_ / "text.rtf");
        EXPECT_NE(writer, nullptr);
        if (writer == nullptr) return {};
        EXPECT_TRUE(writer->AddText(text, kRtfPlain));
        EXPECT_TRUE(writer->Close());
        return ReadFile(folder_ / "text.rtf");
    }

    fs::path folder_;
};

TEST_F(RtfWriterTest, WritesTheDocumentOnlyOnClose) {
    const fs::path path = folder_ / "kadra run.rtf";
    auto writer = RtfWriter::Create(path);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(writer->temporaryPath().parent_path(), folder_);
    EXPECT_TRUE(writer->AddText(u"\\fs50 Run title\n\n\n", kRtfTitle));
    EXPECT_TRUE(writer->AddText(u"64 kB block, read linear synchronous:\n", kRtfHeading));
    EXPECT_TRUE(writer->AddText(u"plain text", kRtfPlain));
    EXPECT_TRUE(writer->AddText(u" continues the line\n\n", kRtfPlain));
    EXPECT_FALSE(fs::exists(path)) << "the document appears before it is complete";
    EXPECT_TRUE(fs::exists(writer->temporaryPath()));
    ASSERT_TRUE(writer->Close());
    EXPECT_EQ(Listing(), std::vector<std::string>{"kadra run.rtf"});
    EXPECT_FALSE(writer->AddText(u"late", kRtfPlain));
    EXPECT_FALSE(writer->Close());

    const std::string rtf = ReadFile(path);
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi", 0), 0u);
    EXPECT_EQ(rtf.substr(rtf.size() - 3), "}\r\n");
    EXPECT_EQ(GroupDepthAtEnd(rtf), 0);
    // The title paragraph, its size word from the text, the heading, and the two plain texts
    // in one paragraph.
    EXPECT_NE(rtf.find("\\pard\\s2\\qc\\sa240 \\fs50 Run title\\par"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\pard\\s1\\keepn\\sb240\\sa120 64 kB block, read linear synchronous:"
                       "\\par"),
              std::string::npos);
    EXPECT_NE(rtf.find("plain text}"), std::string::npos);
    EXPECT_NE(rtf.find("{\\f0\\fs20  continues the line\\par"), std::string::npos);
    EXPECT_EQ(Count(rtf, "\\par\r\n"), 6u);
}

TEST_F(RtfWriterTest, EscapesTextSoThatItReadsBackUnchanged) {
    struct Case {
        std::u16string text;
        std::string written;
    };
    const Case cases[] = {
        {u"caf\u00e9", "caf\\u233?"},
        {u"\u0416\u03b1", "\\u1046?\\u945?"},
        {u"\u4e2d\ue000", "\\u20013?\\u-8192?"},
        {u"\U0001D11E", "\\u-10188?\\u-8930?"},                   // a surrogate pair stays a pair
        {std::u16string(1, char16_t(0xD834)) + u"x", "\\u-3?x"},  // unpaired: U+FFFD
        {u"{braces}", "\\{braces\\}"},
        {u"C:\\data\\kadra", "C:\\\\data\\\\kadra"},  // not control words: literal
        {u"\\b bold\\b0 , \\i x\\i0", "\\b bold\\b0 , \\i x\\i0 "},
        {u"\\fs-5x", "\\fs-5 x"},
        {u"\\bin 20 \\*\\field", "\\\\bin 20 \\\\*\\\\field"},
        {u"a\tb\x01\x7f", "a\\tab b"},
        {u"one\r\ntwo\rthree\\par four",
         "one\\par\r\n\\pard\\s0\\sa60 two\\par\r\n\\pard\\s0\\sa60 three\\par\r\n"},
    };
    for (const Case& c : cases) {
        const std::string rtf = DocumentWith(c.text);
        EXPECT_NE(rtf.find(c.written), std::string::npos) << "expected " << c.written << " in\n"
                                                          << rtf;
        EXPECT_EQ(GroupDepthAtEnd(rtf), 0) << rtf;
        for (unsigned char byte : rtf)
            EXPECT_LT(byte, 0x80) << rtf;
    }
}

TEST_F(RtfWriterTest, TakesWideTextAsTheProgramsKeepIt) {
    auto writer = RtfWriter::Create(folder_ / "wide.rtf");
    ASSERT_NE(writer, nullptr);
    // One wchar_t a character on Linux, a surrogate pair on Windows: the same escapes.
    ASSERT_TRUE(writer->AddText(std::wstring(L"\\fs50 \u00e9 \U0001D11E\n"), kRtfTitle));
    ASSERT_TRUE(writer->Close());
    EXPECT_NE(ReadFile(folder_ / "wide.rtf").find("\\fs50 \\u233? \\u-10188?\\u-8930?\\par"),
              std::string::npos);
}

TEST_F(RtfWriterTest, EmbedsPicturesAsDecodablePng) {
    // 3 × 2 pixels at 24 bits (rows of 9 bytes padded to 12), bottom-up: the first row in
    // the buffer is the bottom one.
    const std::vector<uint8_t> bottomUp24 = {
        0,  0,  255, 0,  255, 0,  255, 0,  0,  0xEE, 0xEE, 0xEE,  // red green blue
        10, 20, 30,  40, 50,  60, 70,  80, 90, 0xEE, 0xEE, 0xEE,  // top row
    };
    // 2 × 2 pixels at 32 bits, top-down; the fourth byte is not alpha.
    const std::vector<uint8_t> topDown32 = {
        1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 200, 201, 202, 0,
    };
    const fs::path path = folder_ / "pictures.rtf";
    auto writer = RtfWriter::Create(path);
    ASSERT_NE(writer, nullptr);
    ASSERT_TRUE(writer->AddImage(3, 2, 24, RowOrder::BottomUp, bottomUp24));
    ASSERT_TRUE(writer->AddImage(2, 2, 32, RowOrder::TopDown, topDown32));
    ASSERT_TRUE(writer->Close());
    const std::string rtf = ReadFile(path);
    EXPECT_EQ(GroupDepthAtEnd(rtf), 0);
    EXPECT_NE(rtf.find("{\\pict\\pngblip\\picw3\\pich2\\picwgoal45\\pichgoal30\r\n"),
              std::string::npos);
    EXPECT_NE(rtf.find("{\\pict\\pngblip\\picw2\\pich2\\picwgoal30\\pichgoal30\r\n"),
              std::string::npos);

    const auto blips = PngBlips(rtf);
    ASSERT_EQ(blips.size(), 2u);
    const std::vector<uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), blips[0].begin()));
    DecodedPng first = DecodePng(blips[0]);
    ASSERT_EQ(first.width, 3);
    ASSERT_EQ(first.height, 2);
    EXPECT_EQ(first.rgb, (std::vector<uint8_t>{30, 20, 10, 60, 50, 40, 90, 80, 70,  // top
                                               255, 0, 0, 0, 255, 0, 0, 0, 255}));
    DecodedPng second = DecodePng(blips[1]);
    ASSERT_EQ(second.width, 2);
    EXPECT_EQ(second.rgb, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 202, 201, 200}));
}

TEST_F(RtfWriterTest, ScalesWidePicturesToTheTextWidth) {
    std::vector<uint8_t> pixels(DibStride(1000, 24) * 100, 0x80);
    auto writer = RtfWriter::Create(folder_ / "wide.rtf");
    ASSERT_NE(writer, nullptr);
    ASSERT_TRUE(writer->AddImage(1000, 100, 24, RowOrder::BottomUp, pixels));
    ASSERT_TRUE(writer->Close());
    // 1000 pixels are 15000 twips; the text is 9638 twips wide.
    EXPECT_NE(ReadFile(folder_ / "wide.rtf").find("\\picw1000\\pich100\\picwgoal9638\\pichgoal963"),
              std::string::npos);
}

TEST_F(RtfWriterTest, RefusesBadPicturesAndKeepsTheDocument) {
    std::vector<uint8_t> pixels(DibStride(4, 32) * 4, 0);
    auto writer = RtfWriter::Create(folder_ / "bad.rtf");
    ASSERT_NE(writer, nullptr);
    EXPECT_FALSE(writer->AddImage(4, 4, 16, RowOrder::BottomUp, pixels));
    EXPECT_FALSE(writer->AddImage(0, 4, 32, RowOrder::BottomUp, pixels));
    EXPECT_FALSE(writer->AddImage(4, -4, 32, RowOrder::BottomUp, pixels));
    EXPECT_FALSE(writer->AddImage(5, 4, 32, RowOrder::BottomUp, pixels));  // too few bytes
    EXPECT_FALSE(writer->AddImage(20000, 1, 24, RowOrder::BottomUp, pixels));
    EXPECT_TRUE(writer->AddImage(4, 4, 32, RowOrder::BottomUp, pixels));
    EXPECT_TRUE(writer->AddText(u"after\n", kRtfPlain));
    ASSERT_TRUE(writer->Close());
    EXPECT_EQ(PngBlips(ReadFile(folder_ / "bad.rtf")).size(), 1u);
}

TEST_F(RtfWriterTest, GivesNoDocumentForPathsThatCannotBeCreated) {
    EXPECT_EQ(RtfWriter::Create(folder_ / "missing" / "log.rtf"), nullptr);
    EXPECT_EQ(RtfWriter::Create(folder_), nullptr);  // a folder
    EXPECT_EQ(RtfWriter::Create(""), nullptr);
    EXPECT_TRUE(Listing().empty());
}

TEST_F(RtfWriterTest, LeavesNothingWhenNotClosed) {
    {
        auto writer = RtfWriter::Create(folder_ / "abandoned.rtf");
        ASSERT_NE(writer, nullptr);
        EXPECT_TRUE(writer->AddText(u"title\n", kRtfTitle));
    }
    EXPECT_TRUE(Listing().empty());
}

TEST_F(RtfWriterTest, ReplacesAnEarlierDocumentOnlyWhenComplete) {
    const fs::path path = folder_ / "log.rtf";
    std::ofstream(path) << "earlier";
    {
        auto abandoned = RtfWriter::Create(path);
        ASSERT_NE(abandoned, nullptr);
    }
    EXPECT_EQ(ReadFile(path), "earlier");
    auto writer = RtfWriter::Create(path);
    ASSERT_NE(writer, nullptr);
    ASSERT_TRUE(writer->Close());
    EXPECT_EQ(ReadFile(path).rfind("{\\rtf1", 0), 0u);
    EXPECT_EQ(Listing(), std::vector<std::string>{"log.rtf"});
}

TEST_F(RtfWriterTest, FailsCloseWhenTheDocumentCannotTakeItsPlace) {
    const fs::path path = folder_ / "log.rtf";
    auto writer = RtfWriter::Create(path);
    ASSERT_NE(writer, nullptr);
    ASSERT_TRUE(writer->AddText(u"text\n", kRtfPlain));
    // Something else takes the name meanwhile: a folder that is not empty.
    fs::create_directories(path / "inside");
    EXPECT_FALSE(writer->Close());
    EXPECT_EQ(Listing(), std::vector<std::string>{"log.rtf"});
    EXPECT_TRUE(fs::is_directory(path));
}

#ifndef _WIN32
// A file size limit makes the writes fail halfway through a large picture, as a full disk
// would.
TEST_F(RtfWriterTest, FailsAndLeavesNothingWhenAWriteFails) {
    std::mt19937 random(7);
    std::vector<uint8_t> noise(DibStride(400, 24) * 400);
    for (auto& byte : noise)
        byte = static_cast<uint8_t>(random());

    const fs::path path = folder_ / "full.rtf";
    auto writer = RtfWriter::Create(path);
    ASSERT_NE(writer, nullptr);
    ASSERT_TRUE(writer->AddText(u"before\n", kRtfHeading));

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* savedHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool added = writer->AddImage(400, 400, 24, RowOrder::BottomUp, noise);
    const bool textAdded = writer->AddText(u"after\n", kRtfPlain);
    const bool closed = writer->Close();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, savedHandler);

    EXPECT_FALSE(added && textAdded && closed);
    EXPECT_FALSE(closed);
    EXPECT_NE(writer->failure().find("full.rtf: "), std::string::npos) << writer->failure();
    EXPECT_TRUE(Listing().empty());
}

// A log named where a link stands replaces the link; the file it named keeps its content. A
// FIFO is refused at once rather than waited on.
TEST_F(RtfWriterTest, NeverWritesThroughALinkOrIntoAFifo) {
    std::ofstream(folder_ / "precious.txt") << "precious";
    fs::create_symlink(folder_ / "precious.txt", folder_ / "symlink.rtf");
    fs::create_hard_link(folder_ / "precious.txt", folder_ / "hardlink.rtf");
    for (const char* name : {"symlink.rtf", "hardlink.rtf"}) {
        SCOPED_TRACE(name);
        auto writer = RtfWriter::Create(folder_ / name);
        ASSERT_NE(writer, nullptr);
        ASSERT_TRUE(writer->AddText(u"log\n", kRtfPlain));
        ASSERT_TRUE(writer->Close());
        EXPECT_FALSE(fs::is_symlink(folder_ / name));
        EXPECT_EQ(ReadFile(folder_ / name).rfind("{\\rtf1", 0), 0u);
    }
    EXPECT_EQ(ReadFile(folder_ / "precious.txt"), "precious");

    ASSERT_EQ(mkfifo((folder_ / "fifo.rtf").c_str(), 0600), 0);
    std::string error;
    EXPECT_EQ(RtfWriter::Create(folder_ / "fifo.rtf", &error), nullptr);
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
}

// With the folder gone the rename fails; the writer reports it.
TEST_F(RtfWriterTest, FailsCloseWhenTheFolderIsGone) {
    const fs::path inner = folder_ / "inner";
    fs::create_directories(inner);
    auto writer = RtfWriter::Create(inner / "log.rtf");
    ASSERT_NE(writer, nullptr);
    fs::remove_all(inner);
    EXPECT_FALSE(writer->Close());
    EXPECT_FALSE(fs::exists(inner));
}
#endif

}  // namespace
}  // namespace pelmou
