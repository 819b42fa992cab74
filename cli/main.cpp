// zentrova-calc: the calculator on the command line.
#include "engine/MathParser.h"
#include "engine/Utf8.h"
#include "codec/Normalize.h"
#include "codec/Notebook.h"
#include "codec/PlainText.h"
#include "codec/RegularFile.h"
#include "calc/CalcCore.h"
#include "cli/Platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace {

const char* const kHelp =
    "Uso: zentrova-calc [opciones] [EXPRESIÓN]\n"
    "\n"
    "Calcula expresiones con el motor de Zentrova, en precisión extendida de 80 bits.\n"
    "Con EXPRESIÓN hace un solo cálculo (varios argumentos se unen con un espacio;\n"
    "una expresión vacía vale 0). Sin ella lee la entrada estándar y hace un cálculo\n"
    "por línea, cada uno con un motor nuevo.\n"
    "\n"
    "Opciones:\n"
    "  --notebook ARCHIVO  usa las líneas nombre=valor del cuaderno ARCHIVO (RTF,\n"
    "                      o texto UTF-8, UTF-16 o Windows-1252)\n"
    "  --digits N          dígitos significativos del resultado, de 2 a 18 (9)\n"
    "  --degrees           sin, cos y tan toman grados (por omisión)\n"
    "  --radians           sin, cos y tan toman radianes\n"
    "  --fracciones        un resultado que es exactamente una fracción se escribe\n"
    "                      como fracción (1 / 3 + 1 / 6 =   1/2)\n"
    "  -h, --help          muestra esta ayuda\n"
    "  --                  lo que sigue es la expresión, aunque empiece por \"--\"\n"
    "\n"
    "Un resultado se escribe en la salida estándar como en el panel RESULTADO:\n"
    "  2 + 3 =   5\n"
    "Un error del motor se escribe en la salida de errores: la línea\n"
    "  error CÓDIGO at POSICIÓN+LONGITUD: MENSAJE\n"
    "(posición y longitud en caracteres de la expresión tras aplicar el cuaderno),\n"
    "la expresión y una línea con ^ bajo la parte señalada.\n"
    "\n"
    "Estado de salida: 0 si todo se calculó, 1 si algún cálculo falló, 2 si las\n"
    "opciones son incorrectas, el cuaderno no se puede leer (o no es un archivo\n"
    "normal), la entrada estándar no se puede leer (una línea de más de 1000000\n"
    "caracteres, un error de lectura, falta de memoria) o no se puede escribir la\n"
    "salida estándar.\n";

struct Options {
    bool help = false;
    std::string notebookPath;
    bool haveNotebook = false;
    int digits = 9;
    bool degrees = true;
    bool fractions = false;
    bool haveExpression = false;
    std::string expression;
};

[[noreturn]] void UsageError(const std::string& message)
{
    std::fprintf(stderr, "zentrova-calc: %s\nPruebe «zentrova-calc --help».\n", message.c_str());
    std::exit(2);
}

bool ParseDigits(const std::string& text, int& digits)
{
    if (text.empty() || text.size() > 3) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    digits = std::stoi(text);
    return digits >= 2 && digits <= 18;
}

// Arguments and the standard input may hold bytes that are not UTF-8, and
// characters composed of a letter and combining marks, as the notebook's are not.
std::string AsText(const std::string& bytes) { return notebook::ToNfc(notebook::DecodeText(bytes)); }

// Why a write failed, in Spanish for the usual reasons.
std::string WriteErrorText(int error)
{
    switch (error) {
    case ENOSPC: return "no queda espacio en el dispositivo";
    case EFBIG: return "el archivo es demasiado grande";
    case EIO: return "error de entrada/salida";
    case EBADF: return "la salida estándar está cerrada";
    default: return cli::IsQuotaError(error) ? "se ha superado la cuota de disco" : std::strerror(error);
    }
}

// The standard output, every write checked.  After a failed write nothing
// more is written; the program then ends with status 2.
class TOutput {
public:
    bool Write(std::string_view text)
    {
        if (!Failed && std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) Fail();
        return !Failed;
    }
    bool Flush()
    {
        if (!Failed && std::fflush(stdout) != 0) Fail();
        return !Failed;
    }
    bool Ok() const { return !Failed; }
    // Says why, except for a reader that went away (a closed pipe): that
    // ends the program quietly.
    void Report() const
    {
        if (Failed && !ReaderGone)
            std::fprintf(stderr, "zentrova-calc: no se puede escribir la salida estándar: %s\n",
                         WriteErrorText(Error).c_str());
    }

private:
    void Fail()
    {
        Failed = true;
        Error = errno;
        ReaderGone = cli::ReaderWentAway(Error);
    }
    bool Failed = false;
    bool ReaderGone = false;
    int Error = 0;
};

