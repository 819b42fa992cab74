#!/usr/bin/env bash
# End-to-end runs of zentrova-calc: result lines, error lines with carets,
# exit statuses, notebooks and the line-by-line mode.
set -u
calc=${ZENTROVA_CALC:?}
data=${1:?}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
passed=0
failed=0

check() { # name, expected status, expected stdout, expected stderr, command...
  local name=$1 status=$2 out=$3 err=$4
  shift 4
  "$@" >"$tmp/out" 2>"$tmp/err"
  local got=$?
  if [ "$got" = "$status" ] && [ "$(cat "$tmp/out")" = "$out" ] && { [ "$err" = "*" ] || [ "$(cat "$tmp/err")" = "$err" ]; }; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $name (status $got, expected $status)"
    echo "--- stdout:"; cat "$tmp/out"; echo "--- stderr:"; cat "$tmp/err"
  fi
}

check "simple result" 0 "2 + 3 =   5" "" "$calc" "2+3"
check "empty expression" 0 "0 =   0" "" "$calc" ""
check "words are joined" 0 "2 + 3 * 4 =   14" "" "$calc" 2 + 3 "*" 4
check "digits" 0 "1 / 3 =   0.333333333333333333" "" "$calc" --digits 18 "1/3"
check "digits=" 0 "1 / 3 =   0.33" "" "$calc" --digits=2 "1/3"

# Exact fractions as the value, only with --fracciones.
check "fraction" 0 "1 / 3 + 1 / 6 =   1/2" "" "$calc" --fracciones -- "1/3+1/6"
check "no fraction asked for" 0 "1 / 3 + 1 / 6 =   0.5" "" "$calc" "1/3+1/6"
check "not a fraction" 0 "sqrt 2 =   1.41421356" "" "$calc" --fracciones "sqrt 2"
check "fractions by line" 0 "$(printf '2 ^ (0 - 3) =   1/8\n7 / 2 =   7/2')" "" \
  bash -c 'printf "2^(-3)\n7/2\n" | "$0" --fracciones' "$calc"

# Combinatorics, probability, rounding, log10, e and scientific notation.
check "comb" 0 "comb(10; 3) =   120" "" "$calc" "comb(10;3)"
check "fact 20, every digit" 0 "fact 20 =   2.43290200817664E18" "" "$calc" --digits 18 "fact 20"
check "normal" 0 "normal(1.96; 0; 1) =   0.975002105" "" "$calc" "normal(1.96;0;1)"
check "normalinv" 0 "normalinv(0.975; 0; 1) =   1.95996398" "" "$calc" "normalinv(0.975;0;1)"
check "binomial" 0 "binomial(3; 10; 0.5) =   0.1171875" "" "$calc" "binomial(3;10;0.5)"
check "redondear" 0 "redondear(2.675; 2) =   2.68" "" "$calc" "redondear(2.675;2)"
check "log without a base" 0 "log 1000 =   3" "" "$calc" "log 1000"
check "the number e" 0 "e =   2.71828183" "" "$calc" "e"
check "scientific notation" 0 "6.02E23 * 2 =   1.204E24" "" "$calc" "6.02E23*2"
check "a call with a wrong count" 1 "" "error 3 at 1+7: La función comb necesita 2 argumentos, separados por «;»: comb(n;k)
comb(5)
^^^^^^^" "$calc" "comb(5)"
# Derivatives, integrals, sums, products and equations, in radians.
check "deriv" 0 "deriv(sin x; x; 0) =   1" "" "$calc" --radians "deriv(sin(x); x; 0)"
check "integral" 0 "integral(x ^ 2; x; 0; 1) =   0.333333333" "" "$calc" --radians "integral(x^2; x; 0; 1)"
check "integral to its ends" 0 "integral(1 / sqrt (1 - x ^ 2); x; 0 - 1; 1) =   3.14159265" "" \
  "$calc" --radians -- "integral(1/sqrt(1-x^2); x; -1; 1)"
check "suma" 0 "suma(k ^ 2; k; 1; 10) =   385" "" "$calc" --radians "suma(k^2; k; 1; 10)"
check "producto" 0 "producto(k; k; 1; 10) =   3628800" "" "$calc" --radians "producto(k; k; 1; 10)"
check "resolver, both roots" 0 "resolver(x ^ 2 = 2; x) =   x = -1.41421356; x = 1.41421356" "" \
  "$calc" --radians "resolver(x^2 = 2; x)"
