// What a screen reader says of the main window's controls, and the order in
// which Tab reaches them.
#include "workspace/MainForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTextEdit>
#include <QToolButton>

namespace {

void Name(QWidget* w, const QString& name, const QString& description = QString())
{
    w->setAccessibleName(name);
    if (!description.isEmpty()) w->setAccessibleDescription(description);
}

} // namespace

void Tdemoform::NameControls()
{
    struct Button {
        QToolButton* button;
        const char* name;
        const char* description;
    };
    const Button buttons[] = {
        {CalcBtn, "Calcular", "Calcula la expresión y escribe el resultado arriba en RESULTADO"},
        {ToolButton2, "Retroceso", "Borra el último carácter de la expresión"},
        {ToolButton1, "Último cálculo", "Escribe el último resultado en la expresión"},
        {ToolButton3, "Nuevo cálculo", "Vacía la expresión"},
        {ToolButtonFraccion, "Fracción", "Muestra el último resultado como fracción, número mixto o decimal"},
        {ToolButton5, "Formulario", "Muestra u oculta las constantes; su flecha abre las listas de fórmulas"},
        {ToolButton6, "Gráfica", "Muestra u oculta la gráfica de una función"},
        {ToolButton7, "Teclado", "Muestra u oculta el teclado en pantalla"},
        {ToolButton9, "Abrir cuaderno", ""},
        {ToolButton10, "Guardar cuaderno", ""},
        {ToolButton11, "Imprimir cuaderno", ""},
        {ToolButton12, "Nuevo cuaderno", "Vacía el cuaderno"},
        {ToolButton4, "Buscar en el cuaderno", ""},
        {ToolButton8, "Ayuda", "Abre el manual"},
    };
    QWidget* previous = nullptr;
    for (const Button& b : buttons) {
        Name(b.button, QString::fromUtf8(b.name), QString::fromUtf8(b.description));
        // Reached by Tab, never taking the focus by a click.
        b.button->setFocusPolicy(Qt::TabFocus);
        if (previous != nullptr) setTabOrder(previous, b.button);
        previous = b.button;
    }
    Name(UpDown1, "Dígitos del resultado", "Cifras significativas de los resultados, de 2 a 18");
    Name(Edit2, "Dígitos del resultado");
    Name(ComboBox1, "Constantes físicas", "Elegir una añade su línea al cuaderno");
    Name(Memo3, "Expresión", "Escriba la expresión y pulse Intro para calcular");
    Name(memo1, "Resultados", "Cada cálculo añade una línea arriba; doble clic para usar su expresión");
    Name(vars, "Cuaderno", "Definiciones nombre=valor y notas");
    Name(SpeedButton3, "Borrar resultados");
    Name(LabelVistaPrevia, "Resultado mientras escribe");
    SpeedButton3->setFocusPolicy(Qt::TabFocus);
    for (QWidget* next : std::initializer_list<QWidget*>{CheckBox1, CheckBox2, UpDown1, ComboBox1, Memo3, SpeedButton3,
                                                         memo1, vars}) {
        setTabOrder(previous, next);
        previous = next;
    }
}
