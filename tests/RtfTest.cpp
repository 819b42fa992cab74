// The notebook's RTF reader and writer, and the notebook folder.
#include "codec/CodePages.h"
#include "codec/Folder.h"
#include "codec/Normalize.h"
#include "codec/PlainText.h"
#include "codec/Rtf.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <thread>

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
              notebook::TLoadResult::TooLarge);
}

struct ReadCase {
    const char* rtf;
    std::vector<std::string> lines;
};

class RtfRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(RtfRead, Reads)
{
    TRichDocument doc;
    ASSERT_EQ(notebook::ReadRtf(GetParam().rtf, doc), notebook::TLoadResult::Rtf);
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
        ReadCase{"{\\rtf1\\ansicpg1251{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset2 Symbol;}}\\f1 p{\\f0 \\'e9}p}",
                 {"π|й|π"}},
        // A lead byte without a valid second byte stands for nothing; the byte after it is read.
        ReadCase{"{\\rtf1\\ansicpg932 \\'81 x}", {"\uFFFD x"}},
        ReadCase{"{\\rtf1\\ansicpg932 \\'82{\\b x}}", {"\uFFFD|x"}},
        // Characters of several bytes in UTF-8 and Johab, whole, cut short and with a wrong byte.
        ReadCase{"{\\rtf1\\ansicpg65001 \\'c3\\'a1\\'e2\\'82\\'ac=\\'f0\\'9d\\'91\\'a5}", {"á€=𝑥"}},
        ReadCase{"{\\rtf1\\ansicpg65001 \\'e2\\'82 x\\'ff}", {"\uFFFD\uFFFD x\uFFFD"}},
        ReadCase{"{\\rtf1\\ansicpg1361 \\'88\\'61\\'88 x}", {"가\uFFFD x"}},
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

// The first code page that an RTF text names (\ansicpg, \cpg) and the system
// does not convert; 0 when it converts them all.  Wine lacks some that
// Windows has (GB18030, ISO-2022-JP): files that need them cannot be
// checked under it.
int MissingCodePage(const std::string& bytes)
{
    for (const char* word : {"\\ansicpg", "\\cpg"}) {
        for (std::size_t at = bytes.find(word); at != std::string::npos; at = bytes.find(word, at + 1)) {
            const int cp = std::atoi(bytes.c_str() + at + std::strlen(word));
            if (cp != notebook::kWindows1252 && !notebook::Converter::Open(cp)) return cp;
        }
    }
    return 0;
}

TEST_P(NotebookFile, LoadsAndWritesBack)
{
    const FileCase& c = GetParam();
    const std::string bytes = ReadFile(std::string(ZENTROVA_TEST_DATA) + "/lectura/" + c.file);
    ASSERT_FALSE(bytes.empty());
    // That file names unknown code pages on purpose.
    if (const int cp = MissingCodePage(bytes); cp != 0 && std::string(c.file) != "codigo-desconocido.rtf")
        GTEST_SKIP() << "this system does not convert code page " << cp;
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
        FileCase{"utf8-mezcla.txt", TLoadResult::PlainText, {"año=1", "nota: área", "∑=2"}},
        // Code pages iconv knows by other names; an ASCII one has no "á".
        FileCase{"codigos-iconv.rtf", TLoadResult::Rtf,
                 {"а=1", "аб=2", "中€\u0100=3", "áő=4", "表=5", "\uFFFDx=6"}},
        FileCase{"codigos-iso2022.rtf", TLoadResult::Rtf, {"表=1", "あx"}},
        FileCase{"codigo-desconocido.rtf", TLoadResult::Rtf, {"área=1", "é=2", "ñ=3"}},
        FileCase{"upr-ud.rtf", TLoadResult::Rtf, {"año=1", "b=2"}},
        FileCase{"utf16le-rtf.txt", TLoadResult::Rtf, {"año=1", "área=2", "π=3", "𝑥=4"}},
        FileCase{"utf16be-rtf.txt", TLoadResult::Rtf, {"año=1", "área=2", "π=3", "𝑥=4"}},
        FileCase{"rtf-de-palabra.txt", TLoadResult::PlainText, {"{\\rtf is a format}", "a=1", "{\\rtf}", "b=2"}},
        FileCase{"nfc-1258.rtf", TLoadResult::Rtf, {"á=1", "Việt=2"}},
        FileCase{"nfc-descompuesto.txt", TLoadResult::PlainText, {"área=1", "año=2", "Å=3"}},
        FileCase{"saltos-hex.rtf", TLoadResult::Rtf, {"a=1", "b=2", "c=3", "d=4x", "e=5", "f=6"}},
        FileCase{"wingdings.rtf", TLoadResult::Rtf, {"a\uF04A\uF04A=1", "ϑ", "\uF04A\uF062"}},
        FileCase{"unicode-fuera.rtf", TLoadResult::Rtf, {"a\uFFFD", "\uFFFDb\uFFFD", "cd??", "€=2"}},
        FileCase{"truncado.rtf", TLoadResult::Rtf, {"c=3", "d=4"}}));

