// Every worked example of the manual, calculated: the result line or the
// error it prints must be exactly what the calculation gives.
#include "TestSupport.h"

#include "calc/CalcCore.h"

#include <cstring>
#include <unistd.h>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>

namespace {

std::string Decode(std::string text)
{
    const std::pair<const char*, const char*> entities[] = {{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
    for (const auto& [entity, character] : entities)
        for (std::size_t at; (at = text.find(entity)) != std::string::npos;) text.replace(at, std::strlen(entity), character);
    return text;
}

// The text of <pre class="name" ...>...</pre> inside `block`, if any, and
// the attributes written in its opening tag.
bool Pre(const std::string& block, const std::string& name, std::string& text, std::string* attributes = nullptr)
{
    const std::regex pre("<pre class=\"" + name + "\"([^>]*)>([\\s\\S]*?)</pre>");
    std::smatch m;
    if (!std::regex_search(block, m, pre)) return false;
    if (attributes) *attributes = m[1];
    text = Decode(m[2]);
    return true;
}

int Attribute(const std::string& attributes, const std::string& name)
{
    std::smatch m;
    const std::regex value(name + "=\"(-?\\d+)\"");
    return std::regex_search(attributes, m, value) ? std::stoi(m[1]) : -999;
}

TEST(Manual, EveryWorkedExampleGivesWhatTheManualPrints)
{
    std::ifstream file(ZENTROVA_HELP_DIR "/Zentrova4.html", std::ios::binary);
    ASSERT_TRUE(file) << "the manual is missing";
    std::stringstream content;
    content << file.rdbuf();
    const std::string html = content.str();
    const std::regex example("<div class=\"ejemplo\" data-digitos=\"(\\d+)\" data-angulo=\"(grados|radianes)\">"
                             "([\\s\\S]*?)</div>");
    int examples = 0;
    std::set<int> codes;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), example); it != std::sregex_iterator(); ++it) {
        ++examples;
        const int digits = std::stoi((*it)[1]);
        testsupport::AngleUnit unit((*it)[2] == "grados");
        const std::string block = (*it)[3];
        std::string notebook, expression, expected, attributes;
        std::vector<std::string> lines;
        if (Pre(block, "cuaderno", notebook)) {
            std::istringstream in(notebook);
            for (std::string line; std::getline(in, line);) lines.push_back(line);
        }
        ASSERT_TRUE(Pre(block, "expresion", expression)) << block;
        TMathParser parser;
        const calc::TCalcOutcome r = calc::RunCalculation(parser, lines, expression, digits, true);
        if (Pre(block, "resultado", expected)) {
            EXPECT_TRUE(r.ok) << expression << ": " << r.errorMessage;
            EXPECT_EQ(r.resultLine, expected) << expression;
            std::string fraction;
            if (Pre(block, "fraccion", fraction)) {
                EXPECT_EQ(r.fraction ? r.fraction->Text() : "", fraction) << expression;
            }
        } else {
            ASSERT_TRUE(Pre(block, "error", expected, &attributes)) << block;
            EXPECT_FALSE(r.ok) << expression;
            EXPECT_EQ(r.errorCode, Attribute(attributes, "data-codigo")) << expression;
            EXPECT_EQ(r.errorPosition, Attribute(attributes, "data-posicion")) << expression;
            EXPECT_EQ(r.errorLength, Attribute(attributes, "data-longitud")) << expression;
            EXPECT_EQ(r.errorMessage, expected) << expression;
            codes.insert(r.errorCode);
        }
    }
    // The manual works through the language and shows every error code.
    EXPECT_GE(examples, 80);
    EXPECT_EQ(codes, std::set<int>({1, 2, 3, 4, 5, 6, 7, 8}));
}

} // namespace

#include "help/HelpFile.h"

#include <filesystem>

namespace {

TEST(Manual, IsFoundBesideTheProgramThenInTheInstalledDataFolders)
{
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path() / ("zentrova-manual-" + std::to_string(::getpid()));
    fs::remove_all(base);
    const fs::path bin = base / "prefix" / "bin", data = base / "xdg", installed = base / "opt" / "zentrova";
    for (const fs::path& p : {bin, data / "zentrova", installed}) fs::create_directories(p);
    auto put = [](const fs::path& p) { std::ofstream(p) << "<html></html>"; };
    auto find = [&] { return help::FindManual(bin.string(), {data.string()}, installed.string()); };
    EXPECT_EQ(find(), "");
    put(installed / "Zentrova4.html");
    EXPECT_EQ(find(), (installed / "Zentrova4.html").string());
    put(data / "zentrova" / "Zentrova4.html");
    EXPECT_EQ(find(), (data / "zentrova" / "Zentrova4.html").string());
    fs::create_directories(base / "prefix" / "share" / "zentrova");
    put(base / "prefix" / "share" / "zentrova" / "Zentrova4.html"); // the program's own prefix
    EXPECT_EQ(find(), (base / "prefix" / "share" / "zentrova" / "Zentrova4.html").string());
    put(bin / "Zentrova4.html"); // a portable copy or a build tree
    EXPECT_EQ(find(), (bin / "Zentrova4.html").string());
    fs::remove_all(base);
}

} // namespace