Options ParseArguments(const std::vector<std::string>& argv)
{
    Options o;
    std::vector<std::string> words;
    bool optionsEnded = false;
    const std::size_t argc = argv.size();
    for (std::size_t i = 1; i < argc; ++i) {
        const std::string& arg = argv[i];
        if (optionsEnded || !(arg.rfind("--", 0) == 0 || arg == "-h")) {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            return o;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        auto value = [&]() -> std::string {
            if (eq != std::string::npos) return arg.substr(eq + 1);
            if (i + 1 >= argc) UsageError("falta el valor de " + name);
            return argv[++i];
        };
        if (name == "--notebook") {
            o.notebookPath = value();
            o.haveNotebook = true;
        } else if (name == "--digits") {
            const std::string v = value();
            if (!ParseDigits(v, o.digits)) UsageError("--digits debe ser un número entero de 2 a 18, no «" + v + "»");
        } else if ((name == "--degrees" || name == "--radians") && eq == std::string::npos) {
            o.degrees = name == "--degrees";
        } else if (name == "--fracciones" && eq == std::string::npos) {
            o.fractions = true;
        } else {
            UsageError("opción desconocida «" + arg + "» (para una expresión que empiece por \"--\", ponga -- antes)");
        }
    }
    if (!words.empty()) {
        o.haveExpression = true;
        for (std::size_t k = 0; k < words.size(); ++k) o.expression += (k ? " " : "") + words[k];
        o.expression = AsText(o.expression);
    }
    return o;
}

std::vector<std::string> ReadNotebook(const std::string& path)
{
    // Only a regular file: a FIFO or a device would be waited for, or read
    // without end.
    notebook::TRegularFile file;
    std::string bytes;
    // At most one byte past the notebook limit.
    if (!file.Open(path) || !file.Read(0, notebook::kMaxNotebookBytes + 1, bytes))
        UsageError("no se puede leer el cuaderno «" + path + "»: " + file.Error);
    file.Close();
    // An RTF notebook as the window saves it, or plain text.
    notebook::TRichDocument document;
    notebook::TLoadReport report;
    const notebook::TLoadResult result = notebook::LoadNotebook(bytes, document, &report);
    if (!notebook::Loaded(result))
        UsageError("no se puede leer el cuaderno «" + path + "»: " + notebook::LoadFailureText(result));
    std::string().swap(bytes);
    for (int codePage : report.UnknownCodePages)
        std::fprintf(stderr, "%s\n", notebook::UnknownCodePageText(codePage).c_str());
    std::vector<std::string> lines;
    lines.reserve(document.Lines.size());
    for (notebook::TLine& line : document.Lines) {
        lines.push_back(line.Text());
        std::vector<notebook::TRun>().swap(line.Runs);
    }
    return lines;
}

// Runs one calculation and reports it; false when the engine failed.
bool Calculate(TOutput& out, const std::vector<std::string>& notebookLines, const std::string& expression, int digits,
               bool fractions)
{
    TMathParser parser;
    const calc::TCalcOutcome r = calc::RunCalculation(parser, notebookLines, expression, digits, fractions);
    if (r.ok) {
        out.Write(calc::ResultLineShown(r, fractions ? calc::TValueShown::Fraction : calc::TValueShown::Decimal));
        out.Write("\n");
        return true;
    }
    // The error lines follow the results before them.
    out.Flush();
    if (r.definitionsFailed()) {
        std::fprintf(stderr, "error: %s\n", r.errorMessage.c_str());
        return false;
    }
    std::string caret;
    const std::u32string chars = utf8::Decode(r.expression);
    for (int32_t k = 1; k < r.errorPosition; ++k)
        caret += (static_cast<std::size_t>(k - 1) < chars.size() && chars[static_cast<std::size_t>(k - 1)] == U'\t') ? '\t' : ' ';
    caret.append(static_cast<std::size_t>(r.errorLength > 0 ? r.errorLength : 1), '^');
    std::fprintf(stderr, "error %d at %d+%d: %s\n%s\n%s\n", r.errorCode, r.errorPosition, r.errorLength,
                 r.errorMessage.c_str(), r.expression.c_str(), caret.c_str());
    return false;
}

// The standard input, a line at a time, never more than a line's bound in
// memory.  A line longer than that, or a failed read, ends the input with
// Failure set: it is never taken for its end.
class TInputLines {
public:
    // Raw bytes of a line: a character takes at most 4.
    static constexpr std::size_t kMaxLineBytes = 4 * calc::kExpressionLimit;

    // The next line without its line break; false at the end or on a failure.
    bool Next(std::string& line)
    {
        line.clear();
        if (FEnded) return false;
        ++FNumber;
        for (;;) {
            const std::size_t at = FBuffer.find('\n', FStart);
            const std::size_t end = at == std::string::npos ? FBuffer.size() : at;
            if (line.size() + (end - FStart) > kMaxLineBytes) return TooLong();
            line.append(FBuffer, FStart, end - FStart);
            if (at != std::string::npos) {
                FStart = at + 1;
                return true;
            }
            FStart = 0;
            FBuffer.clear();
            // A last line without its line break counts; a failed read ends all.
            if (!Fill()) return Failure.empty() && !line.empty();
        }
    }
    std::string Failure; // Spanish, for standard error
    std::size_t Number() const { return FNumber; }

private:
    bool Fill()
    {
        FBuffer.resize(65536);
        for (;;) {
            const ssize_t n = ::read(STDIN_FILENO, FBuffer.data(), FBuffer.size());
            if (n > 0) {
                FBuffer.resize(static_cast<std::size_t>(n));
                return true;
            }
            FBuffer.clear();
            if (n < 0 && errno == EINTR) continue;
            FEnded = true;
            if (n < 0) Failure = std::string("no se puede leer la entrada estándar: ") + std::strerror(errno);
            return false;
        }
    }
    bool TooLong()
    {
        FEnded = true;
        Failure = "la línea " + std::to_string(FNumber) + " de la entrada pasa del límite de " +
                  std::to_string(calc::kExpressionLimit) + " caracteres";
        return false;
    }
    std::string FBuffer;
    std::size_t FStart = 0;
    std::size_t FNumber = 0;
    bool FEnded = false;
};

enum class TLinesOutcome { AllCalculated, SomeFailed, InputFailed };

// Runs one calculation per line of the standard input.
TLinesOutcome CalculateLines(TOutput& out, const std::vector<std::string>& notebookLines, int digits, bool fractions)
{
    const bool interactive = cli::StandardInputIsTerminal();
    bool anyFailed = false;
    TInputLines input;
    std::string line;
    while (out.Ok()) {
        if (interactive) {
            out.Write("> ");
            out.Flush();
        }
        if (!input.Next(line)) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string text = AsText(line);
        if (utf8::Length(text) > calc::kExpressionLimit) {
            input.Failure = "la línea " + std::to_string(input.Number()) + " de la entrada pasa del límite de " +
                            std::to_string(calc::kExpressionLimit) + " caracteres";
            break;
        }
        if (!Calculate(out, notebookLines, text, digits, fractions)) anyFailed = true;
        if (interactive) out.Flush();
    }
    if (interactive) out.Write("\n");
    if (!input.Failure.empty()) {
        out.Flush(); // the results before it come first
        std::fprintf(stderr, "zentrova-calc: %s\n", input.Failure.c_str());
        return TLinesOutcome::InputFailed;
    }
    return anyFailed ? TLinesOutcome::SomeFailed : TLinesOutcome::AllCalculated;
}

} // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    // A reader that goes away is seen as a failed write, not a signal.
    cli::PrepareStreams();
    TOutput out;
    int status = 0;
    try {
        const Options o = ParseArguments(cli::Arguments(argc, argv));
        if (o.help) {
            out.Write(kHelp);
        } else {
            std::vector<std::string> notebookLines;
            if (o.haveNotebook) notebookLines = ReadNotebook(o.notebookPath);
            const bool degrees = o.degrees;
            SetAngleUnitQuery([degrees] { return degrees; });
            if (o.haveExpression) {
                status = Calculate(out, notebookLines, o.expression, o.digits, o.fractions) ? 0 : 1;
            } else {
                const TLinesOutcome outcome = CalculateLines(out, notebookLines, o.digits, o.fractions);
                status = outcome == TLinesOutcome::AllCalculated ? 0 : outcome == TLinesOutcome::SomeFailed ? 1 : 2;
            }
        }
    } catch (const std::bad_alloc&) {
        // Never taken for the end of the input or a result: the run is not whole.
        out.Flush();
        std::fprintf(stderr, "zentrova-calc: memoria insuficiente\n");
        status = 2;
    }
    // A failed write of the output outweighs a failed calculation.
    if (!out.Flush()) {
        out.Report();
        return 2;
    }
    return status;
}
