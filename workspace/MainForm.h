// The main window: tool bars, the expression box, the results and notebook
// panes, the calculation command and the editing commands.
#pragma once

#include "calc/CalcCore.h"
#include "engine/MathParser.h"
#include "notebook/NotebookCommands.h"
#include "workspace/CommandButton.h"
#include "workspace/ExpressionBox.h"
#include "notebook/Recovery.h"

#include <QFont>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QSpinBox;
class QSplitter;
class QTextEdit;
class QToolBar;
class QToolButton;
class QWidget;
class TForm6;
class TPlotView;
class TForm1;
class TForm4;
class TForm5;
class TFormulaChooser;
class QComboBox;
class TFindDialog;
class TElidedLabel;
class TExpressionHistory;
class TExpressionPreview;
class TCalculationRunner;
class TNotebookWords;
class TResultCommands;
class TFormDatos;
class QPrinter;
class QTimer;

class Tdemoform : public QMainWindow {
    Q_OBJECT
public:
    explicit Tdemoform(QWidget* parent = nullptr);
    ~Tdemoform() override;

    // The configuration window holds the stored angle unit; it is created
    // after this window and attached here.
    void AttachConfiguration(TForm6* form6);
    // The windows created after this one: the About window, the holder of
    // the formula lists and the keyboard window.
    void AttachAbout(TForm1* form1);
    void AttachFormulaHolder(TForm4* form4);
    void AttachKeyboard(TForm5* form5);

    // Offers back, one question each, the notebooks that windows no longer
    // running left unsaved (once the window has appeared).
    void OfferRecovery();
    // The program ends now without the save question (a signal): the
    // recovery copy is written and kept for the next start.
    void KeepWorkForEnd();
    // The desktop session is ending: the copy is written, and closing the
    // window asks nothing for a while.
    void SessionEnding();
    // The session end was called off: closing asks about unsaved work again.
    void SessionGoesOn();

    // Controls, by their designer names.  A tool button of a command that
    // a menu item runs too runs that item's action.
    QToolBar* ToolBar2;
    QToolButton* CalcBtn;
    QToolButton* ToolButton2;     // "Retroceso"
    QToolButton* ToolButton1;     // "Ultimo calculo"
    QToolButton* ToolButton3;     // "Nuevo calculo"
    QToolButton* ToolButtonFraccion; // "a b/c": the newest result as a fraction, a mixed number or a decimal (F9)
    TCommandButton* ToolButton5;  // "Formulario": Constantesyformulas1
    TCommandButton* ToolButton6;  // "Grafica": Grafica1
    TCommandButton* ToolButton7;  // "Teclado": Resultadosparciales1
    TCommandButton* ToolButton9;  // "Abrir cuaderno": Abrir
    TCommandButton* ToolButton10; // "Guardar cuaderno": Guardar
    TCommandButton* ToolButton11; // "Imprimir": Imprimir1
    TCommandButton* ToolButton12; // "Nuevo cuaderno": Nuevo
    TCommandButton* ToolButton4;  // "Buscar en cuaderno": Buscar, also in PopupMenu2
    TCommandButton* ToolButton8;  // "Ayuda": AyudasobreTervolix1
    QWidget* Panel7;
    QCheckBox* CheckBox1; // "Grados"
    QCheckBox* CheckBox2; // "Radianes"
    QLabel* Label3;       // "Digitos"
    QSpinBox* UpDown1;
    QLineEdit* Edit2;
    QComboBox* ComboBox1; // the constants list
    QMenu* PopupMenu1;    // "Formulario": Hola2, dddd1, Volumenes1, N41
    QFrame* Panel1;
    QLabel* Label6; // "EXPRESIÓN"
    QFrame* Panel6; // the error strip
    QLabel* Image1;
    QLabel* Label5;
    TElidedLabel* LabelPista;       // a hint beside the error message
    QLabel* LabelVistaPrevia;       // the result while typing
    TExpressionBox* Memo3;
    QWidget* WorkRow;    // the work area or the plot view, the key panel at its left
    QWidget* ScrollBox1; // the work area
    QFrame* Panel4;
    QLabel* Label7; // "RESULTADO"
    QToolButton* SpeedButton3;
    QTextEdit* memo1;
    QSplitter* Splitter2;
    QFrame* Panel2;
    QLabel* Label8; // "CUADERNO"
    QTextEdit* vars;
    TPlotView* Panel3; // the plot view
    QLabel* EstadoPanels[3];

