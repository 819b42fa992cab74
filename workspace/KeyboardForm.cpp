#include "workspace/KeyboardForm.h"

#include "ui/Design.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>

static void InitKeyResources()
{
    Q_INIT_RESOURCE(keys);
}

namespace {

enum TLook { kDigit, kPoint, kArithmetic, kBlue, kPurple, kPurpleSmall, kGreen };

struct TKeyDesign {
    const char* Name;
    const char* Caption; // or the picture's file for the arithmetic keys
    const char* Hint;
    const char* Inserts;
    int Left, Top, Width;
    TLook Look;
    const char* Spoken; // the accessible name
};

// The keys as designed: captions, hints, the texts they type (blanks
// included) and their places in the panel; all 25 pixels high.
const TKeyDesign kKeys[] = {
    {"Button1", "7", "", "7", 3, 23, 40, kDigit, "7"},
    {"Button2", "8", "", "8", 42, 23, 40, kDigit, "8"},
    {"Button3", "9", "", "9", 82, 23, 40, kDigit, "9"},
    {"Button4", "4", "", "4", 3, 48, 40, kDigit, "4"},
    {"Button5", "5", "", "5", 42, 48, 40, kDigit, "5"},
    {"Button6", "6", "", "6", 82, 48, 40, kDigit, "6"},
    {"Button7", "1", "", "1", 3, 73, 40, kDigit, "1"},
    {"Button8", "2", "", "2", 42, 73, 40, kDigit, "2"},
    {"Button9", "3", "", "3", 82, 73, 40, kDigit, "3"},
    {"Button10", "0", "", "0", 3, 99, 40, kDigit, "0"},
    {"Button11", ".", "", ".", 44, 99, 78, kPoint, "Punto decimal"},
    {"SpeedButton1", "^", "Elevar a", "^", 42, 158, 40, kBlue, "Elevar a"},
    {"SpeedButton2", "sqrt", "Raiz cuadrada", "sqrt", 82, 158, 40, kBlue, "Raíz cuadrada"},
    {"SpeedButton3", "10^", "10 elevado a", "10^", 82, 208, 40, kBlue, "10 elevado a"},
    {"SpeedButton4", "ln", "Logaritmo neperiano", "ln", 42, 183, 40, kBlue, "Logaritmo neperiano"},
    {"SpeedButton5", "exp", "e elevado a", "exp", 82, 183, 40, kBlue, "e elevado a"},
    {"SpeedButton6", "( ", "Abrir paréntesis", "(", 42, 133, 40, kBlue, "Abrir paréntesis"},
    {"SpeedButton7", ")", "Cerrar paréntesis", ")", 82, 133, 40, kBlue, "Cerrar paréntesis"},
    {"SpeedButton8", ":/keys/dividir.svg", "División", "/", 3, 133, 40, kArithmetic, "División"},
    {"SpeedButton9", ":/keys/sumar.svg", "Suma", "+", 3, 183, 40, kArithmetic, "Suma"},
    {"SpeedButton10", ":/keys/restar.svg", "Resta", "-", 3, 208, 40, kArithmetic, "Resta"},
    {"SpeedButton11", ":/keys/multiplicar.svg", "Mulplicación", "*", 3, 158, 40, kArithmetic, "Multiplicación"},
    {"SpeedButton12", "1/", "Inverso", "1/", 42, 208, 40, kBlue, "Inverso"},
    {"SpeedButton13", "nLog", "Logaritmo de base n", " log", 3, 242, 60, kPurpleSmall, "Logaritmo de base n"},
    {"SpeedButton14", "sin", "Seno", "sin", 3, 348, 60, kGreen, "Seno"},
    {"SpeedButton15", "cos", "Coseno", "cos", 63, 348, 60, kGreen, "Coseno"},
    {"SpeedButton16", "tan", "Tangente", "tan", 3, 373, 60, kGreen, "Tangente"},
    {"SpeedButton17", "Max", "Máximo de dos números", " Max", 64, 317, 59, kPurple, "Máximo de dos números"},
    {"SpeedButton18", "arcsin", "Arcoseno", "arcsin", 63, 373, 60, kGreen, "Arco seno"},
    {"SpeedButton19", "arccos", "Arcocoseno", "arccos", 3, 398, 60, kGreen, "Arco coseno"},
    {"SpeedButton20", "arctan", "Arcotangente", "arctan", 63, 398, 60, kGreen, "Arco tangente"},
    {"SpeedButton21", "sinh", "Seno hiperbólico", "sinh", 3, 423, 60, kGreen, "Seno hiperbólico"},
    {"SpeedButton22", "cosh", "Coseno hiperbólico", "cosh", 63, 423, 60, kGreen, "Coseno hiperbólico"},
    {"SpeedButton23", "tanh", "Tangente hiperbólica", "tanh", 3, 448, 60, kGreen, "Tangente hiperbólica"},
    {"SpeedButton24", "mod", "Resto de división", " mod", 63, 267, 60, kPurple, "Resto de la división"},
    {"SpeedButton25", "div", "Parte entera de la división", " div ", 3, 317, 60, kPurple, "Parte entera de la división"},
    {"SpeedButton26", "abs", "Valor absoluto", "abs", 3, 267, 60, kPurple, "Valor absoluto"},
    {"SpeedButton27", "floor", "Redondeo hacia abajo: el entero anterior", "floor", 3, 292, 60, kPurple, "Redondeo hacia abajo"},
    {"SpeedButton28", "ceil", "Redondeo hacia arriba: el entero siguiente", "ceil", 63, 292, 60, kPurple, "Redondeo hacia arriba"},
    {"SpeedButton29", "NSqrt", "Raíz de indie n", " NSqrt", 63, 242, 60, kPurple, "Raíz de índice n"},
    {"SpeedButton30", "hypot", "a hypot b, hipotenusa de un triángulo rectanulo de catetos a,b", " hypot ", 64, 448, 58,
     kGreen, "Hipotenusa"},
    // The plot's variable and the separator of a function's arguments.
    {"SpeedButton31", "x", "La variable x de la gráfica", "x", 3, 473, 60, kBlue, "Equis"},
    {"SpeedButton32", ";", "Separa los argumentos de una función: f(a;b)", ";", 63, 473, 60, kBlue, "Punto y coma"},
    // Combinatorics, probability, rounding and the number e.
    {"SpeedButton33", "comb", "Combinaciones (nCr): comb(n;k)", "comb(", 3, 498, 60, kPurple, "Combinaciones"},
    {"SpeedButton34", "fact", "Factorial de un número entero: fact 5", "fact ", 63, 498, 60, kPurple, "Factorial"},
    {"SpeedButton35", "binom", "Probabilidad binomial P(X = k): binomial(k;n;p)", "binomial(", 3, 523, 60, kPurple,
     "Binomial"},
    {"SpeedButton36", "normal", "Normal acumulada P(X ≤ x): normal(x;m;s)", "normal(", 63, 523, 60, kPurple, "Normal"},
    {"SpeedButton37", "redond", "Redondeo a n decimales: redondear(x;n)", "redondear(", 3, 548, 60, kPurple,
     "Redondear"},
    {"SpeedButton38", "e", "El número e, 2.71828...", "e", 63, 548, 60, kBlue, "Número e"},
};

// One key as designed: a push button for the digits and the point, a flat
// button with its hint as a tooltip for the others.
QAbstractButton* MakeKey(const TKeyDesign& k, QWidget* keys)
{
    QAbstractButton* key;
    if (k.Look == kDigit || k.Look == kPoint) {
        key = new QPushButton(k.Caption, keys);
        key->setFont(k.Look == kDigit ? DesignFont("Verdana", 12, true) : DesignFont("Verdana", 24, false, true));
        SetColour(key, QPalette::ButtonText, k.Look == kDigit ? QColor(0, 0, 0) : QColor(0, 0, 255));
    } else {
        // Flat buttons, with their hint as a tooltip.
        auto* flat = new QToolButton(keys);
        flat->setAutoRaise(true);
        flat->setToolTip(QString::fromUtf8(k.Hint));
        key = flat;
        switch (k.Look) {
        case kArithmetic:
            flat->setIcon(QIcon(k.Caption));
            flat->setIconSize(QSize(16, 16));
            flat->setFont(DesignFont("Arial", 15, true));
            SetColour(flat, QPalette::ButtonText, QColor(255, 0, 0));
            break;
        case kBlue:
            flat->setText(k.Caption);
            flat->setFont(DesignFont("Verdana", 12, true));
            SetColour(flat, QPalette::ButtonText, QColor(0, 0, 255));
            break;
        case kPurple:
        case kPurpleSmall:
            flat->setText(k.Caption);
            flat->setFont(DesignFont("Tahoma", k.Look == kPurple ? 13 : 12, true));
            SetColour(flat, QPalette::ButtonText, QColor(128, 0, 128));
            break;
        default:
            flat->setText(k.Caption);
            flat->setFont(DesignFont("Tahoma", 12, true));
            SetColour(flat, QPalette::ButtonText, QColor(0, 128, 0));
            break;
        }
    }
    key->setObjectName(k.Name);
    // No key takes the focus: what is typed next on the keyboard goes where
    // it went before the click.  Keys only duplicate typing, so Tab passes
    // them by; a screen reader names them.
    key->setFocusPolicy(Qt::NoFocus);
    key->setAccessibleName(QString::fromUtf8(k.Spoken));
    key->setGeometry(k.Left, k.Top, k.Width, 25);
    key->setProperty("inserts", QString::fromUtf8(k.Inserts));
    return key;
}

} // namespace

