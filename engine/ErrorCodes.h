// The engine's error codes, as TMathParser::ErrorCode and
// EMathParserException::ErrorCode give them; each has its default message.
#pragma once

#include <cstdint>
#include <string>

class TMathParser;

namespace error_code {
inline constexpr uint8_t kNone = 0;
inline constexpr uint8_t kUnknownValue = 1;       // "Valor desconocido": a name the catalogue and the values lack
inline constexpr uint8_t kInvalidArgument = 2;    // "Argumento invalido": a bad number or an operand out of range
inline constexpr uint8_t kMissingArgument = 3;    // "Falta argumento": an operand is not written
inline constexpr uint8_t kUnexpectedArgument = 4; // "Argumento no previsto": an operand where none goes
inline constexpr uint8_t kUnmatchedClosing = 5;   // "No se ha cerrado el paréntesis": a ")" without its "("
inline constexpr uint8_t kMissingClosing = 6;     // "Debe cerrarse el paréntesis": a "(" without its ")"
inline constexpr uint8_t kDivisionByZero = 7;     // "División por cero"
inline constexpr uint8_t kArithmeticFault = 8;    // a floating-point fault (overflow, invalid operation...)
inline constexpr uint8_t kLastWithText = kDivisionByZero; // the codes with a default message
} // namespace error_code

namespace engine_detail {
// Sets the parser's error state (code, message, 1-based position and
// length in characters) and throws it as EMathParserException.
[[noreturn]] void FailWith(TMathParser& parser, uint8_t code, int32_t position, int32_t length, std::string message);
} // namespace engine_detail