check "resolver, transcendental" 0 "resolver(cos x = x; x) =   x = 0.739085133" "" "$calc" --radians "resolver(cos(x) = x; x)"
printf 'atr=base*altura/2\nbase=3\n' >"$tmp/triangle.txt"
check "a template read backwards" 0 "resolver(base * altura / 2 = 6; altura) =   altura = 4" "" \
  "$calc" --notebook "$tmp/triangle.txt" "resolver(atr = 6; altura)"
check "a bound name outside its call" 1 "" "error 1 at 20+1: La variable k solo tiene valor dentro del cálculo que la nombra (deriv, integral, suma, producto o resolver)
suma(k; k; 1; 3) + k
                   ^" "$calc" "suma(k; k; 1; 3) + k"
printf 't = 1.21; 1.25; 1.19; 1.22\nx = 1; 2; 3; 4; 5\ny = 2.1; 3.9; 6.2; 7.8; 10.1\n' >"$tmp/datos.txt"
check "a list's mean" 0 "media t =   1.2175" "" "$calc" --notebook "$tmp/datos.txt" "media(t)"
check "a list's deviation" 0 "desv t =   0.025" "" "$calc" --notebook "$tmp/datos.txt" "desv(t)"
check "slope of two lists" 0 "pendiente(x; y) =   1.99" "" "$calc" --notebook "$tmp/datos.txt" "pendiente(x; y)"
check "intercept of two lists" 0 "ordenada(x; y) =   0.05" "" "$calc" --notebook "$tmp/datos.txt" "ordenada(x; y)"
check "radians" 0 "sin 30 =   -0.988031624" "" "$calc" --radians "sin 30"
check "degrees" 0 "sin 30 =   0.5" "" "$calc" --radians --degrees "sin 30"
check "leading minus" 0 "0 - 5 + 2 =   -3" "" "$calc" "-5+2"
check "after --" 0 "0 - 5 =   -5" "" "$calc" -- "-5"
check "minus twice" 1 "" "*" "$calc" -- "--5"
check "division by zero" 1 "" "error 7 at 3+1: División por cero
1/0
  ^" "$calc" "1/0"
