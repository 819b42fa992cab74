// The text of a data table of columns of numbers, free of any toolkit:
// reading what is pasted from a spreadsheet or read from a CSV file,
// writing a CSV that Spanish spreadsheets open, and a measured value with
// its uncertainty as a lab report writes it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace calc {

// A column: its name (possibly empty) and its cells, each a number written
// with a "." decimal point and an upper-case exponent ("1.5E-7"), or empty
// for a cell left blank.
struct TDataColumn {
    std::string Name;
    std::vector<std::string> Cells;
};

struct TDataTable {
    std::vector<TDataColumn> Columns;
};

// Reads `text` into `table`.  Rows are separated by line breaks (\n, \r\n
// or a lone \r) and fields by tabs when the text has a tab, else by ";"
// when it has one, else by ","; a field in double quotes may hold the
// separator ("" is a quote).  Where the separator is not ",", and in a
// field in quotes, a decimal comma is read as a point ("1,25" is 1.25);
// thousands separators are not read.  Blanks around fields, a UTF-8 byte
// order mark, blank lines before the first row and after the last are
// ignored.
//
// One exception to "," as the separator: when every row is blank or one
// number with a decimal comma (at most one "," outside quotes), bar a first
// row without a "," outside quotes, the text is a single column of decimal
// commas, as a Spanish spreadsheet pastes it: "T\n1,25\n1,27" and
// "1,5\n2,5" are each one column (1.25, 1.27 and 1.5, 2.5).  A row such as
// "1,5,7" or "1,x" keeps "," as the separator for the whole text.
//
// A first row whose non-empty fields are none of them numbers (and at
// least one) is the header of the column names; one without any field
// that is not a number is a row of data and the names are empty; a first
// row mixing both is refused.  A number is an optional
// sign, digits with an optional decimal part (".5" and "5." too), and an
// optional exponent with E or e; it is kept normalised: no "+", a "0"
// before a leading point, no trailing point, "E" for the exponent
// ("+.5e+3" is kept as "0.5E3").  A row with fewer fields leaves its other
// cells empty; each column ends at its last non-empty cell, so columns may
// differ in length, and a trailing column with neither name nor cells is
// dropped.
//
// False, with `why` in Spanish, on a field after the header that is not a
// number, or on the first such field of a first row that also has numbers,
// naming its line of the text and its column from 1 ("Fila 3, columna 2:
// «abc» no es un número"), and on a text without rows.
bool ReadDataText(std::string_view text, TDataTable& table, std::string& why);

// The table as a CSV in UTF-8 the way Spanish spreadsheets read it: ";"
// between fields, a decimal comma, "\n" at the end of each line, no byte
// order mark.  The first line holds the names, when any column has one (a
// name with ";", a quote, a line break or blanks around it is quoted);
// short columns leave empty fields.  ReadDataText reads it back, except
// for names that are themselves numbers.
std::string WriteDataCsv(const TDataTable& table);

// A value with its uncertainty as a lab report writes it:
// "name = (value ± uncertainty) unit".  The uncertainty keeps two
// significant digits when its first digit is 1 or 2, else one, rounded
// half up on the shortest decimal text of the number (so 0.0125 gives
// 0.013); the value is rounded half up at the same decimal place.  When the
// first digit of the rounded uncertainty or of the rounded value lies below
// 10^-5 or at 10^6 and above, both share a power of ten, that of the larger
// of the two: "(1.218 ± 0.013)E-7", "(1.2345 ± 0.0013)E6".  A zero uncertainty writes the value in the general
// format with 15 digits and "± 0"; a negative one counts as its magnitude.
// "name = " is left out when the name is empty, and " unit" when the unit
// is; a value or uncertainty that is not finite is written "—".
std::string LabValue(std::string_view name, long double value, long double uncertainty, std::string_view unit = {});

} // namespace calc
