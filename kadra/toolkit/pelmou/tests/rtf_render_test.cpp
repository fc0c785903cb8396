// The log document as a reader shows it: LibreOffice converts a generated document to PDF,
// poppler reads the texts and pictures back and renders the page, and every text, picture
// and picture colour must be on it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "rtf_writer.h"

namespace pelmou {
namespace {

namespace fs = std::filesystem;

struct Output {
    int status = -1;
    std::string text;
};

Output Shell(const std::string& command) {
    Output output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[4096];
    std::size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.text.append(buffer, count);
    output.status = pclose(pipe);
    return output;
}

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

bool HaveProgram(const std::string& name) {
    return Shell("command -v " + name + " >/dev/null").status == 0;
}

// A picture of one colour (red, green, blue bytes) with a white frame, as 24-bit DIB rows.
std::vector<uint8_t> FramedPicture(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    const std::size_t stride = DibStride(width, 24);
    std::vector<uint8_t> pixels(stride * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool frame = x < 4 || y < 4 || x >= width - 4 || y >= height - 4;
            uint8_t* pixel = pixels.data() + stride * y + x * 3;
            pixel[0] = frame ? 255 : b;
            pixel[1] = frame ? 255 : g;
            pixel[2] = frame ? 255 : r;
        }
    }
    return pixels;
}

struct Picture {
    int width, height;
    uint8_t r, g, b;
};

// Pixels of the rendered page (a binary PPM from pdftoppm) within 12 of the colour.
std::size_t PixelsOfColour(const std::string& ppm, const Picture& colour) {
    std::istringstream in(ppm);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    in >> magic >> width >> height >> maximum;
    if (magic != "P6" || maximum != 255) return 0;
    const std::size_t start = static_cast<std::size_t>(in.tellg()) + 1;
    std::size_t count = 0;
    for (std::size_t k = start; k + 2 < ppm.size(); k += 3) {
        const auto near = [](char value, uint8_t wanted) {
            return std::abs(static_cast<uint8_t>(value) - wanted) <= 12;
        };
        if (near(ppm[k], colour.r) && near(ppm[k + 1], colour.g) && near(ppm[k + 2], colour.b)) {
            ++count;
        }
    }
    return count;
}

TEST(RtfRender, EveryTextAndPictureIsOnThePage) {
    if (!HaveProgram("soffice")) GTEST_SKIP() << "soffice (libreoffice-writer-nogui) is absent";
    ASSERT_TRUE(HaveProgram("pdftotext") && HaveProgram("pdfimages") && HaveProgram("pdftoppm"))
        << "poppler-utils is missing";

    std::random_device random;
    const fs::path folder =
        fs::temp_directory_path() / ("pelmou-render-" + std::to_string(random()));
    fs::create_directories(folder);
    const fs::path rtf = folder / "kadra render.rtf";

    const std::vector<std::u16string> texts = {
        u"Latin: Gr\u00fc\u00dfe aus \u0141\u00f3d\u017a, fa\u00e7ade, \u0153uvre",
        u"Greek: \u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5",
        u"Cyrillic: \u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451",
        u"Armenian: \u0532\u0561\u0580\u0587",
        u"Georgian: \u10d2\u10d0\u10db\u10d0\u10e0\u10ef\u10dd\u10d1\u10d0",
        u"Outside the BMP: \U0001D400\U0001D401\U0001D402",
        u"Braces {kept} and a path C:\\data\\kadra",
    };
    const std::vector<Picture> pictures = {
        {240, 90, 230, 20, 20}, {300, 80, 20, 170, 40}, {200, 100, 30, 40, 220}};
    {
        auto writer = RtfWriter::Create(rtf);
        ASSERT_NE(writer, nullptr);
        ASSERT_TRUE(writer->AddText(u"\\fs50 Render check \u00e9t\u00e9\n\n\n", kRtfTitle));
        for (std::size_t k = 0; k < pictures.size(); ++k) {
            const Picture& p = pictures[k];
            const std::u16string heading =
                k == 2 ? u"SUMMARY\n" : u"Picture " + std::u16string(1, u'1' + k) + u":\n";
            ASSERT_TRUE(writer->AddText(heading, kRtfHeading));
            ASSERT_TRUE(writer->AddImage(p.width, p.height, 24, RowOrder::BottomUp,
                                         FramedPicture(p.width, p.height, p.r, p.g, p.b)));
            ASSERT_TRUE(writer->AddText(u"\n\n", kRtfPlain));
            if (k == 0) {
                ASSERT_TRUE(writer->AddText(u"Scripts\n", kRtfHeading));
                for (const auto& text : texts)
                    ASSERT_TRUE(writer->AddText(text + u"\n", 0));
            }
        }
        ASSERT_TRUE(writer->Close());
    }

    // A profile of its own, so that other LibreOffice processes do not get in the way.
    const Output convert =
        Shell("timeout 240 soffice -env:UserInstallation=file://" + (folder / "profile").string() +
              " --headless --convert-to pdf --outdir " + Quoted(folder) + " " + Quoted(rtf));
    const fs::path pdf = folder / "kadra render.pdf";
    ASSERT_TRUE(fs::exists(pdf)) << convert.text;

    const Output pages = Shell("pdfinfo " + Quoted(pdf));
    const std::size_t pagesAt = pages.text.find("Pages:");
    ASSERT_NE(pagesAt, std::string::npos) << pages.text;
    EXPECT_EQ(std::atoi(pages.text.c_str() + pagesAt + 6), 1) << pages.text;

    const Output text = Shell("pdftotext -f 1 -l 1 -enc UTF-8 " + Quoted(pdf) + " -");
    ASSERT_EQ(text.status, 0) << text.text;
    auto utf8 = [](const std::u16string& s) {
        std::string out;
        for (std::size_t i = 0; i < s.size(); ++i) {
            char32_t c = s[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size()) {
                c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
            }
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else if (c < 0x800) {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 63));
            } else if (c < 0x10000) {
                out += static_cast<char>(0xE0 | (c >> 12));
                out += static_cast<char>(0x80 | ((c >> 6) & 63));
                out += static_cast<char>(0x80 | (c & 63));
            } else {
                out += static_cast<char>(0xF0 | (c >> 18));
                out += static_cast<char>(0x80 | ((c >> 12) & 63));
                out += static_cast<char>(0x80 | ((c >> 6) & 63));
                out += static_cast<char>(0x80 | (c & 63));
            }
        }
        return out;
    };
    for (const auto& expected :
         {std::u16string(u"Render check \u00e9t\u00e9"), std::u16string(u"Picture 1:"),
          std::u16string(u"Picture 2:"), std::u16string(u"SUMMARY"), std::u16string(u"Scripts")}) {
        EXPECT_NE(text.text.find(utf8(expected)), std::string::npos)
            << utf8(expected) << " not in\n"
            << text.text;
    }
    for (const auto& expected : texts) {
        EXPECT_NE(text.text.find(utf8(expected)), std::string::npos)
            << utf8(expected) << " not in\n"
            << text.text;
    }

    // pdfimages lists one line per picture after two header lines, with its pixel size.
    const Output list = Shell("pdfimages -f 1 -l 1 -list " + Quoted(pdf));
    ASSERT_EQ(list.status, 0) << list.text;
    std::istringstream lines(list.text);
    std::string line;
    std::vector<std::pair<int, int>> sizes;
    for (int k = 0; std::getline(lines, line); ++k) {
        if (k < 2) continue;
        std::istringstream fields(line);
        int page = 0, number = 0, width = 0, height = 0;
        std::string type;
        if (fields >> page >> number >> type >> width >> height) sizes.emplace_back(width, height);
    }
    ASSERT_EQ(sizes.size(), pictures.size()) << list.text;
    for (std::size_t k = 0; k < pictures.size(); ++k) {
        EXPECT_EQ(sizes[k], std::make_pair(pictures[k].width, pictures[k].height)) << list.text;
    }

    // The rendered page shows each picture's colour over an area close to its inside.
    const Output render = Shell("pdftoppm -f 1 -l 1 -r 48 -singlefile " + Quoted(pdf) + " " +
                                Quoted(folder / "page"));
    ASSERT_EQ(render.status, 0) << render.text;
    std::ifstream page(folder / "page.ppm", std::ios::binary);
    const std::string ppm{std::istreambuf_iterator<char>(page), {}};
    for (const Picture& p : pictures) {
        // At 48 dpi a 96-dpi pixel becomes a quarter of a pixel.
        const std::size_t inside = static_cast<std::size_t>((p.width - 8) * (p.height - 8)) / 4;
        EXPECT_GT(PixelsOfColour(ppm, p), inside * 8 / 10)
            << "colour " << int(p.r) << "," << int(p.g) << "," << int(p.b);
    }

#ifdef PELMOU_RENDER_OUTPUT
    // The page for a person to look at.
    fs::create_directories(PELMOU_RENDER_OUTPUT);
    Shell("pdftoppm -f 1 -l 1 -r 60 -png -singlefile " + Quoted(pdf) + " " +
          Quoted(fs::path(PELMOU_RENDER_OUTPUT) / "pelmou-rtf-page"));
    fs::copy_file(rtf, fs::path(PELMOU_RENDER_OUTPUT) / "pelmou-render.rtf",
                  fs::copy_options::overwrite_existing);
#endif
    fs::remove_all(folder);
}

}  // namespace
}  // namespace pelmou