    QMenu* Archivo1;
    QMenu* Ver1;
    QMenu* Cuaderno1;
    QMenu* Resultados1; // the result line commands
    QMenu* Ayuda1;
    QAction* Salir1;
    QAction* Resultadosparciales1; // "Ver" > "Teclado"
    QAction* Grafica1;
    QAction* Datos1; // "Ver" > "Datos…", F7
    TFormDatos* FormDatos = nullptr; // made when first opened
    QAction* Constantesyformulas1;
    QAction* Configuracion1;
    QAction* Nuevo;
    QAction* Abrir;
    QAction* Guardar;
    QAction* Guardarcomo1; // "Guardar como…"
    QAction* Fuente;
    QAction* Imprimir1;
    QAction* Buscar;
    QAction* AyudasobreTervolix1; // "Ayuda sobre Zentrova"
    QAction* AcercadeTervolix1;   // "Acerca de Zentrova"
    QMenu* PopupMenu2;
    QAction* Ejecutar1;
    QAction* Cortar1;
    QAction* Copiar1;
    QAction* Pegar1;
    QAction* Seleccionartodo1;
    QAction* Borrartodo1;
    QMenu* PopupMenu3;
    QAction* Cortar2;
    QAction* Copiar2;
    QAction* BuscarSiguiente1; // F3
    QTimer* Timer1;            // the status bar's clock
    TFindDialog* FindDialog1;

    // The notebook commands, wired to the buttons and menu items below.
    std::unique_ptr<TNotebookCommands> Notebook;
    // Around the expression box: its history, the notebook's names, the
    // result while typing; and the commands on result lines.
    TExpressionHistory* History = nullptr;
    TNotebookWords* NotebookWords = nullptr;
    TExpressionPreview* Preview = nullptr;
    TResultCommands* Results = nullptr;
    // The recovery copy of the unsaved notebook, the expression and the
    // results.
    std::unique_ptr<TRecoveryCopy> Recovery;