TEST(Rtf, ReportsUnknownCodePagesOnceEach)
{
    TRichDocument doc;
    notebook::TLoadReport report;
    report.UnknownCodePages = {1};
    ASSERT_EQ(notebook::LoadNotebook(DataFile("lectura/codigo-desconocido.rtf"), doc, &report),
              notebook::TLoadResult::Rtf);
    // Numbers no system knows: 720 (Arabic DOS), which glibc's iconv lacks, is known to Windows.
    EXPECT_EQ(report.UnknownCodePages, (std::vector<int>{99999, 99998}));
    EXPECT_EQ(notebook::UnknownCodePageText(720), "Código de página 720 desconocido: leído como Windows-1252");
    ASSERT_EQ(notebook::LoadNotebook(DataFile("lectura/codigos-iconv.rtf"), doc, &report), notebook::TLoadResult::Rtf);
    if (MissingCodePage(DataFile("lectura/codigos-iconv.rtf")) == 0) {
        EXPECT_TRUE(report.UnknownCodePages.empty());
    }
}

TEST(Rtf, SymbolFontBytesAreWrittenBackAsBytes)
{
    TRichDocument doc;
    ASSERT_EQ(notebook::LoadNotebook(DataFile("lectura/wingdings.rtf"), doc), notebook::TLoadResult::Rtf);
    ASSERT_EQ(doc.Lines[0].Runs.size(), 3u);
    EXPECT_EQ(doc.Lines[0].Runs[1].Font, "Wingdings");
    const std::string rtf = notebook::WriteRtf(doc);
    // As the word processor wrote them: the face in character set 2 and its bytes.
    EXPECT_NE(rtf.find("\\fcharset2 Wingdings;"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\'4a\\'4a"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\'4a\\'62"), std::string::npos) << rtf;
    // A run that mixes them with other characters keeps \u.
    doc.Lines[0].Runs[1].Text += "x";
    EXPECT_NE(notebook::WriteRtf(doc).find("\\u-4022?\\u-4022?x"), std::string::npos);
}

