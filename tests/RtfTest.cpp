// The notebook's RTF reader and writer, and the notebook folder.
#include "codec/Folder.h"
#include "codec/Rtf.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

using notebook::TLine;
using notebook::TRichDocument;
using notebook::TRun;

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string DataFile(const char* name) { return ReadFile(std::string(ZENTROVA_TEST_DATA) + "/" + name); }

// Text and colour of each line: "text" or "text@RRGGBB" per run.
std::vector<std::string> Describe(const TRichDocument& doc)
{
    std::vector<std::string> out;
    for (const TLine& line : doc.Lines) {
        std::string d;
        for (const TRun& r : line.Runs) {
            if (!d.empty()) d += "|";
            d += r.Text;
            if (r.Colour) {
                char buf[16];
                std::snprintf(buf, sizeof buf, "@%06X", *r.Colour);
                d += buf;
            }
        }
        out.push_back(d);
    }
    return out;
}

TEST(Rtf, ReadsTheWordProcessorSample)
{
    TRichDocument doc;
    ASSERT_EQ(notebook::LoadNotebook(DataFile("writer-colores.rtf"), doc), notebook::TLoadResult::Rtf);
    EXPECT_EQ(Describe(doc), (std::vector<std::string>{"r=2", "atr -> área de un triángulo@0ABE0A",
                                                      "atr=base*altura/2@003264", "base=3@0064C8",
                                                      "altura=4@0064C8", "año=365.25",
                                                      "Nota: € y “comillas” — fin"}));
    EXPECT_EQ(doc.Lines[0].Runs[0].Font, "Verdana");
    EXPECT_EQ(doc.Lines[0].Runs[0].HalfPoints, 18);
    EXPECT_TRUE(doc.Lines[5].Runs[0].Bold);
}

TEST(Rtf, ReadsTheRichEditSample)
{
    TRichDocument doc;
    ASSERT_EQ(notebook::LoadNotebook(DataFile("richedit-plantilla.rtf"), doc), notebook::TLoadResult::Rtf);
    EXPECT_EQ(Describe(doc), (std::vector<std::string>{"", "atr -> área de un triángulo@0ABE0A",
                                                      "atr=base*altura/2@003264", "base=3@0064C8",
                                                      "altura=4@0064C8", "", "año=365.25"}));
    EXPECT_EQ(doc.Lines[1].Runs[0].Font, "Verdana");
}

TEST(Rtf, PlainTextFallsBackByEncoding)
{
    TRichDocument doc;
    ASSERT_EQ(notebook::LoadNotebook(DataFile("texto-utf8.txt"), doc), notebook::TLoadResult::PlainText);
    EXPECT_EQ(doc.PlainText(), "a=2\nb=3\naño=365.25\nnota: área ∑");
    ASSERT_EQ(notebook::LoadNotebook(DataFile("texto-cp1252.txt"), doc), notebook::TLoadResult::PlainText);
    EXPECT_EQ(doc.PlainText(), "a=2\nb=3\nAño=365.25\nnota: área");
    EXPECT_EQ(notebook::LoadNotebook("a=2\r\nb=3", doc), notebook::TLoadResult::PlainText);
    EXPECT_EQ(doc.Lines.size(), 2u);
}

TEST(Rtf, RefusesNulBytesAndHugeFiles)
{
    TRichDocument doc;
    doc.Lines.resize(3);
    EXPECT_EQ(notebook::LoadNotebook(std::string("a=1\0b", 5), doc), notebook::TLoadResult::Failed);
    EXPECT_EQ(doc.Lines.size(), 3u); // untouched
    EXPECT_EQ(notebook::LoadNotebook(std::string(notebook::kMaxNotebookBytes + 1, 'a'), doc),
              notebook::TLoadResult::Failed);
}

struct ReadCase {
    const char* rtf;
    std::vector<std::string> lines;
};

class RtfRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(RtfRead, Reads)
{
    TRichDocument doc;
    ASSERT_TRUE(notebook::ReadRtf(GetParam().rtf, doc));
    EXPECT_EQ(Describe(doc), GetParam().lines);
}

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.rtf; }