TForm5::TForm5(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    InitKeyResources();
    setObjectName("Form5");
    setWindowTitle("Teclado");
    resize(264, 582);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setFixedWidth(132);
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette background = ScrollBox1->palette();
    background.setColor(QPalette::Window, QColor(255, 255, 215));
    ScrollBox1->setPalette(background);
    ScrollBox1->setAutoFillBackground(true);
    auto* keys = new QWidget;
    keys->setObjectName("Keys");
    keys->setFixedSize(126, 576);
    keys->setPalette(background);
    keys->setAutoFillBackground(true);
    ScrollBox1->setWidget(keys);
    ScrollBox1->viewport()->setPalette(background);
    // A click on a key leaves the focus where it was: neither the panel nor
    // what holds the keys takes it in their stead.
    for (QWidget* w : {static_cast<QWidget*>(ScrollBox1), ScrollBox1->viewport(), keys}) w->setFocusPolicy(Qt::NoFocus);
    ScrollBox1->setAccessibleName("Teclado en pantalla");

    Panel2 = new QLabel("TECLADO", keys);
    Panel2->setObjectName("Panel2");
    Panel2->setGeometry(0, 0, 126, 17);
    Panel2->setAlignment(Qt::AlignCenter);
    Panel2->setFont(DesignFont("Verdana", 11, false));
    Panel2->setAutoFillBackground(true);
    QPalette strip = Panel2->palette();
    strip.setColor(QPalette::Window, QColor(251, 250, 247));
    strip.setColor(QPalette::WindowText, QColor(0, 0, 0));
    Panel2->setPalette(strip);

    for (const TKeyDesign& k : kKeys) {
        QAbstractButton* key = MakeKey(k, keys);
        const QString text = QString::fromUtf8(k.Inserts);
        connect(key, &QAbstractButton::clicked, this, [this, text] { Type(text); });
        Keys.push_back(key);
    }
    auto* holder = new QVBoxLayout(this);
    holder->setContentsMargins(0, 0, 0, 0);
    holder->addWidget(ScrollBox1, 0, Qt::AlignLeft);
}

QAbstractButton* TForm5::Key(const char* name) const
{
    for (QAbstractButton* k : Keys)
        if (k->objectName() == QLatin1String(name)) return k;
    return nullptr;
}

void TForm5::Type(const QString& text)
{
    if (FBox != nullptr) FBox->insertPlainText(text); // the focus stays where it is
}

bool TForm5::Docked() const
{
    return ScrollBox1->parentWidget() != this;
}

void TForm5::Dock(QWidget* row)
{
    ScrollBox1->setParent(row);
    if (auto* layout = qobject_cast<QBoxLayout*>(row->layout())) layout->insertWidget(0, ScrollBox1);
    ScrollBox1->setHidden(FKeysHidden);
}

void TForm5::Undock()
{
    ScrollBox1->setParent(this);
    layout()->addWidget(ScrollBox1);
    ScrollBox1->setHidden(FKeysHidden);
}

void TForm5::SetKeysHidden(bool hidden)
{
    FKeysHidden = hidden;
    ScrollBox1->setHidden(hidden);
}