// Limits and the stop flag, for each form a notebook comes in.
std::string Repeat(std::string_view piece, std::size_t times)
{
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

std::string Utf16(std::string_view ascii)
{
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

// The bytes are made when the case runs: every test program builds the
// parameters of every case.
struct LimitCase {
    const char* name;
    std::string (*bytes)();
    TLoadResult result;
    std::size_t lines;
};

void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }

class NotebookLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(NotebookLimit, StopsAtTheLineLimit)
{
    const LimitCase& c = GetParam();
    TRichDocument doc;
    doc.Lines.resize(3);
    ASSERT_EQ(notebook::LoadNotebook(c.bytes(), doc), c.result);
    EXPECT_EQ(doc.Lines.size(), c.lines);
}

constexpr std::size_t kLimit = notebook::kMaxNotebookLines;
constexpr std::size_t kRuns = notebook::kMaxNotebookRuns;

INSTANTIATE_TEST_SUITE_P(
    Rtf, NotebookLimit,
    ::testing::Values(
        LimitCase{"text at the limit", [] { return Repeat("\n", kLimit); }, TLoadResult::PlainText, kLimit},
        LimitCase{"text past it", [] { return Repeat("\n", kLimit) + "x"; }, TLoadResult::TooManyLines, 3},
        LimitCase{"crlf text at the limit", [] { return Repeat("a\r\n", kLimit); }, TLoadResult::PlainText, kLimit},
        LimitCase{"rtf at the limit", [] { return "{\\rtf1 " + Repeat("x\\par ", kLimit) + "}"; }, TLoadResult::Rtf,
                  kLimit},
        LimitCase{"rtf past it", [] { return "{\\rtf1 " + Repeat("x\\par ", kLimit) + "\\par}"; },
                  TLoadResult::TooManyLines, 3},
        LimitCase{"rtf text on the line past it", [] { return "{\\rtf1 " + Repeat("\\par ", kLimit) + "x}"; },
                  TLoadResult::TooManyLines, 3},
        LimitCase{"rtf hex breaks past it", [] { return "{\\rtf1 " + Repeat("\\'0d\\'0a", kLimit + 1) + "}"; },
                  TLoadResult::TooManyLines, 3},
        LimitCase{"runs at their limit", [] { return "{\\rtf1 " + Repeat("{\\b x}y", kRuns / 2) + "}"; },
                  TLoadResult::Rtf, 1},
        LimitCase{"runs past it", [] { return "{\\rtf1 " + Repeat("{\\b x}y", kRuns / 2) + "{\\b z}}"; },
                  TLoadResult::TooManyRuns, 3},
        LimitCase{"utf-16 text past it", [] { return Utf16(Repeat("\n", kLimit + 1)); }, TLoadResult::TooManyLines, 3},
        LimitCase{"utf-16 rtf past it", [] { return Utf16("{\\rtf1 " + Repeat("\\line ", kLimit + 1) + "}"); },
                  TLoadResult::TooManyLines, 3}));

TEST(Rtf, ARaisedStopFlagStopsEveryForm)
{
    const std::atomic<bool> stop{true};
    for (const std::string& bytes : {std::string("a=1\nb=2"), std::string("a=\xE1\n"), std::string("{\\rtf1 a}"),
                                     Utf16("a=1"), Utf16("{\\rtf1 a}")}) {
        TRichDocument doc;
        doc.Lines.resize(2);
        EXPECT_EQ(notebook::LoadNotebook(bytes, doc, nullptr, &stop), TLoadResult::Stopped) << bytes;
        EXPECT_EQ(doc.Lines.size(), 2u);
        std::string text;
        EXPECT_FALSE(notebook::DecodeText(bytes, text, &stop));
    }
    const std::atomic<bool> go{false};
    TRichDocument doc;
    EXPECT_EQ(notebook::LoadNotebook("{\\rtf1 a}", doc, nullptr, &go), TLoadResult::Rtf);
}

TEST(Rtf, AStopFlagRaisedWhileReadingStopsIt)
{
    // Big enough to take far longer than the flag takes to be seen, and
    // within every limit.
    const std::string rtf = "{\\rtf1 " + std::string(48u << 20, 'x') + "}";
    std::atomic<bool> stop{false};
    std::thread raiser([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop = true;
    });
    TRichDocument doc;
    const auto start = std::chrono::steady_clock::now();
    const TLoadResult result = notebook::LoadNotebook(rtf, doc, nullptr, &stop);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    raiser.join();
    EXPECT_EQ(result, TLoadResult::Stopped);
    EXPECT_LT(elapsed, std::chrono::seconds(2));
}

TEST(Rtf, FailureTextsNameTheLimits)
{
    EXPECT_EQ(notebook::LoadFailureText(TLoadResult::TooManyLines), "El cuaderno pasa del límite de 1000000 líneas");
    EXPECT_EQ(notebook::LoadFailureText(TLoadResult::TooLarge), "El cuaderno pasa del límite de 64 MiB");
    EXPECT_EQ(notebook::LoadFailureText(TLoadResult::TooManyRuns),
              "El cuaderno pasa del límite de 2000000 cambios de formato");
    EXPECT_EQ(notebook::LoadFailureText(TLoadResult::Failed), "Failed to Load Stream");
}

TEST(Nfc, ComposesWhatTheKeyboardComposes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"a=1 ∑ 𝑥", "a=1 ∑ 𝑥"},                     // nothing to do
        {"a\u0301rea", "área"},                     // combining acute
        {"an\u0303o=1", "año=1"},                   // after a composed stretch
        {"\u212B\u2126", "ÅΩ"},                    // singletons
        {"\u1100\u1161", "가"},                     // Hangul syllable from its jamo
        {"e\u0323\u0302", "ệ"},                    // marks in canonical order
        {"q\u0301", "q\u0301"},                     // no precomposed character
        {"\u0301x", "\u0301x"},                     // a mark with nothing before it
        {std::string(5000, 'a') + "e\u0301", std::string(5000, 'a') + "é"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(notebook::ToNfc(in), out) << in;
}


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
    ASSERT_EQ(notebook::ReadRtf(deep, doc), notebook::TLoadResult::Rtf);
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

TEST(Nfc, MarksAtTheStartOfARunJoinTheirBase)
{
    TRichDocument doc;
    ASSERT_EQ(notebook::LoadNotebook("{\\rtf1 a{\\b \\u769?x}n{\\i \\u771?}o}", doc), TLoadResult::Rtf);
    EXPECT_EQ(Describe(doc), (std::vector<std::string>{"á|x|ñ|o"}));
    EXPECT_TRUE(doc.Lines[0].Runs[1].Bold);
    EXPECT_FALSE(doc.Lines[0].Runs[2].Italic);
    // Written and read again, the runs of equal format join without a change of text.
    TRichDocument back;
    ASSERT_EQ(notebook::LoadNotebook(notebook::WriteRtf(doc), back), TLoadResult::Rtf);
    EXPECT_EQ(Describe(back), (std::vector<std::string>{"á|x|ño"}));
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
    // Installed on Windows: the installer's uninstaller beside the program.
    fs::create_directories(base / "Programs" / "Zentrova");
    std::ofstream(base / "Programs" / "Zentrova" / "desinstalar.exe") << "x";
    EXPECT_EQ(notebook::ChooseNotebookFolder((base / "Programs" / "Zentrova").string(), (base / "docs").string()),
              (base / "docs" / "Cuadernos").string());
    EXPECT_FALSE(fs::exists(base / "Programs" / "Zentrova" / "Cuadernos"));
    fs::remove_all(base);
}

} // namespace