INSTANTIATE_TEST_SUITE_P(
    Rtf, RtfRead,
    ::testing::Values(
        ReadCase{"{\\rtf1 a\\par b}", {"a", "b"}}, ReadCase{"{\\rtf1 a\\line b\\par}", {"a", "b"}},
        ReadCase{"{\\rtf1 a\\tab b}", {"a\tb"}}, ReadCase{"{\\rtf1 \\\\\\{\\}}", {"\\{}"}},
        ReadCase{"{\\rtf1 \\'e1\\'80}", {"á€"}}, ReadCase{"{\\rtf1 \\u8364?x}", {"€x"}},
        ReadCase{"{\\rtf1\\uc2 \\u8364ab c}", {"€ c"}}, ReadCase{"{\\rtf1\\uc0 \\u8364 x}", {"€x"}},
        ReadCase{"{\\rtf1 \\u-10187?\\u-9115?}", {"𝑥"}},
        ReadCase{"{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 r\\cf0 n}", {"r@FF0000|n"}},
        ReadCase{"{\\rtf1{\\colortbl;\\red1\\green2\\blue3;}{\\cf1 x}y}", {"x@010203|y"}},
        ReadCase{"{\\rtf1{\\*\\unknowndest hidden}{\\info{\\title t}}{\\stylesheet{\\s0 Normal;}}v}", {"v"}},
        ReadCase{"{\\rtf1{\\pict\\pngblip 89504e47}{\\*\\fldinst HYPERLINK}{\\fldrslt shown}}", {"shown"}},
        ReadCase{"{\\rtf1\\trowd a\\cell b\\cell\\row c}", {"a", "b", "c"}},
        ReadCase{"{\\rtf1\\bogus123 \\zz x}", {"x"}}, ReadCase{"{\\rtf1 a\\par}", {"a"}},
        ReadCase{"{\\rtf1 a\\par\\par}", {"a", ""}}, ReadCase{"{\\rtf1 }", {}},
        ReadCase{"{\\rtf1 \\fs99999999999999999999 big\\cf99999999999 x}", {"bigx"}},
        ReadCase{"{\\rtf1 unbalanced {{{ braces", {"unbalanced  braces"}},
        // The document ends where its own group closes.
        ReadCase{"{\\rtf1 closes }}} early}} x", {"closes "}}, ReadCase{"{\\rtf1 trunc\\'", {"trunc"}},
        ReadCase{"{\\rtf1 \\bin3 {}\\x", {"x"}},
        ReadCase{"{\\rtf1 {\\pict\\bin5 }b=99}b=3\\par}", {"b=3"}},
        // Code pages of the whole document; an unknown one falls back to Windows-1252.
        ReadCase{"{\\rtf1\\mac \\'8eo}", {"éo"}}, ReadCase{"{\\rtf1\\pc \\'a4\\'e7}", {"ñτ"}},
        ReadCase{"{\\rtf1\\pca \\'e7}", {"þ"}}, ReadCase{"{\\rtf1\\ansicpg99999 \\'e1}", {"á"}},
        // The font's character set ends with its group.
        ReadCase{"{\\rtf1\\ansicpg1251{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset2 B;}}\\f1 p{\\f0 \\'e9}p}",
                 {"π|й|π"}},
        // A lead byte without a valid second byte stands for nothing; the byte after it is read.
        ReadCase{"{\\rtf1\\ansicpg932 \\'81 x}", {"\uFFFD x"}},
        ReadCase{"{\\rtf1\\ansicpg932 \\'82{\\b x}}", {"\uFFFD|x"}},
        // Page and section breaks.
        ReadCase{"{\\rtf1 a\\page b\\sect c}", {"a", "b", "c"}},
        ReadCase{"{\\rtf1 a\\par\\page\\par b}", {"a", "", "b"}},
        ReadCase{"{\\rtf1 \\page a\\line\\sect b\\par\\page}", {"a", "b"}},
        ReadCase{"{\\rtf1 {\\listtext 1.\\tab}x{\\pntext\\'b7\\tab}y}", {"xy"}},
        ReadCase{"{\\rtf1 a}b\\par c}", {"a"}}));