    // State of the calculation command; the calculations that may take
    // long run away from the window's thread, their progress shown.
    std::unique_ptr<TMathParser> CalcParser;
    TCalculationRunner* Runner = nullptr;
    QTimer* ProgressTimer = nullptr;
    std::shared_ptr<TMathParser> PlotParser; // shared with the plot view and its functions
    long double LastResult = 0;
    // The newest result line: its calculation, how its value is shown, the
    // text it was calculated from and the line as written.
    calc::TCalcOutcome LastOutcome;
    calc::TValueShown LastShown = calc::TValueShown::Decimal;
    QString LastTyped, LastLine;
    bool ShowFractions = true; // "Mostrar fracciones exactas"
    int ResultDigits = 9;
    TForm6* Form6 = nullptr;
    TFormulaChooser* Library = nullptr; // the library slot and its commands
    TForm1* Form1 = nullptr;            // About
    TForm5* Form5 = nullptr;            // the keyboard

public slots:
    void CalcBtnClick();
    void ToolButton2Click();
    void ToolButton1Click();
    void ToolButton3Click();
    void ToolButtonFraccionClick();
    void SetShowFractions(bool on);
    void Memo3Change();
    void SpeedButton3Click();
    void Ejecutar1Click();
    void Cortar1Click();
    void Copiar1Click();
    void Pegar1Click();
    void Seleccionartodo1Click();
    void Borrartodo1Click();
    void Cortar2Click();
    void Copiar2Click();
    void Salir1Click();
    void CheckBox1Click();
    void CheckBox2Click();
    void Configuracion1Click();
    void FocusExpressionBox();
    // Each command that a tool button and menu items share has one handler,
    // the slot of its action.
    void ToolButton6Click(); // show or hide the plot view ("Ver" > "Grafica" too)
    void Datos1Click();      // opens the data window
    // Writes `line` into the notebook in place of the line that defines
    // `name` (a list "name = ..." or a function "name(...)=..."), else at its
    // end (an empty line removes it): one step for "Deshacer", or with
    // `join` part of the step before.
    void WriteNotebookLine(const std::string& name, const std::string& line, bool join = false);
    // Shows measured points, and a function over them, on the plot.
    void ShowPointsOnPlot(const std::vector<long double>& x, const std::vector<long double>& y,
                          const std::vector<long double>& sigma, const QString& function);
    void ToolButton5Click(); // toggles the library slot ("Ver" > "Constantes y formulas" too)
    void Hola2Click();       // the constants list
    void dddd1Click();       // areas and surfaces
    void Volumenes1Click();
    void N41Click();         // physics
    void ComboBox1Click();   // a constant chosen
    void ToolButton7Click(); // docks or gives back the keyboard ("Ver" > "Teclado" too)
    void AyudasobreTervolix1Click(); // the manual (the tool button "Ayuda" too)
    void AcercadeTervolix1Click();
    void ToolButton12Click(); // New notebook (the menu item "Nuevo" too)
    void AbrirClick();        // asks about unsaved changes, then opens (the tool button too)
    void ToolButton10Click(); // Save notebook, in place once it has a file (the menu item "Guardar" too)
    void GuardarcomoClick();  // Save notebook under a name asked for
    void Timer1Timer();
    void ToolButton4Click();  // the find dialog (both items "Buscar" too)
    void FindDialog1Find();
    void FuenteClick();
    void ToolButton11Click(); // print (the menu item "Imprimir" too)

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override; // FormCloseQuery
    void showEvent(QShowEvent* event) override;   // FormShow

private:
    void FormCreate();
    void FormDestroy();
    void BuildCommands();
    void BuildToolBar();
    void BuildMenus();
    void BuildCentral();
    void BuildSettingsRow(QWidget* central);
    void BuildExpressionStrip(QWidget* central);
    void BuildWorkArea(QWidget* row);
    void BuildStatusBar();
    void BuildLibrarySlot();
    void BuildPopupMenus();
    void BuildResultCommands();
    void ShowFailure(const QString& text); // the application's error box
    void ShowNotebookTitle();
    void ShowEngineError(const QString& message, int position, int length, const QString& hint = QString());
    void HideError();
    void UseExpression(const QString& text);
    void NameControls();
    // The keyboard's key panel and the formula lists are out of sight while
    // the plot view is shown, and back when it is left.
    void SetSidePanelsForPlot(bool plotShown);
    void InsertResultLine(const QString& exprText, const QString& valueText, const QString& calculated,
                          const QString& fraction = {});
    // The newest result line written again as `line`, its value from
    // `valueStart` on, a fraction beside it from `fractionStart` (-1: none).
    void RewriteNewestLine(const QString& line, int valueStart, int fractionStart);
    void PaintResultValue(int valueStart, int valueEnd, int fractionStart, int lineEnd);
    // What "Ultimo calculo" inserts: the value as the newest line shows it.
    QString LastValueText() const;
    static bool StoredShowFractions();
    // Between a result's decimal value and its fraction.
    static inline const QString kFractionMark = QString::fromUtf8(calc::kFractionMark);
    // A calculation's outcome: its result line, or its error with the hint.
    void ShowCalculation(const calc::TCalcOutcome& r, const std::vector<std::string>& lines, const QString& typed);
    void ShowProgress(); // of the calculation running away from this thread
    bool FShown = false;
    bool FEnding = false;        // KeepWorkForEnd
    bool FSessionEnding = false; // SessionEnding, for a minute
    // Runs a command; an unexpected failure is shown in the application's
    // error box and the program goes on.
    template <typename F> void Guarded(F&& command);
};
