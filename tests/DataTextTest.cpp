// The data table's text: what spreadsheets and CSV files paste, the CSV
// written for Spanish spreadsheets, and values with their uncertainty as a
// lab report writes them.
#include "calc/DataText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using calc::TDataTable;
using TColumns = std::vector<std::pair<std::string, std::vector<std::string>>>;

TColumns Columns(const TDataTable& table)
{
    TColumns columns;
    for (const calc::TDataColumn& column : table.Columns)
        columns.push_back({column.Name, column.Cells});
    return columns;
}

TEST(DataText, ReadsPastedTables)
{
    const struct {
        const char* Text;
        TColumns Want;
    } cases[] = {
        // A Spanish spreadsheet: ";" and decimal commas, a header.
        {"L;T\n0,20;0,90\n0,40;1,27\n", {{"L", {"0.20", "0.40"}}, {"T", {"0.90", "1.27"}}}},
        // Tabs, \r\n, blanks around fields, decimal commas, blank lines at the end.
        {"Longitud (m)\tPeriodo (s)\r\n 0,5 \t 1,42\r\n1\t2,01\r\n\r\n  \n",
         {{"Longitud (m)", {"0.5", "1"}}, {"Periodo (s)", {"1.42", "2.01"}}}},
        // "," separates: the point is the decimal point; numbers normalised.
        {"x,y\n1.5,-2e3\n+.5,3.E+2\n", {{"x", {"1.5", "0.5"}}, {"y", {"-2E3", "3E2"}}}},
        // No header: the names stay empty.
        {"1;2\n3;4", {{"", {"1", "3"}}, {"", {"2", "4"}}}},
        // Short rows and blank cells: each column ends at its last number.
        {"a;b;c\n1;2;3\n4\n5;;6\n7\n", {{"a", {"1", "4", "5", "7"}}, {"b", {"2"}}, {"c", {"3", "", "6"}}}},
        // One column; a byte order mark; blank lines before the first row.
        {"\xEF\xBB\xBF\n\nm\n1.5\n2.5\n", {{"m", {"1.5", "2.5"}}}},
        // With neither tab nor ";" the comma separates...
        {"x,y\n1,2\n3,4", {{"x", {"1", "3"}}, {"y", {"2", "4"}}}},
        {"\"x\",\"y\"\n1,2\n", {{"x", {"1"}}, {"y", {"2"}}}},
        {"1,-5\n2,5\n", {{"", {"1", "2"}}, {"", {"-5", "5"}}}},
        // ... but a quoted field keeps its decimal comma...
        {"\"1,5\",\"2,5\"\n\"3,25\",4\n", {{"", {"1.5", "3.25"}}, {"", {"2.5", "4"}}}},
        // ... and a single pasted Spanish column is one column.
        {"T\n1,25\n1,27\n", {{"T", {"1.25", "1.27"}}}},
        {"1,5\n2,5\n", {{"", {"1.5", "2.5"}}}},
        {"T\n1,25\n\n-1,27E3\n", {{"T", {"1.25", "", "-1.27E3"}}}},
        // A lone \r breaks a line too.
        {"T\r1,25\r1,27\r", {{"T", {"1.25", "1.27"}}}},
        {"a;b\r1;2\r\n3;4\n\r5", {{"a", {"1", "3", "", "5"}}, {"b", {"2", "4"}}}},
        // Quoted fields may hold the separator; a header without numbers.
        {"\"t; s\";\"v \"\"m/s\"\"\"\n1;2\n", {{"t; s", {"1"}}, {"v \"m/s\"", {"2"}}}},
        // A trailing separator makes no column; more fields than names do.
        {"a;\n1;\n2;3;4\n", {{"a", {"1", "2"}}, {"", {"", "3"}}, {"", {"", "4"}}}},
    };
    for (const auto& c : cases) {
        TDataTable table;
        std::string why;
        ASSERT_TRUE(calc::ReadDataText(c.Text, table, why)) << c.Text << ": " << why;
        EXPECT_EQ(Columns(table), c.Want) << c.Text;
    }
}