std::vector<std::string> LineTexts(const TRichDocument& doc)
{
    std::vector<std::string> out;
    for (const TLine& line : doc.Lines) out.push_back(line.Text());
    return out;
}

// Files as word processors, older editors and other systems write them.
struct FileCase {
    const char* file;
    notebook::TLoadResult result;
    std::vector<std::string> lines;
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.file; }

class NotebookFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(NotebookFile, LoadsAndWritesBack)
{
    const FileCase& c = GetParam();
    const std::string bytes = ReadFile(std::string(ZENTROVA_TEST_DATA) + "/lectura/" + c.file);
    ASSERT_FALSE(bytes.empty());
    TRichDocument doc;
    doc.Lines.resize(9);
    ASSERT_EQ(notebook::LoadNotebook(bytes, doc), c.result);
    if (c.result == notebook::TLoadResult::Failed) {
        EXPECT_EQ(doc.Lines.size(), 9u); // untouched
        return;
    }
    EXPECT_EQ(LineTexts(doc), c.lines);
    // What was read is written and read back with the same text and fonts
    // (the writer gives a size to text that had none), and stays so.
    TRichDocument back, again;
    ASSERT_EQ(notebook::LoadNotebook(notebook::WriteRtf(doc), back), notebook::TLoadResult::Rtf);
    ASSERT_EQ(notebook::LoadNotebook(notebook::WriteRtf(back), again), notebook::TLoadResult::Rtf);
    ASSERT_EQ(LineTexts(back), LineTexts(doc));
    ASSERT_EQ(LineTexts(again), LineTexts(doc));
    for (std::size_t l = 0; l < doc.Lines.size(); ++l) {
        ASSERT_EQ(back.Lines[l].Runs.size(), doc.Lines[l].Runs.size()) << l;
        for (std::size_t r = 0; r < doc.Lines[l].Runs.size(); ++r) {
            if (!doc.Lines[l].Runs[r].Font.empty()) {
                EXPECT_EQ(back.Lines[l].Runs[r].Font, doc.Lines[l].Runs[r].Font);
            }
            EXPECT_TRUE(again.Lines[l].Runs[r].SameFormat(back.Lines[l].Runs[r])) << l << "/" << r;
        }
    }
}

using notebook::TLoadResult;

INSTANTIATE_TEST_SUITE_P(
    Rtf, NotebookFile,
    ::testing::Values(
        FileCase{"lista-procesador.rtf", TLoadResult::Rtf, {"Datos:", "qan=14", "r=2", "s=qan*r", "t=s/2", "fin"}},
        FileCase{"lista-pn.rtf", TLoadResult::Rtf, {"qan=14", "b=3", "c=qan+b", "nota"}},
        FileCase{"codigos-europa.rtf", TLoadResult::Rtf,
                 {"скорость=3", "Вес=2", "πι=3.14", "šč=1", "şğ=2", "йąšשا"}},
        FileCase{"codigos-asia.rtf", TLoadResult::Rtf,
                 {"表=あア", "円=1", "中文=2", "中文=3", "한글=4", "가ก", "表x", "a\uFFFD"}},
        FileCase{"simbolo.rtf", TLoadResult::Rtf, {"area=π*r^2", "α≥β≠Ω×√∞", "Δ±μ", "ab", "π\uF070"}},
        FileCase{"saltos.rtf", TLoadResult::Rtf, {"uno", "dos", "", "tres", "cuatro", "cinco", "seis"}},
        FileCase{"marca-y-cola.rtf", TLoadResult::Rtf, {"a=1", "b=2"}},
        FileCase{"bin-con-nul.rtf", TLoadResult::Rtf, {"a=1", "b=2"}},
        FileCase{"nul-en-texto.rtf", TLoadResult::Failed, {}},
        FileCase{"nul-en-pict.rtf", TLoadResult::Failed, {}},
        FileCase{"utf16le.txt", TLoadResult::PlainText, {"a=2", "qué=3", "∑=1", "𝑥=4"}},
        FileCase{"utf16be.txt", TLoadResult::PlainText, {"a=2", "qué=3", "∑=1", "𝑥=4"}},
        FileCase{"utf16-nul.txt", TLoadResult::Failed, {}},
        FileCase{"utf8-mezcla.txt", TLoadResult::PlainText, {"año=1", "nota: área", "∑=2"}}));