check "unclosed parenthesis" 1 "" "error 6 at 5+0: Debe cerrarse el paréntesis
(1+2
    ^" "$calc" "(1+2"
check "span in characters" 1 "" "error 1 at 1+3: Valor desconocido
año+1
^^^" "$calc" "año+1"
check "tab kept in the caret line" 1 "" "$(printf 'error 7 at 8+1: División por cero\n(1\t)+1/0\n  \t    ^')" "$calc" "$(printf '(1\t)+1/0')"

printf 'a=2\r\nb=3\r\nA\xf1o=365.25\r\nnota: \xe1rea\r\n' >"$tmp/cp1252.txt"
check "notebook cp1252" 0 "a * b + año =   371.25" "" "$calc" --notebook "$tmp/cp1252.txt" "a*b+año"
check "notebook utf8" 0 "base * altura / 2 =   6" "" "$calc" --notebook "$data/triangulo.txt" "atr"
printf 'atr(b;h)=b*h/2\nk=3\nf(x)=k*x+atr(x;2)\ng(x)=1/(x-1)\n' >"$tmp/funciones.txt"
check "notebook functions" 0 "atr(3; 4) + f(1) =   10" "" "$calc" --notebook "$tmp/funciones.txt" "atr(3;4)+f(1)"
check "error inside a notebook function" 1 "" "error 7 at 3+4: en g: División por cero
2+g(1)
  ^^^^" "$calc" --notebook "$tmp/funciones.txt" "2+g(1)"
check "substitution shown in errors" 1 "" "error 1 at 4+1: Valor desconocido
2*(ñ+1)
   ^" "$calc" --notebook "$data/texto.txt" "2*d"

check "sample notebook utf8" 0 "a * b + año =   371.25" "" "$calc" --notebook "$data/texto-utf8.txt" "a*b+año"
check "sample notebook cp1252" 0 "a * b + año =   371.25" "" "$calc" --notebook "$data/texto-cp1252.txt" "a*b+año"

check "sample rtf from a word processor" 0 "base * altura / 2 =   6" "" "$calc" --notebook "$data/writer-colores.rtf" "atr"
check "sample rtf in rich-edit style" 0 "año * 2 =   730.5" "" "$calc" --notebook "$data/richedit-plantilla.rtf" "año*2"
printf 'a=1\0' >"$tmp/con-nul.txt"
check "notebook with NUL bytes" 2 "" "*" "$calc" --notebook "$tmp/con-nul.txt" "a"

# Notebooks as other programs write them.
check "unknown code pages named once each" 0 "área * 2 =   2" "Código de página 99999 desconocido: leído como Windows-1252
Código de página 99998 desconocido: leído como Windows-1252" "$calc" --notebook "$data/lectura/codigo-desconocido.rtf" "área*2"
check "unknown code page, line by line" 0 "área =   1
é =   2" "Código de página 99999 desconocido: leído como Windows-1252
Código de página 99998 desconocido: leído como Windows-1252" \
  bash -c "printf 'área\né\n' | '$calc' --notebook '$data/lectura/codigo-desconocido.rtf'"
check "composed characters match" 0 "área + año =   3" "" \
  "$calc" --notebook "$data/lectura/nfc-descompuesto.txt" "$(printf 'a\xcc\x81rea+año')"
check "rtf stored as utf-16" 0 "año + área =   3" "" "$calc" --notebook "$data/lectura/utf16le-rtf.txt" "año+área"
check "text that begins with {\\rtf" 0 "a + b =   3" "" "$calc" --notebook "$data/lectura/rtf-de-palabra.txt" "a+b"

# The line limit: the last line allowed, and the first past it.
head -c 999999 /dev/zero | tr '\0' '\n' >"$tmp/lines.txt"
echo "a=5" >>"$tmp/lines.txt"
check "notebook at the line limit" 0 "a =   5" "" "$calc" --notebook "$tmp/lines.txt" "a"
echo "b=6" >>"$tmp/lines.txt"
check "notebook past the line limit" 2 "" "zentrova-calc: no se puede leer el cuaderno «$tmp/lines.txt»: El cuaderno pasa del límite de 1000000 líneas
Pruebe «zentrova-calc --help»." "$calc" --notebook "$tmp/lines.txt" "a"

# Writes that fail: a full disk, a closed output, a reader that goes away.
check_write() { # name, command...
  local name=$1
  shift
  "$@" >/dev/full 2>"$tmp/err"
  local got=$?
  if [ "$got" = 2 ] && grep -q "no se puede escribir la salida estándar: no queda espacio" "$tmp/err"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $name (status $got)"; cat "$tmp/err"
  fi
}
check_write "result to a full disk" "$calc" "2+3"
check_write "a failed calculation and a full disk" bash -c "printf '1/0\n2\n' | '$calc'"
check_write "help to a full disk" "$calc" --help
check_write "line by line to a full disk" bash -c "printf '1\n2\n' | '$calc'"
check "closed standard output" 2 "" "zentrova-calc: no se puede escribir la salida estándar: la salida estándar está cerrada" \
  bash -c "'$calc' 2+3 >&-"
seq 200000 | "$calc" 2>"$tmp/err" | head -n 1 >"$tmp/out"
status=${PIPESTATUS[1]}
if [ "$status" = 2 ] && [ "$(cat "$tmp/out")" = "1 =   1" ] && [ ! -s "$tmp/err" ]; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "FAIL: closed pipe (status $status)"; cat "$tmp/out" "$tmp/err"
fi

printf '1+1\n2*3\n1/0\n\n7\r\n' >"$tmp/lines"
check "line by line" 1 "1 + 1 =   2
2 * 3 =   6
0 =   0
7 =   7" "error 7 at 3+1: División por cero
1/0
  ^" "$calc" <"$tmp/lines"
check "line by line all good" 0 "1 + 1 =   2" "" bash -c "printf '1+1\n' | '$calc'"
check "line by line with notebook" 0 "base * altura / 2 =   6
altura =   4" "" bash -c "printf 'atr\naltura\n' | '$calc' --notebook '$data/triangulo.txt'"

# Text definitions that double the expression on every line stop at once.
for i in $(seq 32); do echo "a=a a"; done >"$tmp/doubling.txt"
check "doubling notebook" 1 "" "error: La expresión pasaría de 1000000 caracteres al aplicar la línea 19 del cuaderno" \
  timeout 5 "$calc" --notebook "$tmp/doubling.txt" "a"
# Text definitions in any order, as blocks; one that uses itself is named.
printf 'v=atr*h\natr=base*altura/2\nbase=3\naltura=4\nh=10\nd=a+b\na=1\nb=2\n' >"$tmp/order.txt"
check "definitions in any order" 0 "base * altura / 2 * h =   60
1 / (base * altura / 2) =   0.166666667
2 * (a + b) =   6
tan 45 =   1" "" bash -c "printf 'v\n1/atr\n2*d\ntan 45\n' | '$calc' --notebook '$tmp/order.txt'"
printf 'Ciclo\nx=y+1\ny=x*2\n' >"$tmp/cycle.txt"
check "definition using itself" 1 "" "error: La definición de la línea 2 del cuaderno se usa a sí misma a través de la línea 3" \
  "$calc" --notebook "$tmp/cycle.txt" "2*x"

# Only regular files are notebooks: a FIFO (no writer: it would be waited
# for) and devices are refused at once.
mkfifo "$tmp/tuberia"
check "notebook is a FIFO" 2 "" "zentrova-calc: no se puede leer el cuaderno «$tmp/tuberia»: no es un archivo normal, sino una tubería con nombre (FIFO)
Pruebe «zentrova-calc --help»." timeout 5 "$calc" --notebook "$tmp/tuberia" "1"
check "notebook is /dev/zero" 2 "" "zentrova-calc: no se puede leer el cuaderno «/dev/zero»: no es un archivo normal, sino un dispositivo
Pruebe «zentrova-calc --help»." timeout 5 "$calc" --notebook /dev/zero "1"
check "notebook is a pipe" 2 "" "*" bash -c "echo a=1 | timeout 5 '$calc' --notebook /dev/stdin a"

# The standard input is read a line at a time within the expression limit:
# a line past it ends the run with a message and status 2, after the
# results before it; a line at the limit is calculated.
check "standard input is /dev/zero" 2 "" "zentrova-calc: la línea 1 de la entrada pasa del límite de 1000000 caracteres" \
  timeout 10 "$calc" </dev/zero
{ echo "1+1"; head -c 1000001 /dev/zero | tr '\0' '1'; echo; echo "2+2"; } >"$tmp/long-line"
check "a line past the expression limit" 2 "1 + 1 =   2" "zentrova-calc: la línea 2 de la entrada pasa del límite de 1000000 caracteres" \
  timeout 10 "$calc" <"$tmp/long-line"
{ printf '1'; head -c 999999 /dev/zero | tr '\0' ' '; echo; head -c 1000001 /dev/zero | tr '\0' x | sed 's/x/ñ/g'; echo; } >"$tmp/limit-lines"
check "lines at and past the limit, in characters" 2 "1 =   1" "zentrova-calc: la línea 2 de la entrada pasa del límite de 1000000 caracteres" \
  timeout 20 "$calc" <"$tmp/limit-lines"
check "a last line without a line break" 0 "1 + 1 =   2
3 =   3" "" bash -c "printf '1+1\n3' | '$calc'"
check "an empty input" 0 "" "" "$calc" </dev/null

check "digits too small" 2 "" "*" "$calc" --digits 1 "1"
check "digits too large" 2 "" "*" "$calc" --digits 19 "1"
check "digits not a number" 2 "" "*" "$calc" --digits x "1"
check "digits missing" 2 "" "*" "$calc" --digits
check "unknown option" 2 "" "*" "$calc" --bogus "1"
check "missing notebook" 2 "" "*" "$calc" --notebook "$tmp/none.txt" "1"
check "notebook is a folder" 2 "" "*" "$calc" --notebook "$tmp" "1"
"$calc" --notebook "$tmp/none.txt" 1 2>"$tmp/err"
grep -q "none.txt" "$tmp/err" || { failed=$((failed + 1)); echo "FAIL: the unreadable notebook is not named"; }
"$calc" --help >"$tmp/help" 2>&1 && grep -q -- "--digits" "$tmp/help" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL: --help"; }

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