TEST(DataText, NamesTheFieldThatIsNotANumber)
{
    const struct {
        const char* Text;
        const char* Why;
    } cases[] = {
        {"L;T\n0,20;0,90\n0,40;abc\n", "Fila 3, columna 2: «abc» no es un número"},
        // With "," between fields a decimal comma cannot be: 1,5 is two fields.
        {"1,5\n2,x\n", "Fila 2, columna 2: «x» no es un número"},
        {"T\n1,25\n1,x\n", "Fila 3, columna 2: «x» no es un número"},
        // A first row is the names only when none of it is a number.
        {"1;3,x\n4;5\n", "Fila 1, columna 2: «3,x» no es un número"},
        {"\na,2\n1,2\n", "Fila 2, columna 1: «a» no es un número"},
        {"a\r1\rx\r", "Fila 3, columna 1: «x» no es un número"},
        // Thousands separators are not read.
        {"a;b\n1.234,5;2\n", "Fila 2, columna 1: «1.234,5» no es un número"},
        {"a\n1e\n", "Fila 2, columna 1: «1e» no es un número"},
        {"a\n.\n", "Fila 2, columna 1: «.» no es un número"},
        {"a\n- 1\n", "Fila 2, columna 1: «- 1» no es un número"},
        // Lines are counted in the text, blank ones before the first row too.
        {"\n1;2\n3;x\n", "Fila 3, columna 2: «x» no es un número"},
        {"", "No hay datos que leer"},
        {" \r\n\n", "No hay datos que leer"},
    };
    for (const auto& c : cases) {
        TDataTable table;
        table.Columns.push_back({"antes", {"1"}});
        std::string why;
        EXPECT_FALSE(calc::ReadDataText(c.Text, table, why)) << c.Text;
        EXPECT_EQ(why, c.Why) << c.Text;
        EXPECT_TRUE(table.Columns.empty()) << c.Text;
    }
}

TEST(DataText, WritesCsvForSpanishSpreadsheets)
{
    TDataTable table;
    table.Columns = {{"L (m)", {"0.20", "0.40", "1.5E-7"}}, {"T; s", {"0.90"}}, {"", {"", "-3"}}};
    const std::string csv = calc::WriteDataCsv(table);
    EXPECT_EQ(csv, "L (m);\"T; s\";\n0,20;0,90;\n0,40;;-3\n1,5E-7;;\n");
    TDataTable back;
    std::string why;
    ASSERT_TRUE(calc::ReadDataText(csv, back, why)) << why;
    EXPECT_EQ(Columns(back), Columns(table));

    TDataTable unnamed;
    unnamed.Columns = {{"", {"1", "2.5"}}, {"", {"3"}}};
    EXPECT_EQ(calc::WriteDataCsv(unnamed), "1;3\n2,5;\n");
    EXPECT_EQ(calc::WriteDataCsv(TDataTable{}), "");
}

TEST(DataText, LabValue)
{
    const struct {
        const char* Name;
        long double Value, Uncertainty;
        const char* Unit;
        const char* Text;
    } cases[] = {
        // First digit 1 or 2: two digits, half up on the decimal text.
        {"t", 1.2175L, 0.0125L, "s", "t = (1.218 ± 0.013) s"},
        {"g", 9.8123L, 0.0456L, "m/s²", "g = (9.81 ± 0.05) m/s²"},
        {"", 1.23456L, 0.0296L, "", "(1.235 ± 0.030)"},
        // 0.096 rounds up to a new first digit and keeps its place.
        {"", 2.3449L, 0.096L, "", "(2.34 ± 0.10)"},
        {"", 2.0L, 0.5L, "V", "(2.0 ± 0.5) V"},
        {"m", 1234.5L, 30, "g", "m = (1230 ± 30) g"},
        {"", 1234.5L, 250, "", "(1230 ± 250)"},
        {"", -0.5L, 0.25L, "", "(-0.50 ± 0.25)"},
        {"", -0.004L, 0.3L, "", "(0.0 ± 0.3)"},
        {"", 99.996L, 0.04L, "", "(100.00 ± 0.04)"},
        {"", 5.5L, -0.3L, "", "(5.5 ± 0.3)"},
        // A common power beyond 10^-6 and from 10^6.
        {"t", 1.2175e-7L, 1.25e-9L, "s", "t = (1.218 ± 0.013)E-7 s"},
        {"N", 6.02214e23L, 3e18L, "", "N = (6.02214 ± 0.00003)E23"},
        {"", 0.0012345L, 0.0000123L, "", "(0.001235 ± 0.000012)"},
        {"", 3e-9L, 1.3e-8L, "", "(0.3 ± 1.3)E-8"},
        {"", 12345678, 2345678, "", "(1.23 ± 0.23)E7"},
        // The same power when only the value lies beyond those.
        {"", 1234567.8L, 1.5L, "", "(1.2345678 ± 0.0000015)E6"},
        {"", 1e20L, 0.5L, "", "(1.000000000000000000000 ± 0.000000000000000000005)E20"},
        {"", 8.7e-6L, 1.2e-5L, "", "(0.9 ± 1.2)E-5"},
        // The value as rounded counts: 999999.7 rounds up to 10^6.
        {"", 999999.7L, 3, "", "(1.000000 ± 0.000003)E6"},
        {"", 999999.6L, 0.5L, "", "(999999.6 ± 0.5)"},
        // No uncertainty, and what is not finite.
        {"", 1.5L, 0, "", "(1.5 ± 0)"},
        {"k", 1.0L / 3, 0, "", "k = (0.333333333333333 ± 0)"},
        {"t", NAN, 0.1L, "s", "t = —"},
        {"", 1, INFINITY, "", "—"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(calc::LabValue(c.Name, c.Value, c.Uncertainty, c.Unit), c.Text);
}

} // namespace