TEST(Rtf, FontNamesInTheirCharacterSetsRoundTrip)
{
    TRichDocument doc;
    ASSERT_EQ(notebook::LoadNotebook(DataFile("lectura/codigos-asia.rtf"), doc), notebook::TLoadResult::Rtf);
    EXPECT_EQ(doc.Lines[0].Runs[0].Font, "ＭＳ 明朝");
    // Our own files name fonts with \fcharset0: Latin letters in a font
    // called Symbol stay Latin letters.
    doc.Lines[1].Runs[0].Font = "Symbol";
    TRichDocument back;
    ASSERT_EQ(notebook::LoadNotebook(notebook::WriteRtf(doc), back), notebook::TLoadResult::Rtf);
    EXPECT_EQ(back.Lines[0].Runs[0].Font, "ＭＳ 明朝");
    EXPECT_EQ(back.Lines[1].Runs[0].Font, "Symbol");
    EXPECT_EQ(back.PlainText(), doc.PlainText());
}

TEST(Rtf, PlainTextInUtf16IsCheckedUnitByUnit)
{
    TRichDocument doc;
    // A lone surrogate and an odd last byte are replaced; the rest is read.
    ASSERT_EQ(notebook::LoadNotebook(std::string("\xFF\xFE" "a\0\x00\xD8" "b\0c", 9), doc),
              notebook::TLoadResult::PlainText);
    EXPECT_EQ(doc.PlainText(), "a\uFFFDb\uFFFD");
    // No mark: NUL bytes refuse the file as before.
    EXPECT_EQ(notebook::LoadNotebook(std::string("a\0=\0" "1\0", 6), doc), notebook::TLoadResult::Failed);
}

template <std::size_t N>
std::string Bytes(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

TEST(Rtf, NulBytesOnlyInBinaryDataOrAfterTheDocument)
{
    TRichDocument doc;
    EXPECT_EQ(notebook::LoadNotebook(Bytes("{\\rtf1 {\\bin3 a\0b}x}"), doc), notebook::TLoadResult::Rtf);
    EXPECT_EQ(doc.PlainText(), "x");
    // Just past the binary data.
    EXPECT_EQ(notebook::LoadNotebook(Bytes("{\\rtf1 {\\bin2 ab\0}x}"), doc), notebook::TLoadResult::Failed);
    EXPECT_EQ(notebook::LoadNotebook(Bytes("{\\rtf1 x}\0"), doc), notebook::TLoadResult::Rtf);
    EXPECT_EQ(notebook::LoadNotebook(Bytes("{\\rtf1 x\0"), doc), notebook::TLoadResult::Failed);
}

TEST(Rtf, DeepNestingNeedsNoRecursion)
{
    TRichDocument doc;
    const std::string deep = "{\\rtf1 " + std::string(2000000, '{') + "x" + std::string(2000000, '}') + "}";
    ASSERT_TRUE(notebook::ReadRtf(deep, doc));
    EXPECT_EQ(doc.PlainText(), "x");
}

TEST(Rtf, RoundTripKeepsTextLinesColoursAndFonts)
{
    TRichDocument doc;
    auto run = [](std::string text, std::optional<uint32_t> colour, std::string font, int half, bool b = false,
                  bool i = false, bool u = false, bool s = false) {
        TRun r;
        r.Text = std::move(text);
        r.Colour = colour;
        r.Font = std::move(font);
        r.HalfPoints = half;
        r.Bold = b;
        r.Italic = i;
        r.Underline = u;
        r.StrikeOut = s;
        return r;
    };
    doc.Lines = {
        TLine{{run("atr -> área", 0x0ABE0A, "Verdana", 18), run(" {x}\\y", std::nullopt, "Verdana", 18, true)}},
        TLine{},
        TLine{{run("€ “q” — ∑ 𝑥 ñ\tfin", 0x003264, "DejaVu Sans", 24, false, true, true, true)}},
        TLine{{run("base=", 0x0064C8, "Verdana", 18)}},
        TLine{},
    };
    const std::string rtf = notebook::WriteRtf(doc);
    EXPECT_NE(rtf.find("\\ansicpg1252"), std::string::npos);
    EXPECT_NE(rtf.find("\\'e1"), std::string::npos);   // á
    EXPECT_NE(rtf.find("\\u8721?"), std::string::npos); // ∑
    for (char c : rtf) ASSERT_LT(static_cast<unsigned char>(c), 0x80u) << "RTF is 7-bit";
    TRichDocument back;
    ASSERT_EQ(notebook::LoadNotebook(rtf, back), notebook::TLoadResult::Rtf);
    ASSERT_EQ(back.Lines.size(), doc.Lines.size());
    for (std::size_t l = 0; l < doc.Lines.size(); ++l) {
        ASSERT_EQ(back.Lines[l].Runs.size(), doc.Lines[l].Runs.size()) << l;
        for (std::size_t r = 0; r < doc.Lines[l].Runs.size(); ++r) {
            const TRun& a = doc.Lines[l].Runs[r];
            const TRun& b = back.Lines[l].Runs[r];
            EXPECT_EQ(b.Text, a.Text);
            EXPECT_TRUE(b.SameFormat(a)) << l << "/" << r;
        }
    }
}

TEST(Rtf, RandomBytesNeverCrash)
{
    std::mt19937 rng(99);
    const char alphabet[] = "{}\\'*uc0123456789-abfpr \nxyz";
    for (int i = 0; i < 20000; ++i) {
        std::string s = "{\\rtf1 ";
        const int n = static_cast<int>(rng() % 60);
        for (int k = 0; k < n; ++k) s += alphabet[rng() % (sizeof alphabet - 1)];
        TRichDocument doc;
        notebook::LoadNotebook(s, doc);
        (void)notebook::WriteRtf(doc);
    }
}

TEST(Folder, CountsNotebookFiles)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("zentrova-count-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    EXPECT_EQ(notebook::CountFiles(dir.string(), "*.txt"), 0); // missing folder
    fs::create_directories(dir);
    EXPECT_EQ(notebook::CountFiles(dir.string(), "*.txt"), 0); // empty folder
    for (const char* name : {"a.txt", ".oculto.txt", "B.TXT", "c.rtf", "d.txt.bak", "e.txt"})
        std::ofstream(dir / name) << "x";
    fs::create_directories(dir / "carpeta.txt");
    EXPECT_EQ(notebook::CountFiles(dir.string(), "*.txt"), 4);
    EXPECT_EQ(notebook::CountFiles(dir.string() + "/", "*.txt"), 4);
    fs::remove_all(dir);
}

TEST(Folder, ChoosesBesideTheProgramOrInDocuments)
{
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path() / ("zentrova-folder-" + std::to_string(::getpid()));
    fs::remove_all(base);
    fs::create_directories(base / "bin");
    fs::create_directories(base / "docs");
    EXPECT_EQ(notebook::ChooseNotebookFolder((base / "bin").string(), (base / "docs").string()),
              (base / "bin" / "Cuadernos").string());
    EXPECT_TRUE(fs::is_directory(base / "bin" / "Cuadernos"));
    // A program folder that cannot hold it: the documents folder does.
    std::ofstream(base / "blocker") << "x"; // a file where the folder would go
    EXPECT_EQ(notebook::ChooseNotebookFolder((base / "blocker").string(), (base / "docs").string()),
              (base / "docs" / "Cuadernos").string());
    // An installed program: the documents folder, although bin is writable.
    fs::create_directories(base / "usr" / "bin");
    fs::create_directories(base / "usr" / "share" / "zentrova");
    EXPECT_EQ(notebook::ChooseNotebookFolder((base / "usr" / "bin").string(), (base / "docs").string()),
              (base / "docs" / "Cuadernos").string());
    EXPECT_FALSE(fs::exists(base / "usr" / "bin" / "Cuadernos"));
    fs::remove_all(base);
}

} // namespace
